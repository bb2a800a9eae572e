#include "editor/engine/ParaList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

std::vector<std::string> TextOf(TParaList& List) {
    std::vector<std::string> Text;
    for (int P = 1; P <= List.ParaCount(); ++P)
        Text.emplace_back(List.ParaText(P));
    return Text;
}

// A list loaded with paragraphs, without undo history.
void Load(TParaList& List, const std::vector<std::string>& Paras) {
    List.AppendPara(Paras.front(), false);
    List.DeletePara(nullptr, 1); // the fresh list's empty paragraph
    for (std::size_t I = 1; I < Paras.size(); ++I)
        List.AppendPara(Paras[I], false);
    List.UndoBuffer().Clear();
    List.SetModified(false);
}

using TTextList = std::vector<std::string>;

// Records the position adjusters the list calls.
class TRecordingClient : public TParaListClient {
public:
    std::vector<std::string> Calls;
    void CharsInserted(int P, int Pos, int N) override { Add("ins", P, Pos, N); }
    void CharsDeleted(int P, int Pos, int N) override { Add("del", P, Pos, N); }
    void ParaSplit(int P, int Pos, int Indent) override { Add("split", P, Pos, Indent); }
    void ParaDeleted(int P) override { Add("delpara", P, 0, 0); }
    void ParasJoined(int P, int Pos) override { Add("join", P, Pos, 0); }
    void TextRewrapped() override { Calls.push_back("rewrapped"); }

private:
    void Add(const char* What, int A, int B, int C) {
        Calls.push_back(std::string(What) + " " + std::to_string(A) + "," + std::to_string(B) +
                        "," + std::to_string(C));
    }
};

TEST(ParaList, FreshListAndByteCount) {
    TParaList List(nullptr, 8192, false);
    EXPECT_EQ(List.ParaCount(), 1);
    EXPECT_EQ(List.LineCount(), 1);
    EXPECT_EQ(List.ByteCount(), 0);
    EXPECT_EQ(List.ParaText(1), "");
    ASSERT_EQ(List.AppendPara("abc", false), eeNone);
    EXPECT_EQ(List.ParaCount(), 2);
    EXPECT_EQ(List.ByteCount(), 5);
    ASSERT_EQ(List.AppendPara("de  \t", true), eeNone);
    EXPECT_EQ(List.ParaText(3), "de");
    EXPECT_EQ(List.ByteCount(), 9);
    EXPECT_EQ(List.ParaText(4), "");
    EXPECT_EQ(List.NodeOfPara(0), nullptr);
    EXPECT_EQ(List.LineText(9), "");
}

TEST(ParaList, ParagraphLimitCountsAnEmptyLastParagraphAsFree) {
    TParaList List(nullptr, 8192, false);
    Load(List, {"a", "b", ""});
    List.SetParaLimit(3);
    EXPECT_EQ(List.InsertParaBefore(nullptr, 1, "x"), eeNone);
    EXPECT_EQ(List.ParaCount(), 4);
    TParaList Full(nullptr, 8192, false);
    Load(Full, {"a", "b", "c"});
    Full.SetParaLimit(3);
    EXPECT_EQ(Full.InsertParaBefore(nullptr, 1, "x"), eeTooManyParas);
    EXPECT_EQ(Full.ParaCount(), 3);
}

