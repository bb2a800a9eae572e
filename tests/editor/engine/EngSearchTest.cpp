#include "editor/engine/EngSearch.h"

#include "FakeEditorHost.h"
#include "editor/engine/EngCustomEditor.h"
#include "editor/engine/EngException.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::LoadText;
using test::ParasOf;
using TParas = std::vector<std::string>;

class Search : public ::testing::Test {
protected:
    Search() : E(Host, &Controller) { E.WindowCreated(); }
    test::TFakeEditorHost Host;
    TEngController Controller;
    TEngCustomEditor E;

    void Load(const TParas& Paras) { LoadText(E, Paras); }
    // The selection as (para, start pos, end pos), or nothing.
    std::string Selected() { return E.HasSelection() ? E.SelectedText() : std::string("<none>"); }
    TTextPos SelStart() const { return E.SelStart().P; }
};

TEST_F(Search, FindsForwardsAndSelectsTheMatch) {
    struct TCase {
        TParas Text;
        std::string Find;
        std::uint16_t Options;
        TTextPos Start; // of the selected match; {0, 0} when none
    };
    const TCase Cases[] = {
        {{"concatenate the cat"}, "cat", soWholeWords, {1, 17}},
        {{"concatenate the cat"}, "cat", 0, {1, 4}},
        {{"the cat, sat"}, "cat", soWholeWords, {1, 5}},
        {{"The CAT"}, "cat", 0, {1, 5}},
        {{"The CAT"}, "cat", soMatchCase, {0, 0}},
        {{"a Xyz", "Xyz b", "Xyz"}, "Xyz", soAnchorLineStart, {2, 1}},
        // Only the first anchor in the fixed order applies.
        {{"Xyz b", "  Xyz", "Xyz"}, "Xyz", soAnchorLineStart | soAnchorLineEnd, {1, 1}},
        {{"b Xyz", "  Xyz", "Xyz"}, "Xyz", soAnchorLineEnd | soAnchorLineStartBlanks, {2, 3}},
        {{"Xyz b", "a Xyz", "Xyz"}, "Xyz", soAnchorLineEnd, {2, 3}},
        {{"Xyz b", "a Xyz  ", "Xyz"}, "Xyz", soAnchorLineEndBlanks, {2, 3}},
        {{"Xyz b", " Xyz ", "Xyz"}, "Xyz", soAnchorWholeLine, {3, 1}},
        {{"Xyz b", " Xyz\t", "Xyz"}, "Xyz", soAnchorWholeLineBlanks, {2, 2}},
        {{"a", "b"}, "zzz", 0, {0, 0}},
        {{"a", "b"}, "", 0, {0, 0}},
    };
    for (const TCase& C : Cases) {
        Load(C.Text);
        const TSearchResult R = E.SearchReplace(C.Find, "", C.Options);
        EXPECT_EQ(R.Found, C.Start.Para != 0) << C.Find << " " << C.Options;
        if (C.Start.Para != 0) {
            EXPECT_EQ(SelStart(), C.Start) << C.Find << " " << C.Options;
            EXPECT_EQ(E.GetSelTextLen(), static_cast<int>(C.Find.size()));
        } else {
            EXPECT_TRUE(R.Nothing());
        }
        E.ClearAll();
    }
}

TEST_F(Search, RepeatedSearchesWalkOnInBothDirections) {
    Load({"ab ab", "ab"});
    std::vector<TTextPos> Forward;
    while (E.FindText("ab", 0))
        Forward.push_back(SelStart());
    EXPECT_EQ(Forward, (std::vector<TTextPos>{{1, 1}, {1, 4}, {2, 1}}));
    std::vector<TTextPos> Backward;
    while (E.FindText("AB", soBackwards))
        Backward.push_back(SelStart());
    // The last match found forwards ends at the caret, so it comes first.
    EXPECT_EQ(Backward, (std::vector<TTextPos>{{2, 1}, {1, 4}, {1, 1}}));
}

TEST_F(Search, BackwardsNeverOverlapsTheCaret) {
    Load({"aaaa"});
    E.MoveCaretToPara(1, 4);
    ASSERT_TRUE(E.FindText("aa", soBackwards));
    EXPECT_EQ(SelStart(), (TTextPos{1, 2})); // ends just before the caret
    // The caret now stands at the match's start, inside the only earlier match.
    EXPECT_FALSE(E.FindText("aa", soBackwards));
    E.MoveCaretToPara(1, 3);
    ASSERT_TRUE(E.FindText("aa", soBackwards));
    EXPECT_EQ(SelStart(), (TTextPos{1, 1}));
}

TEST_F(Search, WholeDocumentStartsAtTheEnds) {
    Load({"x1", "x2", "x3"});
    E.MoveCaretToPara(2, 2);
    ASSERT_TRUE(E.FindText("x", soWholeDocument));
    EXPECT_EQ(SelStart(), (TTextPos{1, 1}));
    ASSERT_TRUE(E.FindText("x", soWholeDocument | soBackwards));
    EXPECT_EQ(SelStart(), (TTextPos{3, 1}));
}

