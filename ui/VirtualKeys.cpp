#include "ui/VirtualKeys.h"

#include <array>
#include <utility>

namespace korvid {

namespace {

struct TKeyNamePair {
    std::uint16_t Key;
    const char* Name;
};

constexpr std::array KeyNameTable{
    TKeyNamePair{VK_BACK, "BkSp"},
    TKeyNamePair{VK_TAB, "Tab"},
    TKeyNamePair{VK_RETURN, "Enter"},
    TKeyNamePair{VK_PAUSE, "Pause"},
    TKeyNamePair{VK_CAPITAL, "Caps Lock"},
    TKeyNamePair{VK_ESCAPE, "Esc"},
    TKeyNamePair{VK_SPACE, "Space"},
    TKeyNamePair{VK_PRIOR, "PgUp"},
    TKeyNamePair{VK_NEXT, "PgDn"},
    TKeyNamePair{VK_END, "End"},
    TKeyNamePair{VK_HOME, "Home"},
    TKeyNamePair{VK_LEFT, "Left"},
    TKeyNamePair{VK_UP, "Up"},
    TKeyNamePair{VK_RIGHT, "Right"},
    TKeyNamePair{VK_DOWN, "Down"},
    TKeyNamePair{VK_INSERT, "Ins"},
    TKeyNamePair{VK_DELETE, "Del"},
    TKeyNamePair{VK_MULTIPLY, "Num *"},
    TKeyNamePair{VK_ADD, "Num +"},
    TKeyNamePair{VK_SUBTRACT, "Num -"},
    TKeyNamePair{VK_DECIMAL, "Num Del"},
    TKeyNamePair{VK_DIVIDE, "Num /"},
    TKeyNamePair{VK_NUMLOCK, "Num Lock"},
    TKeyNamePair{VK_SCROLL, "Scroll Lock"},
    TKeyNamePair{VK_OEM_1, ";"},
    TKeyNamePair{VK_OEM_PLUS, "="},
    TKeyNamePair{VK_OEM_COMMA, ","},
    TKeyNamePair{VK_OEM_MINUS, "-"},
    TKeyNamePair{VK_OEM_PERIOD, "."},
    TKeyNamePair{VK_OEM_2, "/"},
    TKeyNamePair{VK_OEM_3, "'"},
    TKeyNamePair{VK_OEM_4, "["},
    TKeyNamePair{VK_OEM_5, "\\"},
    TKeyNamePair{VK_OEM_6, "]"},
    TKeyNamePair{VK_OEM_7, "#"},
    TKeyNamePair{VK_OEM_8, "`"},
    TKeyNamePair{VK_OEM_102, "\\"},
};

} // namespace

std::uint16_t ShortCutOfStep(int Key, std::uint8_t Shift) {
    return ShortCutOf(Key & 0xFF, ModifiersOfStepShift(Shift));
}

std::string VirtualKeyName(std::uint16_t Key) {
    if ((Key >= VK_0 && Key <= VK_9) || (Key >= VK_A && Key <= VK_Z))
        return std::string(1, char(Key));
    if (Key >= VK_F1 && Key <= VK_F24)
        return "F" + std::to_string(Key - VK_F1 + 1);
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)
        return "Num " + std::to_string(Key - VK_NUMPAD0);
    for (const auto& Pair : KeyNameTable)
        if (Pair.Key == Key)
            return Pair.Name;
    return {};
}

std::string ShortCutToText(std::uint16_t ShortCut) {
    if (ShortCut == 0)
        return {};
    const TModifiers Modifiers = ModifiersOfShortCut(ShortCut);
    std::string Text;
    if (Modifiers.Shift)
        Text += "Shift+";
    if (Modifiers.Ctrl)
        Text += "Ctrl+";
    if (Modifiers.Alt)
        Text += "Alt+";
    return Text + VirtualKeyName(ShortCut & 0xFF);
}

} // namespace korvid