// Each edit that grows the text is checked; a refused edit changes nothing.
TEST(ParaList, LimitAnswers) {
    using TEdit = int (*)(TParaList&);
    const std::pair<const char*, TEdit> Edits[] = {
        {"insert", [](TParaList& L) { return L.InsertText(nullptr, 1, 3, "xyz"); }},
        {"pad", [](TParaList& L) { return L.InsertText(nullptr, 1, 9, "x"); }},
        {"replace", [](TParaList& L) { return L.ReplaceText(nullptr, 1, 1, 1, "wxyz", false); }},
        {"paste",
         [](TParaList& L) {
             int P = 1, Pos = 2;
             return L.InsertMultiLineText(nullptr, P, Pos, "x\r\ny");
         }},
        {"join", [](TParaList& L) { return L.JoinParas(nullptr, 1, 5); }},
    };
    // Text "abcd" / "efgh": 10 bytes, 2 paragraphs.
    const struct {
        const char* Edit;
        int ParaLimit, ByteLimit, LengthLimit, Want;
    } Cases[] = {
        {"insert", TParaList::NoLimit, 13, 4096, eeNone},
        {"insert", TParaList::NoLimit, 12, 4096, eeTextTooLarge},
        {"insert", TParaList::NoLimit, TParaList::NoLimit, 7, eeNone},
        {"insert", TParaList::NoLimit, TParaList::NoLimit, 6, eeParaTooLong},
        // padding counts: "abcd" + 4 blanks + "x" is 9 characters
        {"pad", TParaList::NoLimit, TParaList::NoLimit, 9, eeNone},
        {"pad", TParaList::NoLimit, TParaList::NoLimit, 8, eeParaTooLong},
        {"pad", TParaList::NoLimit, 14, 4096, eeTextTooLarge},
        // a replacement that grows the text is checked like an insertion
        {"replace", TParaList::NoLimit, TParaList::NoLimit, 7, eeNone},
        {"replace", TParaList::NoLimit, TParaList::NoLimit, 6, eeParaTooLong},
        {"replace", TParaList::NoLimit, 12, 4096, eeTextTooLarge},
        {"paste", 2, TParaList::NoLimit, 4096, eeTooManyParas},
        {"paste", 3, TParaList::NoLimit, 4096, eeNone},
        {"join", TParaList::NoLimit, TParaList::NoLimit, 8, eeNone},
        {"join", TParaList::NoLimit, TParaList::NoLimit, 7, eeCannotJoin},
        {"join", TParaList::NoLimit, 9, 4096, eeCannotJoin},
    };
    for (const auto& Case : Cases) {
        TParaList List(nullptr, 8192, false);
        Load(List, {"abcd", "efgh"});
        List.SetParaLimit(Case.ParaLimit);
        List.SetByteLimit(Case.ByteLimit);
        List.SetParaLengthLimit(Case.LengthLimit);
        TEdit Edit = nullptr;
        for (const auto& [Name, Fn] : Edits)
            if (std::string(Name) == Case.Edit)
                Edit = Fn;
        const TTextList Before = TextOf(List);
        EXPECT_EQ(Edit(List), Case.Want) << Case.Edit << " " << Case.ByteLimit;
        if (Case.Want != eeNone && std::string(Case.Edit) != "paste") {
            EXPECT_EQ(TextOf(List), Before) << Case.Edit;
        }
    }
}

// A paragraph's length is 16-bit: no limit setting lets it reach 65,536 characters.
TEST(ParaList, NoParagraphReaches65536Characters) {
    TParaList List(nullptr, 8192, false);
    List.SetParaLengthLimit(100000);
    ASSERT_EQ(List.InsertText(nullptr, 1, 1, std::string(MaxParaLength, 'a')), eeNone);
    EXPECT_EQ(List.InsertText(nullptr, 1, 1, "b"), eeParaTooLong);
    EXPECT_EQ(List.ReplaceText(nullptr, 1, 1, 1, "bb", false), eeParaTooLong);
    List.AppendPara("x", false);
    EXPECT_EQ(List.JoinParas(nullptr, 1, MaxParaLength + 1), eeCannotJoin);
    EXPECT_EQ(List.ParaLength(1), MaxParaLength);
    EXPECT_EQ(List.InsertParaBefore(nullptr, 1, std::string(MaxParaLength + 1, 'c')),
              eeParaTooLong);
    EXPECT_EQ(List.ParaCount(), 2);
}

// A paste may not pass the paragraph limit by the split inside it.
TEST(ParaList, PasteStopsAtTheParagraphLimit) {
    TParaList List(nullptr, 8192, false);
    Load(List, {"abcd", "efgh"});
    List.SetParaLimit(2);
    int P = 1, Pos = 3;
    EXPECT_EQ(List.InsertMultiLineText(nullptr, P, Pos, "1\r\n2\r\n3\r\n4"), eeTooManyParas);
    EXPECT_EQ(TextOf(List), (TTextList{"ab1cd", "efgh"}));
    List.Undo(nullptr); // the steps that were done are one group
    EXPECT_EQ(TextOf(List), (TTextList{"abcd", "efgh"}));
}

