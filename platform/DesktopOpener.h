#pragma once

#include <memory>
#include <string>

namespace korvid {

// Hands a file or folder to the desktop, which opens it with the program it has for it.
class TDesktopOpener {
public:
    virtual ~TDesktopOpener() = default;
    // False when the desktop refused.
    virtual bool Open(const std::string& Path) = 0;
    // Opens a page at an anchor in it; the whole page where the anchor cannot be handed on.
    virtual bool OpenAt(const std::string& Path, const std::string& /*Anchor*/) {
        return Open(Path);
    }
};

// The desktop's own opener.
std::unique_ptr<TDesktopOpener> MakeDesktopOpener();

} // namespace korvid
