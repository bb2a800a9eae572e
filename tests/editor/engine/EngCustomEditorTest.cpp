#include "editor/engine/EngCustomEditor.h"

#include "FakeEditorHost.h"
#include "editor/engine/EngException.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::LoadText;
using test::ParasOf;
using TParas = std::vector<std::string>;

class Editor : public ::testing::Test {
protected:
    Editor() : E(Host, &Controller) { E.WindowCreated(); }
    test::TFakeEditorHost Host;
    TEngController Controller;
    TEngCustomEditor E;

    void Load(const TParas& Paras) { LoadText(E, Paras); }
};

TEST_F(Editor, StartsEmptyWithItsDefaults) {
    EXPECT_EQ(ParasOf(E), TParas{""});
    EXPECT_EQ(E.CaretLine(), 1);
    EXPECT_EQ(E.CaretPos(), 1);
    EXPECT_EQ(E.TopLine(), 1);
    EXPECT_EQ(E.RightMargin(), 5);
    EXPECT_EQ(E.LeftMargin(), 15);
    EXPECT_EQ(E.WordDelimiters().size(), 35u);
    EXPECT_EQ(E.WordDelimiters(), "\t'\r\n ,./?;:`\"<>[]{}-=\\+|()%@&^$#!~*");
    EXPECT_EQ(E.VisibleColumns(), 80);
    EXPECT_EQ(E.VisibleLines(), 10);
    EXPECT_EQ(E.LineHeight(), 16);
}

TEST_F(Editor, ErrorsGoToTheHandlerOrRaise) {
    Load({"one"});
    E.SetParaLimit(1);
    E.MoveCaretToPara(1, 2);
    try {
        E.PerformEnter();
        FAIL() << "no exception";
    } catch (const EEditorError& Error) {
        EXPECT_EQ(Error.ErrorCode(), 265);
        EXPECT_STREQ(Error.what(),
                     "Current operation will exceed the maximum number of allowed paragraphs");
    }
    int Seen = 0;
    E.OnError = [&](TEngCustomEditor&, int& Code) { Seen = Code; };
    E.PerformEnter();
    EXPECT_EQ(Seen, 265);
    EXPECT_EQ(ParasOf(E), TParas{"one"});
    E.Error(0); // code 0 does nothing
    EXPECT_EQ(Seen, 265);
}

TEST_F(Editor, MeasuringNeverDividesByZero) {
    Host.CharWidth = 0;
    Host.FontHeight = -1;
    Host.Width = 3;
    Host.Height = 0;
    E.Measure();
    EXPECT_EQ(E.CharWidth(), 1);
    EXPECT_EQ(E.LineHeight(), 1);
    EXPECT_EQ(E.VisibleColumns(), 1);
    EXPECT_EQ(E.VisibleLines(), 1);
}

// A window whose width changes every time it is asked, as when a scroll bar keeps appearing
// and disappearing: measuring must still end.
class TFlippingHost : public test::TFakeEditorHost {
public:
    int Asked = 0;
    int ClientWidth() override { return ++Asked % 2 ? 400 : 300; }
};

TEST(EditorMeasure, AFlippingWindowDoesNotLoopForever) {
    TFlippingHost Host;
    TEngCustomEditor E(Host);
    E.WindowCreated();
    EXPECT_LT(Host.Asked, 20);
}

TEST_F(Editor, WrapToWindowFollowsTheWidthAndNeverGoesBelowOne) {
    Load({std::string(50, 'x')});
    E.SetWordWrap(true);
    E.SetWrapToWindow(true);
    EXPECT_EQ(E.WrapColumn(), 78);
    Host.Width = 15 + 5 + 2 * 8; // two columns
    E.Measure();
    EXPECT_EQ(E.WrapColumn(), 1);
    EXPECT_EQ(E.LineCount(), 50);
    Host.Width = 15 + 5 + 22 * 8;
    E.Measure();
    EXPECT_EQ(E.WrapColumn(), 20);
    EXPECT_EQ(E.LineCount(), 3);
}