TEST(ParaList, SplitAndEnter) {
    TParaList List(nullptr, 8192, false);
    Load(List, {"abc  def"});
    // At position 1: an empty paragraph above.
    ASSERT_EQ(List.SplitPara(nullptr, 1, 1, true, 0, 8), eeNone);
    EXPECT_EQ(TextOf(List), (TTextList{"", "abc  def"}));
    // In the middle with trim and an indent of 6 columns at tab size 4: a tab and two spaces.
    ASSERT_EQ(List.SplitPara(nullptr, 2, 6, true, 6, 4), eeNone);
    EXPECT_EQ(TextOf(List), (TTextList{"", "abc", "\t  def"}));
    EXPECT_EQ(List.ByteCount(), 3 + 6 + 4);
    // One undo takes the whole split back and gives the caret its place.
    const auto Caret = List.Undo(nullptr);
    EXPECT_EQ(TextOf(List), (TTextList{"", "abc  def"}));
    EXPECT_EQ(*Caret, (TTextPos{2, 6}));
    const auto Again = List.Redo(nullptr);
    EXPECT_EQ(TextOf(List), (TTextList{"", "abc", "\t  def"}));
    EXPECT_EQ(*Again, (TTextPos{3, 4}));
    // At the end: an empty paragraph below, holding the indent.
    ASSERT_EQ(List.SplitPara(nullptr, 2, 99, true, 2, 0), eeNone);
    EXPECT_EQ(TextOf(List), (TTextList{"", "abc", "  ", "\t  def"}));
}

TEST(ParaList, MultiLineInsert) {
    struct {
        const char* Text;
        TTextList Want;
        TTextPos Caret;
    } Cases[] = {
        {"a\r\nb", {"xa", "by"}, {2, 2}},     {"a\nb", {"xa", "by"}, {2, 2}},
        {"a\rb", {"xa", "by"}, {2, 2}}, // a CR never stays inside a paragraph
        {"a\r\rb", {"xa", "", "by"}, {3, 2}}, {"a\r\n", {"xa", "y"}, {2, 1}},
        {"plain", {"xplainy"}, {1, 7}},
    };
    for (const auto& Case : Cases) {
        TParaList List(nullptr, 8192, false);
        Load(List, {"xy"});
        int P = 1, Pos = 2;
        ASSERT_EQ(List.InsertMultiLineText(nullptr, P, Pos, Case.Text), eeNone);
        EXPECT_EQ(TextOf(List), Case.Want) << Case.Text;
        EXPECT_EQ((TTextPos{P, Pos}), Case.Caret) << Case.Text;
    }
    // At position 1 a line becomes a paragraph of its own, above.
    TParaList List(nullptr, 8192, false);
    Load(List, {"xy"});
    int P = 1, Pos = 1;
    ASSERT_EQ(List.InsertMultiLineText(nullptr, P, Pos, "one\r\ntwo\r\n"), eeNone);
    EXPECT_EQ(TextOf(List), (TTextList{"one", "two", "xy"}));
    EXPECT_EQ((TTextPos{P, Pos}), (TTextPos{3, 1}));
}

TEST(ParaList, BookmarksMoveAndClear) {
    TParaList List(nullptr, 8192, false);
    Load(List, {"0123456789", "abcdef", "last"});
    auto Reset = [&] {
        List.SetBookmark(1, 1, 2); // before the edits in paragraph 1
        List.SetBookmark(3, 1, 5); // inside the deleted stretch
        List.SetBookmark(4, 1, 9); // after it
        List.SetBookmark(5, 2, 3);
        List.SetBookmark(6, 3, 1);
    };
    Reset();
    List.DeleteText(nullptr, 1, 4, 3); // deletes positions 4..6
    EXPECT_EQ(List.Bookmark(1), (TTextPos{1, 2}));
    EXPECT_EQ(List.Bookmark(3), (TTextPos{}));
    EXPECT_EQ(List.Bookmark(4), (TTextPos{1, 6}));
    List.InsertText(nullptr, 1, 4, "xyz");
    EXPECT_EQ(List.Bookmark(4), (TTextPos{1, 9}));
    EXPECT_EQ(List.Bookmark(1), (TTextPos{1, 2}));
    Reset();
    List.SplitPara(nullptr, 1, 4, false, 2, 0); // indent 2
    EXPECT_EQ(List.Bookmark(1), (TTextPos{1, 2}));
    EXPECT_EQ(List.Bookmark(3), (TTextPos{2, 4}));
    EXPECT_EQ(List.Bookmark(4), (TTextPos{2, 8}));
    EXPECT_EQ(List.Bookmark(5), (TTextPos{3, 3}));
    List.JoinParas(nullptr, 1, 4);
    EXPECT_EQ(List.Bookmark(5), (TTextPos{2, 3}));
    EXPECT_EQ(List.Bookmark(4), (TTextPos{1, 11})); // still on the same character
    List.DeletePara(nullptr, 2);
    EXPECT_EQ(List.Bookmark(5), (TTextPos{}));
    EXPECT_EQ(List.Bookmark(6), (TTextPos{2, 1}));
    List.SetBookmark(10, 1, 1); // numbers outside 0..9 are ignored
    EXPECT_EQ(List.Bookmark(10), (TTextPos{}));
}

