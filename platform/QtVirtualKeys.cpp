#include "platform/QtVirtualKeys.h"

#include <QKeyEvent>
#include <array>

namespace korvid {

namespace {

// X keyboard scan codes (evdev code plus 8) of the keys mapped by their place.
constexpr std::uint32_t xkGrave = 49; // left of "1"
constexpr std::uint32_t xkSlash = 61;
constexpr std::uint32_t xkDigit1 = 10; // "1" .. "9", then "0" at 19
constexpr std::uint32_t xkDigit0 = 19;

struct TQtKeyPair {
    int QtKey;
    std::uint16_t Key;
};

constexpr std::array QtKeyTable{
    TQtKeyPair{Qt::Key_Backspace, VK_BACK},
    TQtKeyPair{Qt::Key_Tab, VK_TAB},
    TQtKeyPair{Qt::Key_Backtab, VK_TAB},
    TQtKeyPair{Qt::Key_Return, VK_RETURN},
    TQtKeyPair{Qt::Key_Enter, VK_RETURN},
    TQtKeyPair{Qt::Key_Shift, VK_SHIFT},
    TQtKeyPair{Qt::Key_Control, VK_CONTROL},
    TQtKeyPair{Qt::Key_Alt, VK_MENU},
    TQtKeyPair{Qt::Key_Pause, VK_PAUSE},
    TQtKeyPair{Qt::Key_CapsLock, VK_CAPITAL},
    TQtKeyPair{Qt::Key_Escape, VK_ESCAPE},
    TQtKeyPair{Qt::Key_Space, VK_SPACE},
    TQtKeyPair{Qt::Key_PageUp, VK_PRIOR},
    TQtKeyPair{Qt::Key_PageDown, VK_NEXT},
    TQtKeyPair{Qt::Key_End, VK_END},
    TQtKeyPair{Qt::Key_Home, VK_HOME},
    TQtKeyPair{Qt::Key_Left, VK_LEFT},
    TQtKeyPair{Qt::Key_Up, VK_UP},
    TQtKeyPair{Qt::Key_Right, VK_RIGHT},
    TQtKeyPair{Qt::Key_Down, VK_DOWN},
    TQtKeyPair{Qt::Key_Insert, VK_INSERT},
    TQtKeyPair{Qt::Key_Delete, VK_DELETE},
    TQtKeyPair{Qt::Key_NumLock, VK_NUMLOCK},
    TQtKeyPair{Qt::Key_ScrollLock, VK_SCROLL},
    TQtKeyPair{Qt::Key_AltGr, VK_MENU},
    TQtKeyPair{Qt::Key_Semicolon, VK_OEM_1},
    TQtKeyPair{Qt::Key_Colon, VK_OEM_1},
    TQtKeyPair{Qt::Key_Equal, VK_OEM_PLUS},
    TQtKeyPair{Qt::Key_Plus, VK_OEM_PLUS},
    TQtKeyPair{Qt::Key_Comma, VK_OEM_COMMA},
    TQtKeyPair{Qt::Key_Less, VK_OEM_COMMA},
    TQtKeyPair{Qt::Key_Minus, VK_OEM_MINUS},
    TQtKeyPair{Qt::Key_Underscore, VK_OEM_MINUS},
    TQtKeyPair{Qt::Key_Period, VK_OEM_PERIOD},
    TQtKeyPair{Qt::Key_Greater, VK_OEM_PERIOD},
    TQtKeyPair{Qt::Key_Slash, VK_OEM_2},
    TQtKeyPair{Qt::Key_Question, VK_OEM_2},
    TQtKeyPair{Qt::Key_Apostrophe, VK_OEM_3},
    TQtKeyPair{Qt::Key_At, VK_OEM_3},
    TQtKeyPair{Qt::Key_BracketLeft, VK_OEM_4},
    TQtKeyPair{Qt::Key_BraceLeft, VK_OEM_4},
    TQtKeyPair{Qt::Key_Backslash, VK_OEM_102},
    TQtKeyPair{Qt::Key_Bar, VK_OEM_102},
    TQtKeyPair{Qt::Key_BracketRight, VK_OEM_6},
    TQtKeyPair{Qt::Key_BraceRight, VK_OEM_6},
    TQtKeyPair{Qt::Key_NumberSign, VK_OEM_7},
    TQtKeyPair{Qt::Key_AsciiTilde, VK_OEM_7},
    TQtKeyPair{Qt::Key_QuoteLeft, VK_OEM_8},
    TQtKeyPair{Qt::Key_notsign, VK_OEM_8},
    TQtKeyPair{Qt::Key_brokenbar, VK_OEM_8},
};

// The keypad's own keys, which Qt reports as the characters they type.
int KeypadKey(int QtKey) {
    if (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9)
        return VK_NUMPAD0 + (QtKey - Qt::Key_0);
    switch (QtKey) {
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    case Qt::Key_Period:
        return VK_DECIMAL;
    default:
        return 0;
    }
}

} // namespace

int QtKeyToVirtualKey(int QtKey, bool Keypad) {
    if (Keypad) {
        if (const int Key = KeypadKey(QtKey))
            return Key;
    }
    if ((QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9) || (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z))
        return QtKey;
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
        return VK_F1 + (QtKey - Qt::Key_F1);
    for (const auto& Pair : QtKeyTable)
        if (Pair.QtKey == QtKey)
            return Pair.Key;
    return 0;
}

int VirtualKeyToQtKey(int VirtualKey) {
    if ((VirtualKey >= '0' && VirtualKey <= '9') || (VirtualKey >= 'A' && VirtualKey <= 'Z'))
        return VirtualKey;
    if (VirtualKey >= VK_F1 && VirtualKey < VK_F1 + 24)
        return Qt::Key_F1 + (VirtualKey - VK_F1);
    for (const auto& Pair : QtKeyTable)
        if (Pair.Key == VirtualKey)
            return Pair.QtKey;
    if (VirtualKey >= VK_NUMPAD0 && VirtualKey <= VK_NUMPAD0 + 9)
        return Qt::Key_0 + (VirtualKey - VK_NUMPAD0);
    switch (VirtualKey) {
    case VK_MULTIPLY:
        return Qt::Key_Asterisk;
    case VK_ADD:
        return Qt::Key_Plus;
    case VK_SUBTRACT:
        return Qt::Key_Minus;
    case VK_DIVIDE:
        return Qt::Key_Slash;
    case VK_DECIMAL:
        return Qt::Key_Period;
    default:
        return 0;
    }
}

Qt::KeyboardModifiers QtModifiersOfStep(std::uint8_t Shift) {
    Qt::KeyboardModifiers Modifiers;
    if (Shift & StepShift)
        Modifiers |= Qt::ShiftModifier;
    if (Shift & StepAlt)
        Modifiers |= Qt::AltModifier;
    if (Shift & StepCtrl)
        Modifiers |= Qt::ControlModifier;
    return Modifiers;
}

std::uint16_t VirtualKeyFromScanCode(std::uint32_t NativeScanCode) {
    if (NativeScanCode == xkGrave)
        return VK_OEM_8;
    if (NativeScanCode == xkSlash)
        return VK_OEM_2;
    // Shift turns the digit keys into punctuation that differs between layouts.
    if (NativeScanCode >= xkDigit1 && NativeScanCode < xkDigit0)
        return std::uint16_t('1' + (NativeScanCode - xkDigit1));
    if (NativeScanCode == xkDigit0)
        return VK_0;
    return 0;
}

std::uint16_t VirtualKeyFromEvent(const QKeyEvent& Event) {
    const bool Keypad = Event.modifiers() & Qt::KeypadModifier;
    if (Keypad) {
        if (const int Key = KeypadKey(Event.key()))
            return std::uint16_t(Key);
    }
    if (const std::uint16_t ByPlace = VirtualKeyFromScanCode(Event.nativeScanCode()))
        return ByPlace;
    return std::uint16_t(QtKeyToVirtualKey(Event.key()));
}

std::uint8_t ShiftStateFromEvent(const QKeyEvent& Event) {
    const Qt::KeyboardModifiers Pressed = Event.modifiers();
    return StepShiftOf({Pressed.testFlag(Qt::ShiftModifier), Pressed.testFlag(Qt::ControlModifier),
                        Pressed.testFlag(Qt::AltModifier)});
}

TModifiers ModifiersOfQt(Qt::KeyboardModifiers Modifiers) {
    return {Modifiers.testFlag(Qt::ShiftModifier), Modifiers.testFlag(Qt::ControlModifier),
            Modifiers.testFlag(Qt::AltModifier)};
}

} // namespace korvid
