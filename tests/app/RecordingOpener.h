#pragma once

#include "platform/DesktopOpener.h"

#include <string>
#include <vector>

namespace korvid::test {

// Keeps every path handed to the desktop (a page's anchor after '#') and answers as told.
class TRecordingOpener : public TDesktopOpener {
public:
    explicit TRecordingOpener(std::vector<std::string>& Opened, bool Succeeds = true)
        : FOpened(Opened), FSucceeds(Succeeds) {}
    bool Open(const std::string& Path) override {
        FOpened.push_back(Path);
        return FSucceeds;
    }
    bool OpenAt(const std::string& Path, const std::string& Anchor) override {
        return Open(Path + '#' + Anchor);
    }

private:
    std::vector<std::string>& FOpened;
    bool FSucceeds;
};

} // namespace korvid::test
