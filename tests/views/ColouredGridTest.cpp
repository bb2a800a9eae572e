#include "tests/editor/EditorTestSupport.h"

#include <QImage>
#include <QPainter>

namespace korvid::test {
namespace {

constexpr int RunLength = 100;

// A long comment coloured by the real plug-in, against the engine's own drawing of it.
class ColouredGrid : public EditorFixture {
protected:
    ColouredGrid() {
        View.BackgroundColour = RGB(255, 255, 255);
        View.TextColour = RGB(0, 0, 0);
        Ed->resize(1200, 120);
        std::string Comment = ";";
        for (int I = 1; I < RunLength; ++I)
            Comment += static_cast<char>('0' + I % 10);
        SetText({Comment});
    }
    QImage Paint(bool Coloured, bool Bold, bool Italic) {
        View.UseDll = Coloured;
        View.SetDll(LORVANTA_LIBRARY_PATH);
        View.Elements.Clear();
        View.Elements.Add({14, RGB(0, 0, 0), Bold, Italic}); // comments with ;
        Ed->ApplyView();
        EXPECT_EQ(Ed->PluginModule() != nullptr, Coloured);
        QImage Image(Ed->viewport()->size(), QImage::Format_RGB32);
        Image.fill(Qt::gray);
        QPainter Painter(&Image);
        Ed->PaintRows(Painter, Image.rect());
        return Image;
    }
    // The pixels of cells From..To - 1 of the first row.
    QImage Cells(const QImage& Image, int From, int To) {
        const int Width = Ed->CharWidth;
        return Image.copy(E().LeftMargin() + From * Width, 0, (To - From) * Width,
                          E().LineHeight());
    }
    // Each cell of the range holds some of a glyph.
    std::vector<bool> Inked(const QImage& Image, int From, int To) {
        std::vector<bool> Result;
        for (int Cell = From; Cell < To; ++Cell) {
            const QImage Pixels = Cells(Image, Cell, Cell + 1);
            bool Ink = false;
            for (int Y = 0; Y < Pixels.height() && !Ink; ++Y)
                for (int X = 0; X < Pixels.width() && !Ink; ++X)
                    Ink = qGray(Pixels.pixel(X, Y)) < 128;
            Result.push_back(Ink);
        }
        return Result;
    }
};

// A font's real advance is often a fraction wider than the whole pixels of a cell; over a long
// run that adds up to cells, at some sizes more than others.
TEST_F(ColouredGrid, EveryStyleOfALongRunEndsInTheCellsOfTheEnginesOwnDrawing) {
    for (const int Size : {7, 8, 9, 10, 12, 14, 16}) {
        SCOPED_TRACE("size " + std::to_string(Size));
        View.SetFontSize(Size);
        const QImage Engine = Paint(false, false, false);
        ASSERT_EQ(Ed->CharWidth, E().CharWidth());
        const int Last = RunLength - 6;
        // Plain, the run is drawn as the engine draws it, to the last pixel.
        EXPECT_TRUE(Cells(Paint(true, false, false), Last, RunLength + 1) ==
                    Cells(Engine, Last, RunLength + 1));
        // Bold and italic glyphs differ, but not the cells they take.
        for (const auto& [Bold, Italic] : {std::pair{true, false}, {false, true}, {true, true}})
            EXPECT_EQ(Inked(Paint(true, Bold, Italic), Last, RunLength + 1),
                      Inked(Engine, Last, RunLength + 1))
                << "bold " << Bold << ", italic " << Italic;
    }
}

} // namespace
} // namespace korvid::test
