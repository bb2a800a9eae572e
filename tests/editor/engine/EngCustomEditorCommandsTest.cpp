#include "editor/engine/EngCommand.h"
#include "editor/engine/EngCustomEditor.h"

#include "FakeEditorHost.h"
#include "editor/engine/EngException.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::LoadText;
using test::ParasOf;
using TParas = std::vector<std::string>;

class Commands : public ::testing::Test {
protected:
    Commands() : E(Host, &Controller) {
        E.WindowCreated();
        E.OnChange = [this](TEngCustomEditor&) { ++Changes; };
    }
    test::TFakeEditorHost Host;
    TEngController Controller;
    TEngCustomEditor E;
    int Changes = 0;

    void Load(const TParas& Paras) { LoadText(E, Paras); }
    TTextPos Caret() const { return {E.CaretPara(), E.CaretPos()}; }
    void Select(TTextPos A, TTextPos B) { E.SetSelectionParas(A, B, true); }
    static TParas Numbered(int Count) {
        TParas Paras;
        for (int I = 1; I <= Count; ++I)
            Paras.push_back("line " + std::to_string(I));
        return Paras;
    }
};

TEST_F(Commands, AnswerTrueOnlyForTheCodesTheyHandle) {
    Load({"abc"});
    for (const int Code : {0, 3, 4, 5, 9, 43, 49, 50, 54, 69, 70, 76, 248, 250, 252, 254, 255})
        EXPECT_FALSE(E.ProcessCommand(static_cast<std::uint16_t>(Code), 0)) << Code;
    EXPECT_EQ(ParasOf(E), TParas{"abc"});
    EXPECT_EQ(Caret(), (TTextPos{1, 1}));
    EXPECT_EQ(Changes, 0);
    for (const int Code : {1, 2, 6, 7, 10, 42, 53, 72, 75, 249})
        EXPECT_TRUE(E.ProcessCommand(static_cast<std::uint16_t>(Code), 'x')) << Code;
}

TEST_F(Commands, UserCommandsGoToTheirEvent) {
    std::vector<int> Seen;
    E.OnUserCommand = [&](TEngCustomEditor&, std::uint16_t C) { Seen.push_back(C); };
    EXPECT_TRUE(E.ProcessCommand(300, 0));
    EXPECT_TRUE(E.ProcessCommand(ccUserFirst, 0));
    EXPECT_EQ(Seen, (std::vector<int>{300, 256}));
    E.OnUserCommand = nullptr;
    EXPECT_TRUE(E.ProcessCommand(999, 0));
}

TEST_F(Commands, ChangeIsAnnouncedForEditingCommandsEvenWithoutAChange) {
    Load({"abc"});
    // Nothing to undo or redo: a beep each, and still the change event.
    Changes = 0;
    E.ProcessCommand(ccUndo, 0);
    E.ProcessCommand(ccRedo, 0);
    EXPECT_EQ(Host.Beeps, 2);
    EXPECT_EQ(Changes, 2);
    Changes = 0;
    E.ProcessCommand(ccRight, 0);
    E.ProcessCommand(ccCopy, 0);
    E.ProcessCommand(ccIns, 0);
    EXPECT_EQ(Changes, 0);
}

TEST_F(Commands, TypingUndoAndRedo) {
    Load({"ac"});
    E.ProcessCommand(ccRight, 0);
    E.ProcessCommand(ccTypedChar, 'b');
    EXPECT_EQ(ParasOf(E), TParas{"abc"});
    EXPECT_EQ(Caret(), (TTextPos{1, 3}));
    E.ProcessCommand(ccUndo, 0);
    EXPECT_EQ(ParasOf(E), TParas{"ac"});
    EXPECT_EQ(Caret(), (TTextPos{1, 2}));
    E.ProcessCommand(ccRedo, 0);
    EXPECT_EQ(ParasOf(E), TParas{"abc"});
    EXPECT_EQ(Host.Beeps, 0);
}

TEST_F(Commands, ClipboardCommands) {
    Load({"one two", "three"});
    Host.Clipboard = "kept";
    E.ProcessCommand(ccCopy, 0); // nothing selected
    EXPECT_EQ(Host.Clipboard, "kept");
    Select({1, 5}, {2, 3});
    E.ProcessCommand(ccCopy, 0);
    EXPECT_EQ(Host.Clipboard, "two\r\nth");
    E.ProcessCommand(ccCut, 0);
    EXPECT_EQ(ParasOf(E), TParas{"one ree"});
    EXPECT_EQ(Caret(), (TTextPos{1, 5}));
    Host.Clipboard = "X\r\nY";
    E.ProcessCommand(ccPaste, 0);
    EXPECT_EQ(ParasOf(E), (TParas{"one X", "Yree"}));
    // The whole paste is one undo step.
    E.ProcessCommand(ccUndo, 0);
    EXPECT_EQ(ParasOf(E), TParas{"one ree"});
}

