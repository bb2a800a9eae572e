#include "editor/EngColors.h"
#include "editor/EngFixedFont.h"
#include "editor/engine/EngException.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(EngColors, ChangingAColourLeavesTheDefaults) {
    TEngColors C(clHighlight, clHighlightText);
    int Changes = 0;
    C.OnChange = [&] { ++Changes; };
    EXPECT_TRUE(C.UseDefault());
    EXPECT_EQ(C.BackColor(), clHighlight);
    EXPECT_EQ(C.TextColor(), clHighlightText);
    C.SetBackColor(clHighlight);
    EXPECT_EQ(Changes, 0);
    C.SetBackColor(clRed);
    EXPECT_FALSE(C.UseDefault());
    EXPECT_EQ(Changes, 1);
    C.SetUseDefault(true);
    EXPECT_EQ(C.BackColor(), clHighlight);
    EXPECT_EQ(Changes, 2);

    TEngColors Other(clWindow, clWindowText);
    Other.Assign(C);
    EXPECT_EQ(Other.BackColor(), clHighlight);
    EXPECT_EQ(Other.TextColor(), clHighlightText);
    EXPECT_FALSE(Other.UseDefault());
}

class FixedFont : public ::testing::Test {
protected:
    FixedFont() {
        SetFixedFontSource([] { return std::vector<std::string>{"DejaVu Sans Mono", "Courier"}; });
    }
    ~FixedFont() override { SetFixedFontSource(nullptr); }
};

TEST_F(FixedFont, StartsWithTheFirstListedFont) {
    const TEngFixedFont F;
    EXPECT_EQ(F.Name(), "DejaVu Sans Mono");
    EXPECT_TRUE(IsFixedFont("Courier"));
    EXPECT_FALSE(IsFixedFont("courier")); // names match exactly
}

TEST_F(FixedFont, ANameThatIsNoFixedFontIsIgnored) {
    TEngFixedFont F;
    int Changes = 0;
    F.OnChange = [&] { ++Changes; };
    F.SetName("DejaVu Sans");
    EXPECT_EQ(F.Name(), "DejaVu Sans Mono");
    EXPECT_EQ(Changes, 0);
    F.SetName("Courier");
    EXPECT_EQ(F.Name(), "Courier");
    EXPECT_EQ(Changes, 1);
}

TEST_F(FixedFont, AssigningAProportionalFontRaisesAndKeepsTheName) {
    TEngFixedFont F;
    QFont Proportional("DejaVu Sans", 14);
    try {
        F.Assign(Proportional);
        FAIL() << "no exception";
    } catch (const EInvalidFixedFont& E) {
        EXPECT_STREQ(E.what(), "Invalid font assignment. Font must be a fixed font");
    }
    EXPECT_EQ(F.Name(), "DejaVu Sans Mono");
    EXPECT_NE(F.Size(), 14);

    F.Assign(QFont("Courier", 14));
    EXPECT_EQ(F.Name(), "Courier");
    EXPECT_EQ(F.Size(), 14);
}

TEST_F(FixedFont, StyleAndColourPassThrough) {
    TEngFixedFont F;
    F.SetStyle(fsBold | fsItalic);
    F.SetColor(clNavy);
    EXPECT_EQ(F.Style(), fsBold | fsItalic);
    TEngFixedFont Copy;
    Copy.Assign(F);
    EXPECT_EQ(Copy.Style(), fsBold | fsItalic);
    EXPECT_EQ(Copy.Color(), clNavy);
}

TEST(FixedFontList, TheInstalledListHoldsOnlyFixedPitchFamilies) {
    const std::vector<std::string> Names = InstalledFixedFonts();
    ASSERT_FALSE(Names.empty());
    EXPECT_NE(std::find(Names.begin(), Names.end(), "DejaVu Sans Mono"), Names.end());
    EXPECT_EQ(std::find(Names.begin(), Names.end(), "DejaVu Sans"), Names.end());
}

} // namespace
} // namespace korvid
