#include "platform/QtVirtualKeys.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(QtVirtualKeys, KeysAndTheirVirtualKeys) {
    struct TCase {
        int QtKey;
        bool Keypad;
        int Vk;
    };
    const TCase Cases[] = {
        {Qt::Key_A, false, VK_A},
        {Qt::Key_Z, false, 0x5A},
        {Qt::Key_0, false, VK_0},
        {Qt::Key_7, true, 0x67},
        {Qt::Key_F1, false, VK_F1},
        {Qt::Key_F12, false, 0x7B},
        {Qt::Key_Return, false, VK_RETURN},
        {Qt::Key_Enter, true, VK_RETURN},
        {Qt::Key_Backtab, false, VK_TAB},
        {Qt::Key_PageDown, false, VK_NEXT},
        {Qt::Key_Delete, false, VK_DELETE},
        {Qt::Key_Control, false, VK_CONTROL},
        {Qt::Key_Semicolon, false, VK_OEM_1},
        {Qt::Key_Eacute, false, 0},
        {Qt::Key_Plus, true, VK_ADD},
        {Qt::Key_AltGr, false, VK_MENU},
    };
    for (const TCase& T : Cases)
        EXPECT_EQ(QtKeyToVirtualKey(T.QtKey, T.Keypad), T.Vk) << std::hex << T.QtKey;
}

TEST(QtVirtualKeys, Modifiers) {
    EXPECT_EQ(ModifiersOfQt(Qt::ShiftModifier | Qt::AltModifier), (TModifiers{true, false, true}));
    EXPECT_EQ(ModifiersOfQt(Qt::ControlModifier | Qt::KeypadModifier),
              (TModifiers{false, true, false}));
}

} // namespace
} // namespace korvid
