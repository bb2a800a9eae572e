#include "ui/VirtualKeys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(VirtualKeys, ShortCutTextPutsModifiersFirstInAFixedOrder) {
    struct TCase {
        std::uint16_t Code;
        const char* Text;
    };
    const TCase Cases[] = {
        {0, ""},
        {0x404E, "Ctrl+N"},
        {0x6053, "Shift+Ctrl+S"},
        {0x0072, "F3"},
        {0x4008, "Ctrl+BkSp"},
        {0xC00D, "Ctrl+Alt+Enter"},
        {0xE072, "Shift+Ctrl+Alt+F3"},
        {0xA049, "Shift+Alt+I"},
        {0x6031, "Shift+Ctrl+1"},
        {0xC028, "Ctrl+Alt+Down"},
        {0x0087, "F24"},
        {0x0009, "Tab"},
        {0x001B, "Esc"},
        {0x0020, "Space"},
        {0x0021, "PgUp"},
        {0x0022, "PgDn"},
        {0x0023, "End"},
        {0x0024, "Home"},
        {0x0025, "Left"},
        {0x0026, "Up"},
        {0x0027, "Right"},
        {0x002D, "Ins"},
        {0x002E, "Del"},
        {0x40DF, "Ctrl+`"},
        {0x40BF, "Ctrl+/"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ShortCutToText(Case.Code), Case.Text) << std::hex << Case.Code;
}

TEST(VirtualKeys, ShortCutCodesTakeTheLowByteOfTheKey) {
    EXPECT_EQ(ShortCutOfStep('N', StepCtrl), 0x404E);
    EXPECT_EQ(ShortCutOfStep(VK_F1 + 2, StepShift | StepCtrl | StepAlt), 0xE072);
    EXPECT_EQ(ShortCutOfStep(0x1272, 0), 0x0072);
}

TEST(VirtualKeys, QtKeysMapToVirtualKeys) {
    struct TCase {
        int QtKey;
        int Key;
    };
    const TCase Cases[] = {
        {Qt::Key_A, 'A'},
        {Qt::Key_Z, 'Z'},
        {Qt::Key_0, '0'},
        {Qt::Key_F1, VK_F1},
        {Qt::Key_F24, VK_F24},
        {Qt::Key_Backspace, VK_BACK},
        {Qt::Key_Return, VK_RETURN},
        {Qt::Key_Enter, VK_RETURN},
        {Qt::Key_PageDown, VK_NEXT},
        {Qt::Key_Slash, VK_OEM_2},
        {Qt::Key_QuoteLeft, VK_OEM_8},
        {Qt::Key_unknown, 0},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(QtKeyToVirtualKey(Case.QtKey), Case.Key) << Case.QtKey;
}

TEST(VirtualKeys, TheKeysLeftOfOneAndSlashGoByTheirPlace) {
    // On a layout where the key left of "1" types something else, its place still decides.
    QKeyEvent LeftOfOne(QEvent::KeyPress, Qt::Key_twosuperior, Qt::ControlModifier, 49, 0, 0);
    EXPECT_EQ(VirtualKeyFromEvent(LeftOfOne), VK_OEM_8);
    QKeyEvent Slash(QEvent::KeyPress, Qt::Key_Minus, Qt::ControlModifier, 61, 0, 0);
    EXPECT_EQ(VirtualKeyFromEvent(Slash), VK_OEM_2);
    // Shift+Ctrl+1 reports "!" on most layouts but is the digit key.
    QKeyEvent ShiftOne(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier,
                       10, 0, 0);
    EXPECT_EQ(VirtualKeyFromEvent(ShiftOne), '1');
    EXPECT_EQ(ShiftStateFromEvent(ShiftOne), StepShift | StepCtrl);
    QKeyEvent Keypad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(VirtualKeyFromEvent(Keypad), VK_NUMPAD0 + 5);
    QKeyEvent NoScanCode(QEvent::KeyPress, Qt::Key_F5, Qt::AltModifier);
    EXPECT_EQ(VirtualKeyFromEvent(NoScanCode), VK_F1 + 4);
    EXPECT_EQ(ShiftStateFromEvent(NoScanCode), StepAlt);
}

} // namespace
} // namespace korvid
