#include "ui/BarGeometry.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TDockSlot Slot(int Id, int Row, int Pos, int Length, int BaseSize = 22, bool FullSize = false) {
    TDockSlot S;
    S.Id = Id;
    S.DockRow = Row;
    S.DockPos = Pos;
    S.Length = Length;
    S.BaseSize = BaseSize;
    S.FullSize = FullSize;
    return S;
}

const TDockSlot& ById(const std::vector<TDockSlot>& Bars, int Id) {
    for (const auto& B : Bars)
        if (B.Id == Id)
            return B;
    throw std::logic_error("no such bar");
}

TEST(DockArrangement, EmptyDockTakesNoRoomUnlessFixAlign) {
    std::vector<TDockSlot> None;
    EXPECT_EQ(ArrangeDock(None, {false, false, false, 500}).Thickness, 0);
    EXPECT_EQ(ArrangeDock(None, {false, true, false, 500}).Thickness, 1);
}

TEST(DockArrangement, Table) {
    struct TCase {
        const char* Name;
        std::vector<TDockSlot> Bars;
        int ClientLength;
        std::vector<std::pair<int, TBarRect>> Expected; // id, bounds
        int Thickness;
    };
    const std::vector<TCase> Cases = {
        {"second bar moves past the first",
         {Slot(1, 0, 0, 100), Slot(2, 0, 10, 50)},
         500,
         {{1, {0, 0, 100, 26}}, {2, {100, 0, 150, 26}}},
         26},
        {"full-size bar takes its row alone",
         {Slot(1, 0, 0, 100), Slot(2, 0, 150, 60, 22, true), Slot(3, 1, 0, 40)},
         300,
         {{2, {0, 0, 300, 26}}, {1, {0, 26, 100, 52}}, {3, {0, 52, 40, 78}}},
         78},
        {"overflow pulls the last bar back to the edge",
         {Slot(1, 0, 0, 50), Slot(2, 0, 120, 80)},
         150,
         {{1, {0, 0, 50, 26}}, {2, {70, 0, 150, 26}}},
         26},
        {"overflow never before the previous bar's end",
         {Slot(1, 0, 0, 100), Slot(2, 0, 100, 100)},
         150,
         {{1, {0, 0, 100, 26}}, {2, {100, 0, 200, 26}}},
         26},
        {"rows are as thick as their thickest bar",
         {Slot(1, 0, 0, 30, 22), Slot(2, 1, 0, 30, 3)},
         300,
         {{1, {0, 0, 30, 26}}, {2, {0, 26, 30, 38}}},
         38},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        auto Bars = Case.Bars;
        const auto Result = ArrangeDock(Bars, {false, false, false, Case.ClientLength});
        EXPECT_EQ(Result.Thickness, Case.Thickness);
        for (const auto& [Id, Bounds] : Case.Expected)
            EXPECT_EQ(ById(Bars, Id).Bounds, Bounds) << "bar " << Id;
    }
}

TEST(DockArrangement, VerticalDockSwapsAxes) {
    std::vector<TDockSlot> Bars{Slot(1, 0, 0, 63, 23)};
    const auto Result = ArrangeDock(Bars, {true, false, false, 400});
    EXPECT_EQ(Bars[0].Bounds, (TBarRect{0, 0, 27, 63}));
    EXPECT_EQ(Result.Thickness, 27);
}

TEST(DockArrangement, BlankRowsCompactOverTwoArrangements) {
    std::vector<TDockSlot> Bars{Slot(1, 0, 0, 20), Slot(2, 3, 0, 20), Slot(3, 5, 0, 20)};
    const TDockSettings Settings{false, false, false, 400};
    ArrangeDock(Bars, Settings);
    EXPECT_EQ(ById(Bars, 2).DockRow, 2);
    EXPECT_EQ(ById(Bars, 3).DockRow, 3);
    ArrangeDock(Bars, Settings);
    EXPECT_EQ(ById(Bars, 2).DockRow, 1);
    EXPECT_EQ(ById(Bars, 3).DockRow, 2);
}

TEST(DockArrangement, BarsAtOnePlaceKeepTheirOrder) {
    std::vector<TDockSlot> Bars;
    for (int Id = 0; Id < 12; ++Id)
        Bars.push_back(Slot(Id, 0, 0, 10));
    ArrangeDock(Bars, {false, false, false, 400});
    for (int Id = 0; Id < 12; ++Id)
        EXPECT_EQ(ById(Bars, Id).DockPos, Id * 10);
}

