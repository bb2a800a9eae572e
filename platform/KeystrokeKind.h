#pragma once

#include <cstdint>

namespace korvid {

// Kinds of macro step; keystroke files and recorded macros keep these numbers.
enum TKeystrokeKind : std::uint8_t {
    ksTool = 0,
    ksChar = 1,
    ksCommand = 2,
    ksReturn = 3,
    ksTab = 4,
    ksKey = 5,
};

} // namespace korvid
