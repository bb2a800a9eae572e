#include "ui/ButtonGlyph.h"
#include "ui/InvalidOperation.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace korvid {
namespace {

constexpr QRgb Fuchsia = 0xFF00FF;
constexpr QRgb Black = 0x000000;
constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Silver = 0xC0C0C0;
constexpr QRgb Grey = 0x808080;
constexpr TGlyphColors Colors{0x102030, 0xF0F0F0, 0x404040};

QImage ImageOf(std::initializer_list<std::initializer_list<QRgb>> Rows) {
    const int Height = int(Rows.size());
    const int Width = int(Rows.begin()->size());
    QImage Image(Width, Height, QImage::Format_RGB32);
    int Y = 0;
    for (const auto& Row : Rows) {
        int X = 0;
        for (QRgb Pixel : Row)
            Image.setPixel(X++, Y, 0xFF000000u | Pixel);
        ++Y;
    }
    return Image;
}

// One letter per pixel: "." transparent, "S" shadow, "H" highlight, "?" anything else.
std::vector<std::string> Describe(const QImage& Picture) {
    std::vector<std::string> Rows;
    for (int Y = 0; Y < Picture.height(); ++Y) {
        std::string Row;
        for (int X = 0; X < Picture.width(); ++X) {
            const QRgb Pixel = Picture.pixel(X, Y);
            if (qAlpha(Pixel) == 0)
                Row += '.';
            else if ((Pixel & 0xFFFFFF) == Colors.Shadow)
                Row += 'S';
            else if ((Pixel & 0xFFFFFF) == Colors.Highlight)
                Row += 'H';
            else
                Row += '?';
        }
        Rows.push_back(Row);
    }
    return Rows;
}

QImage SolidGlyph(int Width, int Height, QRgb Color) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    Image.fill(QColor::fromRgb(Color));
    Image.setPixel(0, Height - 1, 0xFF000000u | Fuchsia);
    return Image;
}

// Dark pixels, a white and a silver one, and the transparent colour in the bottom-left corner.
const QImage Cell =
    ImageOf({{Fuchsia, Black, White}, {Black, Silver, Black}, {Fuchsia, Grey, Fuchsia}});

TEST(EmbossedGlyph, NewStyleEmbossesEverythingDarkerThanSilver) {
    const std::vector<std::string> Expected{".S..", "S.S.", ".S.H", "..H."};
    EXPECT_EQ(Describe(EmbossedGlyph(Cell, Fuchsia, Colors, false)), Expected);
}

TEST(EmbossedGlyph, OldStyleEmbossesOnlyBlack) {
    const std::vector<std::string> Expected{".S..", "S.S.", ".H.H", "...."};
    EXPECT_EQ(Describe(EmbossedGlyph(Cell, Fuchsia, Colors, true)), Expected);
}

TEST(EmbossedGlyph, AMaskBitmapDecidesTransparencyInsteadOfTheColour) {
    // The mask makes the black top-middle pixel transparent and the corner colour solid.
    const QImage Mask =
        ImageOf({{Black, White, Black}, {Black, Black, Black}, {Black, Black, Black}});
    const std::vector<std::string> Expected{"S...", "SHS.", "SSSH", ".HHH"};
    EXPECT_EQ(Describe(EmbossedGlyph(Cell, Fuchsia, Colors, false, &Mask)), Expected);
}

TEST(RecolouredDisabledGlyph, WhiteAndGreyTakeTheButtonColours) {
    const QImage Disabled = ImageOf({{White, Grey}, {Fuchsia, Black}});
    const QImage Picture = RecolouredDisabledGlyph(Disabled, Fuchsia, Colors);
    const std::vector<std::string> Expected{"HS.", ".?.", "..."};
    EXPECT_EQ(Describe(Picture), Expected);
    EXPECT_EQ(Picture.pixel(1, 1) & 0xFFFFFF, Black);
}

TEST(PatternImage, IsAHalftoneOfFaceAndHighlight) {
    const QImage Pattern = PatternImage(Colors.Face, Colors.Highlight);
    ASSERT_EQ(Pattern.size(), QSize(8, 8));
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 0; X < 8; ++X)
            EXPECT_EQ(Pattern.pixel(X, Y) & 0xFFFFFF,
                      (X % 2 == Y % 2) ? Colors.Highlight : Colors.Face);
}

