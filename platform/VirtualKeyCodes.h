#pragma once

#include <cstdint>

// Windows virtual-key codes, the key language of the editor's key tables, of tool shortcuts and
// of recorded keystrokes, and the three ways those places encode the modifier keys.
namespace korvid {

inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12; // Alt
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14; // Caps Lock
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21; // Page Up
inline constexpr int VK_NEXT = 0x22;  // Page Down
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_0 = 0x30; // the main-keyboard digits run 0x30..0x39
inline constexpr int VK_A = 0x41; // the letters run 0x41..0x5A
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;
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

// The virtual key of a letter 'A'..'Z' (either case) or a digit.
constexpr int VkOfChar(char C) {
    return (C >= 'a' && C <= 'z') ? C - 'a' + VK_A : static_cast<unsigned char>(C);
}

// Engine key tables: Shift 2, Ctrl 4, Alt 8.
inline constexpr int EngShift = 2;
inline constexpr int EngCtrl = 4;
inline constexpr int EngAlt = 8;

// Tool shortcut codes: the virtual key plus these bits.
inline constexpr std::uint16_t ShortCutShift = 0x2000;
inline constexpr std::uint16_t ShortCutCtrl = 0x4000;
inline constexpr std::uint16_t ShortCutAlt = 0x8000;
inline constexpr std::uint16_t ShortCutKeyMask = 0x1FFF;

// Recorded keystroke steps: Shift 1, Alt 2, Ctrl 4 (mouse flags use the higher bits).
inline constexpr std::uint8_t StepShift = 1;
inline constexpr std::uint8_t StepAlt = 2;
inline constexpr std::uint8_t StepCtrl = 4;

// The plain modifier set, from which each encoding is made.
struct TModifiers {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
    friend bool operator==(const TModifiers&, const TModifiers&) = default;
};

constexpr int EngShiftOf(TModifiers M) {
    return (M.Shift ? EngShift : 0) | (M.Ctrl ? EngCtrl : 0) | (M.Alt ? EngAlt : 0);
}

constexpr TModifiers ModifiersOfEngShift(int Bits) {
    return {(Bits & EngShift) != 0, (Bits & EngCtrl) != 0, (Bits & EngAlt) != 0};
}

constexpr std::uint16_t ShortCutOf(int Key, TModifiers M) {
    return static_cast<std::uint16_t>((Key & ShortCutKeyMask) | (M.Shift ? ShortCutShift : 0) |
                                      (M.Ctrl ? ShortCutCtrl : 0) | (M.Alt ? ShortCutAlt : 0));
}

constexpr int KeyOfShortCut(std::uint16_t Code) {
    return Code & ShortCutKeyMask;
}

constexpr TModifiers ModifiersOfShortCut(std::uint16_t Code) {
    return {(Code & ShortCutShift) != 0, (Code & ShortCutCtrl) != 0, (Code & ShortCutAlt) != 0};
}

constexpr std::uint8_t StepShiftOf(TModifiers M) {
    return static_cast<std::uint8_t>((M.Shift ? StepShift : 0) | (M.Alt ? StepAlt : 0) |
                                     (M.Ctrl ? StepCtrl : 0));
}

constexpr TModifiers ModifiersOfStepShift(std::uint8_t Bits) {
    return {(Bits & StepShift) != 0, (Bits & StepCtrl) != 0, (Bits & StepAlt) != 0};
}

} // namespace korvid