TEST(DockArrangement, LimitToOneRowPutsAllOnRowZero) {
    std::vector<TDockSlot> Bars{Slot(1, 0, 0, 20), Slot(2, 2, 0, 20)};
    ArrangeDock(Bars, {false, false, true, 400});
    EXPECT_EQ(ById(Bars, 2).DockRow, 0);
    EXPECT_EQ(ById(Bars, 2).DockPos, 20);
}

TEST(DockRows, RowForDropAndRowAt) {
    const std::vector<int> Rows{22, 22}; // bands 0..26 and 26..52
    EXPECT_EQ(RowForDrop(Rows, 3), (TRowDrop{0, true}));
    EXPECT_EQ(RowForDrop(Rows, 13), (TRowDrop{0, false}));
    EXPECT_EQ(RowForDrop(Rows, 28), (TRowDrop{1, true}));
    EXPECT_EQ(RowForDrop(Rows, 40), (TRowDrop{1, false}));
    EXPECT_EQ(RowForDrop(Rows, 70), (TRowDrop{2, false}));
    EXPECT_EQ(RowForDrop({}, 3), (TRowDrop{0, true}));
    EXPECT_EQ(RowAt(Rows, 0), 0);
    EXPECT_EQ(RowAt(Rows, 25), 0);
    EXPECT_EQ(RowAt(Rows, 26), 1);
    EXPECT_EQ(RowAt(Rows, 60), 2);
}

// ---- Command-bar layout -----------------------------------------------------------------

TBarItem Button(int W = 23, int H = 22) {
    return {false, {W, H}};
}
TBarItem Separator(bool Blank = false) {
    TBarItem S;
    S.Separator = true;
    S.Blank = Blank;
    return S;
}

TEST(CommandBarLayout, EmptyBar) {
    EXPECT_EQ(LayOutBar({}, 0, false, MeasureThickness({}, 0), 0).ClientSize, (TBarSize{16, 11}));
    EXPECT_EQ(LayOutBar({}, 1, true, 26, 0).ClientSize, (TBarSize{8, 26}));
    EXPECT_EQ(LayOutBar({}, 2, true, 26, 0).ClientSize, (TBarSize{26, 8}));
}