TEST(ButtonGlyph, TheNumberOfPicturesFollowsTheBitmapShape) {
    TButtonGlyph Glyph;
    Glyph.SetGlyph(SolidGlyph(64, 16, Black));
    EXPECT_EQ(Glyph.NumGlyphs(), 4);
    Glyph.SetGlyph(SolidGlyph(96, 16, Black)); // six would be too many
    EXPECT_EQ(Glyph.NumGlyphs(), 1);
    Glyph.SetGlyph(SolidGlyph(64, 16, Black));
    Glyph.SetGlyph(SolidGlyph(20, 16, Black)); // not a whole multiple: unchanged
    EXPECT_EQ(Glyph.NumGlyphs(), 4);
    EXPECT_EQ(Glyph.CellSize(), QSize(5, 16));
    EXPECT_EQ(Glyph.TransparentColor(), Fuchsia);
}

TEST(ButtonGlyph, MorePicturesThanPixelsMeansNoGlyph) {
    TButtonGlyph Glyph;
    Glyph.SetGlyph(SolidGlyph(3, 16, Black));
    Glyph.SetNumGlyphs(4);
    EXPECT_TRUE(Glyph.CellSize().isEmpty());
    EXPECT_TRUE(Glyph.Picture(cbsUp).isNull());
    EXPECT_TRUE(Glyph.Picture(cbsDisabled).isNull());
}