TEST(ParaList, ReplaceAdaptsCase) {
    const struct {
        const char* Old;
        const char* New;
        const char* Want;
    } Cases[] = {
        {"Cat", "dog", "Dog"},
        {"cat", "DOG", "dOG"},
        {"cat", "dog", "dog"},
        {"1at", "Dog", "Dog"},
        {"Cat", "\xe9t\xe9", "\xc9t\xe9"},
    };
    for (const auto& Case : Cases) {
        TParaList List(nullptr, 8192, false);
        Load(List, {std::string("a ") + Case.Old + " b"});
        const std::string New = Case.New;
        ASSERT_EQ(List.ReplaceText(nullptr, 1, 3, 3, New, true), eeNone);
        EXPECT_EQ(List.ParaText(1), std::string("a ") + Case.Want + " b") << Case.Old;
        EXPECT_EQ(New, Case.New); // the caller's text is left alone
    }
}

TEST(ParaList, UndoMergesTypingAndBackspaces) {
    TParaList List(nullptr, 8192, false);
    for (int I = 0; I < 3; ++I)
        List.InsertText(nullptr, 1, 1 + I, std::string(1, "abc"[I]));
    TUndoBuffer& Undo = List.UndoBuffer();
    EXPECT_EQ(Undo.UndoCount(), 1);
    EXPECT_EQ(Undo.Current()->Kind, ukInsertText);
    EXPECT_EQ(Undo.Free(), 8192u - 19u);
    for (int Pos = 3; Pos >= 1; --Pos)
        List.DeleteText(nullptr, 1, Pos, 1);
    EXPECT_EQ(Undo.UndoCount(), 2);
    EXPECT_EQ(Undo.Current()->Kind, ukDeleteText);
    EXPECT_EQ(Undo.Current()->Text, "abc");
    List.Undo(nullptr);
    EXPECT_EQ(List.ParaText(1), "abc");
    List.Undo(nullptr);
    EXPECT_EQ(List.ParaText(1), "");
    EXPECT_TRUE(List.CanRedo());
    List.InsertText(nullptr, 1, 1, "new");
    EXPECT_FALSE(List.CanRedo());
}

TEST(ParaList, ModifiedFlagThroughSaveAndUndo) {
    TParaList List(nullptr, 8192, false);
    EXPECT_FALSE(List.Modified());
    List.InsertText(nullptr, 1, 1, "a");
    EXPECT_TRUE(List.Modified());
    List.Undo(nullptr);
    EXPECT_FALSE(List.Modified()); // back to the state before the change
    List.Redo(nullptr);
    EXPECT_TRUE(List.Modified());
    List.SetModified(false); // saved
    List.Undo(nullptr);
    EXPECT_TRUE(List.Modified());
    List.Redo(nullptr);
    EXPECT_FALSE(List.Modified()); // the saved text again
}