TEST_F(Editor, TypingInsertsOverwritesAndReplacesTheSelection) {
    int Changes = 0;
    E.OnChange = [&](TEngCustomEditor&) { ++Changes; };
    for (char C : std::string("abc\x7f"))
        E.TypeChar(C);
    EXPECT_EQ(ParasOf(E), TParas{"abc"});
    EXPECT_EQ(E.CaretPos(), 4);
    EXPECT_EQ(Changes, 3);
    E.SetInsertMode(false);
    E.MoveCaretToPara(1, 2);
    E.TypeChar('X');
    E.SetScrollPastEnd(true);
    E.MoveCaretToPara(1, 6); // beyond the end: padded insert
    E.TypeChar('Y');
    EXPECT_EQ(ParasOf(E), TParas{"aXc  Y"});
    E.SetSelectionParas({1, 1}, {1, 4}, true);
    E.TypeChar('Z');
    EXPECT_EQ(ParasOf(E), TParas{"Z  Y"});
    E.Lines().Undo(&E);
    EXPECT_EQ(ParasOf(E), TParas{"aXc  Y"});
}

TEST_F(Editor, EnterSplitsWithAutoIndent) {
    struct TCase {
        TTabType Tab;
        bool Auto;
        std::string Para;
        int Pos;
        TParas Want;
        int WantPos;
    } Cases[] = {
        {ttReal, false, "\t  foo bar", 8, {"\t  foo", "bar"}, 1},
        {ttReal, true, "\t  foo bar", 8, {"\t  foo", "\t  bar"}, 4},
        {ttFixed, true, "\t  foo bar", 8, {"\t  foo", std::string(10, ' ') + "bar"}, 11},
        {ttReal, true, "    x", 3, {"", "  " + std::string("  x")}, 3},
    };
    for (const auto& Case : Cases) {
        test::TFakeEditorHost H;
        TEngCustomEditor Ed(H);
        Ed.WindowCreated();
        LoadText(Ed, {Case.Para});
        Ed.SetTabType(Case.Tab);
        Ed.AutoIndent = Case.Auto;
        Ed.MoveCaretToPara(1, Case.Pos);
        Ed.PerformEnter();
        EXPECT_EQ(ParasOf(Ed), Case.Want) << Case.Para << " at " << Case.Pos;
        EXPECT_EQ(Ed.CaretPara(), 2);
        EXPECT_EQ(Ed.CaretPos(), Case.WantPos) << Case.Para << " at " << Case.Pos;
    }
}

TEST_F(Editor, EnterInOverwriteModeOnlyMoves) {
    Load({"ab", "cd"});
    E.SetInsertMode(false);
    E.PerformEnter();
    EXPECT_EQ(E.CaretPara(), 2);
    E.PerformEnter();
    EXPECT_EQ(E.CaretPos(), 3); // the end of the last line
    EXPECT_EQ(ParasOf(E), (TParas{"ab", "cd"}));
}

struct TTabCase {
    const char* Name;
    TTabType Tab;
    TParas Text;
    TTextPos Caret;
    TParas Want;
};

