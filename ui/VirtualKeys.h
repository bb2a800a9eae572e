#pragma once

#include "platform/VirtualKeyCodes.h"

#include <cstdint>
#include <string>

class QKeyEvent;

namespace korvid {

// Virtual keys beyond the shared ones, for key names and for mapping Qt's keys.
inline constexpr int VK_9 = 0x39;
inline constexpr int VK_Z = 0x5A;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_NUMPAD9 = 0x69;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F24 = 0x87;
inline constexpr int VK_OEM_1 = 0xBA;      // ";"
inline constexpr int VK_OEM_PLUS = 0xBB;   // "="
inline constexpr int VK_OEM_COMMA = 0xBC;  // ","
inline constexpr int VK_OEM_MINUS = 0xBD;  // "-"
inline constexpr int VK_OEM_PERIOD = 0xBE; // "."
inline constexpr int VK_OEM_2 = 0xBF;      // "/"
inline constexpr int VK_OEM_3 = 0xC0;      // "'" on a United Kingdom keyboard
inline constexpr int VK_OEM_4 = 0xDB;      // "["
inline constexpr int VK_OEM_5 = 0xDC;      // backslash
inline constexpr int VK_OEM_6 = 0xDD;      // "]"
inline constexpr int VK_OEM_7 = 0xDE;      // "#" on a United Kingdom keyboard
inline constexpr int VK_OEM_8 = 0xDF;      // the key left of "1" on a United Kingdom keyboard
inline constexpr int VK_OEM_102 = 0xE2;    // backslash beside the left Shift key

// The shortcut code of a virtual key (low byte only) and a keystroke-step shift set
// (StepShift, StepAlt, StepCtrl).
std::uint16_t ShortCutOfStep(int Key, std::uint8_t Shift);

// The key's name in shortcut texts ("BkSp", "PgUp", "F5", "A", ...); empty when it has none.
std::string VirtualKeyName(std::uint16_t Key);

// "Shift+", "Ctrl+", "Alt+" in that order, then the key name; empty for 0.
std::string ShortCutToText(std::uint16_t ShortCut);

// The virtual key of a Qt key code; 0 when there is none. Keys whose meaning depends on the
// layout map by the character Qt reports.
std::uint16_t VirtualKeyFromQtKey(int QtKey);

// The virtual key of the physical key that an X keyboard scan code names, for the keys whose
// virtual key follows the key's place rather than its character; 0 for other keys.
std::uint16_t VirtualKeyFromScanCode(std::uint32_t NativeScanCode);

// The virtual key of a key press: by physical key where that decides, else by Qt key.
std::uint16_t VirtualKeyFromEvent(const QKeyEvent& Event);

// The keystroke-step shift set (StepShift, StepAlt, StepCtrl) of a key press.
std::uint8_t ShiftStateFromEvent(const QKeyEvent& Event);

} // namespace korvid
