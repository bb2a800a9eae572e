#include "views/ColouredLinePainter.h"
#include "views/PluginModule.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

namespace korvid {
namespace {

constexpr int Cell = 8;
constexpr TColor Back = 0xF0F0F0;
constexpr TColor Plain = 0x111111;
constexpr TColor Keyword = 0x800000;
constexpr TColor SelText = 0xFFFFFF;
constexpr TColor SelBack = 0x800000 + 1;

// One drawing call as the canvas saw it.
struct TDrawn {
    bool IsText = false;
    TRunRect Rect;
    std::string Text;
    TColor Brush = 0;
    TColor Font = 0;
    bool Bold = false;
    bool Italic = false;
    friend bool operator==(const TDrawn&, const TDrawn&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const TDrawn& D) {
        return Out << (D.IsText ? "text '" + D.Text + "'" : std::string("fill")) << " ["
                   << D.Rect.Left << "," << D.Rect.Top << "," << D.Rect.Right << ","
                   << D.Rect.Bottom << "] brush " << std::hex << D.Brush << " font " << D.Font
                   << std::dec << (D.Bold ? " bold" : "") << (D.Italic ? " italic" : "");
    }
};

class TRecordingCanvas : public TRunCanvas {
public:
    explicit TRecordingCanvas(int CharWidth = Cell) : FCharWidth(CharWidth) {}

    TColor BrushColour() const override { return FBrush; }
    void SetBrushColour(TColor Colour) override { FBrush = Colour; }
    void SetFontColour(TColor Colour) override { FFont = Colour; }
    bool Bold() const override { return FBold; }
    bool Italic() const override { return FItalic; }
    void SetFontStyle(bool Bold, bool Italic) override { FBold = Bold, FItalic = Italic; }
    void FillRect(const TRunRect& Rect) override {
        Drawn.push_back({false, Rect, "", FBrush, 0, false, false});
    }
    void TextRect(const TRunRect& Clip, int, int, std::string_view Text) override {
        Drawn.push_back({true, Clip, std::string(Text), FBrush, FFont, FBold, FItalic});
    }
    void TextCells(const TRunRect& Clip, int X, int Y, int CellWidth,
                   std::string_view Text) override {
        EXPECT_EQ(CellWidth, FCharWidth);
        TextRect(Clip, X, Y, Text);
    }
    int TextWidth(std::string_view Text) override {
        return FCharWidth * static_cast<int>(Text.size());
    }

    std::vector<TDrawn> Drawn;
    // Text calls only, with their text joined per colour pair, to read a line at a glance.
    std::vector<TDrawn> Texts() const {
        std::vector<TDrawn> Result;
        for (const TDrawn& D : Drawn)
            if (D.IsText)
                Result.push_back(D);
        return Result;
    }

private:
    int FCharWidth;
    TColor FBrush = Back;
    TColor FFont = 0;
    bool FBold = false;
    bool FItalic = false;
};

class TTestPainter : public TColouredLinePainter {
public:
    TTestPainter() {
        View.BackgroundColour = Back;
        View.TextColour = Plain;
        View.SelectionTextColour = SelText;
        View.SelectionBackgroundColour = SelBack;
        View.Elements.Add({2, Keyword, true, false});
        View.Elements.Add({14, 0x008000, false, true});
        CharWidth = Cell;
    }

    TLineToDraw Line(std::string S, int LineNo = 1) {
        TLineToDraw L;
        L.Canvas = &Canvas;
        L.Rect = {10, 20, 10 + 40 * Cell, 36};
        L.S = std::move(S);
        L.Line = LineNo;
        L.Count = 40;
        return L;
    }
    // Draws the chunks given, as a plug-in would report them.
    void Paint(TLineToDraw L, std::vector<std::array<int, 3>> Chunks) {
        FChunks = std::move(Chunks);
        PaintLine(&ReportChunks, std::move(L));
    }

    TView View;
    TRecordingCanvas Canvas;
    std::vector<std::string> Document;
    std::vector<int> LinesAskedFor;

protected:
    const TView* ColouringView() const override { return &View; }
    void GetLineText(int LineNo, char* Buffer) override {
        LinesAskedFor.push_back(LineNo);
        if (LineNo >= 1 && LineNo <= static_cast<int>(Document.size()))
            std::strcpy(Buffer, Document[LineNo - 1].c_str());
    }

private:
    static void ReportChunks(void* Data, const char*, std::int32_t, std::int32_t,
                             TKorvidChunkProc ChunkProc, TKorvidGetLineProc) {
        for (const auto& [Id, Start, Length] : static_cast<TTestPainter*>(Data)->FChunks)
            ChunkProc(Data, static_cast<std::uint8_t>(Id), Start, Length);
    }

