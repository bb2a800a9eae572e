#include "ui/glyphs/GlyphCanvas.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

#include <array>
#include <cstdlib>

namespace korvid::glyphs {

namespace {

struct TFontChar {
    char C;
    std::array<const char*, 5> Rows;
};

// Three columns by five rows.
constexpr std::array Font{
    TFontChar{'0', {"###", "#.#", "#.#", "#.#", "###"}},
    TFontChar{'1', {".#.", "##.", ".#.", ".#.", "###"}},
    TFontChar{'2', {"###", "..#", "###", "#..", "###"}},
    TFontChar{'3', {"###", "..#", ".##", "..#", "###"}},
    TFontChar{'4', {"#.#", "#.#", "###", "..#", "..#"}},
    TFontChar{'5', {"###", "#..", "###", "..#", "###"}},
    TFontChar{'6', {"###", "#..", "###", "#.#", "###"}},
    TFontChar{'7', {"###", "..#", ".#.", ".#.", ".#."}},
    TFontChar{'8', {"###", "#.#", "###", "#.#", "###"}},
    TFontChar{'9', {"###", "#.#", "###", "..#", "###"}},
    TFontChar{'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    TFontChar{'B', {"##.", "#.#", "##.", "#.#", "##."}},
    TFontChar{'C', {".##", "#..", "#..", "#..", ".##"}},
    TFontChar{'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    TFontChar{'E', {"###", "#..", "##.", "#..", "###"}},
    TFontChar{'F', {"###", "#..", "##.", "#..", "#.."}},
    TFontChar{'G', {".##", "#..", "#.#", "#.#", ".##"}},
    TFontChar{'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    TFontChar{'I', {"###", ".#.", ".#.", ".#.", "###"}},
    TFontChar{'J', {"..#", "..#", "..#", "#.#", ".#."}},
    TFontChar{'L', {"#..", "#..", "#..", "#..", "###"}},
    TFontChar{'M', {"#.#", "###", "###", "#.#", "#.#"}},
    TFontChar{'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    TFontChar{'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
    TFontChar{'P', {"##.", "#.#", "##.", "#..", "#.."}},
    TFontChar{'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    TFontChar{'S', {".##", "#..", ".#.", "..#", "##."}},
    TFontChar{'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    TFontChar{'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
    TFontChar{'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    TFontChar{'W', {"#.#", "#.#", "###", "###", "#.#"}},
    TFontChar{'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    TFontChar{'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},
    TFontChar{'Z', {"###", "..#", ".#.", "#..", "###"}},
    TFontChar{'a', {"...", "##.", "..#", "###", "###"}},
    TFontChar{'b', {"#..", "#..", "##.", "#.#", "##."}},
    TFontChar{'?', {"##.", "..#", ".#.", "...", ".#."}},
    TFontChar{'!', {".#.", ".#.", ".#.", "...", ".#."}},
    TFontChar{'/', {"..#", "..#", ".#.", "#..", "#.."}},
    TFontChar{'[', {"##.", "#..", "#..", "#..", "##."}},
    TFontChar{']', {".##", "..#", "..#", "..#", ".##"}},
    TFontChar{'{', {".##", ".#.", "#..", ".#.", ".##"}},
    TFontChar{'}', {"##.", ".#.", "..#", ".#.", "##."}},
    TFontChar{'=', {"...", "###", "...", "###", "..."}},
    TFontChar{'>', {"#..", ".#.", "..#", ".#.", "#.."}},
    TFontChar{'<', {"..#", ".#.", "#..", ".#.", "..#"}},
    TFontChar{'_', {"...", "...", "...", "...", "###"}},
    TFontChar{'i', {".#.", "...", "##.", ".#.", "###"}},
};

} // namespace

TCanvas::TCanvas() : FImage(16, 16, QImage::Format_RGB32) {
    FImage.fill(QColor::fromRgb(Back));
}

void TCanvas::Pixel(int X, int Y, TInk Ink) {
    if (FImage.valid(X, Y))
        FImage.setPixel(X, Y, 0xFF000000u | Ink);
}

void TCanvas::HLine(int X1, int X2, int Y, TInk Ink) {
    for (int X = X1; X <= X2; ++X)
        Pixel(X, Y, Ink);
}

void TCanvas::VLine(int X, int Y1, int Y2, TInk Ink) {
    for (int Y = Y1; Y <= Y2; ++Y)
        Pixel(X, Y, Ink);
}

void TCanvas::Line(int X1, int Y1, int X2, int Y2, TInk Ink) {
    // Bresenham, so the picture is the same on every machine.
    int DX = std::abs(X2 - X1), SX = X1 < X2 ? 1 : -1;
    int DY = -std::abs(Y2 - Y1), SY = Y1 < Y2 ? 1 : -1;
    int Error = DX + DY;
    for (;;) {
        Pixel(X1, Y1, Ink);
        if (X1 == X2 && Y1 == Y2)
            break;
        const int E2 = 2 * Error;
        if (E2 >= DY) {
            Error += DY;
            X1 += SX;
        }
        if (E2 <= DX) {
            Error += DX;
            Y1 += SY;
        }
    }
}

void TCanvas::Frame(int X1, int Y1, int X2, int Y2, TInk Ink) {
    HLine(X1, X2, Y1, Ink);
    HLine(X1, X2, Y2, Ink);
    VLine(X1, Y1, Y2, Ink);
    VLine(X2, Y1, Y2, Ink);
}

void TCanvas::Fill(int X1, int Y1, int X2, int Y2, TInk Ink) {
    for (int Y = Y1; Y <= Y2; ++Y)
        HLine(X1, X2, Y, Ink);
}

void TCanvas::Box(int X1, int Y1, int X2, int Y2, TInk Outline, TInk Inside) {
    Fill(X1, Y1, X2, Y2, Inside);
    Frame(X1, Y1, X2, Y2, Outline);
}

void TCanvas::Disc(int CX, int CY, int R, TInk Outline, TInk Inside) {
    for (int Y = -R; Y <= R; ++Y)
        for (int X = -R; X <= R; ++X) {
            const int D = X * X + Y * Y;
            if (D <= R * R + R)
                Pixel(CX + X, CY + Y, D >= R * R - R ? Outline : Inside);
        }
}

void TCanvas::Ring(int CX, int CY, int R, TInk Ink) {
    for (int Y = -R; Y <= R; ++Y)
        for (int X = -R; X <= R; ++X) {
            const int D = X * X + Y * Y;
            if (D <= R * R + R && D >= R * R - R)
                Pixel(CX + X, CY + Y, Ink);
        }
}

void TCanvas::Bits(int X, int Y, std::initializer_list<std::string_view> Rows, TInk Ink) {
    int Row = 0;
    for (std::string_view Text : Rows) {
        for (int Column = 0; Column < int(Text.size()); ++Column)
            if (Text[Column] == '#')
                Pixel(X + Column, Y + Row, Ink);
        ++Row;
    }
}

void TCanvas::Char(char C, int X, int Y, TInk Ink) {
    for (const auto& Entry : Font)
        if (Entry.C == C) {
            Bits(X, Y, {Entry.Rows[0], Entry.Rows[1], Entry.Rows[2], Entry.Rows[3], Entry.Rows[4]},
                 Ink);
            return;
        }
}

void TCanvas::Text(std::string_view S, int X, int Y, TInk Ink) {
    for (char C : S) {
        Char(C, X, Y, Ink);
        X += 4;
    }
}

void TCanvas::Page(int X1, int Y1, int X2, int Y2, bool Lines) {
    Box(X1, Y1, X2, Y2, Black, White);
    // Folded top-right corner.
    Pixel(X2, Y1, Back);
    Pixel(X2 - 1, Y1, Back);
    Pixel(X2, Y1 + 1, Back);
    Line(X2 - 2, Y1, X2, Y1 + 2, Black);
    Pixel(X2 - 2, Y1 + 1, Black);
    Pixel(X2 - 2, Y1 + 2, Black);
    Pixel(X2 - 1, Y1 + 2, Black);
    if (Lines)
        TextLines(X1 + 2, X2 - 2, Y1 + 4, (Y2 - Y1 - 4) / 2, 2, Gray);
}

void TCanvas::TextLines(int X1, int X2, int Y1, int Count, int Step, TInk Ink) {
    for (int I = 0; I < Count; ++I)
        HLine(X1, I % 3 == 2 ? X2 - 2 : X2, Y1 + I * Step, Ink);
}

void TCanvas::Folder(int X, int Y, bool Open) {
    // 14 by 10 starting at (X, Y).
    HLine(X + 1, X + 4, Y, Black);
    Pixel(X + 5, Y + 1, Black);
    Box(X, Y + 1, X + 12, Y + 9, Black, Yellow);
    HLine(X + 1, X + 4, Y + 1, Yellow);
    if (Open) {
        for (int I = 0; I < 5; ++I)
            HLine(X + 3 + I / 2, X + 13 - I / 2 + (I == 0 ? 0 : 0), Y + 4 + I, Olive);
        Line(X + 3, Y + 4, X + 1, Y + 9, Black);
        HLine(X + 3, X + 13, Y + 4, Black);
        Line(X + 13, Y + 4, X + 11, Y + 9, Black);
        HLine(X + 1, X + 11, Y + 9, Black);
    }
}

void TCanvas::Floppy(int X, int Y) {
    // 13 by 13 starting at (X, Y).
    Box(X, Y, X + 12, Y + 12, Black, Navy);
    Box(X + 3, Y, X + 9, Y + 5, Black, White);
    Fill(X + 7, Y + 1, X + 8, Y + 4, Navy);
    Box(X + 2, Y + 8, X + 10, Y + 12, Black, Silver);
    Pixel(X + 12, Y, Back);
}

void TCanvas::Magnifier(int X, int Y) {
    // Lens centre at (X + 3, Y + 3), handle towards the bottom right.
    Disc(X + 3, Y + 3, 3, Black, Aqua);
    Pixel(X + 2, Y + 2, White);
    Line(X + 6, Y + 6, X + 8, Y + 8, Maroon);
    Line(X + 6, Y + 7, X + 7, Y + 8, Maroon);
}

void TCanvas::Arrow(TDirection Direction, int X, int Y, int Length, TInk Ink) {
    // (X, Y) is the tip.
    switch (Direction) {
    case Right:
        HLine(X - Length + 1, X, Y, Ink);
        VLine(X - 1, Y - 1, Y + 1, Ink);
        VLine(X - 2, Y - 2, Y + 2, Ink);
        VLine(X - 3, Y - 3, Y + 3, Ink);
        break;
    case Left:
        HLine(X, X + Length - 1, Y, Ink);
        VLine(X + 1, Y - 1, Y + 1, Ink);
        VLine(X + 2, Y - 2, Y + 2, Ink);
        VLine(X + 3, Y - 3, Y + 3, Ink);
        break;
    case Down:
        VLine(X, Y - Length + 1, Y, Ink);
        HLine(X - 1, X + 1, Y - 1, Ink);
        HLine(X - 2, X + 2, Y - 2, Ink);
        HLine(X - 3, X + 3, Y - 3, Ink);
        break;
    case Up:
        VLine(X, Y, Y + Length - 1, Ink);
        HLine(X - 1, X + 1, Y + 1, Ink);
        HLine(X - 2, X + 2, Y + 2, Ink);
        HLine(X - 3, X + 3, Y + 3, Ink);
        break;
    }
}

void TCanvas::CurvedArrow(bool Clockwise, int X, int Y, TInk Ink) {
    // An arc over the top of a 12 by 8 box at (X, Y) with the head at one lower end.
    if (Clockwise) {
        Bits(X, Y,
             {"...######...", "..#......#..", ".#........#.", ".#........#.", ".#.......###",
              ".#........#.", "............"},
             Ink);
        Bits(X, Y + 3, {"", "", ".........#####", "..........###", "...........#"}, Ink);
    } else {
        Bits(X, Y,
             {"...######...", "..#......#..", ".#........#.", ".#........#.", "###.......#.",
              ".#........#.", "............"},
             Ink);
        Bits(X - 2, Y + 3, {"", "", "#####", ".###", "..#"}, Ink);
    }
}

void TCanvas::Cross(int X, int Y, int Size, TInk Ink) {
    Line(X, Y, X + Size - 1, Y + Size - 1, Ink);
    Line(X + 1, Y, X + Size - 1, Y + Size - 2, Ink);
    Line(X + Size - 1, Y, X, Y + Size - 1, Ink);
    Line(X + Size - 2, Y, X, Y + Size - 2, Ink);
}

void TCanvas::Plus(int X, int Y, TInk Ink) {
    // 5 by 5 with a dark outline so it reads on any picture.
    Bits(X, Y, {".###.", "##.##", "#...#", "##.##", ".###."}, Black);
    Bits(X, Y, {"", "..#", ".###", "..#"}, Ink);
}

void TCanvas::Minus(int X, int Y, TInk Ink) {
    Box(X, Y, X + 4, Y + 2, Black, Ink);
}

void TCanvas::Star(int X, int Y, TInk Ink) {
    // 11 by 10 five-pointed star.
    Bits(X, Y,
         {".....#.....", "....###....", "....###....", "###########", ".#########.", "..#######..",
          "..#######..", ".####.####.", ".###...###.", "##.......##"},
         Ink);
    Bits(X, Y,
         {".....#.....", "....#.#....", "....#.#....", "####...####", ".#.......#.", "..#.....#..",
          "..#.....#..", ".#...#...#.", ".#.##.##.#.", "##.......##"},
         Olive);
}

void TCanvas::Clipboard(int X1, int Y1, int X2, int Y2) {
    Box(X1, Y1 + 1, X2, Y2, Black, Olive);
    Box(X1 + 2, Y1 + 3, X2 - 2, Y2 - 1, Gray, White);
    const int Mid = (X1 + X2) / 2;
    Box(Mid - 2, Y1, Mid + 2, Y1 + 2, Black, Silver);
}

void TCanvas::Clock(int CX, int CY, int R) {
    Disc(CX, CY, R, Black, White);
    VLine(CX, CY - R + 2, CY, Black);
    HLine(CX, CX + R - 2, CY, Black);
    Pixel(CX, CY - R + 1, Red);
}

void TCanvas::Cylinder(int X1, int Y1, int X2, int Y2, TInk Body) {
    Box(X1, Y1 + 1, X2, Y2 - 1, Black, Body);
    HLine(X1 + 1, X2 - 1, Y1, Black);
    HLine(X1 + 1, X2 - 1, Y2, Black);
    HLine(X1 + 1, X2 - 1, Y1 + 2, Black);
    HLine(X1 + 1, X2 - 1, Y1 + 1, Silver);
    Pixel(X1, Y1 + 1, Black);
}

void TCanvas::Play(int X, int Y, int Height, TInk Ink) {
    // A triangle pointing right, Height rows tall (odd), its left edge at X.
    const int Half = Height / 2;
    for (int Row = 0; Row < Height; ++Row) {
        const int Width = Half - std::abs(Row - Half);
        HLine(X, X + Width, Y + Row, Ink);
        Pixel(X + Width, Y + Row, Black);
        Pixel(X, Y + Row, Black);
    }
}

void TCanvas::Flag(int X, int Y, TInk Ink, bool Filled) {
    // A bookmark ribbon 8 wide and 11 tall with a notch at the bottom.
    Box(X, Y, X + 7, Y + 9, Black, Filled ? Ink : White);
    Pixel(X + 3, Y + 9, Filled ? Ink : White);
    Pixel(X + 4, Y + 9, Filled ? Ink : White);
    Pixel(X + 3, Y + 10, Black);
    Pixel(X + 4, Y + 10, Black);
    HLine(X + 1, X + 2, Y + 10, Black);
    HLine(X + 5, X + 6, Y + 10, Black);
    Pixel(X, Y + 10, Black);
    Pixel(X + 7, Y + 10, Black);
}

void TCanvas::Tab(int X1, int Y1, int X2, int Y2) {
    Box(X1, Y1 + 3, X2, Y2, Black, White);
    Box(X1, Y1, X1 + 6, Y1 + 3, Black, Silver);
    HLine(X1 + 1, X1 + 5, Y1 + 3, Silver);
}

void TCanvas::Check(int X, int Y, TInk Ink) {
    Bits(X, Y, {"......#", ".....##", "#...##.", "##.##..", ".###...", "..#...."}, Ink);
}

void TCanvas::Window(int X1, int Y1, int X2, int Y2) {
    Box(X1, Y1, X2, Y2, Black, White);
    Fill(X1 + 1, Y1 + 1, X2 - 1, Y1 + 2, Navy);
}

namespace {

bool WriteResourceCollection(const QDir& Folder, const std::string& Prefix,
                             const std::vector<std::string>& Names) {
    QFile Collection(Folder.filePath(QString::fromStdString(Prefix + ".qrc")));
    if (!Collection.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream Out(&Collection);
    Out << "<RCC>\n  <qresource prefix=\"/" << QString::fromStdString(Prefix) << "\">\n";
    for (const std::string& Name : Names)
        Out << "    <file alias=\"" << QString::fromStdString(Name) << "\">"
            << QString::fromStdString(Name) << ".png</file>\n";
    Out << "  </qresource>\n</RCC>\n";
    return Out.status() == QTextStream::Ok;
}

} // namespace

bool SaveWithClearBackground(const TCanvas& Canvas, const QDir& Folder, const std::string& Name) {
    QImage Image = Canvas.Image().convertToFormat(QImage::Format_ARGB32);
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if ((Image.pixel(X, Y) & 0xFFFFFFu) == Back)
                Image.setPixel(X, Y, 0u);
    return Image.save(Folder.filePath(QString::fromStdString(Name + ".png")), "PNG");
}

int RunPictureGenerator(int argc, char** argv, const std::string& Prefix,
                        const std::function<bool(const QDir&, std::vector<std::string>&)>& Draw) {
    QGuiApplication App(argc, argv);
    if (argc != 2)
        return 2;
    QDir Folder(QString::fromLocal8Bit(argv[1]));
    if (!Folder.mkpath("."))
        return 1;
    std::vector<std::string> Names;
    return Draw(Folder, Names) && WriteResourceCollection(Folder, Prefix, Names) ? 0 : 1;
}

} // namespace korvid::glyphs
