#include "editor/EngCaret.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace korvid {
namespace {

TEST(EngCaret, StartsAsAThinLineAtTheLeft) {
    const TEngCaret C;
    EXPECT_EQ(C.Shape(), csVertLine);
    EXPECT_EQ(C.Align(), caLeft);
    EXPECT_EQ(C.BlinkTime(), 0);
    EXPECT_EQ(C.CaretHeight(), 10);
    EXPECT_EQ(C.CaretWidth(), 2);
    EXPECT_FALSE(C.IsGray());
    EXPECT_TRUE(C.Bitmap().isNull());
}

TEST(EngCaret, ShapeSetsAlignmentAndSize) {
    struct TCase {
        TEngCaretShape Shape;
        TEngCaretAlign Align;
        int Width;
        int Height;
    };
    // Each shape starts from a custom 7 x 9 caret aligned to the top.
    const TCase Cases[] = {
        {csBlock, caLeft, 7, 9},      {csHalfBlock, caBottom, 7, 9}, {csVertLine, caLeft, 2, 9},
        {csHorzLine, caBottom, 7, 2}, {csCustom, caTop, 7, 9},
    };
    for (const TCase& T : Cases) {
        TEngCaret C;
        C.SetShape(csCustom);
        C.SetCaretWidth(7);
        C.SetCaretHeight(9);
        C.SetAlign(caTop);
        C.SetShape(T.Shape);
        EXPECT_EQ(C.Align(), T.Align) << T.Shape;
        EXPECT_EQ(C.CaretWidth(), T.Width) << T.Shape;
        EXPECT_EQ(C.CaretHeight(), T.Height) << T.Shape;
    }
    TEngCaret B;
    B.SetBitmap(QImage(5, 12, QImage::Format_RGB32));
    B.SetShape(csBitmap);
    EXPECT_EQ(B.CaretWidth(), 5);
    EXPECT_EQ(B.CaretHeight(), 12);
}

TEST(EngCaret, AnnouncesOnlyRealChanges) {
    TEngCaret C;
    int Changes = 0;
    C.OnChange = [&] { ++Changes; };
    C.SetCaretWidth(2);
    C.SetShape(csVertLine);
    EXPECT_EQ(Changes, 0);
    C.SetCaretWidth(3);
    C.SetShape(csBlock);
    C.SetIsGray(true);
    EXPECT_EQ(Changes, 3);
}

TEST(EngCaret, GeometryInACell) {
    struct TCase {
        TEngCaretShape Shape;
        TEngCaretAlign Align;
        int Width; // the caret's own size, for custom carets
        int Height;
        TCaretGeometry Expected;
    };
    // A cell of 10 x 16 pixels.
    const TCase Cases[] = {
        {csBlock, caLeft, 2, 10, {10, 16, 0, 0}},     {csHalfBlock, caBottom, 2, 10, {10, 8, 0, 8}},
        {csVertLine, caLeft, 2, 10, {2, 16, 0, 0}},   {csVertLine, caCenter, 2, 10, {2, 16, 4, 0}},
        {csHorzLine, caBottom, 2, 2, {10, 2, 0, 14}}, {csCustom, caLeft, 3, 5, {3, 5, 0, 5}},
        {csCustom, caTop, 3, 5, {3, 5, 3, 0}},        {csCustom, caRight, 3, 5, {3, 5, 7, 5}},
        {csCustom, caBottom, 3, 5, {3, 5, 3, 11}},    {csCustom, caCenter, 3, 5, {3, 5, 3, 5}},
    };
    for (const TCase& T : Cases) {
        TEngCaret C;
        C.SetShape(T.Shape);
        C.SetAlign(T.Align);
        C.SetCaretWidth(T.Width);
        C.SetCaretHeight(T.Height);
        EXPECT_EQ(CaretGeometry(C, 10, 16), T.Expected) << T.Shape << " " << T.Align;
    }
}

TEST(EngCaret, BitmapCaretsSubtractTheHotSpot) {
    TEngCaret C;
    C.SetBitmap(QImage(4, 6, QImage::Format_RGB32));
    C.SetShape(csBitmap);
    C.SetBitmapHotSpotX(1);
    C.SetBitmapHotSpotY(2);
    EXPECT_EQ(CaretGeometry(C, 10, 16), (TCaretGeometry{4, 6, -1, 5 - 2}));
}

TEST(EngCaretPair, InsertAndOverwriteCaretsFollowTheMode) {
    QWidget W;
    TEngCaretPair Pair(&W);
    EXPECT_EQ(Pair.InsertCaret()->Shape(), csVertLine);
    EXPECT_EQ(Pair.OverwriteCaret()->Shape(), csBlock);
    EXPECT_TRUE(Pair.InsertMode());
    EXPECT_EQ(Pair.Caret(), Pair.InsertCaret());
    Pair.SetCellWidth(8);
    Pair.SetCellHeight(16);
    EXPECT_EQ(Pair.Geometry(), (TCaretGeometry{2, 16, 0, 0}));
    Pair.SetInsertMode(false);
    EXPECT_EQ(Pair.Caret(), Pair.OverwriteCaret());
    EXPECT_EQ(Pair.Geometry(), (TCaretGeometry{8, 16, 0, 0}));

    // A replaced caret is linked at once only for the current mode.
    auto Other = std::make_shared<TEngCaret>();
    Other->SetShape(csHorzLine);
    Pair.SetInsertCaret(Other);
    EXPECT_EQ(Pair.Caret(), Pair.OverwriteCaret());
    Pair.SetInsertMode(true);
    EXPECT_EQ(Pair.Geometry(), (TCaretGeometry{8, 2, 0, 14}));
    // Changes of the shared look reach the pair.
    Other->SetShape(csBlock);
    EXPECT_EQ(Pair.Geometry(), (TCaretGeometry{8, 16, 0, 0}));
}

TEST(EngSingleCaret, LineCaretsSitOnePixelLeftOfTheCell) {
    QWidget W;
    TEngCaretPair Pair(&W);
    Pair.SetCellWidth(8);
    Pair.SetCellHeight(16);
    EXPECT_EQ(Pair.PlacementX(40), 39);
    Pair.InsertCaret()->SetShape(csCustom);
    Pair.InsertCaret()->SetCaretWidth(5);
    EXPECT_EQ(Pair.PlacementX(40), 40);
    for (TEngCaretShape S : {csBlock, csHalfBlock, csHorzLine}) {
        Pair.InsertCaret()->SetShape(S);
        EXPECT_EQ(Pair.PlacementX(40), 40) << S;
    }
}

TEST(EngSingleCaret, ShowsOnlyWithAWindowAndAPosition) {
    TEngSingleCaret Windowless(nullptr);
    Windowless.SetVisible(true);
    EXPECT_FALSE(Windowless.Visible());

    QWidget W;
    TEngSingleCaret C(&W);
    C.SetCellWidth(8);
    C.SetCellHeight(16);
    C.SetVisible(true);
    C.SetShown(true);
    EXPECT_TRUE(C.Rect().isEmpty()); // no position yet
    C.SetPosition(20, 32);
    EXPECT_EQ(C.Rect(), QRect(20, 32, 2, 16));
    C.SetPosition(-1, 32);
    EXPECT_EQ(C.X(), TEngSingleCaret::NoPosition);
    EXPECT_TRUE(C.Rect().isEmpty());
}

TEST(EngSingleCaret, BlinkTimeBelongsToTheCaret) {
    QWidget W;
    TEngSingleCaret C(&W);
    C.Caret()->SetBlinkTime(123);
    EXPECT_EQ(C.BlinkInterval(), 123);
}

} // namespace
} // namespace korvid
