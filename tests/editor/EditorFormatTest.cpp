#include "tests/editor/EditorTestSupport.h"

#include "editor/engine/EngCommand.h"

#include <climits>

namespace korvid::test {
namespace {

using TParas = std::vector<std::string>;

class EditorControlFormat : public EditorFixture {
protected:
    void Undo() { E().ProcessCommand(ccUndo, 0); }
};

TEST_F(EditorControlFormat, IndentAndUnindentWholeParagraphsInOneUndoStep) {
    const TParas Start{"one", "  two", "three", "four"};
    SetText(Start);
    // A selection ending in column 1 leaves that paragraph out.
    Select(1, 2, 3, 1);
    Ed->FormatIndent();
    EXPECT_EQ(Text(), (TParas{"  one", "    two", "three", "four"}));
    int L1, C1, L2, C2;
    ASSERT_TRUE(E().GetSelection(L1, C1, L2, C2));
    EXPECT_EQ((std::array{L1, C1, L2, C2}), (std::array{1, 1, 3, 1}));
    Undo();
    EXPECT_EQ(Text(), Start);

    Select(1, 1, 4, 2);
    Ed->FormatUnindent();
    EXPECT_EQ(Text(), (TParas{"one", "two", "three", "four"}));
    Undo();
    EXPECT_EQ(Text(), Start);

    // Without a selection the caret's paragraph, the caret staying where it was.
    E().MoveCaretToPara(3, 3);
    Ed->FormatIndent();
    EXPECT_EQ(Text()[2], "  three");
    EXPECT_EQ(E().CaretPara(), 3);
    EXPECT_EQ(E().CaretPos(), 3);
    EXPECT_FALSE(E().HasSelection());
}

TEST_F(EditorControlFormat, WithAnIndentCountOfZeroATabIsTheIndent) {
    View.IndentCount = 0;
    SetText({"a", "\t\tb", "  c"});
    Select(1, 1, 3, 2);
    Ed->FormatIndent();
    EXPECT_EQ(Text(), (TParas{"\ta", "\t\t\tb", "\t  c"}));
    Ed->FormatUnindent();
    Ed->FormatUnindent();
    EXPECT_EQ(Text(), (TParas{"a", "\tb", "  c"}));
}

TEST_F(EditorControlFormat, ANegativeIndentCountIndentsByNothing) {
    View.IndentCount = -1;
    SetText({"a", "  b"});
    Select(1, 1, 2, 2);
    Ed->FormatIndent();
    Ed->FormatUnindent();
    EXPECT_EQ(Text(), (TParas{"a", "  b"}));
}

TEST_F(EditorControlFormat, CommentTogglingFollowsTheFirstParagraph) {
    View.CommentMarker = "// ";
    SetText({"a", "b", "//c"});
    Select(1, 1, 2, 2);
    Ed->FormatAsComment();
    EXPECT_EQ(Text(), (TParas{"// a", "// b", "//c"}));
    Select(1, 1, 3, 2);
    Ed->FormatAsComment();
    EXPECT_EQ(Text(), (TParas{"a", "b", "c"}));
    Undo();
    EXPECT_EQ(Text(), (TParas{"// a", "// b", "//c"}));

    // A mixed selection whose first line is commented: unmarked lines stay as they are.
    SetText({"// x", "y"});
    Select(1, 1, 2, 2);
    Ed->FormatAsComment();
    EXPECT_EQ(Text(), (TParas{"x", "y"}));

    // One line at a time walks down the text.
    SetText({"p", "q", "r"});
    E().MoveCaretToPara(1, 1);
    Ed->FormatAsComment();
    Ed->FormatAsComment();
    EXPECT_EQ(Text(), (TParas{"// p", "// q", "r"}));
    EXPECT_EQ(E().CaretPara(), 3);

    View.CommentMarker.clear();
    Ed->FormatAsComment();
    EXPECT_EQ(Text(), (TParas{"// p", "// q", "r"}));
}

TEST_F(EditorControlFormat, CentringWithinTheWrapColumnOrTheRightMargin) {
    View.SetWrapType(vwAtColumn);
    View.SetWrapColumn(10);
    Ed->ApplyView();
    SetText({"abc", "  \t  ", "   abcd  ", std::string(12, 'w')});
    Select(1, 1, 4, 3);
    Ed->FormatCentre();
    EXPECT_EQ(Text(), (TParas{"   abc", "", "   abcd  ", std::string(12, 'w')}));
    Undo();
    EXPECT_EQ(Text()[0], "abc");

    View.SetWrapType(vwNone);
    View.RightMarginColumn = 20;
    Ed->ApplyView();
    SetText({"abcd"});
    Ed->FormatCentre();
    EXPECT_EQ(Text(), (TParas{"        abcd"}));
}

TEST_F(EditorControlFormat, AnchoringSelectsFromTheAnchorToTheCaret) {
    SetText({"first line", "second line"});
    E().MoveCaretToPara(2, 5);
    Ed->AnchorSelection();
    EXPECT_EQ(Ed->AnchorPosition, (TAnchorPosition{2, 5}));
    E().MoveCaretToPara(1, 3);
    Ed->AnchorSelection();
    EXPECT_EQ(Ed->AnchorPosition, TAnchorPosition{});
    EXPECT_EQ(Ed->GetSelText(), "rst line\r\nseco");
    EXPECT_EQ(E().CaretPara(), 1);
    EXPECT_EQ(E().CaretPos(), 3);
}

TEST_F(EditorControlFormat, JoiningLines) {
    SetText({"alpha", "    beta", "gamma"});
    E().MoveCaretToPara(2, 7);
    Ed->JoinAdjacentLine(true);
    EXPECT_EQ(Text(), (TParas{"alphabeta", "gamma"}));
    E().MoveCaretToPara(1, 2);
    Ed->JoinAdjacentLine(false);
    EXPECT_EQ(Text(), (TParas{"alphabetagamma"}));
    EXPECT_EQ(E().WordDelimiters(), View.WordDelimiters + "\t\n\r ");

    // Nothing to join at either end of the text, nor with a selection.
    SetText({"one", "  two"});
    E().MoveCaretToPara(1, 2);
    Ed->JoinAdjacentLine(true);
    E().MoveCaretToPara(2, 4);
    Ed->JoinAdjacentLine(false);
    Select(1, 1, 1, 2);
    Ed->JoinAdjacentLine(false);
    EXPECT_EQ(Text(), (TParas{"one", "  two"}));
}

TEST_F(EditorControlFormat, OneParagraphAndSeparateParagraphs) {
    SetText({"one", "two", "three", "four"});
    Select(1, 1, 3, 1);
    Ed->FormatAsOneParagraph();
    EXPECT_EQ(Text(), (TParas{"one two", "three", "four"}));
    Undo();
    EXPECT_EQ(Text(), (TParas{"one", "two", "three", "four"}));

    View.SetWrapType(vwAtColumn);
    View.SetWrapColumn(10);
    Ed->ApplyView();
    SetText({"aaaa bbbb cccc dddd", "tail"});
    ASSERT_GT(E().LineCount(), 2);
    E().SetSelection(1, 1, E().LineCount(), 1, true);
    Ed->FormatAsSeparateParagraphs();
    const TParas Result = Text();
    ASSERT_GE(Result.size(), 3u);
    EXPECT_EQ(Result.back(), "tail");
    std::string Joined;
    for (std::size_t I = 0; I + 1 < Result.size(); ++I) {
        EXPECT_LE(Result[I].size(), 10u) << Result[I];
        Joined += Result[I] + (I + 2 < Result.size() ? " " : "");
    }
    EXPECT_EQ(Joined, "aaaa bbbb cccc dddd");
}

TEST_F(EditorControlFormat, WordPartMoves) {
    SetText({"fooBar_baz qux"});
    E().MoveCaretToPara(1, 1);
    std::vector<int> Stops;
    for (int I = 0; I < 5; ++I) {
        Ed->MoveToNextWordPart(false);
        Stops.push_back(E().CaretPos());
    }
    EXPECT_EQ(Stops, (std::vector<int>{4, 11, 12, 15, 15}));

    Stops.clear();
    for (int I = 0; I < 4; ++I) {
        Ed->MoveToPrevWordPart(false);
        Stops.push_back(E().CaretPos());
    }
    EXPECT_EQ(Stops, (std::vector<int>{12, 4, 1, 1}));

    E().MoveCaretToPara(1, 1);
    Ed->MoveToNextWordPart(true);
    EXPECT_EQ(Ed->GetSelText(), "foo");
}

TEST_F(EditorControlFormat, SortingParagraphsAndBlocks) {
    TKorvidSortOptions Options;
    Options.SingleParagraphs = true;
    Options.Ascending = true;
    Options.FromColumn = true;
    Options.FromColumnNumber = 1;
    Options.Numerical = true;
    SetText({"head", "10 ten", "9 nine", "x", "100 hundred", "tail"});
    Select(2, 1, 6, 1);
    Ed->FormatSort(Options);
    EXPECT_EQ(Text(), (TParas{"head", "9 nine", "10 ten", "100 hundred", "x", "tail"}));
    Undo();
    EXPECT_EQ(Text(), (TParas{"head", "10 ten", "9 nine", "x", "100 hundred", "tail"}));

    // Blocks of two by text, reaching the end of the document.
    Options.Numerical = false;
    Options.SingleParagraphs = false;
    Options.ParagraphStep = 2;
    SetText({"b", "1", "A", "2", "c", "3"});
    E().SelectAll(true);
    Ed->FormatSort(Options);
    EXPECT_EQ(Text(), (TParas{"A", "2", "b", "1", "c", "3"}));
    int L1, C1, L2, C2;
    ASSERT_TRUE(E().GetSelection(L1, C1, L2, C2));
    EXPECT_EQ((std::array{L1, C1, L2, C2}), (std::array{1, 1, 6, 2}));

    // Blocks larger than the selection make one block: nothing to sort.
    for (const int Step : {7, INT_MAX}) {
        Options.ParagraphStep = Step;
        SetText({"b", "a", "c"});
        E().SelectAll(true);
        Ed->FormatSort(Options);
        EXPECT_EQ(Text(), (TParas{"b", "a", "c"})) << Step;
    }
}

TEST_F(EditorControlFormat, TheLeadingNumberOfTheTrimmedCaretLine) {
    const std::pair<const char*, int> Cases[] = {
        {"  12 apples", 12}, {"42\t", 42}, {"\t-7\t", -7}, {"\f9", 9},
        {"12x", 0},          {"", 0},      {" \t ", 0},    {"x 12", 0},
    };
    for (const auto& [Line, Expected] : Cases) {
        SetText({Line});
        E().MoveCaretToPara(1, 1);
        EXPECT_EQ(Ed->GetLeadingNumber(), Expected) << '"' << Line << '"';
    }
}

TEST_F(EditorControlFormat, CaretAndSelectionHelpers) {
    SetText({"  12 apples", "    deeper", "", "  sibling", "x"});
    E().MoveCaretToPara(1, 1);
    EXPECT_EQ(Ed->GetLeadingNumber(), 12);
    EXPECT_EQ(Ed->GetCharAtCaret(), ' ');
    E().MoveCaretToPara(2, 7);
    EXPECT_EQ(Ed->GetCurrentIndent(), 4);
    Ed->MoveToIndentSibling(true);
    EXPECT_EQ(E().CaretPara(), 4);
    EXPECT_EQ(E().CaretPos(), 7);
    Ed->MoveToIndentSibling(true);
    EXPECT_EQ(E().CaretPara(), 5);
    Ed->MoveToIndentSibling(true); // stops silently at the end
    EXPECT_EQ(E().CaretPara(), 5);
    E().MoveCaretToPara(3, 1);
    EXPECT_EQ(Ed->GetCharAtCaret(), '\0');
    EXPECT_EQ(Ed->CopyTextToStrings(), (TParas{"  12 apples", "    deeper", "", "  sibling", "x"}));

    E().MoveCaretToPara(1, 6);
    Ed->SelectWordAtCaret(true);
    EXPECT_EQ(Ed->GetSelText(), "a");
    EXPECT_EQ(E().CaretPos(), 7);
    Ed->SelectWordAtCaret(false); // only without a selection
    EXPECT_EQ(Ed->GetSelText(), "a");

    Select(1, 1, 2, 1);
    EXPECT_EQ(Ed->GetSelText(), "  12 apples");
    bool CaretAtEnd = false;
    int L1, C1, L2, C2;
    ASSERT_TRUE(Ed->GetSelectionAndCaretEnd(L1, C1, L2, C2, CaretAtEnd));
    EXPECT_TRUE(CaretAtEnd);

    E().MoveCaretToPara(1, 12);
    Ed->DeleteWordLeft();
    EXPECT_EQ(Text()[0], "  12 ");
}

} // namespace
} // namespace korvid::test
