#include "editor/EngLinePainter.h"

#include <gtest/gtest.h>

#include <string>

namespace korvid {
namespace {

TEST(LinePainter, RowsOfAClipBox) {
    struct TCase {
        int Top, Bottom, Expected1, Expected2;
    };
    // Rows of 16 pixels, 10 visible.
    const TCase Cases[] = {
        {0, 160, 1, 11}, // the whole window takes the partly visible row too
        {0, 16, 1, 1},   {16, 48, 2, 3},
        {20, 21, 2, 2},  {150, 170, 10, 11}, // the row below the last full one
    };
    for (const TCase& T : Cases)
        EXPECT_EQ(RowsToPaint(T.Top, T.Bottom, 16, 10), (TRowRange{T.Expected1, T.Expected2}))
            << T.Top << ".." << T.Bottom;
}

TEST(LinePainter, VisibleTextExpandsTabsFromTheLeftColumn) {
    EXPECT_EQ(VisibleLineText("a\tb", 4, 0, 10), "a   b");
    EXPECT_EQ(VisibleLineText("a\tb", 4, 2, 10), "  b");
    EXPECT_EQ(VisibleLineText("abcdef", 8, 2, 3), "cde");
    EXPECT_EQ(VisibleLineText("abc", 8, 5, 10), ""); // scrolled out to the left
    EXPECT_EQ(VisibleLineText("\t\t", 8, 0, 10), std::string(10, ' '));
}

TEST(LinePainter, TabExpansionStopsAtTheWindow) {
    // A long paragraph of tabs expands no further than what the window shows.
    const std::string Tabs(100000, '\t');
    EXPECT_EQ(VisibleLineText(Tabs, 255, 10, 20), std::string(20, ' '));
    EXPECT_EQ(ExpandedWidth(Tabs, 255, 30), 30);
    EXPECT_EQ(ExpandedWidth("a\tb", 4, 100), 5);
}

TEST(LinePainter, SelectionRunsOnALine) {
    struct TCase {
        int Line;
        int Left;
        TSelectionSpan Sel;
        std::vector<TTextRun> Runs;
    };
    // Ten visible characters on each line.
    const TCase Cases[] = {
        {1, 0, {}, {{0, 10, false}}},
        {2, 0, {2, 3, 2, 6}, {{0, 2, false}, {2, 3, true}, {5, 5, false}}},
        {2, 0, {1, 5, 3, 2}, {{0, 10, true}}},               // a middle line
        {1, 0, {1, 5, 3, 2}, {{0, 4, false}, {4, 6, true}}}, // the first line
        {3, 0, {1, 5, 3, 2}, {{0, 1, true}, {1, 9, false}}}, // the last line
        {2, 4, {2, 3, 2, 8}, {{0, 3, true}, {3, 7, false}}}, // scrolled: start cut off
        {2, 20, {2, 3, 2, 8}, {{0, 10, false}}},             // selection left of the window
        {4, 0, {1, 5, 3, 2}, {{0, 10, false}}},
    };
    for (const TCase& T : Cases)
        EXPECT_EQ(SelectionRuns(10, T.Line, T.Left, T.Sel), T.Runs) << T.Line << " " << T.Left;
    EXPECT_TRUE(SelectionRuns(0, 2, 0, {1, 1, 3, 1}).empty());
}

TEST(LinePainter, MarkColourSaturates) {
    EXPECT_EQ(MarkColor(qRgb(255, 255, 255)), qRgb(223, 223, 223));
    EXPECT_EQ(MarkColor(qRgb(0, 0, 0)), qRgb(32, 32, 32));
    // Darker on a light green, each channel held at 0 instead of wrapping round.
    EXPECT_EQ(MarkColor(qRgb(10, 200, 250)), qRgb(0, 168, 218));
    // Lighter, held at 255.
    EXPECT_EQ(MarkColor(qRgb(240, 100, 250)), qRgb(255, 132, 255));
}

} // namespace
} // namespace korvid