TEST_F(Editor, Tabs) {
    const TTabCase Cases[] = {
        {"fixed from 3", ttFixed, {"ab"}, {1, 3}, {"ab" + std::string(6, ' ')}},
        {"fixed from 9", ttFixed, {"abcdefgh"}, {1, 9}, {"abcdefgh" + std::string(8, ' ')}},
        {"real", ttReal, {"ab"}, {1, 2}, {"a\tb"}},
        {"smart under a word", ttSmart, {"   xyz word", "abc"}, {2, 4}, {"   xyz word", "abc    "}},
        {"smart under blanks", ttSmart, {"   xyz word", ""}, {2, 1}, {"   xyz word", "   "}},
        {"smart in the first paragraph",
         ttSmart,
         {"abc", "      x"},
         {1, 2},
         {"a       bc", "      x"}},
        {"smart under a short line", ttSmart, {"ab", "xyz"}, {2, 3}, {"ab", "xy      z"}},
        {"smart to the end of the line above", ttSmart, {"ab", "x"}, {2, 2}, {"ab", "x "}},
        {"smart from the line below", ttSmart, {"", "", "    y"}, {2, 1}, {"", "    ", "    y"}},
        {"smart with tabs above", ttSmart, {"\tz", "q"}, {2, 2}, {"\tz", "q       "}},
    };
    for (const auto& Case : Cases) {
        test::TFakeEditorHost H;
        TEngCustomEditor Ed(H);
        Ed.WindowCreated();
        LoadText(Ed, Case.Text);
        Ed.SetTabType(Case.Tab);
        Ed.MoveCaretToPara(Case.Caret.Para, Case.Caret.Pos);
        Ed.PerformTab();
        EXPECT_EQ(ParasOf(Ed), Case.Want) << Case.Name;
    }
}

TEST_F(Editor, OverwriteTabReplacesAsManyAndUndoesInOneStep) {
    Load({"abcdefghij"});
    E.SetTabType(ttFixed);
    E.SetInsertMode(false);
    E.MoveCaretToPara(1, 3);
    E.PerformTab();
    EXPECT_EQ(ParasOf(E), TParas{"ab      ij"});
    EXPECT_EQ(E.CaretPos(), 9);
    E.Lines().Undo(&E);
    EXPECT_EQ(ParasOf(E), TParas{"abcdefghij"});
    EXPECT_FALSE(E.Lines().CanUndo());
}

TEST_F(Editor, ReadOnlyKeysChangeNothing) {
    Load({"abc", "def"});
    E.ReadOnly = true;
    E.MoveCaretToPara(2, 1);
    E.PerformTab();
    E.Backspace();
    E.DeleteWord();
    E.DeleteLine();
    E.DeleteToLineStart();
    E.DeleteToLineEnd();
    E.TypeChar('x');
    EXPECT_EQ(ParasOf(E), (TParas{"abc", "def"}));
}

struct TDeleteCase {
    const char* Name;
    void (TEngCustomEditor::*Key)();
    TParas Text;
    TTextPos Caret;
    TParas Want;
    TTextPos WantCaret;
};

TEST_F(Editor, DeletionKeys) {
    using T = TEngCustomEditor;
    const TDeleteCase Cases[] = {
        {"backspace at the start", &T::Backspace, {"ab"}, {1, 1}, {"ab"}, {1, 1}},
        {"backspace in a paragraph", &T::Backspace, {"abc"}, {1, 3}, {"ac"}, {1, 2}},
        {"backspace joins", &T::Backspace, {"ab", "cd"}, {2, 1}, {"abcd"}, {1, 3}},
        {"backspace beyond the end only moves",
         &T::Backspace,
         {"ab", "cd"},
         {1, 6},
         {"ab", "cd"},
         {1, 5}},
        {"backspace at the end", &T::Backspace, {"ab", "cd"}, {1, 3}, {"a", "cd"}, {1, 2}},
        {"word then comma", &T::DeleteWord, {"word, next"}, {1, 1}, {", next"}, {1, 1}},
        {"on the comma", &T::DeleteWord, {"word, next"}, {1, 5}, {"word next"}, {1, 5}},
        {"word with blanks", &T::DeleteWord, {"word \t next"}, {1, 1}, {"next"}, {1, 1}},
        {"word at the end joins", &T::DeleteWord, {"ab", "cd"}, {1, 3}, {"abcd"}, {1, 3}},
        {"line start", &T::DeleteToLineStart, {"abcdef"}, {1, 4}, {"def"}, {1, 1}},
        {"line start at the start", &T::DeleteToLineStart, {"abc"}, {1, 1}, {"bc"}, {1, 1}},
        {"line start of empty", &T::DeleteToLineStart, {"", "x"}, {1, 1}, {"", "x"}, {1, 1}},
        {"line end", &T::DeleteToLineEnd, {"abcdef", "x"}, {1, 3}, {"ab", "x"}, {1, 3}},
        {"line end beyond", &T::DeleteToLineEnd, {"ab", "x"}, {1, 4}, {"ab", "x"}, {1, 4}},
        {"delete last line", &T::DeleteLine, {"ab", "cd"}, {2, 2}, {"ab", ""}, {2, 1}},
        {"delete a line", &T::DeleteLine, {"ab", "cd", "ef"}, {2, 2}, {"ab", "ef"}, {2, 1}},
        {"delete the first line", &T::DeleteLine, {"ab", "cd"}, {1, 2}, {"cd"}, {1, 1}},
        {"delete at the caret joins with padding",
         &T::DeleteAtCaret,
         {"ab", "cd"},
         {1, 5},
         {"ab  cd"},
         {1, 5}},
    };
    for (const auto& Case : Cases) {
        test::TFakeEditorHost H;
        TEngCustomEditor Ed(H);
        Ed.WindowCreated();
        Ed.SetScrollPastEnd(true);
        LoadText(Ed, Case.Text);
        Ed.MoveCaretToPara(Case.Caret.Para, Case.Caret.Pos);
        (Ed.*Case.Key)();
        EXPECT_EQ(ParasOf(Ed), Case.Want) << Case.Name;
        EXPECT_EQ((TTextPos{Ed.CaretPara(), Ed.CaretPos()}), Case.WantCaret) << Case.Name;
        EXPECT_FALSE(Ed.HasSelection()) << Case.Name;
    }
}