// The mark follows the undo position: only the text last saved is unmodified, from whichever
// side undo or redo reaches it. Typing on after a save starts a step of its own.
TEST(ParaList, ModifiedFlagFollowsTheUndoPositionAcrossASave) {
    TParaList List(nullptr, 8192, false);
    List.InsertText(nullptr, 1, 1, "a");
    List.InsertText(nullptr, 1, 2, "b");
    List.SetModified(false); // saved as "ab"
    List.InsertText(nullptr, 1, 3, "c");
    List.InsertText(nullptr, 1, 4, "d");
    EXPECT_EQ(List.ParaText(1), "abcd");
    struct TStep {
        bool Undo;
        const char* Text;
        bool Modified;
    };
    const TStep Steps[] = {
        {true, "ab", false}, {true, "", true}, {false, "ab", false}, {false, "abcd", true},
        {true, "ab", false}, {true, "", true}, {true, "", true},     {false, "ab", false},
    };
    for (const TStep& Step : Steps) {
        if (Step.Undo)
            List.Undo(nullptr);
        else
            List.Redo(nullptr);
        EXPECT_EQ(List.ParaText(1), Step.Text);
        EXPECT_EQ(List.Modified(), Step.Modified) << "at \"" << Step.Text << '"';
    }
    // Saved again where undo left off: "abcd" lies ahead, "" behind, both modified.
    List.Undo(nullptr);
    List.SetModified(false);
    List.Redo(nullptr);
    EXPECT_TRUE(List.Modified());
    List.Undo(nullptr);
    EXPECT_FALSE(List.Modified());
    // Marked modified from outside, no state the history reaches counts as saved.
    List.SetModified(true);
    List.Redo(nullptr);
    List.Undo(nullptr);
    EXPECT_TRUE(List.Modified());
}

TEST(ParaList, RemovedParagraphsLiveExactlyAsLongAsTheirRecord) {
    TParaList List(nullptr, 8192, false);
    Load(List, {"one", "two", "three"});
    EXPECT_EQ(List.LiveNodeCount(), 3);
    List.DeletePara(nullptr, 2); // held by its record
    EXPECT_EQ(List.LiveNodeCount(), 3);
    List.Undo(nullptr);
    EXPECT_EQ(TextOf(List), (TTextList{"one", "two", "three"}));
    List.Redo(nullptr);
    List.Undo(nullptr);
    List.Redo(nullptr);
    EXPECT_EQ(TextOf(List), (TTextList{"one", "three"}));
    List.UndoBuffer().Clear();
    EXPECT_EQ(List.LiveNodeCount(), 2);

    // Inserted, then deleted; both undone and redone; then purged by a record too large.
    ASSERT_EQ(List.InsertParaBefore(nullptr, 2, "mid"), eeNone);
    List.DeletePara(nullptr, 2);
    List.Undo(nullptr);
    List.Undo(nullptr);
    List.Redo(nullptr);
    EXPECT_EQ(TextOf(List), (TTextList{"one", "mid", "three"}));
    List.SetParaLengthLimit(20000);
    List.InsertText(nullptr, 1, 1, std::string(9000, 'x')); // clears the history
    EXPECT_FALSE(List.CanUndo());
    EXPECT_EQ(List.LiveNodeCount(), 3);
    List.DeletePara(nullptr, 2);
    List.Undo(nullptr);
    List.InsertText(nullptr, 3, 1, "y"); // drops nothing that holds a paragraph
    EXPECT_EQ(List.LiveNodeCount(), 3);

    // Without room for a record the removed paragraph goes at once.
    List.SetUndoSize(0);
    List.DeletePara(nullptr, 2);
    EXPECT_EQ(List.LiveNodeCount(), 2);
}

TEST(ParaList, TellsTheEditorOfEachChange) {
    TRecordingClient Owner;
    TRecordingClient Other;
    TParaList List(&Owner, 8192, false);
    Load(List, {"abc", "def"});
    Owner.Calls.clear();
    List.InsertText(nullptr, 1, 2, "xy");
    List.DeleteText(&Other, 1, 1, 1);
    List.SplitPara(nullptr, 1, 3, false, 0, 8);
    List.JoinParas(nullptr, 1, 3);
    List.DeletePara(nullptr, 2);
    List.ReplaceText(nullptr, 1, 1, 1, "QQ", false);
    List.SetWordWrap(true);
    EXPECT_EQ(Owner.Calls, (std::vector<std::string>{"ins 1,2,2", "split 1,3,0", "join 1,3,0",
                                                     "delpara 2,0,0", "ins 1,2,1", "rewrapped"}));
    EXPECT_EQ(Other.Calls, (std::vector<std::string>{"del 1,1,1"}));
}