TEST_F(Commands, ReadOnlyRefusesCutAndPasteSilently) {
    Load({"abc"});
    E.ReadOnly = true;
    Select({1, 1}, {1, 3});
    Host.Clipboard = "zz";
    EXPECT_TRUE(E.ProcessCommand(ccCut, 0));
    EXPECT_TRUE(E.ProcessCommand(ccPaste, 0));
    EXPECT_TRUE(E.ProcessCommand(ccTypedChar, 'q'));
    EXPECT_TRUE(E.ProcessCommand(ccDel, 0));
    EXPECT_EQ(ParasOf(E), TParas{"abc"});
    EXPECT_EQ(Host.Clipboard, "zz");
    // Backspace only moves the caret in a read-only editor.
    E.MoveCaretToPara(1, 3);
    E.ProcessCommand(ccBack, 0);
    EXPECT_EQ(ParasOf(E), TParas{"abc"});
    EXPECT_EQ(Caret(), (TTextPos{1, 2}));
}

TEST_F(Commands, PasteBeyondTheParagraphLimitReportsIt) {
    Load({"a"});
    E.SetParaLimit(1);
    Host.Clipboard = "x\r\ny";
    EXPECT_THROW(E.ProcessCommand(ccPaste, 0), EEditorError);
    int Seen = 0;
    E.OnError = [&](TEngCustomEditor&, int& Code) { Seen = Code; };
    E.ProcessCommand(ccPaste, 0);
    EXPECT_EQ(Seen, eeTooManyParas);
    EXPECT_EQ(ParasOf(E), TParas{"a"});
}

TEST_F(Commands, BookmarksTakeTheirIndexFromTheCode) {
    Load({"zero", "one", "two"});
    E.MoveCaretToPara(2, 3);
    E.ProcessCommand(ccSetMarker3, '3');
    E.ProcessCommand(ccSetMarker4, 0x63); // a keypad digit: the code still decides
    E.MoveCaretToPara(1, 1);
    E.ProcessCommand(ccGotoMarker3, '3');
    EXPECT_EQ(Caret(), (TTextPos{2, 3}));
    E.MoveCaretToPara(3, 2);
    E.ProcessCommand(ccGotoMarker5, '5'); // not set: the caret stays
    EXPECT_EQ(Caret(), (TTextPos{3, 2}));
    E.ProcessCommand(ccGotoMarker4, 0);
    EXPECT_EQ(Caret(), (TTextPos{2, 3}));
}

TEST_F(Commands, WordMoves) {
    Load({"alpha, beta  gamma", "next"});
    struct TCase {
        std::uint16_t Command;
        TTextPos From;
        TTextPos To;
    };
    const TCase Cases[] = {
        {ccWordRight, {1, 1}, {1, 8}},   {ccWordRight, {1, 8}, {1, 14}},
        {ccWordRight, {1, 14}, {1, 19}}, {ccWordRight, {1, 19}, {2, 1}},
        {ccWordLeft, {1, 19}, {1, 14}},  {ccWordLeft, {1, 14}, {1, 8}},
        {ccWordLeft, {1, 8}, {1, 1}},    {ccWordLeft, {2, 1}, {1, 19}},
        {ccWordLeft, {1, 1}, {1, 1}},
    };
    for (const TCase& C : Cases) {
        E.MoveCaretToPara(C.From.Para, C.From.Pos);
        E.ProcessCommand(C.Command, 0);
        EXPECT_EQ(Caret(), C.To) << C.Command << " from " << C.From.Para << "," << C.From.Pos;
    }
    E.MoveCaretToPara(1, 1);
    E.ProcessCommand(ccExtWordRight, 0);
    EXPECT_EQ(E.SelectedText(), "alpha, ");
}

TEST_F(Commands, LineAndDocumentEnds) {
    Load({"abc", "defgh"});
    E.MoveCaretToPara(1, 2);
    E.ProcessCommand(ccEnd, 0);
    EXPECT_EQ(Caret(), (TTextPos{1, 4}));
    E.ProcessCommand(ccHome, 0);
    EXPECT_EQ(Caret(), (TTextPos{1, 1}));
    E.ProcessCommand(ccExtLastPage, 0);
    EXPECT_EQ(Caret(), (TTextPos{2, 6}));
    EXPECT_EQ(E.SelectedText(), "abc\r\ndefgh");
    E.ProcessCommand(ccFirstPage, 0);
    EXPECT_FALSE(E.HasSelection());
    EXPECT_EQ(Caret(), (TTextPos{1, 1}));
}

