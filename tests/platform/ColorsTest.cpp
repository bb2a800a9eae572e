#include "platform/Colors.h"

#include <QColor>
#include <QPalette>
#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(Colors, RgbHasRedInTheLowByte) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(ColorToQColor(0x563412u, QPalette()), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(QColorToColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

TEST(Colors, SystemColorsFollowThePalette) {
    QPalette Palette;
    Palette.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
    Palette.setColor(QPalette::Active, QPalette::Highlight, QColor(4, 5, 6));
    EXPECT_EQ(ColorToQColor(clWindow, Palette), QColor(1, 2, 3));
    EXPECT_EQ(ColorToQColor(clHighlight, Palette), QColor(4, 5, 6));
}

} // namespace
} // namespace korvid