TEST_F(Editor, DeleteLineOfAWrappedParagraphTakesOnlyItsCharacters) {
    E.SetWrapColumn(4);
    E.SetWordWrap(true);
    Load({"aaa bbb ccc", "x"});
    ASSERT_EQ(E.LineCount(), 4);
    E.MoveCaret(2, 2);
    E.DeleteLine();
    EXPECT_EQ(ParasOf(E), (TParas{"aaa ccc", "x"}));
    E.Lines().Undo(&E);
    EXPECT_EQ(ParasOf(E), (TParas{"aaa bbb ccc", "x"}));
}

TEST_F(Editor, InsertingALongTextKeepsItsLineEndsWhole) {
    // Lines of 98 characters with CR LF: a CR LF falls across every multiple of 61,440.
    std::string Text;
    TParas Want;
    for (int I = 0; I < 800; ++I) {
        std::string Line(98, static_cast<char>('a' + I % 26));
        Text += Line + "\r\n";
        Want.push_back(Line);
    }
    Want.emplace_back();
    EXPECT_EQ(E.InsertReplacingSelection(Text), 0);
    EXPECT_EQ(ParasOf(E), Want);
    EXPECT_EQ(E.CaretPara(), 1); // returns to where the insertion began
    TEngCustomEditor::MoveAfterPaste = true;
    E.InsertReplacingSelection("x\r\ny");
    TEngCustomEditor::MoveAfterPaste = false;
    EXPECT_EQ((TTextPos{E.CaretPara(), E.CaretPos()}), (TTextPos{2, 2}));
}

TEST_F(Editor, SelectionCopiesWithCrLfAndExtendsFromItsAnchor) {
    Load({"abc", "def", "ghi"});
    E.MoveCaretToPara(1, 2);
    E.MoveCaretBy(1, 0, {true, false, false});
    E.MoveCaretBy(1, 0, {true, false, false});
    EXPECT_EQ(E.SelStart().P, (TTextPos{1, 2}));
    EXPECT_EQ(E.SelEnd().P, (TTextPos{3, 2}));
    E.MoveCaretBy(-2, -1, {true, false, false}); // past the anchor: the ends swap
    EXPECT_EQ(E.SelStart().P, (TTextPos{1, 1}));
    EXPECT_EQ(E.SelEnd().P, (TTextPos{1, 2}));
    E.SetSelectionParas({1, 2}, {3, 3}, false);
    EXPECT_EQ(E.CaretPara(), 1);
    E.CopySelectionToClipboard();
    EXPECT_EQ(Host.Clipboard, "bc\r\ndef\r\ngh");
    E.CollapseSelection(true);
    EXPECT_FALSE(E.HasSelection());
    EXPECT_EQ((TTextPos{E.CaretPara(), E.CaretPos()}), (TTextPos{3, 3}));
}

