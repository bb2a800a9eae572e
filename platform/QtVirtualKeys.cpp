#include "platform/QtVirtualKeys.h"

#include <array>
#include <utility>

namespace korvid {

namespace {

constexpr int VK_NUMPAD0 = 0x60;

constexpr std::array<std::pair<int, int>, 25> FixedKeys{{
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},    {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},  {Qt::Key_Alt, VK_MENU},        {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},     {Qt::Key_PageDown, VK_NEXT},   {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},        {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},      {Qt::Key_Down, VK_DOWN},       {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_AltGr, VK_MENU},
}};

} // namespace

int QtKeyToVirtualKey(int QtKey, bool Keypad) {
    if (Keypad && QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9)
        return VK_NUMPAD0 + (QtKey - Qt::Key_0);
    // Qt's codes of digits and upper-case letters are their characters, as are the virtual keys.
    if ((QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9) || (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z))
        return QtKey;
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
        return VK_F1 + (QtKey - Qt::Key_F1);
    for (const auto& [Q, Vk] : FixedKeys)
        if (Q == QtKey)
            return Vk;
    return 0;
}

TModifiers ModifiersOfQt(Qt::KeyboardModifiers Modifiers) {
    return {Modifiers.testFlag(Qt::ShiftModifier), Modifiers.testFlag(Qt::ControlModifier),
            Modifiers.testFlag(Qt::AltModifier)};
}

} // namespace korvid