TEST_F(Commands, PageMovesKeepTheCaretRow) {
    Load(Numbered(100));
    E.MoveCaretToPara(3, 1);
    E.ProcessCommand(ccNextPage, 0); // ten rows: a page is nine
    EXPECT_EQ(E.CaretLine(), 12);
    EXPECT_EQ(E.TopLine(), 10);
    E.ProcessCommand(ccExtendPgUp, 0);
    EXPECT_EQ(E.CaretLine(), 3);
    EXPECT_EQ(E.TopLine(), 1);
    EXPECT_TRUE(E.HasSelection());
}

TEST_F(Commands, OneRowWindowPagesByOneRow) {
    Host.Height = 20;
    E.Measure();
    ASSERT_EQ(E.VisibleLines(), 1);
    Load(Numbered(10));
    E.ProcessCommand(ccNextPage, 0);
    EXPECT_EQ(E.CaretLine(), 2);
    E.ProcessCommand(ccPrevPage, 0);
    EXPECT_EQ(E.CaretLine(), 1);
}

TEST_F(Commands, TopAndBottomOfPage) {
    Load(Numbered(100));
    E.MoveCaretToPara(4, 2);
    E.ProcessCommand(ccBotOfPage, 0);
    EXPECT_EQ(E.CaretLine(), 10);
    E.ProcessCommand(ccExtTopOfPage, 0);
    EXPECT_EQ(E.CaretLine(), 1);
    EXPECT_TRUE(E.HasSelection());
    // With the caret scrolled out of view the view follows instead of the caret.
    E.MoveCaretToPara(50, 1);
    E.ScrollText(0, -30);
    ASSERT_FALSE(E.CaretVisible());
    E.ProcessCommand(ccTopOfPage, 0);
    EXPECT_EQ(E.CaretLine(), 50);
    EXPECT_EQ(E.TopLine(), 50);
    E.ScrollText(0, -30);
    E.ProcessCommand(ccBotOfPage, 0);
    EXPECT_EQ(E.CaretLine(), 50);
    EXPECT_EQ(E.TopLine(), 41);
    E.ScrollText(0, -30);
    E.ProcessCommand(ccExtBotOfPage, 0); // extending outside the window does nothing
    EXPECT_EQ(E.TopLine(), 11);
    EXPECT_EQ(E.CaretLine(), 50);
}

TEST_F(Commands, ScrollingKeepsTheCaretInsideTheWindow) {
    Load(Numbered(100));
    E.ProcessCommand(ccScrollDown, 0);
    EXPECT_EQ(E.TopLine(), 2);
    EXPECT_EQ(E.CaretLine(), 2);
    E.MoveCaretToPara(11, 1);
    E.ProcessCommand(ccScrollUp, 0);
    EXPECT_EQ(E.TopLine(), 1);
    EXPECT_EQ(E.CaretLine(), 10);
    // Web scrolling turns Up and Down into scrolling.
    E.WebScrolling = true;
    E.ProcessCommand(ccDown, 0);
    EXPECT_EQ(E.TopLine(), 2);
    EXPECT_EQ(E.CaretLine(), 10);
}

TEST_F(Commands, InsModeToggles) {
    E.ProcessCommand(ccIns, 0);
    EXPECT_FALSE(E.InsertMode());
    Load({"abc"});
    E.ProcessCommand(ccTypedChar, 'X');
    EXPECT_EQ(ParasOf(E), TParas{"Xbc"});
    E.ProcessCommand(ccIns, 0);
    EXPECT_TRUE(E.InsertMode());
}

TEST_F(Commands, DeletionCommands) {
    struct TCase {
        std::uint16_t Command;
        TTextPos Caret;
        TParas After;
    };
    const TCase Cases[] = {
        {ccDel, {1, 2}, {"ac def", "gh"}}, {ccDel, {1, 8}, {"abc defgh"}},
        {ccBack, {2, 1}, {"abc defgh"}},   {ccDelBol, {1, 3}, {"c def", "gh"}},
        {ccDelEol, {1, 3}, {"ab", "gh"}},  {ccDelWord, {1, 1}, {"def", "gh"}},
        {ccDelLine, {1, 3}, {"gh"}},       {ccNewLine, {1, 5}, {"abc", "def", "gh"}},
    };
    for (const TCase& C : Cases) {
        Load({"abc def", "gh"});
        E.MoveCaretToPara(C.Caret.Para, C.Caret.Pos);
        EXPECT_TRUE(E.ProcessCommand(C.Command, 0));
        EXPECT_EQ(ParasOf(E), C.After) << C.Command;
        E.ClearAll();
    }
}

} // namespace
} // namespace korvid