TEST_F(Editor, VerticalMovesKeepTheDisplayColumn) {
    Load({"\tx", "abcdefghijk", "ab"});
    E.MoveCaretToPara(1, 2); // column 9
    E.MoveCaretBy(1, 0, {});
    EXPECT_EQ(E.CaretPos(), 9);
    E.MoveCaretBy(1, 0, {}); // a short line: to its end
    EXPECT_EQ(E.CaretPos(), 3);
    E.MoveCaretBy(1, 0, {}); // past the last line: nothing
    EXPECT_EQ(E.CaretLine(), 3);
    E.SetScrollPastEnd(true);
    E.MoveCaretBy(0, 5, {});
    EXPECT_EQ(E.CaretPos(), 8);
}

// ---- Scrolling ----

TEST_F(Editor, ScrollingStopsAtTheEnds) {
    TParas Text(30, "x");
    Load(Text);
    int TopSeen = 0;
    E.OnTopLineChanged = [&](TEngCustomEditor&, int Top) { TopSeen = Top; };
    E.ScrollText(0, 100);
    EXPECT_EQ(E.TopLine(), 21);
    EXPECT_EQ(TopSeen, 21);
    E.ScrollText(0, -100);
    EXPECT_EQ(E.TopLine(), 1);
    E.ScrollText(-5, 0);
    EXPECT_EQ(E.LeftColumn(), 0);
}

TEST_F(Editor, OneRowScrollMovesPixels) {
    Load(TParas(30, "x"));
    E.PaintDone();
    Host.Scrolls.clear();
    E.ScrollText(0, 1);
    ASSERT_EQ(Host.Scrolls.size(), 2u); // text and bookmark margin
    EXPECT_EQ(Host.Scrolls[0].Dy, -16);
    EXPECT_EQ(Host.Scrolls[0].Area, (TPixelRect{15, 0, 15 + 80 * 8, 160}));
    EXPECT_EQ(Host.Scrolls[1].Area, (TPixelRect{0, 0, 15, 160}));
}

TEST_F(Editor, VerticalScaleOfALongText) {
    for (int I = 1; I < 70000; ++I)
        E.Lines().AppendPara("", false);
    ASSERT_EQ(E.LineCount(), 70000);
    EXPECT_EQ(E.VertScale(), 4);
    EXPECT_EQ(E.VertRange(), 17500);
    E.UpdateVertRange();
    EXPECT_EQ(Host.VertRange.Max, 17500);
    EXPECT_EQ(Host.VertRange.Page, 2);
}

TEST_F(Editor, VerticalBarHiddenForShortTextsUnlessAlwaysShown) {
    Load({"a"});
    E.UpdateVertRange();
    EXPECT_EQ(Host.VertRange.Min, 1);
    EXPECT_EQ(Host.VertRange.Max, 1);
    E.SetScrollBarsAlways(true);
    E.UpdateVertRange();
    EXPECT_EQ(Host.VertRange.Max, 10);
}