TEST(CommandBarLayout, ButtonSeparatorButton) {
    const std::vector<TBarItem> Items{Button(), Separator(), Button()};
    struct TCase {
        const char* Name;
        int DockKind;
        bool Docked;
        TBarSize Client;
        TBarRect Second;
    };
    const TCase Cases[] = {
        {"horizontal dock", 1, true, {52, 22}, {29, 0, 52, 22}},
        {"vertical dock", 2, true, {23, 50}, {0, 28, 23, 50}},
        {"floating", 0, false, {60, 25}, {33, 2, 56, 24}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const auto Layout =
            LayOutBar(Items, Case.DockKind, Case.Docked, MeasureThickness(Items, Case.DockKind), 0);
        EXPECT_EQ(Layout.ClientSize, Case.Client);
        EXPECT_EQ(Layout.Places[2], Case.Second);
        EXPECT_TRUE(Layout.LineBreaks.empty());
    }
    EXPECT_EQ(LayOutBar(Items, 0, false, 22, 0).Places[0], (TBarRect{4, 2, 27, 24}));
}

TEST(CommandBarLayout, ShorterControlsCentreRoundingDown) {
    const auto Layout = LayOutBar({Button(23, 21), Button(23, 18)}, 1, true, 22, 0);
    EXPECT_EQ(Layout.Places[0].Top, 0);
    EXPECT_EQ(Layout.Places[1].Top, 2);
}

TEST(CommandBarLayout, SeparatorEndingAWrappedLineLeavesAGroove) {
    for (const bool Blank : {false, true}) {
        SCOPED_TRACE(Blank ? "blank" : "groove");
        const std::vector<TBarItem> Items{Button(), Button(), Separator(Blank), Button(), Button()};
        const auto Layout = LayOutBar(Items, 0, false, 22, 60);
        ASSERT_EQ(Layout.LineBreaks.size(), 1u);
        EXPECT_EQ(Layout.LineBreaks[0], (TLineBreak{2 + 22 + 6, Blank}));
        EXPECT_EQ(Layout.Places[2].Width(), 0);
        EXPECT_EQ(Layout.Places[3], (TBarRect{4, 30, 27, 52}));
        EXPECT_EQ(Layout.ClientSize, (TBarSize{54, 53}));
    }
}

TEST(CommandBarLayout, SixButtonsGiveSixFloatingSizes) {
    const std::vector<TBarItem> Items(6, Button());
    const std::vector<TBarSize> Expected{{146, 25}, {123, 47}, {100, 47},
                                         {77, 47},  {54, 69},  {31, 135}};
    EXPECT_EQ(FloatingSizes(Items), Expected);
}

// ---- Frames -----------------------------------------------------------------------------

TEST(BarFrames, OuterSizes) {
    EXPECT_EQ(DockedOuterSize({52, 22}, false, true), (TBarSize{65, 26}));
    EXPECT_EQ(DockedOuterSize({23, 50}, true, true), (TBarSize{27, 63}));
    EXPECT_EQ(DockedOuterSize({52, 22}, false, false), (TBarSize{56, 26}));
    EXPECT_EQ(FloatingOuterSize({60, 25}, {3, 14}), (TBarSize{66, 45}));
}

TEST(BarFrames, CaptionShortening) {
    const auto Measure = [](const std::string& S) { return static_cast<int>(S.size()) * 6; };
    struct TCase {
        const char* Text;
        int Width;
        const char* Shown;
    };
    const TCase Cases[] = {
        {"Standard", 48, "Standard"}, {"Standard", 47, "Stan..."}, {"Formatting", 36, "For..."},
        {"Formatting", 6, "Fo..."},   {"Ab", 0, "Ab..."},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(ShortenCaption(Case.Text, Case.Width, Measure), Case.Shown) << Case.Text;
}

// ---- Screen placement and drag targets --------------------------------------------------

TEST(BarScreen, KeepOnScreen) {
    const TBarRect Work{0, 0, 800, 600};
    EXPECT_EQ(KeepOnScreen({750, 100, 850, 150}, Work, false), (TBarRect{700, 100, 800, 150}));
    EXPECT_EQ(KeepOnScreen({-20, 580, 80, 630}, Work, false), (TBarRect{0, 550, 100, 600}));
    EXPECT_EQ(KeepOnScreen({750, 100, 850, 150}, Work, true), (TBarRect{750, 100, 850, 150}));
    EXPECT_EQ(KeepOnScreen({900, 100, 1000, 150}, Work, true), (TBarRect{700, 100, 800, 150}));
}

class DragTarget : public ::testing::Test {
protected:
    TDragInput Input(TBarPoint Cursor, bool Ctrl = false) {
        TDragInput I;
        I.Cursor = Cursor;
        I.Ctrl = Ctrl;
        I.DockableTo = {dpTop, dpBottom, dpLeft, dpRight};
        I.FloatingSize = {66, 45};
        I.WorkArea = {0, 0, 800, 600};
        return I;
    }
    // A 800x600 form: top dock 26 thick, an empty left dock below it.
    std::vector<TDockTarget> Docks{
        {dpTop, true, {0, 0, 800, 26}, {65, 26}},
        {dpLeft, true, {0, 26, 0, 600}, {27, 63}},
    };
    TDragStart Start{{10, 10}, {66, 45}};
};

TEST_F(DragTarget, Choice) {
    EXPECT_EQ(ChooseDragTarget(Input({300, 10}), Start, Docks).Dock, 0);
    EXPECT_EQ(ChooseDragTarget(Input({300, 10}, true), Start, Docks).Dock, std::nullopt);
    EXPECT_EQ(ChooseDragTarget(Input({2, 300}), Start, Docks).Dock, 1);
    EXPECT_EQ(ChooseDragTarget(Input({300, 300}), Start, Docks).Dock, std::nullopt);
    auto NoLeft = Input({2, 300});
    NoLeft.DockableTo = {dpTop, dpBottom, dpRight};
    EXPECT_EQ(ChooseDragTarget(NoLeft, Start, Docks).Dock, std::nullopt);
    EXPECT_EQ(ChooseDragTarget(Input({300, 10}), Start, Docks, [](int) { return false; }).Dock,
              std::nullopt);
}

TEST_F(DragTarget, FloatingOutlineKeepsThePressPointAndStaysReachable) {
    const auto Choice = ChooseDragTarget(Input({300, 300}), Start, Docks);
    EXPECT_EQ(Choice.Rect, (TBarRect{291, 291, 357, 336}));
    const auto Far = ChooseDragTarget(Input({2000, -500}, true), Start, Docks);
    EXPECT_GE(Far.Rect.Top, 0 - 3 - 14 + 4);
    EXPECT_LE(Far.Rect.Left, 800 - 7);
}

} // namespace
} // namespace korvid