    std::vector<std::array<int, 3>> FChunks;
};

TDrawn Text(int Left, int Right, std::string S, TColor Brush, TColor Font, bool Bold = false,
            bool Italic = false) {
    return {true, {Left, 20, Right, 36}, std::move(S), Brush, Font, Bold, Italic};
}

TEST(ColouredLinePainterTest, ChunksTakeTheirElementColoursAndUnknownIdsThePlainText) {
    TTestPainter P;
    P.Paint(P.Line("end x"), {{2, 0, 3}, {0, 3, 1}, {99, 4, 1}});
    EXPECT_EQ(P.Canvas.Drawn.front(), (TDrawn{false, {10, 20, 330, 36}, "", Back, 0}));
    // Bold runs go one cell at a time.
    EXPECT_EQ(P.Canvas.Texts(), (std::vector<TDrawn>{
                                    Text(10, 18, "e", Back, Keyword, true),
                                    Text(18, 26, "n", Back, Keyword, true),
                                    Text(26, 34, "d", Back, Keyword, true),
                                    Text(34, 42, " ", Back, Plain),
                                    Text(42, 50, "x", Back, Plain),
                                }));
    EXPECT_EQ(P.Canvas.BrushColour(), Back);
}

TEST(ColouredLinePainterTest, ASelectionCutsAChunkIntoThreeRuns) {
    TTestPainter P;
    TLineToDraw L = P.Line("abcdefghij", 4);
    L.HBLine = L.HELine = 4;
    L.HBCol = 3;
    L.HECol = 7;
    P.Paint(L, {{14, 0, 10}});
    EXPECT_EQ(P.Canvas.Texts(), (std::vector<TDrawn>{
                                    Text(10, 18, "a", Back, 0x008000, false, true),
                                    Text(18, 26, "b", Back, 0x008000, false, true),
                                    Text(26, 34, "c", SelBack, SelText, false, true),
                                    Text(34, 42, "d", SelBack, SelText, false, true),
                                    Text(42, 50, "e", SelBack, SelText, false, true),
                                    Text(50, 58, "f", SelBack, SelText, false, true),
                                    Text(58, 66, "g", Back, 0x008000, false, true),
                                    Text(66, 74, "h", Back, 0x008000, false, true),
                                    Text(74, 82, "i", Back, 0x008000, false, true),
                                    Text(82, 90, "j", Back, 0x008000, false, true),
                                }));
}

TEST(ColouredLinePainterTest, SelectionsOverSeveralLines) {
    struct TCase {
        int Line;
        std::string Expected; // S marks a selected character, - another
    };
    // From line 2 column 4 to line 4 column 2.
    const TCase Cases[] = {
        {1, "------"}, {2, "---SSS"}, {3, "SSSSSS"}, {4, "S-----"}, {5, "------"}};
    for (const TCase& Case : Cases) {
        TTestPainter P;
        TLineToDraw L = P.Line("abcdef", Case.Line);
        L.HBLine = 2, L.HBCol = 4, L.HELine = 4, L.HECol = 2;
        P.Paint(L, {{0, 0, 6}});
        std::string Seen;
        for (const TDrawn& D : P.Canvas.Texts())
            Seen += std::string(D.Text.size(), D.Brush == SelBack ? 'S' : '-');
        EXPECT_EQ(Seen, Case.Expected) << "line " << Case.Line;
    }
}

TEST(ColouredLinePainterTest, RunsAreCutToTheVisibleColumns) {
    TTestPainter P;
    TLineToDraw L = P.Line("0123456789");
    L.Pos = 2;
    L.Count = 5;
    P.Paint(L, {{0, 0, 4}, {0, 4, 6}});
    EXPECT_EQ(P.Canvas.Texts(), (std::vector<TDrawn>{Text(10, 26, "23", Back, Plain),
                                                     Text(26, 50, "456", Back, Plain)}));
}

TEST(ColouredLinePainterTest, ChunksOutsideTheLineAreClamped) {
    TTestPainter P;
    P.Paint(P.Line("abcdef"),
            {{0, -3, 5}, {0, 2, 2147483647}, {0, 2147483647, 10}, {0, -2147483647 - 1, -5}});
    EXPECT_EQ(P.Canvas.Texts(), (std::vector<TDrawn>{Text(10, 26, "ab", Back, Plain),
                                                     Text(26, 58, "cdef", Back, Plain)}));
}

TEST(ColouredLinePainterTest, AChunkOutsideTheLineLeavesAMarkerLineAlone) {
    TTestPainter P;
    P.LineMarkers = {1};
    P.Paint(P.Line("ab"), {{0, 0, 2}, {0, -9, 3}});
    const std::vector<TDrawn> Texts = P.Canvas.Texts();
    ASSERT_EQ(Texts.size(), 2u);
    EXPECT_EQ(Texts[0].Text, "ab");
    EXPECT_EQ(Texts[1].Rect.Left, 26); // the marker fill after the text, nothing over it
}

TEST(ColouredLinePainterTest, MarkerLinesTakeTheMarkerColoursToTheRowsEnd) {
    TTestPainter P;
    P.LineMarkers = {3, -5};
    const TView& V = P.View;

    TLineToDraw Breakpoint = P.Line("ab", 3);
    P.Paint(Breakpoint, {{2, 0, 1}, {0, 1, 1}});
    EXPECT_EQ(P.Canvas.Texts(),
              (std::vector<TDrawn>{
                  Text(10, 18, "a", V.BreakpointBackgroundColour, V.BreakpointTextColour, true),
                  Text(18, 330, " ", V.BreakpointBackgroundColour, V.BreakpointTextColour, true),
                  Text(18, 26, "b", V.BreakpointBackgroundColour, V.BreakpointTextColour),
                  Text(26, 330, " ", V.BreakpointBackgroundColour, V.BreakpointTextColour),
              }));

    // Selected text on the execution point keeps the selection colours.
    P.Canvas.Drawn.clear();
    TLineToDraw Execution = P.Line("ab", 5);
    Execution.HBLine = Execution.HELine = 5;
    Execution.HBCol = 2;
    Execution.HECol = 3;
    P.Paint(Execution, {{0, 0, 2}});
    const TColor EB = V.ExecutionPointBackgroundColour;
    const TColor ET = V.ExecutionPointTextColour;
    EXPECT_EQ(P.Canvas.Texts(),
              (std::vector<TDrawn>{Text(10, 18, "a", EB, ET), Text(18, 26, "b", SelBack, SelText),
                                   Text(26, 330, " ", EB, ET)}));
}

TEST(ColouredLinePainterTest, EmptyAndBlankMarkerLinesAreFilledAcross) {
    for (const std::string S : {"", "  \t"}) {
        TTestPainter P;
        P.LineMarkers = {7};
        P.Paint(P.Line(S, 7), {});
        const TView& V = P.View;
        EXPECT_EQ(P.Canvas.Texts(),
                  (std::vector<TDrawn>{
                      Text(10, 18, " ", V.BreakpointBackgroundColour, V.BreakpointTextColour),
                      Text(18, 330, " ", V.BreakpointBackgroundColour, V.BreakpointTextColour),
                  }))
            << "'" << S << "'";
    }
    // Without markers an empty line is only the row's fill.
    TTestPainter P;
    P.Paint(P.Line(""), {});
    EXPECT_TRUE(P.Canvas.Texts().empty());
}

TEST(ColouredLinePainterTest, AForeignCanvasGetsBlackOnWhiteInItsOwnCells) {
    TTestPainter P;
    TRecordingCanvas Printer(20);
    P.LineMarkers = {1};
    TLineToDraw L = P.Line("ab");
    L.Canvas = &Printer;
    L.Foreign = true;
    L.HBLine = L.HELine = 1;
    L.HBCol = 1;
    L.HECol = 2;
    P.Paint(L, {{14, 0, 2}});
    EXPECT_EQ(Printer.Texts(),
              (std::vector<TDrawn>{Text(10, 30, "a", clWhite, clBlack, false, true),
                                   Text(30, 50, "b", clWhite, clBlack, false, true),
                                   Text(50, 330, " ", clWhite, clBlack, false, true)}));
    EXPECT_EQ(P.CharWidth, Cell);
}

TEST(ColouredLinePainterTest, AnUnderscoreInABoldRunIsDrawnPlain) {
    TTestPainter P;
    P.Paint(P.Line("a_b"), {{2, 0, 3}});
    const std::vector<TDrawn> Texts = P.Canvas.Texts();
    ASSERT_EQ(Texts.size(), 3u);
    EXPECT_TRUE(Texts[0].Bold);
    EXPECT_FALSE(Texts[1].Bold);
    EXPECT_EQ(Texts[1].Text, "_");
    EXPECT_TRUE(Texts[2].Bold);
}

TEST(ColouredLinePainterTest, CallbacksIgnorePointersThatAreNoPainter) {
    int NotAPainter = 0;
    char Buffer[KorvidLineBufferSize] = "old";
    EditorGetLineProc(&NotAPainter, 1, Buffer);
    EXPECT_STREQ(Buffer, "");
    EditorChunkProc(&NotAPainter, 1, 0, 1);
    EditorChunkProc(nullptr, 1, 0, 1);
    void* Gone = nullptr;
    {
        TTestPainter P;
        Gone = static_cast<TColouredLinePainter*>(&P);
        EXPECT_TRUE(TColouredLinePainter::IsLivePainter(Gone));
    }
    EXPECT_FALSE(TColouredLinePainter::IsLivePainter(Gone));
}

TEST(ColouredLinePainterTest, ChunksReportedAfterThePaintDrawNothing) {
    TTestPainter P;
    P.Paint(P.Line("end x"), {{2, 0, 3}});
    const std::size_t Drawn = P.Canvas.Drawn.size();
    // A plug-in that kept the editor's pointer and calls back once the line is painted.
    EditorChunkProc(static_cast<TColouredLinePainter*>(&P), 2, 0, 3);
    EXPECT_EQ(P.Canvas.Drawn.size(), Drawn);
}

TEST(ColouredLinePainterTest, AStandInPluginsWildChunksAreClamped) {
    auto Module = TPluginModule::Load(STANDIN_WILD_PATH);
    ASSERT_NE(Module, nullptr);
    const auto EnumChunks = Module->Function<TKorvidEnumChunks>(KorvidEnumChunksName);
    ASSERT_NE(EnumChunks, nullptr);
    TTestPainter P;
    P.View.Elements.Add({1, 0x0000AA, false, false});
    P.View.Elements.Add({3, 0x00AA00, false, false});
    P.PaintLine(EnumChunks, P.Line("abcdef", 2));
    EXPECT_EQ(P.Canvas.Texts(), (std::vector<TDrawn>{
                                    Text(10, 26, "ab", Back, 0x0000AA),
                                    Text(26, 34, "c", Back, Keyword, true),
                                    Text(34, 42, "d", Back, Keyword, true),
                                    Text(42, 50, "e", Back, Keyword, true),
                                    Text(50, 58, "f", Back, Keyword, true),
                                }));
    EXPECT_EQ(P.LinesAskedFor, std::vector<int>{1});
}

TEST(ColouredLinePainterTest, LorvantaColoursALineWithItsContext) {
    auto Module = TPluginModule::Load(LORVANTA_LIBRARY_PATH);
    ASSERT_NE(Module, nullptr);
    const auto EnumChunks = Module->Function<TKorvidEnumChunks>(KorvidEnumChunksName);
    TTestPainter P;
    P.Document = {"func total ; sums", ";( notes", "fetch x", "); done"};
    P.PaintLine(EnumChunks, P.Line(P.Document[0], 1));
    std::string Colours;
    for (const TDrawn& D : P.Canvas.Texts())
        Colours += std::string(D.Text.size(), D.Font == Keyword    ? 'K'
                                              : D.Font == 0x008000 ? 'C'
                                                                   : '.');
    EXPECT_EQ(Colours, "KKKK.......CCCCCC");

    // Inside a block comment only the earlier lines tell that it is one.
    P.Canvas.Drawn.clear();
    P.PaintLine(EnumChunks, P.Line(P.Document[2], 3));
    for (const TDrawn& D : P.Canvas.Texts())
        EXPECT_EQ(D.Font, 0x008000u) << D;
    EXPECT_FALSE(P.LinesAskedFor.empty());
}

TEST(ColouredLinePainterTest, DrawsIntoAnImage) {
    QImage Image(200, 20, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        QPainter Painter(&Image);
        QFont Font("DejaVu Sans Mono");
        Font.setPixelSize(12);
        Painter.setFont(Font);
        TPainterRunCanvas Canvas(Painter, Back, Plain);
        TTestPainter P;
        P.CharWidth = Canvas.TextWidth("X");
        P.View.Elements.Add({5, RGB(255, 0, 0), false, false});
        P.LineMarkers = {1};
        P.View.BreakpointBackgroundColour = RGB(0, 0, 255);
        TLineToDraw L = P.Line("ab", 2);
        L.Canvas = &Canvas;
        L.Rect = {0, 0, 200, 20};
        P.Paint(L, {{5, 0, 2}});
        TLineToDraw Marked = P.Line("", 1);
        Marked.Canvas = &Canvas;
        Marked.Rect = {100, 0, 200, 20};
        P.Paint(Marked, {});
    }
    // Red glyph pixels in the run, the background after it, the marker colour across the rest.
    bool SawRed = false;
    for (int X = 0; X < 16; ++X)
        for (int Y = 0; Y < 20; ++Y)
            SawRed = SawRed || (qRed(Image.pixel(X, Y)) > 200 && qGreen(Image.pixel(X, Y)) < 80);
    EXPECT_TRUE(SawRed);
    EXPECT_EQ(Image.pixel(60, 10), QColor(0xF0, 0xF0, 0xF0).rgb());
    EXPECT_EQ(Image.pixel(150, 10), QColor(0, 0, 255).rgb());
}

} // namespace
} // namespace korvid
