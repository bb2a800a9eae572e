#include "editor/engine/EngCustomEditor.h"

#include "FakeEditorHost.h"
#include "editor/engine/EngException.h"

#include <gtest/gtest.h>

#include <cstring>

namespace korvid {
namespace {

using test::LoadText;
using test::ParasOf;
using TParas = std::vector<std::string>;

class Public : public ::testing::Test {
protected:
    Public() : E(Host, &Controller) { E.WindowCreated(); }
    test::TFakeEditorHost Host;
    TEngController Controller;
    TEngCustomEditor E;

    void Load(const TParas& Paras) { LoadText(E, Paras); }
};

TEST_F(Public, SelectedTextLengthAndBuffer) {
    Load({"abc", "defg", "hi"});
    struct TCase {
        TTextPos From;
        TTextPos To;
        std::string Text;
    };
    const TCase Cases[] = {
        {{1, 2}, {1, 4}, "bc"},
        {{1, 2}, {3, 2}, "bc\r\ndefg\r\nh"},
        {{1, 1}, {2, 1}, "abc\r\n"},
        {{2, 5}, {3, 3}, "\r\nhi"},
    };
    for (const TCase& C : Cases) {
        E.SetSelectionParas(C.From, C.To, true);
        EXPECT_EQ(E.GetSelText(), C.Text);
        EXPECT_EQ(E.GetSelTextLen(), static_cast<int>(C.Text.size()));
        // A buffer of the length + 1 takes it all, a smaller one a NUL-terminated prefix.
        std::vector<char> Buffer(C.Text.size() + 4, '#');
        EXPECT_EQ(E.GetSelTextBuf(Buffer.data(), static_cast<int>(C.Text.size()) + 1),
                  static_cast<int>(C.Text.size()));
        EXPECT_EQ(std::string(Buffer.data()), C.Text);
        std::fill(Buffer.begin(), Buffer.end(), '#');
        EXPECT_EQ(E.GetSelTextBuf(Buffer.data(), 3), 2);
        EXPECT_EQ(std::string(Buffer.data()), C.Text.substr(0, 2));
        EXPECT_EQ(Buffer[3], '#'); // nothing written past Size - 1
    }
    char One[2] = {'#', '#'};
    EXPECT_EQ(E.GetSelTextBuf(One, 1), 0);
    EXPECT_EQ(One[0], '\0');
    EXPECT_EQ(One[1], '#');
    E.CollapseSelection(false);
    EXPECT_EQ(E.GetSelTextLen(), 0);
}

TEST_F(Public, TextBufferNeverWritesPastItsSize) {
    Load({"ab", "cd"});
    EXPECT_EQ(E.GetText(), "ab\r\ncd");
    EXPECT_EQ(E.GetTextLength(), 6);
    for (int Size = 0; Size <= 9; ++Size) {
        std::vector<char> Buffer(12, '#');
        const int N = E.GetTextBuf(Buffer.data(), Size);
        EXPECT_EQ(N, std::max(0, std::min(Size - 1, 6))) << Size;
        if (Size > 0) {
            EXPECT_EQ(std::string(Buffer.data()), std::string("ab\r\ncd").substr(0, N));
        }
        EXPECT_EQ(Buffer[static_cast<std::size_t>(Size)], '#') << Size;
    }
}

TEST_F(Public, CurrentWord) {
    struct TCase {
        std::string Para;
        int Caret;
        std::string Word;
    };
    const TCase Cases[] = {
        {"alpha beta", 1, "alpha"},
        {"alpha beta", 3, "alpha"},
        {"alpha beta", 6, "alpha"},
        {"alpha beta", 11, "beta"},
        {"alpha  beta", 7, "beta"},
        {"alpha ;;", 8, "alpha"},
        {"", 1, ""},
        {";", 1, ""},
        {";", 2, ""},
        {"  ", 1, ""},
        {"word", 5, "word"},
        {"a", 1, "a"},
    };
    for (const TCase& C : Cases) {
        Load({C.Para});
        E.MoveCaretToPara(1, C.Caret);
        EXPECT_EQ(E.GetCurrentWord(), C.Word) << C.Para << " @" << C.Caret;
        E.ClearAll();
    }
    Load({"one two"});
    E.MoveCaretToPara(1, 6);
    EXPECT_EQ(E.SelectCurrentWord(), "two");
    EXPECT_EQ(E.GetSelText(), "two");
    EXPECT_EQ(E.CaretPos(), 8);
}

TEST_F(Public, SelectionSettersClampAndSelectAll) {
    E.SelectAll(true); // empty text: nothing
    EXPECT_FALSE(E.HasSelection());
    Load({"abc", "defgh"});
    E.SetSelection(1, 10, 2, 99, true);
    EXPECT_EQ(E.GetSelText(), "\r\ndefgh");
    EXPECT_EQ(E.CaretPos(), 6);
    E.SelectAll(false);
    EXPECT_EQ(E.GetSelText(), "abc\r\ndefgh");
    EXPECT_EQ(E.CaretPara(), 1);
    EXPECT_EQ(E.CaretPos(), 1);
    int L1 = 0, C1 = 0, L2 = 0, C2 = 0;
    ASSERT_TRUE(E.GetSelection(L1, C1, L2, C2));
    EXPECT_EQ((std::vector<int>{L1, C1, L2, C2}), (std::vector<int>{1, 1, 2, 6}));
}

TEST_F(Public, RangeChecks) {
    Load({"abc", "de"});
    EXPECT_THROW(E.LineLength(3), EInvalidLineOrPara);
    EXPECT_THROW(E.ParaLength(0), EInvalidLineOrPara);
    EXPECT_THROW(E.GetPara(3), EInvalidLineOrPara);
    EXPECT_THROW(E.SetCaretPosition(1, 0), EInvalidLineOrPara);
    EXPECT_THROW(E.SetMarkerAt(0, 5, 1), EInvalidLineOrCol);
    EXPECT_EQ(E.ParaLength(2), 2);
    EXPECT_EQ(E.GetPara(1), "abc");
    E.SetCaretPosition(2, 2);
    int Col = 0;
    EXPECT_EQ(E.GetCaretPosition(Col), 2);
    EXPECT_EQ(Col, 2);
}

TEST_F(Public, LinesAndParagraphsConvert) {
    E.SetWordWrap(true);
    E.SetWrapColumn(10);
    Load({"aaaa bbbb cccc dddd", "x\ty"});
    ASSERT_EQ(E.LineCount(), 3);
    int Line = 2, Col = 3;
    E.LineToPara(Line, Col);
    EXPECT_EQ(Line, 1);
    EXPECT_EQ(Col, 13);
    E.ParaToLine(Line, Col);
    EXPECT_EQ(Line, 2);
    EXPECT_EQ(Col, 3);
    EXPECT_EQ(E.GetLineText(3), "x       y");
    EXPECT_EQ(E.GetExpandedLine(3, 4), "x   ");
    EXPECT_EQ(E.GetLine(3, 2), "x\t");
}

TEST_F(Public, Bookmarks) {
    Load({"zero", "one"});
    int Col = 0;
    EXPECT_EQ(E.GetMarkerPosition(10, Col), -1);
    EXPECT_EQ(E.GetMarkerPosition(2, Col), -1);
    E.SetMarkerAt(2, 2, 3);
    EXPECT_EQ(E.GetMarkerPosition(2, Col), 2);
    EXPECT_EQ(Col, 3);
    E.SetMarkerAt(10, 1, 1); // ignored
    E.GotoMarker(2);
    EXPECT_EQ(E.CaretPara(), 2);
    EXPECT_EQ(E.CaretPos(), 3);
    E.ClearMarker(2);
    EXPECT_EQ(E.GetMarkerPosition(2, Col), -1);
}

TEST_F(Public, InsertTextAndSetEditorText) {
    Load({"abc"});
    E.SetSelectionParas({1, 2}, {1, 3}, true);
    EXPECT_EQ(E.InsertText("X\r\nY"), 0);
    EXPECT_EQ(ParasOf(E), (TParas{"aX", "Yc"}));
    E.SetEditorText("one\r\ntwo\nthree\r\n");
    EXPECT_EQ(ParasOf(E), (TParas{"one", "two", "three", ""}));
    EXPECT_EQ(E.CaretPara(), 1);
    EXPECT_EQ(E.TopLine(), 1);
    E.SetEditorText("");
    EXPECT_EQ(ParasOf(E), TParas{""});
}

TEST_F(Public, ModifiedFlagRepaintsEveryEditorOfTheText) {
    test::TFakeEditorHost OtherHost;
    TEngCustomEditor Other(OtherHost, &Controller);
    Other.Attach(E);
    E.PaintDone();
    Other.PaintDone();
    Load({"x"});
    E.SetModified(true);
    E.PaintDone();
    Other.PaintDone();
    const int Before = OtherHost.InvalidateAllCount;
    E.SetModified(false);
    EXPECT_FALSE(Other.GetModified());
    EXPECT_EQ(OtherHost.InvalidateAllCount, Before + 1);
    // Undoing past the save point makes the text modified again.
    E.ProcessCommand(249, 'y');
    E.SetModified(false);
    E.ProcessCommand(72, 0);
    EXPECT_TRUE(E.GetModified());
}

TEST_F(Public, UpdatesHoldRepaintingBack) {
    Load({"a", "b"});
    E.PaintDone();
    const int Invalidations = Host.InvalidateAllCount;
    const std::size_t Rects = Host.Invalidated.size();
    const int Paints = Host.PaintCount;
    E.BeginUpdate();
    E.BeginUpdate();
    E.ProcessCommand(249, 'x');
    E.SetEditorText("new\r\ntext");
    E.EndUpdate();
    EXPECT_EQ(Host.InvalidateAllCount, Invalidations);
    EXPECT_EQ(Host.Invalidated.size(), Rects);
    EXPECT_EQ(Host.PaintCount, Paints);
    E.EndUpdate();
    EXPECT_EQ(Host.InvalidateAllCount, Invalidations + 1);
    EXPECT_GT(Host.PaintCount, Paints);
    EXPECT_FALSE(E.Updating());
}

TEST_F(Public, PropertySetters) {
    E.SetScrollPastEnd(true);
    E.SetWordWrap(true);
    EXPECT_TRUE(E.WordWrap());
    EXPECT_FALSE(E.ScrollPastEnd());
    E.SetWrapAtLeft(false);
    EXPECT_TRUE(E.WrapAtLeft()); // forced while wrapping
    E.SetScrollPastEnd(true);
    EXPECT_FALSE(E.WordWrap());
    E.SetWrapAtLeft(false);
    EXPECT_FALSE(E.WrapAtLeft());
    E.SetWordWrap(true);
    EXPECT_TRUE(E.WrapAtLeft());

    E.SetScrollBarsAlways(true);
    EXPECT_TRUE(E.ScrollBarsAlways());
    E.SetScrollBars(TScrollStyle::None);
    EXPECT_FALSE(E.ScrollBarsAlways());
    E.SetScrollBarsAlways(true);
    EXPECT_FALSE(E.ScrollBarsAlways());

    struct TRangeCase {
        void (TEngCustomEditor::*Set)(int);
        int (TEngCustomEditor::*Get)() const;
        int Value;
        int Expected;
    };
    const TRangeCase Cases[] = {
        {&TEngCustomEditor::SetParaLengthLimit, &TEngCustomEditor::ParaLengthLimit, 32768, 4096},
        {&TEngCustomEditor::SetParaLengthLimit, &TEngCustomEditor::ParaLengthLimit, 0, 4096},
        {&TEngCustomEditor::SetParaLengthLimit, &TEngCustomEditor::ParaLengthLimit, 32767, 32767},
        {&TEngCustomEditor::SetTabSize, &TEngCustomEditor::TabSize, 0, 8},
        {&TEngCustomEditor::SetTabSize, &TEngCustomEditor::TabSize, 256, 8},
        {&TEngCustomEditor::SetTabSize, &TEngCustomEditor::TabSize, 255, 255},
        {&TEngCustomEditor::SetParaLimit, &TEngCustomEditor::ParaLimit, 0, INT_MAX},
        {&TEngCustomEditor::SetParaLimit, &TEngCustomEditor::ParaLimit, 5, 5},
        {&TEngCustomEditor::SetByteLimit, &TEngCustomEditor::ByteLimit, -1, INT_MAX},
        {&TEngCustomEditor::SetByteLimit, &TEngCustomEditor::ByteLimit, 0, 0},
        {&TEngCustomEditor::SetWrapColumn, &TEngCustomEditor::WrapColumn, 0, 80},
        {&TEngCustomEditor::SetWrapColumn, &TEngCustomEditor::WrapColumn, 40, 40},
    };
    for (const TRangeCase& C : Cases) {
        (E.*C.Set)(C.Value);
        EXPECT_EQ((E.*C.Get)(), C.Expected) << C.Value;
    }
    E.SetLeftMargin(-1);
    EXPECT_EQ(E.LeftMargin(), 15);
    E.SetLeftMargin(55);
    EXPECT_EQ(E.LeftMargin(), 55);
    EXPECT_EQ(E.VisibleColumns(), (Host.Width - 55 - 5) / 8);
    E.SetUndoBufferSize(70000);
    EXPECT_EQ(E.UndoBufferSize(), 65535u);
    E.SetWordDelimiters("");
    EXPECT_EQ(E.WordDelimiters().size(), 35u);
    E.SetWordDelimiters(" ");
    EXPECT_EQ(E.WordDelimiters(), " ");
}

// Properties whose setters keep a rule are reachable through the setters alone.
template <typename T> constexpr bool InsertModeAssignable = requires(T& E) {
    E.InsertMode = true;
};
template <typename T> constexpr bool ScrollPastEndAssignable = requires(T& E) {
    E.ScrollPastEnd = true;
};
template <typename T> constexpr bool TabTypeAssignable = requires(T& E) {
    E.TabType = ttFixed;
};
template <typename T> constexpr bool WrapAtLeftAssignable = requires(T& E) {
    E.WrapAtLeft = false;
};
static_assert(!InsertModeAssignable<TEngCustomEditor> &&
              !ScrollPastEndAssignable<TEngCustomEditor> && !TabTypeAssignable<TEngCustomEditor> &&
              !WrapAtLeftAssignable<TEngCustomEditor>);

TEST_F(Public, ScrollPastEndNeverLeavesWordWrapOn) {
    Load({"one two three four five six", "seven"});
    E.SetWrapColumn(10);
    E.SetWordWrap(true);
    ASSERT_GT(E.LineCount(), E.ParaCount());

    E.SetScrollPastEnd(true);
    EXPECT_TRUE(E.ScrollPastEnd());
    EXPECT_FALSE(E.WordWrap());
    EXPECT_EQ(E.LineCount(), E.ParaCount()); // the text is unwrapped again
    E.MoveCaretToPara(2, 9);                 // and the caret may stand beyond a paragraph's end
    EXPECT_EQ(E.CaretPos(), 9);
}

} // namespace
} // namespace korvid

