#pragma once

#include "platform/WindowKeys.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// The value of an environment variable, or nothing when it is unset.
using TEnvironmentLookup = std::function<std::optional<std::string>(std::string_view Name)>;
TEnvironmentLookup ProcessEnvironment();

// The desktop's window backend, or why none can type into other programs here.
struct TDesktopKeys {
    std::unique_ptr<TWindowKeys> Keys;
    std::string WhyNot;
};

// X11 (Xlib and XTest, on a display connection of its own) when the session is not Wayland,
// DISPLAY names a server that opens and the server has XTEST.
TDesktopKeys OpenDesktopKeys(const TEnvironmentLookup& Environment);

} // namespace korvid
