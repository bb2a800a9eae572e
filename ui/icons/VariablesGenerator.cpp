// Draws the 38 small pictures of the debugger's structure tree, its Watches list and the
// definitions editor's tree, and writes them, with a resource collection file that lists them,
// into the folder named on the command line. Their order is the list's fixed indexes.
#include "ui/glyphs/GlyphCanvas.h"

#include <QDir>
#include <functional>
#include <string>
#include <vector>

using namespace korvid::glyphs;

namespace {

using TRecipe = std::function<void(TCanvas&)>;

// A value's picture: a coloured tag with a short text in the 3 by 5 font.
TRecipe Tag(std::string_view Text, TInk Inside, TInk Ink = White) {
    return [Text = std::string(Text), Inside, Ink](TCanvas& C) {
        C.Box(1, 4, 14, 12, Black, Inside);
        const int Width = int(Text.size()) * 4 - 1;
        C.Text(Text, 8 - (Width + 1) / 2, 6, Ink);
    };
}

void Calendar(TCanvas& C, TInk Top) {
    C.Box(1, 2, 14, 14, Black, White);
    C.Fill(2, 3, 13, 5, Top);
    C.Text("31", 4, 8, Black);
}

void Grid(TCanvas& C, TInk Head) {
    C.Box(1, 2, 14, 13, Black, White);
    C.Fill(2, 3, 13, 4, Head);
    for (int Y = 7; Y < 13; Y += 3)
        C.HLine(2, 13, Y, Silver);
    C.VLine(7, 5, 12, Silver);
}

void FolderWith(TCanvas& C, char Letter, TInk Ink) {
    C.Folder(1, 3, false);
    C.Char(Letter, 6, 7, Ink);
}

void Key(TCanvas& C) {
    C.Bits(
        1, 4,
        {".###..........", "#...#.........", "#...##########", "#...#....#.#.#", ".###.........."},
        Black);
    C.Fill(1, 5, 3, 7, Yellow);
    C.Pixel(1, 5, Back);
    C.Disc(3, 6, 2, Black, Yellow);
}

std::vector<TRecipe> Pictures() {
    return {
        /* 0 array */ Tag("[]", Teal),
        /* 1 attach */
        [](TCanvas& C) {
            C.Box(1, 4, 14, 12, Black, Purple);
            C.Arrow(Up, 8, 5, 7, White);
        },
        /* 2 boolean */
        [](TCanvas& C) {
            C.Box(1, 4, 14, 12, Black, Green);
            C.Check(4, 6, White);
        },
        /* 3 chain */
        [](TCanvas& C) {
            C.Ring(5, 8, 3, Purple);
            C.Ring(10, 8, 3, Purple);
        },
        /* 4 choice */ Tag("=", Olive),
        /* 5 date */ [](TCanvas& C) { Calendar(C, Red); },
        /* 6 database field */ [](TCanvas& C) { C.Cylinder(3, 1, 12, 14, Silver); },
        /* 7 fuzzy boolean */ Tag("?", Green),
        /* 8 locals */ [](TCanvas& C) { FolderWith(C, 'L', Navy); },
        /* 9 module group */ [](TCanvas& C) { C.Folder(1, 3, false); },
        /* 10 paragraph */ [](TCanvas& C) { C.Page(3, 1, 12, 14); },
        /* 11 external structure */ [](TCanvas& C) { C.Window(1, 2, 14, 13); },
        /* 12 procedure */
        [](TCanvas& C) {
            C.Box(1, 3, 14, 13, Black, Navy);
            C.Play(6, 5, 7, Yellow);
        },
        /* 13 record */ Tag("{}", Navy),
        /* 14 unit or segment */
        [](TCanvas& C) {
            C.Box(1, 2, 7, 8, Black, Teal);
            C.Box(8, 2, 14, 8, Black, Teal);
            C.Box(1, 9, 14, 14, Black, Teal);
        },
        /* 15 table */ [](TCanvas& C) { Grid(C, Navy); },
        /* 16 buffered values */
        [](TCanvas& C) {
            C.Cylinder(2, 1, 13, 14, Aqua);
            C.Text("T", 6, 6, Navy);
        },
        /* 17 globals */ [](TCanvas& C) { FolderWith(C, 'G', Maroon); },
        /* 18 void */
        [](TCanvas& C) {
            for (int X = 2; X <= 13; X += 2) {
                C.Pixel(X, 4, Gray);
                C.Pixel(X, 12, Gray);
            }
            for (int Y = 6; Y <= 10; Y += 2) {
                C.Pixel(1, Y, Gray);
                C.Pixel(14, Y, Gray);
            }
        },
        /* 19 file */ [](TCanvas& C) { C.Cylinder(2, 1, 13, 14, Yellow); },
        /* 20 record number or cursor */ Tag(">", Red),
        /* 21 string */ Tag("ab", Blue),
        /* 22 character */ Tag("a", Blue),
        /* 23 integer */ Tag("12", Maroon),
        /* 24 counter */
        [](TCanvas& C) {
            Tag("1", Maroon)(C);
            C.Plus(10, 7, Yellow);
        },
        /* 25 number */ Tag("99", Green, Yellow),
        /* 26 whole number */ Tag("9", Green, Yellow),
        /* 27 handle */ Tag("H", Gray),
        /* 28 status line */ Tag("!", Red, Yellow),
        /* 29 map */
        [](TCanvas& C) {
            C.Page(3, 1, 12, 14, false);
            C.Text("M", 6, 6, Navy);
        },
        /* 30 reference string */
        [](TCanvas& C) {
            Tag("ab", Blue)(C);
            C.Arrow(Right, 14, 3, 6, Red);
        },
        /* 31 old date */ [](TCanvas& C) { Calendar(C, Gray); },
        /* 32 total */ Tag("S", Green, Yellow),
        /* 33 title */ Tag("T", Teal),
        /* 34 set */ Tag("{}", Olive),
        /* 35 calculated */ Tag("=", Green, Yellow),
        /* 36 key */ Key,
        /* 37 source group */
        [](TCanvas& C) {
            C.Page(5, 0, 14, 10);
            C.Folder(0, 5, false);
        },
    };
}

} // namespace

int main(int argc, char** argv) {
    return RunPictureGenerator(argc, argv, "variables", [](const QDir& Folder, auto& Names) {
        int Index = 0;
        for (const TRecipe& Draw : Pictures()) {
            TCanvas Canvas;
            Draw(Canvas);
            const std::string Name = std::to_string(Index++);
            if (!SaveWithClearBackground(Canvas, Folder, Name))
                return false;
            Names.push_back(Name);
        }
        return true;
    });
}
