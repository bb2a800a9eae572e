#include "ui/CompilerProgressForm.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(CompilerProgressForm, RemembersItsPlace) {
    TFormPlace Place{30, 40};
    {
        TCompilerProgressForm Form(&Place);
        EXPECT_EQ(Form.pos(), QPoint(30, 40));
        Form.move(70, 80);
        EXPECT_FALSE(Form.Cancelled());
        Form.CancelButton->click();
        EXPECT_TRUE(Form.Cancelled());
        EXPECT_TRUE(Form.windowFlags() & Qt::WindowStaysOnTopHint);
    }
    EXPECT_EQ(Place.Left, 70);
    EXPECT_EQ(Place.Top, 80);
}

} // namespace
} // namespace korvid