TEST_F(Search, EmptyFindTextWithTheWholeLineAnchors) {
    Load({"a", "   ", "b", "", "c"});
    ASSERT_TRUE(E.FindText("", soAnchorWholeLineBlanks));
    EXPECT_EQ(E.CaretPara(), 2);
    ASSERT_TRUE(E.FindText("", soAnchorWholeLine));
    EXPECT_EQ(E.CaretPara(), 4);
    EXPECT_FALSE(E.FindText("", soAnchorWholeLine));
    EXPECT_TRUE(E.FindText("", soAnchorWholeLine | soBackwards | soWholeDocument));
    EXPECT_EQ(E.CaretPara(), 4);
    // Not with replace.
    EXPECT_TRUE(E.SearchReplace("", "x", soAnchorWholeLine | soReplaceAll).Nothing());
}

TEST_F(Search, ReplaceAllCountsAndIsOneUndoStep) {
    struct TCase {
        TParas Text;
        std::string Find;
        std::string Replacement;
        std::uint16_t Options;
        int Count;
        TParas After;
    };
    const TCase Cases[] = {
        {{"a a a"}, "a", "bb", soReplaceAll, 3, {"bb bb bb"}},
        {{"aaa", "xa"}, "a", "", soReplaceAll | soWholeDocument, 4, {"", "x"}},
        {{"aaaa"}, "aa", "a", soReplaceAll, 2, {"aa"}},
        {{"Cat cat"}, "cat", "dog", soReplaceAll | soPreserveCase, 2, {"Dog dog"}},
        {{"cat concat"}, "cat", "x", soReplaceAll | soWholeWords, 1, {"x concat"}},
        {{"a a a"}, "a", "bb", soReplaceAll | soBackwards | soWholeDocument, 3, {"bb bb bb"}},
        {{"abc"}, "z", "y", soReplaceAll, 0, {"abc"}},
    };
    for (const TCase& C : Cases) {
        Load(C.Text);
        const TSearchResult R = E.SearchReplace(C.Find, C.Replacement, C.Options);
        EXPECT_EQ(R.Replacements, C.Count) << C.Find;
        EXPECT_EQ(R.Error, 0);
        EXPECT_EQ(ParasOf(E), C.After) << C.Find;
        if (C.Count > 0) {
            E.ProcessCommand(72, 0); // undo
            EXPECT_EQ(ParasOf(E), C.Text) << C.Find;
        }
        E.ClearAll();
    }
}

TEST_F(Search, ReplaceAllInsideTheSelectionFollowsItsEnd) {
    Load({"a a a a"});
    E.SetSelectionParas({1, 1}, {1, 6}, true); // "a a a"
    const TSearchResult R = E.SearchReplace("a", "xyz", soReplaceAll | soSelectionOnly);
    EXPECT_EQ(R.Replacements, 3);
    EXPECT_EQ(ParasOf(E), TParas{"xyz xyz xyz a"});
    EXPECT_EQ(E.SelectedText(), "xyz xyz xyz");
}

TEST_F(Search, ReplaceWithTheSelectionAlreadyTheFindText) {
    Load({"one cat", "two cat"});
    ASSERT_TRUE(E.FindText("cat", 0));
    TSearchResult R = E.SearchReplace("CAT", "dog", soReplace);
    EXPECT_EQ(R.Replacements, 1);
    EXPECT_TRUE(R.Found); // the next one is selected
    EXPECT_EQ(ParasOf(E), (TParas{"one dog", "two cat"}));
    EXPECT_EQ(SelStart(), (TTextPos{2, 5}));
    R = E.SearchReplace("cat", "dog", soReplace);
    EXPECT_EQ(R.Replacements, 1);
    EXPECT_FALSE(R.Found); // one replacement, with nothing further to find
    EXPECT_EQ(ParasOf(E), (TParas{"one dog", "two dog"}));
    // A selection that is not the find text is only searched from.
    E.MoveCaretToPara(1, 1);
    R = E.SearchReplace("dog", "cat", soReplace);
    EXPECT_EQ(R, (TSearchResult{true, 0, 0}));
}

TEST_F(Search, AnErrorIsKeptApartFromTheCount) {
    Load({"ab ab ab"});
    E.SetParaLengthLimit(10);
    int Reported = 0;
    E.OnError = [&](TEngCustomEditor&, int& Code) { Reported = Code; };
    const TSearchResult R = E.SearchReplace("ab", "abcd", soReplaceAll);
    EXPECT_EQ(R.Replacements, 1);
    EXPECT_EQ(R.Error, eeParaTooLong);
    EXPECT_EQ(Reported, eeParaTooLong);
    EXPECT_EQ(ParasOf(E), TParas{"abcd ab ab"});
    E.OnError = nullptr;
    EXPECT_THROW(E.SearchReplace("ab", "abcdefgh", soReplaceAll), EEditorError);
}

TEST_F(Search, ReadOnlyEditorsOnlyFind) {
    Load({"a a"});
    E.ReadOnly = true;
    const TSearchResult R = E.SearchReplace("a", "b", soReplaceAll);
    EXPECT_EQ(R.Replacements, 0);
    EXPECT_EQ(ParasOf(E), TParas{"a a"});
}

TEST_F(Search, LongTextsAreCutTo255) {
    const std::string Long(300, 'q');
    Load({Long});
    ASSERT_TRUE(E.FindText(Long, 0));
    EXPECT_EQ(E.GetSelTextLen(), 255);
}

} // namespace
} // namespace korvid