TEST_F(Editor, PointerToTextPosition) {
    Load(TParas(30, "abcdefghij"));
    E.ScrollText(0, 5); // top line 6
    struct TCase {
        const char* Name;
        int X;
        int Y;
        std::pair<int, int> Want;
    } Cases[] = {
        {"first row, first cell", 15, 0, {6, 1}},
        {"right half of a cell", 15 + 5, 20, {7, 2}},
        {"partly visible bottom row", 15, 162, {15, 1}},
        {"below the window", 15, 500, {16, 1}},
        {"above the window", 15, -3, {5, 1}},
        {"left margin", 2, 0, {6, 1}},
        {"beyond the line's end", 15 + 8 * 40, 0, {6, 11}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(E.PointToTextPos(Case.X, Case.Y), Case.Want) << Case.Name;
    E.SetScrollPastEnd(true);
    EXPECT_EQ(E.PointToTextPos(15 + 8 * 80 - 4, 0), std::make_pair(6, 80)); // the right edge
    EXPECT_EQ(E.PointToTextPos(15 + 8 * 80 - 5, 0), std::make_pair(6, 80));
    EXPECT_EQ(E.PointToTextPos(700, 0), std::make_pair(6, 87)); // outside the client area
}

TEST_F(Editor, CaretPlacementAndStatus) {
    Load({"abc", "def"});
    std::pair<int, int> Status;
    E.OnShowStatus = [&](TEngCustomEditor&, int Line, int Column) { Status = {Line, Column}; };
    E.MoveCaretToPara(2, 3);
    EXPECT_EQ(Host.CaretX, 15 + 2 * 8);
    EXPECT_EQ(Host.CaretY, 16);
    ASSERT_FALSE(Host.CaretReports.empty());
    EXPECT_EQ(Host.CaretReports.back(), std::make_pair(2, 3));
    E.CaretMoved(2, 70000); // columns beyond 16 bits pass whole
    EXPECT_EQ(Status, std::make_pair(2, 70000));
    E.ScrollText(0, 1); // the caret line stays, so it is still visible; then off the window
    E.ScrollText(0, -1);
    Host.Focused = false;
    Host.CaretX = -1;
    E.PlaceCaret();
    EXPECT_EQ(Host.CaretX, -1); // no caret without the focus
}

TEST_F(Editor, MovingTheCaretScrollsItIntoView) {
    Load(TParas(40, std::string(200, 'x')));
    E.MoveCaretToPara(25, 1);
    EXPECT_EQ(E.TopLine(), 16);
    E.MoveCaretToPara(3, 1);
    EXPECT_EQ(E.TopLine(), 3);
    E.MoveCaretToPara(3, 120);
    EXPECT_EQ(E.LeftColumn(), 40);
    E.MoveCaretToPara(3, 2);
    EXPECT_EQ(E.LeftColumn(), 0);
    E.MoveCaretBy(5, 0, {false, false, true}); // keeping the caret's row
    EXPECT_EQ(E.TopLine(), 8);
}

TEST_F(Editor, InsertModeIsSharedThroughTheController) {
    E.SetController(&Controller);
    Controller.InsertMode = false;
    E.FocusEntered();
    EXPECT_FALSE(E.InsertMode());
    E.SetInsertMode(true);
    E.FocusLeft();
    EXPECT_TRUE(Controller.InsertMode);
    TEngCustomEditor Lone(Host);
    EXPECT_THROW(Lone.RequireController(), ENoControllerAssigned);
}

// ---- Shared text ----

class SharedText : public ::testing::Test {
protected:
    SharedText() : A(HostA), B(HostB) {
        A.WindowCreated();
        B.WindowCreated();
        B.Attach(A);
        LoadText(A, TParas(30, "0123456789"));
        B.ScrollText(0, 4); // top line 5
        B.MoveCaretToPara(6, 5);
        B.SetSelectionParas({7, 3}, {8, 4}, true);
        B.MoveCaretToPara(6, 5, true); // selection (6,5)..(7,3) with the caret at its start
    }
    test::TFakeEditorHost HostA;
    test::TFakeEditorHost HostB;
    TEngCustomEditor A;
    TEngCustomEditor B;

    TTextPos CaretB() const { return {B.CaretPara(), B.CaretPos()}; }
    char AtCaretB() { return A.Lines().ParaText(B.CaretPara())[B.CaretPos() - 1]; }
};

TEST_F(SharedText, TheOtherEditorFollowsEveryKindOfChange) {
    ASSERT_TRUE(A.Shares(B));
    ASSERT_EQ(B.TopLine(), 5);
    ASSERT_EQ(CaretB(), (TTextPos{6, 5}));
    ASSERT_EQ(B.SelEnd().P, (TTextPos{7, 3}));

    // Typing before the caret in its paragraph.
    A.MoveCaretToPara(6, 2);
    A.TypeChar('x');
    EXPECT_EQ(CaretB(), (TTextPos{6, 6}));
    EXPECT_EQ(AtCaretB(), '4');

    // A new paragraph above B's top line: B keeps showing the same text.
    A.MoveCaretToPara(2, 3);
    A.PerformEnter();
    EXPECT_EQ(B.TopLine(), 6);
    EXPECT_EQ(B.TopPara(), 6);
    EXPECT_EQ(CaretB(), (TTextPos{7, 6}));
    EXPECT_EQ(AtCaretB(), '4');
    EXPECT_EQ(B.SelEnd().P, (TTextPos{8, 3}));
    EXPECT_EQ(B.SelEnd().Line, 8);

    // A deletion before the caret.
    A.MoveCaretToPara(7, 1);
    A.DeleteWord(); // "0x123456789": all of it
    EXPECT_EQ(CaretB(), (TTextPos{7, 1}));

    // Joining the caret's paragraph to the one above.
    A.MoveCaretToPara(7, 1);
    A.Backspace();
    EXPECT_EQ(CaretB(), (TTextPos{6, 11}));
    EXPECT_EQ(B.SelEnd().P, (TTextPos{7, 3}));

    // Deleting the paragraph of both selection ends collapses B's selection at its caret.
    A.MoveCaretToPara(6, 1);
    A.DeleteLine();
    EXPECT_EQ(CaretB(), (TTextPos{6, 1}));
    EXPECT_EQ(B.SelEnd().P, (TTextPos{6, 3}));
    A.MoveCaretToPara(6, 1);
    A.DeleteLine();
    EXPECT_EQ(CaretB(), (TTextPos{6, 1}));
    EXPECT_FALSE(B.HasSelection());
    EXPECT_TRUE(HostB.InvalidateAllCount > 0);
    EXPECT_TRUE(B.FullRepaintPending());
}

TEST_F(SharedText, UndoMovesTheOtherEditorBack) {
    A.MoveCaretToPara(6, 1);
    A.TypeChar('a');
    A.TypeChar('b');
    EXPECT_EQ(CaretB(), (TTextPos{6, 7}));
    A.Lines().Undo(&A);
    EXPECT_EQ(CaretB(), (TTextPos{6, 5}));
    EXPECT_EQ(AtCaretB(), '4');
}

TEST_F(SharedText, SplittingAtTheTopLineStart) {
    A.ScrollText(0, 4);
    ASSERT_EQ(A.TopLine(), 5);
    A.MoveCaretToPara(5, 1);
    A.PerformEnter();
    EXPECT_EQ(A.TopLine(), 5); // the editor that split stays
    EXPECT_EQ(B.TopLine(), 6); // the other one follows its text
}

TEST_F(SharedText, DestroyingTheOwnerLeavesTheTextWithTheOther) {
    test::TFakeEditorHost Host;
    auto C = std::make_unique<TEngCustomEditor>(Host);
    TEngCustomEditor D(HostB);
    LoadText(*C, {"kept"});
    D.Attach(*C);
    C.reset();
    EXPECT_EQ(ParasOf(D), TParas{"kept"});
    D.MoveCaretToPara(1, 5);
    D.TypeChar('!');
    EXPECT_EQ(ParasOf(D), TParas{"kept!"});
}

TEST_F(SharedText, ClearAllEmptiesEveryEditor) {
    A.ClearAll();
    EXPECT_EQ(ParasOf(B), TParas{""});
    EXPECT_EQ(CaretB(), (TTextPos{1, 1}));
    EXPECT_EQ(B.TopLine(), 1);
    B.TypeChar('q');
    EXPECT_EQ(ParasOf(A), TParas{"q"});
}

} // namespace
} // namespace korvid
