#pragma once

#include "platform/QtVirtualKeys.h"

#include <cstdint>
#include <string>

namespace korvid {

// The shortcut code of a virtual key (low byte only) and a keystroke-step shift set
// (StepShift, StepAlt, StepCtrl).
std::uint16_t ShortCutOfStep(int Key, std::uint8_t Shift);

// The key's name in shortcut texts ("BkSp", "PgUp", "F5", "A", ...); empty when it has none.
std::string VirtualKeyName(std::uint16_t Key);

// "Shift+", "Ctrl+", "Alt+" in that order, then the key name; empty for 0.
std::string ShortCutToText(std::uint16_t ShortCut);

} // namespace korvid
