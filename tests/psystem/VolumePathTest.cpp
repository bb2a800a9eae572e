#include "psystem/VolumePath.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(VolumePath, ParsesAndFormatsBothForms) {
    struct TCase {
        std::string Text;
        TVolumePath Path;
    };
    const TCase Cases[] = {
        {"/data/work.vol>NOTES.TEXT", {"/data/work.vol", "", "NOTES.TEXT"}},
        {"/data/work.vol>SUB.SVOL:B.TEXT", {"/data/work.vol", "SUB.SVOL", "B.TEXT"}},
        {"C:\\vols\\a.vol>X", {"C:\\vols\\a.vol", "", "X"}},
    };
    for (const TCase& Case : Cases) {
        const auto Parsed = ParseVolumePath(Case.Text);
        ASSERT_TRUE(Parsed.has_value()) << Case.Text;
        EXPECT_EQ(*Parsed, Case.Path) << Case.Text;
        EXPECT_EQ(FormatVolumePath(*Parsed), Case.Text);
        EXPECT_TRUE(IsVolumePath(Case.Text));
    }
}

TEST(VolumePath, RefusesIncompleteNames) {
    for (const char* Text : {"/data/work.vol", ">FILE", "/a.vol>", "/a.vol>SUB.SVOL:", "/a.vol>:F"})
        EXPECT_FALSE(ParseVolumePath(Text).has_value()) << Text;
    EXPECT_FALSE(IsVolumePath("/data/plain.txt"));
}

} // namespace
} // namespace korvid