TEST(ParaList, LongRewrapReportsBusy) {
    TParaList List(nullptr, 8192, false);
    std::vector<bool> Busy;
    List.OnBusy = [&](bool On) { Busy.push_back(On); };
    List.SetWordWrap(true);
    EXPECT_TRUE(Busy.empty());
    for (int I = 0; I < 200; ++I)
        List.AppendPara(std::string(60, 'a'), false);
    List.SetWrapColumn(20);
    EXPECT_EQ(Busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(List.LineCount(), 1 + 200 * 3);
}

TEST(ParaList, DisplayLines) {
    TParaList List(nullptr, 8192, true);
    List.SetWrapColumn(6);
    Load(List, {"hello world again", "", "x\ty"});
    EXPECT_EQ(List.LineCount(), 3 + 1 + 2);
    const struct {
        int Line;
        const char* Text;
        int Para;
        int Offset;
    } Lines[] = {{1, "hello ", 1, 0}, {2, "world ", 1, 6}, {3, "again", 1, 12},
                 {4, "", 2, 0},       {5, "x\t", 3, 0},    {6, "y", 3, 2}};
    for (const auto& L : {Lines[5], Lines[0], Lines[3], Lines[2], Lines[4], Lines[1]}) {
        EXPECT_EQ(List.LineText(L.Line), L.Text) << L.Line;
        EXPECT_EQ(List.ParaOfLine(L.Line), (std::pair<int, int>{L.Para, L.Offset})) << L.Line;
        EXPECT_EQ(List.LineOfPara(L.Para, L.Offset + 1).first, L.Line);
    }
    EXPECT_EQ(List.LineWidth(5), 8);
    EXPECT_EQ(List.LineOfPara(1, 14), (std::pair<int, int>{3, 2}));
    List.SetBookmarkByLine(2, 2, 3);
    EXPECT_EQ(List.Bookmark(2), (TTextPos{1, 9}));
    // Editing a wrapped paragraph keeps the totals and the changed range.
    List.InsertText(nullptr, 1, 1, "big ");
    EXPECT_EQ(List.LineCount(), 7);
    EXPECT_EQ(List.ChangedFromLine(), 1);
    EXPECT_EQ(List.ChangedToLine(), TParaList::AllBelowChanged);
    List.SetWordWrap(false);
    EXPECT_EQ(List.LineCount(), 3);
    EXPECT_EQ(List.ParaOfLine(3), (std::pair<int, int>{3, 0}));
}

TEST(ParaList, ColumnsAndPositions) {
    TParaList List(nullptr, 8192, false);
    List.SetTabSize(4);
    const struct {
        const char* Text;
        int Pos;
        int Column;
    } Cases[] = {{"abc", 0, 1}, {"abc", 1, 1},  {"abc", 3, 3}, {"abc", 6, 6},
                 {"\tx", 2, 5}, {"a\tx", 3, 5}, {"\tx", 3, 6}, {"\tx", 5, 8}};
    for (const auto& Case : Cases) {
        EXPECT_EQ(List.ColumnOfPosition(Case.Text, Case.Pos), Case.Column) << Case.Text;
        if (Case.Pos >= 1) {
            EXPECT_EQ(List.PositionOfColumn(Case.Text, Case.Column), Case.Pos) << Case.Text;
        }
    }
    EXPECT_EQ(List.PositionOfColumn("\tx", 3), 1); // inside the tab: the tab itself
}

TEST(ParaList, DeleteRange) {
    const struct {
        int P1, Pos1, P2, Pos2;
        TTextList Want;
    } Cases[] = {
        {2, 2, 2, 4, {"ab", "cf", "ghij", "klm"}},
        {1, 1, 3, 1, {"ghij", "klm"}},
        {1, 2, 3, 3, {"aij", "klm"}},
        {2, 5, 3, 1, {"ab", "cdefghij", "klm"}},
        {1, 3, 4, 4, {"ab"}},
    };
    for (const auto& Case : Cases) {
        TParaList List(nullptr, 8192, false);
        Load(List, {"ab", "cdef", "ghij", "klm"});
        ASSERT_EQ(List.DeleteRange(nullptr, Case.P1, Case.Pos1, Case.P2, Case.Pos2), eeNone);
        EXPECT_EQ(TextOf(List), Case.Want);
        List.Undo(nullptr);
        EXPECT_EQ(TextOf(List), (TTextList{"ab", "cdef", "ghij", "klm"}));
    }
}

} // namespace
} // namespace korvid