TEST(ButtonGlyph, StatesWithoutTheirOwnCellShowTheUpPicture) {
    TButtonGlyph Glyph;
    Glyph.SetColors(Colors);
    Glyph.SetGlyph(SolidGlyph(16, 16, Black));
    const QImage Up = Glyph.Picture(cbsUp);
    EXPECT_EQ(Glyph.Picture(cbsDown), Up);
    EXPECT_EQ(Glyph.Picture(cbsMouseIn), Up);
    EXPECT_EQ(Glyph.Picture(cbsExclusive), Up);
    EXPECT_EQ(qAlpha(Up.pixel(0, 15)), 0);
    EXPECT_EQ(Up.pixel(5, 5) & 0xFFFFFF, Black);
    // The disabled picture is embossed from the up cell, one pixel larger.
    EXPECT_EQ(Glyph.Picture(cbsDisabled).size(), QSize(17, 17));

    // With four cells each state has its own picture.
    QImage Strip(64, 16, QImage::Format_RGB32);
    const QRgb Cells[] = {0x0000FF, 0x808080, 0x00FF00, 0xFF0000};
    for (int C = 0; C < 4; ++C)
        for (int Y = 0; Y < 16; ++Y)
            for (int X = 0; X < 16; ++X)
                Strip.setPixel(C * 16 + X, Y, 0xFF000000u | Cells[C]);
    Strip.setPixel(0, 15, 0xFF000000u | Fuchsia);
    Glyph.SetGlyph(Strip);
    EXPECT_EQ(Glyph.Picture(cbsDown).pixel(5, 5) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Glyph.Picture(cbsExclusive).pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Glyph.Picture(cbsMouseIn).pixel(5, 5) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(Glyph.Picture(cbsDisabled).pixel(5, 5) & 0xFFFFFF, Colors.Shadow);
}

TEST(GlyphLists, SlotsAreReusedAndSizesChecked) {
    TGlyphList List(4, 4);
    const QImage Picture = SolidGlyph(4, 4, Black);
    const int First = List.AddMasked(Picture, Fuchsia);
    const int Second = List.AddMasked(Picture, Fuchsia);
    EXPECT_EQ(List.Count(), 2);
    List.Delete(First);
    List.Delete(First); // a free slot is left alone
    EXPECT_EQ(List.Count(), 1);
    EXPECT_EQ(List.AddMasked(Picture, Fuchsia), First);
    EXPECT_NE(Second, First);
    try {
        List.AddMasked(SolidGlyph(3, 4, Black), Fuchsia);
        FAIL() << "a narrow picture was accepted";
    } catch (const EInvalidOperation& Error) {
        EXPECT_STREQ(Error.what(), "Invalid image size");
    }
    EXPECT_EQ(List.Count(), 2);
}

TEST(GlyphLists, PicturesOfOneSizeShareAListThatGoesWithTheLastOfThem) {
    {
        TButtonGlyph A;
        TButtonGlyph B;
        A.SetGlyph(SolidGlyph(16, 16, Black));
        B.SetGlyph(SolidGlyph(16, 16, White));
        A.Picture(cbsUp);
        B.Picture(cbsUp);
        ASSERT_NE(GlyphCache(), nullptr);
        TGlyphList* Shared = GlyphCache()->GetList(16, 16);
        EXPECT_EQ(Shared->Count(), 2);
        EXPECT_EQ(GlyphCache()->GetList(16, 16), Shared);
        B.SetGlyph(QImage());
        EXPECT_EQ(Shared->Count(), 1);
    }
    EXPECT_EQ(GlyphCache(), nullptr);
}

TButtonLayoutResult Layout(QRect Client, QSize Glyph, const QString& Caption, TButtonLayout Kind,
                           int Margin, int Spacing, bool Arrow = false) {
    TButtonLayoutInput Input;
    Input.Client = Client;
    Input.Glyph = Glyph;
    Input.Caption = Caption;
    Input.Layout = Kind;
    Input.Margin = Margin;
    Input.Spacing = Spacing;
    Input.DrawArrow = Arrow;
    return CalcButtonLayout(Input);
}

TEST(ButtonLayout, AGlyphAloneIsCentred) {
    const auto Parts = Layout(QRect(1, 1, 21, 20), QSize(16, 16), "", blGlyphLeft, -1, 4);
    EXPECT_EQ(Parts.GlyphPos, QPoint(4, 3));
}

TEST(ButtonLayout, NoMarginAndNoSpacingSplitTheFreeSpaceInThree) {
    const QString Caption = "Go";
    const int CaptionWidth = QFontMetrics(QFont())
                                 .boundingRect(QRect(0, 0, 100, 0), Qt::TextSingleLine, Caption)
                                 .width();
    const int Width = 100;
    const auto Parts = Layout(QRect(0, 0, Width, 24), QSize(16, 16), Caption, blGlyphLeft, -1, -1);
    const int Third = (Width - 16 - CaptionWidth) / 3;
    EXPECT_EQ(Parts.GlyphPos.x(), Third);
    EXPECT_EQ(Parts.TextBounds.left(), Third + 16 + Third);
}

TEST(ButtonLayout, AVerticalLayoutWithoutGlyphLaysOutLikeGlyphLeft) {
    const QRect Client(0, 0, 80, 40);
    const auto Top = Layout(Client, QSize(), "Text", blGlyphTop, -1, 4);
    const auto Left = Layout(Client, QSize(), "Text", blGlyphLeft, -1, 4);
    EXPECT_EQ(Top.TextBounds, Left.TextBounds);
}

TEST(ButtonLayout, GlyphRightAndBottomCountFromTheFarEdge) {
    const auto Right = Layout(QRect(0, 0, 40, 22), QSize(16, 16), "", blGlyphRight, 3, 4, true);
    EXPECT_EQ(Right.ArrowPos.x(), 40 - 3 - 9);
    EXPECT_EQ(Right.GlyphPos.x(), 40 - 3 - 9 - 16);
    EXPECT_EQ(Right.ArrowPos.y(), Right.GlyphPos.y() + 6);
    const auto Bottom = Layout(QRect(0, 0, 22, 40), QSize(16, 16), "", blGlyphBottom, 2, 4);
    EXPECT_EQ(Bottom.GlyphPos, QPoint(3, 40 - 2 - 16));
    const auto Moved = Layout(QRect(5, 7, 22, 40), QSize(16, 16), "", blGlyphBottom, 2, 4);
    EXPECT_EQ(Moved.GlyphPos, Bottom.GlyphPos + QPoint(5, 7));
}

} // namespace
} // namespace korvid
