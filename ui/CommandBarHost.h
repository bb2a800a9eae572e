#pragma once

#include <optional>

namespace korvid {

enum TDockPosition { dpTop, dpBottom, dpLeft, dpRight };

// What a command-bar button asks of the bar it sits on; dockable bars implement it.
class TCommandBarHost {
public:
    virtual ~TCommandBarHost() = default;
    // The side of the form the bar is docked on; none while it floats.
    virtual std::optional<TDockPosition> DockedPosition() const = 0;
};

// 0 floating (or no bar), 1 in a top or bottom dock, 2 in a left or right dock.
inline int DockKindOf(const TCommandBarHost* Host) {
    if (!Host)
        return 0;
    const auto Position = Host->DockedPosition();
    if (!Position)
        return 0;
    return (*Position == dpLeft || *Position == dpRight) ? 2 : 1;
}

} // namespace korvid
