#pragma once

#include "platform/WindowKeys.h"

#include <string_view>

namespace korvid {

// Types Text into Window as key presses, Shift held where a character needs it and Caps Lock
// turned off meanwhile. Before each character Window must still have the keyboard focus, so
// that keys never land in another program; false when it lost it (typing stops there). Slow
// typing waits 500 ms after the first character and 100 ms after each later one.
bool SendKeys(TWindowKeys& Keys, TWaitService& Waits, TWindowId Window, std::string_view Text,
              bool Slow);

} // namespace korvid
