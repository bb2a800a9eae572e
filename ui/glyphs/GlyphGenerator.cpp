// Draws the toolbar pictures of every built-in command and writes them, with a resource
// collection file that lists them, into the folder named on the command line.
#include "ui/glyphs/GlyphCanvas.h"

#include <QDir>
#include <functional>
#include <string>
#include <vector>

using namespace korvid::glyphs;

namespace {

using TRecipe = std::function<void(TCanvas&)>;

struct TGlyph {
    std::string Name;
    TRecipe Draw;
};

// Small overlays that several pictures share, drawn in the bottom-right or top-left corner.
void CornerPlus(TCanvas& C) {
    C.Plus(10, 10, Lime);
}
void CornerCross(TCanvas& C) {
    C.Cross(10, 10, 5, Red);
}
void CornerMagnifier(TCanvas& C) {
    C.Magnifier(6, 6);
}
void RedDot(TCanvas& C, int X, int Y) {
    C.Disc(X, Y, 2, Maroon, Red);
}
void Pages(TCanvas& C) {
    C.Page(5, 0, 14, 10);
    C.Page(1, 4, 10, 14);
}
void ConsoleWindow(TCanvas& C) {
    C.Box(1, 2, 14, 13, Black, Black);
    C.Fill(2, 3, 13, 4, Navy);
    C.Char('>', 3, 6, Silver);
    C.HLine(7, 10, 10, Silver);
}
void Bug(TCanvas& C, int X, int Y) {
    C.Bits(X, Y,
           {"#.....#", ".#...#.", "..###..", "#.###.#", ".#####.", "#######", ".#####.", "#.###.#",
            "..###.."},
           Black);
    C.Bits(X, Y, {"", "", "", "..#.#..", "..###..", ".#.#.#.", "..###..", "...#..."}, Red);
}
void DebugTab(TCanvas& C) {
    C.Tab(1, 1, 14, 14);
}
void LinesBlock(TCanvas& C, int Indent) {
    for (int Row = 0; Row < 5; ++Row)
        C.HLine(1 + Indent * (Row % 2), 9 + Indent * (Row % 2), 2 + Row * 3, Black);
}
void Compile(TCanvas& C) {
    C.Page(1, 1, 10, 14);
    C.Bits(8, 3, {"..###", ".###.", "#####", "..##.", ".##..", ".#...", "#...."}, Yellow);
    C.Bits(8, 3, {"..#.#", ".#..#", "#...#", "..#..", ".#...", ".#...", "#...."}, Olive);
}

std::vector<TGlyph> Glyphs() {
    std::vector<TGlyph> List;
    auto Add = [&List](std::string Name, TRecipe Draw) {
        List.push_back({std::move(Name), std::move(Draw)});
    };

    Add("FileNew", [](TCanvas& C) {
        C.Page(3, 1, 12, 14, false);
        C.Bits(9, 8, {"..#..", "#.#.#", ".###.", "#.#.#", "..#.."}, Olive);
    });
    Add("FileOpen", [](TCanvas& C) {
        C.Folder(1, 4, true);
        C.CurvedArrow(true, 4, 0, Green);
    });
    Add("FileSave", [](TCanvas& C) { C.Floppy(1, 1); });
    Add("FileSaveAs", [](TCanvas& C) {
        C.Floppy(0, 0);
        C.Bits(9, 9, {"....##", "...###", "..###.", ".###..", "###...", "##...."}, Black);
        C.Bits(9, 9, {"", "....#", "...#", "..#", ".#"}, Yellow);
    });
    Add("FileSaveAll", [](TCanvas& C) {
        C.Floppy(3, 0);
        C.Floppy(0, 3);
    });
    Add("FileClose", [](TCanvas& C) {
        C.Page(1, 1, 10, 14);
        CornerCross(C);
    });
    Add("FilePrint", [](TCanvas& C) {
        C.Box(4, 1, 11, 6, Black, White);
        C.Box(1, 6, 14, 12, Black, Silver);
        C.Pixel(12, 8, Lime);
        C.Box(3, 10, 12, 14, Black, White);
        C.HLine(4, 11, 8, Gray);
    });
    Add("FileReadOnly", [](TCanvas& C) {
        C.Ring(8, 5, 3, Gray);
        C.Box(3, 7, 13, 14, Black, Yellow);
        C.VLine(8, 9, 12, Black);
    });
    Add("FileSetPassword", [](TCanvas& C) {
        C.Disc(4, 8, 3, Black, Yellow);
        C.Pixel(4, 8, Black);
        C.HLine(7, 14, 8, Black);
        C.HLine(7, 14, 7, Olive);
        C.VLine(12, 9, 11, Black);
        C.VLine(14, 9, 10, Black);
    });
    Add("ViewHistory", [](TCanvas& C) {
        C.Clock(8, 8, 6);
        C.Bits(0, 10, {"##", "#", "..."}, Blue);
    });
    Add("FileExit", [](TCanvas& C) {
        C.Box(1, 1, 8, 14, Black, Maroon);
        C.Pixel(6, 8, Yellow);
        C.Arrow(Right, 15, 8, 7, Green);
    });
    Add("EditUndo", [](TCanvas& C) { C.CurvedArrow(false, 3, 3, Navy); });
    Add("EditRedo", [](TCanvas& C) { C.CurvedArrow(true, 1, 3, Navy); });

    auto Scissors = [](TCanvas& C) {
        C.Line(4, 1, 9, 9, Black);
        C.Line(10, 1, 5, 9, Black);
        C.Ring(4, 11, 2, Navy);
        C.Ring(10, 11, 2, Navy);
    };
    Add("EditCut", Scissors);
    Add("EditCutAppend", [Scissors](TCanvas& C) {
        Scissors(C);
        C.Plus(10, 0, Lime);
    });
    Add("EditCopy", Pages);
    Add("EditCopyAppend", [](TCanvas& C) {
        Pages(C);
        CornerPlus(C);
    });
    Add("EditPaste", [](TCanvas& C) {
        C.Clipboard(1, 0, 11, 14);
        C.Page(7, 6, 14, 14);
    });
    Add("EditSelectAll", [](TCanvas& C) {
        C.Page(2, 1, 13, 14, false);
        C.Fill(4, 4, 11, 12, Navy);
        C.TextLines(5, 10, 5, 4, 2, White);
    });
    Add("EditFind", [](TCanvas& C) {
        C.Page(1, 1, 10, 14);
        CornerMagnifier(C);
    });
    Add("EditFindNext", [](TCanvas& C) {
        C.Magnifier(1, 1);
        C.Arrow(Right, 15, 12, 6, Blue);
    });
    Add("EditReplace", [](TCanvas& C) {
        C.Char('A', 1, 1, Navy);
        C.Char('B', 11, 10, Red);
        C.Line(5, 6, 9, 10, Black);
        C.Bits(8, 8, {"..#", "..#", "###"}, Black);
    });
    Add("EditGoTo", [](TCanvas& C) {
        C.Page(5, 1, 14, 14);
        C.HLine(7, 12, 8, Red);
        C.Arrow(Right, 6, 8, 6, Blue);
    });
    Add("EditNewClipboard", [](TCanvas& C) {
        C.Clipboard(1, 0, 11, 14);
        CornerPlus(C);
    });
    for (char Digit : std::string("1234567890"))
        Add(std::string("EditPasteClipboard") + Digit, [Digit](TCanvas& C) {
            C.Clipboard(1, 0, 13, 14);
            C.Char(Digit, 6, 6, Navy);
        });
    for (char Digit : std::string("1234567890"))
        Add(std::string("EditToggleBookmark") + Digit, [Digit](TCanvas& C) {
            C.Flag(4, 2, Blue, false);
            C.Char(Digit, 7, 4, Navy);
        });
    for (char Digit : std::string("1234567890"))
        Add(std::string("EditGoToBookmark") + Digit, [Digit](TCanvas& C) {
            C.Flag(7, 2, Blue, true);
            C.Char(Digit, 10, 4, White);
            C.Arrow(Right, 6, 7, 6, Green);
        });
    Add("ViewOptions", [](TCanvas& C) {
        C.Box(1, 1, 14, 14, Black, Silver);
        for (int Row = 0; Row < 3; ++Row) {
            C.HLine(3, 12, 4 + Row * 4, Gray);
            C.Box(4 + Row * 3, 3 + Row * 4, 6 + Row * 3, 5 + Row * 4, Black, Blue);
        }
    });
    Add("ViewOrganizeFiles", [](TCanvas& C) {
        for (int Row = 0; Row < 3; ++Row)
            C.Box(1, 1 + Row * 5, 9, 4 + Row * 5, Black, Row == 1 ? Yellow : White);
        C.Arrow(Up, 12, 1, 6, Navy);
        C.Arrow(Down, 12, 14, 6, Navy);
    });
    Add("ViewStatusBar", [](TCanvas& C) {
        C.Window(1, 1, 14, 14);
        C.Fill(2, 11, 13, 13, Silver);
        C.HLine(2, 13, 11, Gray);
        C.HLine(3, 6, 12, Black);
    });
    Add("InsertDate", [](TCanvas& C) {
        C.Box(1, 2, 14, 14, Black, White);
        C.Fill(2, 3, 13, 5, Red);
        C.VLine(4, 1, 3, Black);
        C.VLine(11, 1, 3, Black);
        C.Text("12", 4, 8, Black);
    });
    Add("InsertTime", [](TCanvas& C) {
        C.Clock(7, 7, 6);
        C.Bits(12, 10, {".#.", "###", ".#."}, Red);
    });
    Add("InsertFilename", [](TCanvas& C) {
        C.Page(1, 1, 10, 14, false);
        C.Fill(3, 9, 14, 13, Navy);
        C.Text("ab", 5, 9, White);
    });
    Add("InsertPathname", [](TCanvas& C) {
        C.Folder(0, 0, false);
        C.Page(6, 5, 15, 15, false);
        C.Char('/', 9, 8, Navy);
    });
    Add("InsertFile", [](TCanvas& C) {
        C.Page(6, 1, 15, 14);
        C.Arrow(Right, 7, 8, 7, Green);
        C.VLine(1, 4, 12, Black);
    });
    Add("FormatSort", [](TCanvas& C) {
        C.Char('A', 1, 1, Navy);
        C.Char('Z', 1, 9, Navy);
        C.Arrow(Down, 11, 14, 13, Black);
    });
    Add("FormatLowerCase", [](TCanvas& C) {
        C.Bits(3, 3,
               {"..........", "..######..", ".#......#.", "........#.", "..#######.", ".#......#.",
                ".#......#.", ".#.....##.", "..#####.##"},
               Navy);
    });
    Add("FormatUpperCase", [](TCanvas& C) {
        C.Bits(3, 1,
               {"....##....", "...####...", "...#..#...", "..##..##..", "..#....#..", ".##....##.",
                ".########.", "##......##", "#........#", "#........#", "#........#"},
               Navy);
    });
    Add("FormatOppositeCase", [](TCanvas& C) {
        C.Char('A', 1, 2, Navy);
        C.Char('a', 6, 2, Red);
        C.Char('a', 1, 9, Red);
        C.Char('A', 6, 9, Navy);
        C.Line(11, 4, 14, 11, Black);
        C.Line(14, 4, 11, 11, Black);
    });
    Add("FormatIndent", [](TCanvas& C) {
        LinesBlock(C, 0);
        C.Fill(6, 5, 14, 11, Back);
        C.Arrow(Right, 14, 8, 7, Blue);
    });
    Add("FormatUnindent", [](TCanvas& C) {
        LinesBlock(C, 0);
        C.Fill(6, 5, 14, 11, Back);
        C.Arrow(Left, 7, 8, 8, Blue);
    });
    Add("FavouritesAddFile", [](TCanvas& C) {
        C.Star(0, 0, Yellow);
        C.Plus(10, 10, Lime);
    });
    Add("FavouritesNewFolder", [](TCanvas& C) {
        C.Folder(0, 5, false);
        C.Star(5, 0, Yellow);
    });
    Add("FavouritesRemove", [](TCanvas& C) {
        C.Star(0, 0, Yellow);
        CornerCross(C);
    });
    Add("ViewFavouritesBar", [](TCanvas& C) { C.Star(2, 3, Yellow); });
    Add("HelpAbout", [](TCanvas& C) {
        C.Disc(8, 8, 6, Navy, Blue);
        C.Fill(7, 6, 8, 11, White);
        C.Fill(7, 3, 8, 4, White);
    });
    Add("HistoryRemove", [](TCanvas& C) {
        C.Clock(6, 6, 5);
        CornerCross(C);
    });
    Add("FavouritesOpen", [](TCanvas& C) {
        C.Folder(2, 6, true);
        C.Star(0, 0, Yellow);
    });
    Add("HistoryOpen", [](TCanvas& C) {
        C.Folder(2, 6, true);
        C.Clock(5, 4, 4);
    });
    Add("FileRefresh", [](TCanvas& C) {
        C.CurvedArrow(true, 2, 1, Green);
        C.Bits(2, 9,
               {"#.........", "###.......", "#####...#.", ".#.......#", "..#......#.", "...######"},
               Green);
    });
    Add("ViewDefineViews", [](TCanvas& C) {
        C.Bits(1, 4,
               {".....#####....", "...##.....##..", ".##...###...##", "#....#####....#",
                ".##...###...##", "...##.....##..", ".....#####...."},
               Black);
        C.Disc(8, 7, 1, Navy, Aqua);
    });
    Add("ViewParagraphMarks", [](TCanvas& C) {
        C.Bits(3, 1,
               {"..########", ".######.#.", "#######.#.", "#######.#.", ".######.#.", "..#####.#.",
                "......#.#.", "......#.#.", "......#.#.", "......#.#.", "......#.#.", "......#.#.",
                ".....##.##"},
               Black);
    });
    Add("FileSendMail", [](TCanvas& C) {
        C.Box(1, 3, 14, 12, Black, White);
        C.Line(1, 3, 7, 8, Black);
        C.Line(14, 3, 8, 8, Black);
        C.Fill(11, 4, 13, 6, Red);
    });
    Add("FormatAsOneParagraph", [](TCanvas& C) {
        C.TextLines(1, 6, 2, 3, 2, Black);
        C.TextLines(1, 6, 9, 3, 2, Black);
        C.Arrow(Right, 10, 8, 3, Blue);
        C.Fill(11, 2, 14, 13, Black);
        C.TextLines(11, 14, 3, 6, 2, White);
    });
    Add("FormatAsSeparateParagraphs", [](TCanvas& C) {
        C.Fill(1, 2, 4, 13, Black);
        C.TextLines(1, 4, 3, 6, 2, White);
        C.Arrow(Right, 10, 8, 5, Blue);
        C.TextLines(11, 14, 2, 2, 2, Black);
        C.TextLines(11, 14, 7, 2, 2, Black);
        C.TextLines(11, 14, 12, 2, 2, Black);
    });
    Add("EditSelectDelimitedText", [](TCanvas& C) {
        C.Fill(4, 4, 11, 11, Navy);
        C.Char('[', 0, 5, Black);
        C.Char(']', 13, 5, Black);
        C.HLine(5, 10, 8, White);
    });
    Add("ViewCommandLines", ConsoleWindow);
    Add("ViewRunCommandLine", [](TCanvas& C) {
        ConsoleWindow(C);
        C.Play(8, 6, 9, Lime);
    });
    Add("FileExploreFolder", [](TCanvas& C) {
        C.Folder(0, 2, true);
        C.Magnifier(7, 6);
    });
    Add("HelpOnCurrentWord", [](TCanvas& C) {
        C.Char('?', 5, 1, Blue);
        C.Fill(1, 9, 14, 13, Navy);
        C.Text("ab", 4, 9, White);
    });
    Add("EditRecordKeystrokes", [](TCanvas& C) { C.Disc(8, 8, 5, Maroon, Red); });
    Add("EditPlayKeystrokes", [](TCanvas& C) { C.Play(4, 2, 13, Green); });
    Add("ViewResetToolbars", [](TCanvas& C) {
        C.Box(1, 1, 14, 6, Black, Silver);
        C.Fill(3, 3, 4, 4, Blue);
        C.Fill(7, 3, 8, 4, Red);
        C.Fill(11, 3, 12, 4, Green);
        C.Bits(4, 8, {"..####..", ".#....#.", "#......#", "###....#", ".#....#.", "..####.."},
               Navy);
    });
    auto AutoText = [](TCanvas& C) {
        C.Char('A', 1, 3, Navy);
        C.Bits(6, 1, {"....##", "...##", "..##", ".######", "....##", "...##", "..##", ".#", "#"},
               Olive);
    };
    Add("FormatAutoText", AutoText);
    Add("FavouritesAddVolume", [](TCanvas& C) {
        C.Cylinder(1, 1, 11, 12, Teal);
        CornerPlus(C);
    });
    Add("FormatAutoTextDropDown", [AutoText](TCanvas& C) {
        AutoText(C);
        C.Bits(9, 11, {"#####", ".###.", "..#.."}, Black);
    });
    Add("FileCompareFiles", [](TCanvas& C) {
        C.Page(0, 1, 7, 12);
        C.Page(8, 1, 15, 12);
        C.Fill(5, 13, 10, 13, Red);
        C.Fill(5, 14, 10, 14, Back);
        C.HLine(5, 10, 14, Red);
    });
    Add("FileMarkForComparison", [](TCanvas& C) {
        C.Page(1, 1, 10, 14);
        C.Check(8, 8, Red);
    });
    Add("FavouritesNewPSystemTextFile", [](TCanvas& C) {
        C.Cylinder(0, 4, 9, 15, Teal);
        C.Page(7, 0, 14, 9);
    });
    Add("ViewPSystemFiler", [](TCanvas& C) {
        C.Cylinder(0, 2, 7, 13, Teal);
        C.Cylinder(8, 2, 15, 13, Teal);
        C.Arrow(Right, 12, 8, 6, Yellow);
    });
    Add("CompileVoskSource", Compile);
    Add("EditGoToLastEdit", [](TCanvas& C) {
        C.Bits(5, 1,
               {"........##", ".......#..#", "......#..#", ".....#..#", "....#..#", "...#..#",
                "..#..#", ".#..#", ".###"},
               Black);
        C.Bits(5, 1, {"", "........##", ".......##", "......##", ".....##", "....##", "...##"},
               Yellow);
        C.Arrow(Left, 1, 13, 10, Blue);
    });
    Add("EditGoToSearchResult", [](TCanvas& C) {
        C.Magnifier(0, 0);
        C.Page(8, 5, 15, 15, false);
        C.HLine(10, 13, 10, Red);
        C.Pixel(15, 15, Black);
    });
    Add("EditGoBack", [](TCanvas& C) { C.Arrow(Left, 2, 8, 12, Blue); });
    Add("EditApplyChanges", [](TCanvas& C) {
        C.Page(1, 1, 10, 14);
        C.Check(8, 8, Green);
    });
    Add("EditDeleteWord", [](TCanvas& C) {
        C.Text("ab", 2, 5, Navy);
        C.HLine(0, 11, 7, Red);
        C.Arrow(Left, 11, 13, 4, Black);
    });
    Add("EditFindInFolder", [](TCanvas& C) {
        C.Folder(0, 0, false);
        CornerMagnifier(C);
    });
    Add("FileBrowseVolume", [](TCanvas& C) {
        C.Cylinder(0, 0, 9, 11, Teal);
        CornerMagnifier(C);
    });
    Add("FileOpenRandom", [](TCanvas& C) {
        C.Box(1, 3, 12, 14, Black, White);
        C.Fill(3, 5, 4, 6, Black);
        C.Fill(9, 11, 10, 12, Black);
        C.Fill(6, 8, 7, 9, Black);
        C.Line(2, 2, 4, 0, Black);
        C.Line(13, 2, 15, 0, Black);
        C.HLine(4, 15, 0, Black);
        C.VLine(13, 3, 14, Black);
        C.VLine(14, 1, 12, Gray);
    });
    Add("CompileWithOverride", [](TCanvas& C) {
        Compile(C);
        C.Char('!', 12, 10, Red);
    });
    Add("FormatCentre", [](TCanvas& C) {
        for (int Row = 0; Row < 5; ++Row) {
            const int Half = Row % 2 ? 3 : 6;
            C.HLine(8 - Half, 7 + Half, 2 + Row * 3, Black);
        }
    });
    Add("FilePrepareDefsHelp", [](TCanvas& C) {
        C.Page(1, 1, 10, 14, false);
        C.Char('?', 4, 4, Blue);
        C.Disc(12, 12, 3, Black, Silver);
        C.Pixel(12, 12, Black);
    });
    Add("ViewDebuggingBar", [](TCanvas& C) { Bug(C, 4, 3); });
    Add("DebugConnection", [](TCanvas& C) {
        C.Box(1, 5, 6, 10, Black, Silver);
        C.HLine(7, 8, 6, Black);
        C.HLine(7, 8, 9, Black);
        C.Box(9, 4, 14, 11, Black, Gray);
        C.HLine(0, 0, 8, Black);
        C.HLine(15, 15, 8, Black);
    });
    Add("DebugAddBreakpoint", [](TCanvas& C) {
        RedDot(C, 5, 5);
        C.Disc(6, 6, 4, Maroon, Red);
        CornerPlus(C);
    });
    Add("DebugPause", [](TCanvas& C) {
        C.Box(3, 2, 6, 13, Black, Blue);
        C.Box(9, 2, 12, 13, Black, Blue);
    });
    Add("DebugResume", [](TCanvas& C) {
        C.Box(2, 2, 4, 13, Black, Green);
        C.Play(6, 2, 11, Lime);
    });
    Add("DebugDumpMemory", [](TCanvas& C) {
        C.Box(3, 2, 12, 13, Black, Gray);
        for (int Y = 3; Y <= 12; Y += 2) {
            C.HLine(1, 2, Y, Black);
            C.HLine(13, 14, Y, Black);
        }
        C.Fill(5, 4, 10, 11, Black);
    });
    Add("DebugStepInto", [](TCanvas& C) {
        C.TextLines(1, 14, 13, 1, 2, Gray);
        C.HLine(3, 14, 11, Black);
        C.Bits(1, 1, {"######", ".....#", ".....#", ".....#"}, Blue);
        C.Arrow(Down, 6, 10, 5, Blue);
    });
    Add("DebugStepOver", [](TCanvas& C) {
        C.HLine(1, 14, 11, Black);
        C.Bits(1, 2, {"..######..", ".#......#.", "#........#"}, Blue);
        C.Arrow(Down, 10, 10, 6, Blue);
    });
    Add("DebugRunToCursor", [](TCanvas& C) {
        C.Play(1, 3, 9, Lime);
        C.Bits(10, 1,
               {"##.##", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..",
                "..#..", "##.##"},
               Black);
    });
    Add("DebugShowExecutionPoint", [](TCanvas& C) {
        C.TextLines(7, 14, 2, 7, 2, Gray);
        C.Fill(7, 7, 14, 9, Navy);
        C.Arrow(Right, 6, 8, 6, Green);
    });
    Add("CompileWhenPaused", [](TCanvas& C) {
        Compile(C);
        C.Box(10, 9, 11, 14, Black, Blue);
        C.Box(13, 9, 14, 14, Black, Blue);
    });
    Add("DebugShowTableViewer", [](TCanvas& C) {
        C.Box(1, 2, 14, 13, Black, White);
        C.Fill(2, 3, 13, 4, Teal);
        for (int Y = 5; Y <= 13; Y += 3)
            C.HLine(1, 14, Y, Black);
        C.VLine(5, 2, 13, Black);
        C.VLine(10, 2, 13, Black);
    });
    Add("ViewBringLineToMiddle", [](TCanvas& C) {
        C.TextLines(4, 11, 1, 2, 2, Gray);
        C.TextLines(4, 11, 12, 2, 2, Gray);
        C.Fill(2, 7, 13, 8, Navy);
        C.Arrow(Down, 14, 5, 5, Blue);
        C.Arrow(Up, 14, 10, 5, Blue);
    });
    Add("DebugFindDeclaration", [](TCanvas& C) {
        C.Char('{', 1, 1, Navy);
        C.Char('}', 8, 1, Navy);
        C.Magnifier(6, 6);
    });
    Add("DebugGoToBreakpointsTab", [](TCanvas& C) {
        DebugTab(C);
        RedDot(C, 8, 9);
    });
    Add("DebugGoToCallStackTab", [](TCanvas& C) {
        DebugTab(C);
        for (int Row = 0; Row < 3; ++Row)
            C.Fill(4, 6 + Row * 3, 11, 7 + Row * 3, Row == 0 ? Green : Teal);
    });
    Add("DebugGoToStructureTab", [](TCanvas& C) {
        DebugTab(C);
        C.VLine(4, 6, 12, Gray);
        C.HLine(4, 6, 8, Gray);
        C.HLine(4, 6, 12, Gray);
        C.Fill(7, 7, 11, 9, Blue);
        C.Fill(7, 11, 11, 13, Blue);
    });
    Add("DebugGoToWatchesTab", [](TCanvas& C) {
        DebugTab(C);
        C.Ring(5, 9, 2, Black);
        C.Ring(10, 9, 2, Black);
        C.Pixel(5, 9, Blue);
        C.Pixel(10, 9, Blue);
    });
    Add("DebugGoToNextTab", [](TCanvas& C) {
        DebugTab(C);
        C.Arrow(Right, 12, 9, 8, Blue);
    });
    Add("DebugGoToPreviousTab", [](TCanvas& C) {
        DebugTab(C);
        C.Arrow(Left, 3, 9, 8, Blue);
    });
    Add("HelpKorvidHelp", [](TCanvas& C) {
        C.Box(2, 1, 13, 14, Black, Navy);
        C.VLine(4, 1, 14, Blue);
        C.Char('?', 7, 5, Yellow);
    });
    Add("DebugStepOut", [](TCanvas& C) {
        C.Frame(1, 6, 9, 14, Black);
        C.Arrow(Up, 12, 1, 11, Blue);
        C.HLine(5, 12, 11, Blue);
    });
    Add("DebugAbort", [](TCanvas& C) { C.Box(3, 3, 12, 12, Maroon, Red); });
    Add("ViewDefsEditor", [](TCanvas& C) {
        C.Cylinder(1, 1, 10, 14, Olive);
        C.Bits(9, 6, {"....##", "...#.#", "..#.#", ".#.#", "###", "##"}, Black);
    });
    Add("FormatLintrel", [](TCanvas& C) {
        C.Page(2, 1, 13, 14, false);
        C.Text("[[", 3, 5, Blue);
        C.Text("]]", 7, 9, Blue);
    });
    Add("EditGoStraightToSearchResult", [](TCanvas& C) {
        C.Magnifier(0, 0);
        C.Arrow(Right, 15, 12, 8, Blue);
        C.Arrow(Right, 11, 12, 1, Blue);
    });
    Add("EditFindInAllOpenDocuments", [](TCanvas& C) {
        C.Page(5, 0, 14, 9, false);
        C.Page(3, 2, 12, 11, false);
        C.Page(1, 4, 10, 13, false);
        CornerMagnifier(C);
    });
    Add("FileCompareTheseFiles", [](TCanvas& C) {
        C.Page(0, 0, 7, 10);
        C.Page(8, 0, 15, 10);
        C.Arrow(Left, 1, 13, 6, Blue);
        C.Arrow(Right, 14, 13, 6, Blue);
    });
    Add("FavouritesLocateFile", [](TCanvas& C) {
        C.Star(0, 0, Yellow);
        CornerMagnifier(C);
    });
    auto Subversion = [](TCanvas& C) {
        C.Folder(0, 5, false);
        C.Disc(4, 10, 2, Navy, Aqua);
    };
    Add("SubversionUpdate", [Subversion](TCanvas& C) {
        Subversion(C);
        C.Arrow(Down, 12, 9, 9, Green);
    });
    Add("SubversionCommit", [Subversion](TCanvas& C) {
        Subversion(C);
        C.Arrow(Up, 12, 0, 9, Red);
    });
    Add("SubversionLog", [Subversion](TCanvas& C) {
        Subversion(C);
        C.Box(9, 0, 15, 8, Black, White);
        C.TextLines(10, 14, 2, 3, 2, Navy);
    });
    Add("SubversionBrowse", [Subversion](TCanvas& C) {
        Subversion(C);
        C.Disc(11, 4, 4, Navy, Aqua);
        C.VLine(11, 0, 8, Navy);
        C.HLine(7, 15, 4, Navy);
    });
    Add("DebugUndoFindDeclaration", [](TCanvas& C) {
        C.Magnifier(6, 6);
        C.CurvedArrow(false, 3, 0, Navy);
    });
    Add("DebugFindInCurrentSources", [](TCanvas& C) {
        C.Page(4, 0, 13, 10, false);
        Bug(C, 6, 1);
        C.Magnifier(0, 6);
    });
    Add("EditGoToNextSearchResult", [](TCanvas& C) {
        C.Magnifier(0, 0);
        C.Arrow(Down, 12, 15, 9, Blue);
    });
    Add("EditGoToPreviousSearchResult", [](TCanvas& C) {
        C.Magnifier(0, 6);
        C.Arrow(Up, 12, 0, 9, Blue);
    });
    Add("EditPlayKeystrokesRepeatedly", [](TCanvas& C) {
        C.Play(1, 2, 11, Green);
        C.Bits(8, 4, {".####.", "#....#", "#....#", "#....#", ".#..#.", "###.###", ".#..#"}, Navy);
    });
    Add("FormatAsComment", [](TCanvas& C) {
        C.Line(1, 14, 6, 1, Green);
        C.Line(2, 14, 7, 1, Green);
        C.Line(7, 14, 12, 1, Green);
        C.Line(8, 14, 13, 1, Green);
    });
    Add("SetSearchTermToSelection", [](TCanvas& C) {
        C.Fill(0, 1, 9, 6, Navy);
        C.Text("ab", 1, 1, White);
        CornerMagnifier(C);
    });
    Add("FileCloseAll", [](TCanvas& C) {
        Pages(C);
        CornerCross(C);
    });
    Add("EditAnchorSelection", [](TCanvas& C) {
        C.Ring(8, 2, 1, Black);
        C.VLine(8, 4, 13, Black);
        C.HLine(5, 11, 6, Black);
        C.Bits(
            2, 9,
            {"#...........#", "##.........##", ".##.......##.", "..###...###..", "....#####...."},
            Black);
    });
    Add("EditCopyRecordedKeystrokes", [](TCanvas& C) {
        Pages(C);
        RedDot(C, 12, 12);
    });
    Add("EditPickRecordedKeystrokes", [](TCanvas& C) {
        C.Box(1, 1, 11, 14, Black, White);
        C.Fill(2, 5, 10, 7, Navy);
        C.TextLines(3, 9, 3, 6, 2, Gray);
        RedDot(C, 12, 12);
    });
    Add("FavouritesOpenExternally", [](TCanvas& C) {
        C.Star(0, 5, Yellow);
        C.Frame(9, 0, 15, 6, Black);
        C.Arrow(Up, 15, 0, 1, Blue);
        C.Line(11, 4, 15, 0, Blue);
    });
    auto Diff = [](TCanvas& C) {
        C.Plus(10, 1, Lime);
        C.Minus(10, 8, Red);
    };
    Add("SubversionDiff", [Subversion, Diff](TCanvas& C) {
        Subversion(C);
        Diff(C);
    });
    Add("FileSubversionDiff", [Diff](TCanvas& C) {
        C.Page(1, 1, 10, 14);
        Diff(C);
    });
    Add("FileSubversionLog", [](TCanvas& C) {
        C.Page(1, 1, 10, 14);
        C.Clock(11, 11, 4);
    });
    Add("EditGoToLastError", [](TCanvas& C) {
        C.Bits(1, 1,
               {".......#", "......###", "......#.#", ".....##.##", ".....#...#", "....##...##",
                "....#.....#", "...##.....##", "...#########"},
               Black);
        C.Bits(1, 1,
               {"", ".......#", ".......#", "......###", "......###", ".....#####", ".....#####",
                "....#######"},
               Yellow);
        C.VLine(8, 3, 6, Red);
        C.Pixel(8, 8, Red);
        C.Arrow(Left, 1, 13, 12, Blue);
    });
    return List;
}

// The picture of a bookmark that is set: the ribbon filled in.
void DrawBookmarkOn(TCanvas& C, char Digit) {
    C.Flag(4, 2, Blue, true);
    C.Char(Digit, 7, 4, White);
}

std::string Upper(std::string Text) {
    for (char& C : Text)
        C = char(std::toupper(static_cast<unsigned char>(C)));
    return Text;
}

bool Save(const TCanvas& Canvas, const QDir& Folder, const std::string& ResourceName) {
    QImage Image = Canvas.Image();
    // The bottom-left pixel names the transparent colour.
    Image.setPixel(0, 15, 0xFF000000u | Back);
    return Image.save(Folder.filePath(QString::fromStdString(ResourceName + ".png")), "PNG");
}

} // namespace

int main(int argc, char** argv) {
    return RunPictureGenerator(argc, argv, "glyphs", [](const QDir& Folder, auto& Names) {
        for (const TGlyph& Glyph : Glyphs()) {
            TCanvas Canvas;
            Glyph.Draw(Canvas);
            Names.push_back("GLYPH_" + Upper(Glyph.Name));
            if (!Save(Canvas, Folder, Names.back()))
                return false;
        }
        for (char Digit : std::string("1234567890")) {
            TCanvas Canvas;
            DrawBookmarkOn(Canvas, Digit);
            Names.push_back("GLYPH_EDITTOGGLEBOOKMARK" + std::string(1, Digit) + "ON");
            if (!Save(Canvas, Folder, Names.back()))
                return false;
        }
        return true;
    });
}