namespace korvid {
namespace {

// A text set at once and the same lines fed one at a time by a loader end the same way: the
// paragraphs, the counts, the first limit reached, and the carets and top lines of the editor
// and of one sharing its text.
struct TLoadCase {
    const char* Name;
    std::vector<std::string> Lines{};
    int ParaLimit = TParaList::NoLimit;
    int ByteLimit = TParaList::NoLimit;
    int ParaLengthLimit = TParaList::DefaultParaLengthLimit;
    bool WordWrap = false;
};

struct TLoaded {
    test::TFakeEditorHost Host;
    test::TFakeEditorHost OtherHost;
    TEngController Controller;
    TEngCustomEditor E{Host, &Controller};
    TEngCustomEditor Other{OtherHost, &Controller};
    int Error = eeNone;

    explicit TLoaded(const TLoadCase& C) {
        E.WindowCreated();
        Other.WindowCreated();
        Other.Attach(E);
        E.SetParaLimit(C.ParaLimit);
        E.SetByteLimit(C.ByteLimit);
        E.SetParaLengthLimit(C.ParaLengthLimit);
        E.SetWordWrap(C.WordWrap);
        E.SetWrapColumn(10);
        E.OnError = [this](TEngCustomEditor&, int& Code) { Error = Code; };
    }
};

void ExpectSameEnd(TLoaded& Set, TLoaded& Fed) {
    EXPECT_EQ(test::ParasOf(Fed.E), test::ParasOf(Set.E));
    EXPECT_EQ(Fed.Error, Set.Error);
    EXPECT_EQ(Fed.E.GetModified(), Set.E.GetModified());
    EXPECT_EQ(Fed.E.Lines().ByteCount(), Set.E.Lines().ByteCount());
    EXPECT_EQ(Fed.E.LineCount(), Set.E.LineCount());
    for (auto [A, B] : {std::pair{&Set.E, &Fed.E}, std::pair{&Set.Other, &Fed.Other}}) {
        EXPECT_EQ(B->CaretPara(), A->CaretPara());
        EXPECT_EQ(B->CaretPos(), A->CaretPos());
        EXPECT_EQ(B->CaretLine(), A->CaretLine());
        EXPECT_EQ(B->TopLine(), A->TopLine());
        EXPECT_EQ(B->SelStart().P, A->SelStart().P);
        EXPECT_EQ(B->SelEnd().P, A->SelEnd().P);
    }
}

class LoadedLines : public testing::TestWithParam<TLoadCase> {};

TEST_P(LoadedLines, EndAsTheTextSetAtOnce) {
    const TLoadCase& C = GetParam();
    TLoaded Set(C);
    std::string Text;
    for (std::size_t I = 0; I < C.Lines.size(); ++I)
        Text += (I > 0 ? "\r\n" : "") + C.Lines[I];
    Set.E.SetEditorText(Text);

    TLoaded Fed(C);
    std::size_t Next = 0;
    Fed.E.SetEditorLines(C.Lines.size(), Text.size(), [&](std::string_view& Line) {
        if (Next == C.Lines.size())
            return false;
        Line = C.Lines[Next++];
        return true;
    });
    ExpectSameEnd(Set, Fed);
}

// Lines fed as views into the text read stay there; edits then move a paragraph out without
// touching its neighbours, which lie next to it in the same text.
TEST_P(LoadedLines, LinesKeptWhereTheyLieEndAndEditAsCopiedOnes) {
    const TLoadCase& C = GetParam();
    std::string Backing;
    std::vector<std::pair<std::size_t, std::size_t>> Spans;
    for (const std::string& Line : C.Lines) {
        Spans.emplace_back(Backing.size(), Line.size());
        Backing += Line + "\r\n";
    }
    const std::string Joined = Backing;
    TLoaded Copied(C);
    TLoaded Kept(C);
    for (TLoaded* Loaded : {&Copied, &Kept}) {
        std::size_t Next = 0;
        const char* const Base = Loaded == &Kept ? Backing.data() : Joined.data();
        Loaded->E.SetEditorLines(
            C.Lines.size(), Joined.size(),
            [&](std::string_view& Line) {
                if (Next == Spans.size())
                    return false;
                Line = {Base + Spans[Next].first, Spans[Next].second};
                ++Next;
                return true;
            },
            Loaded == &Kept ? &Backing : nullptr);
    }
    ExpectSameEnd(Copied, Kept);
    for (TLoaded* Loaded : {&Copied, &Kept}) {
        TParaList& L = Loaded->E.Lines();
        L.SetParaLengthLimit(MaxParaLength);
        for (int Para = 1; Para <= L.ParaCount(); Para += 2) {
            L.DeleteText(nullptr, Para, 1, 1);
            L.InsertText(nullptr, Para, L.ParaLength(Para) + 1, "<end>");
        }
    }
    EXPECT_EQ(test::ParasOf(Kept.E), test::ParasOf(Copied.E));
}

const std::string Long(300, 'w');

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadedLines,
    testing::Values(
        TLoadCase{.Name = "none", .Lines = {}}, TLoadCase{.Name = "one_empty", .Lines = {""}},
        TLoadCase{.Name = "one", .Lines = {"abc"}},
        TLoadCase{.Name = "final_line_end", .Lines = {"a", "b", ""}},
        TLoadCase{.Name = "empty_lines", .Lines = {"", "", ""}},
        TLoadCase{.Name = "no_final_line_end", .Lines = {"a", "", "b c d e f g h i j k l"}},
        TLoadCase{
            .Name = "wrapped", .Lines = {"one two three four five six", "", "x"}, .WordWrap = true},
        TLoadCase{.Name = "paragraph_limit", .Lines = {"a", "b", "c", "d"}, .ParaLimit = 3},
        TLoadCase{
            .Name = "paragraph_limit_last_empty", .Lines = {"a", "b", "c", ""}, .ParaLimit = 3},
        TLoadCase{.Name = "byte_limit", .Lines = {"abc", "def", "ghi"}, .ByteLimit = 8},
        TLoadCase{.Name = "long_last_line", .Lines = {"a", Long}, .ParaLengthLimit = 100},
        TLoadCase{.Name = "long_middle_line", .Lines = {Long, "a"}, .ParaLengthLimit = 100},
        TLoadCase{.Name = "beyond_a_paragraph", .Lines = {"a", std::string(70000, 'z'), "b"}}),
    [](const testing::TestParamInfo<TLoadCase>& Info) { return std::string(Info.param.Name); });

} // namespace
} // namespace korvid
