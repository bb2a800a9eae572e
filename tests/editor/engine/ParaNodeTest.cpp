#include "editor/engine/ParaNode.h"
#include "editor/engine/EngineError.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace korvid {
namespace {

std::vector<int> Starts(const TParaNode& Node) {
    std::vector<int> Result;
    for (int K = 1; K <= Node.LineCount(); ++K)
        Result.push_back(Node.LineStart(K));
    return Result;
}

struct TWrapCase {
    const char* Text;
    int Width;
    int TabSize;
    std::vector<int> Starts;
};

TEST(ParaNode, WrapBreakPoints) {
    const TWrapCase Cases[] = {
        {"hello world", 5, 8, {0, 6}},
        {"abcdefghij", 5, 8, {0, 5}}, // a long word breaks hard after W characters
        {"abcdefghijkl", 5, 8, {0, 5, 10}},
        {"abcde", 5, 8, {0}},          // exactly W characters: one line
        {"abcde fgh", 5, 8, {0, 6}},   // a blank at offset W: the break is after it
        {"abc    def", 5, 8, {0, 7}},  // a run of blanks stays on the earlier line
        {"abcde     ", 5, 8, {0}},     // trailing blanks never start a line
        {"ab cd ef gh", 5, 8, {0, 6}}, // the last blank that fits
        {"\tab", 8, 8, {0, 1}},        // a tab at column 1 fills 8 columns
        {"\tab", 10, 8, {0}},
        {"a\tb\tc", 8, 4, {0, 4}},
        {"a\tb\tc", 9, 4, {0}},
        {"one two three four", 80, 8, {0}},
        {"one two three four", NoWrapColumn, 8, {0}},
        {"one two three four", 0, 8, {0}},
        {"", 5, 8, {0}},
    };
    for (const TWrapCase& Case : Cases) {
        const TParaNode Node(Case.Text, Case.TabSize, Case.Width);
        EXPECT_EQ(Starts(Node), Case.Starts) << '"' << Case.Text << "\" at " << Case.Width;
    }
}

TEST(ParaNode, GetLineAndLineOfPosition) {
    const TParaNode Node("hello world again", 8, 6);
    ASSERT_EQ(Starts(Node), (std::vector<int>{0, 6, 12}));
    EXPECT_EQ(Node.GetLine(1), "hello ");
    EXPECT_EQ(Node.GetLine(2), "world ");
    EXPECT_EQ(Node.GetLine(3), "again");
    EXPECT_EQ(Node.GetLine(0), "");
    EXPECT_EQ(Node.GetLine(4), "");
    const std::pair<int, int> Cases[][2] = {
        {{1, 0}, {1, 1}},  {{6, 0}, {1, 6}},  {{7, 0}, {2, 1}},
        {{12, 0}, {2, 6}}, {{13, 0}, {3, 1}}, {{20, 0}, {3, 8}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Node.LineOfPosition(Case[0].first), Case[1]) << Case[0].first;
}

TEST(ParaNode, CapacityGrowth) {
    EXPECT_EQ(TParaNode("", 8, 80).TextCapacity(), 0);
    EXPECT_EQ(TParaNode("abc", 8, 80).TextCapacity(), 8);
    EXPECT_EQ(TParaNode("1234567", 8, 80).TextCapacity(), 8);
    EXPECT_EQ(TParaNode("12345678", 8, 80).TextCapacity(), 16);
    TParaNode Node("1234567", 8, 80);
    TChangedLines Changed;
    ASSERT_EQ(Node.InsertText("x", 8, 8, 80, Changed), eeNone);
    EXPECT_EQ(Node.TextCapacity(), 16); // 9 bytes needed, rounded up to 16
    ASSERT_EQ(Node.InsertText(std::string(9, 'y'), 1, 8, 80, Changed), eeNone);
    EXPECT_EQ(Node.TextCapacity(), 32);
    EXPECT_EQ(Node.Length(), 17);
    const TParaNode Long(std::string(100, 'a'), 8, 5);
    EXPECT_EQ(Long.LineCount(), 20);
    EXPECT_EQ(Long.LineStartsCapacity(), 24); // estimate 24, never below a multiple of 8
}

TEST(ParaNode, InsertBeyondTheEndPadsWithSpaces) {
    TParaNode Node("ab", 8, 80);
    TChangedLines Changed;
    ASSERT_EQ(Node.InsertText("X", 6, 8, 80, Changed), eeNone);
    EXPECT_EQ(Node.Text(), "ab   X");
    TParaNode Empty;
    ASSERT_EQ(Empty.InsertText("Z", 3, 8, 80, Changed), eeNone);
    EXPECT_EQ(Empty.Text(), "  Z");
}

TEST(ParaNode, DeleteAndReplace) {
    TParaNode Empty;
    TChangedLines Changed;
    Empty.DeleteText(1, 5, 8, 80, Changed);
    EXPECT_EQ(Empty.Length(), 0);
    TParaNode Node("abcdef", 8, 80);
    Node.DeleteText(3, 2, 8, 80, Changed);
    EXPECT_EQ(Node.Text(), "abef");
    Node.DeleteText(3, 100, 8, 80, Changed);
    EXPECT_EQ(Node.Text(), "ab");
    Node.DeleteText(5, 1, 8, 80, Changed); // beyond the end: nothing
    EXPECT_EQ(Node.Text(), "ab");
    ASSERT_EQ(Node.ReplaceText(1, 1, "XYZ", 8, 80, Changed), eeNone);
    EXPECT_EQ(Node.Text(), "XYZb");
    ASSERT_EQ(Node.ReplaceText(2, 3, "-", 8, 80, Changed), eeNone);
    EXPECT_EQ(Node.Text(), "X-");
}

// A paragraph kept where it was read has no room of its own: a replace that shrinks it still
// moves it to a block that holds all it has now (the read text stays as it was).
TEST(ParaNode, AShrinkingReplaceMovesTextKeptInPlace) {
    const std::string Read = std::string(40, 'a') + "\r\n";
    TParaNode Node(std::string_view(Read).substr(0, 40), 8, 80, true);
    TChangedLines Changed;
    ASSERT_EQ(Node.ReplaceText(2, 30, "x", 8, 80, Changed), eeNone);
    EXPECT_EQ(Node.Text(), "ax" + std::string(9, 'a'));
    EXPECT_EQ(Read, std::string(40, 'a') + "\r\n");
}

TEST(ParaNode, RefusesToReach65536Characters) {
    TParaNode Node(std::string(MaxParaLength - 1, 'a'), 8, NoWrapColumn);
    TChangedLines Changed;
    EXPECT_EQ(Node.InsertText("b", 1, 8, NoWrapColumn, Changed), eeNone);
    EXPECT_EQ(Node.Length(), MaxParaLength);
    EXPECT_EQ(Node.InsertText("c", 1, 8, NoWrapColumn, Changed), eeParaTooLong);
    EXPECT_EQ(Node.ReplaceText(1, 1, "cc", 8, NoWrapColumn, Changed), eeParaTooLong);
    EXPECT_EQ(Node.Length(), MaxParaLength);
    TParaNode Short("abc", 8, 80);
    EXPECT_EQ(Short.InsertText("x", MaxParaLength + 1, 8, 80, Changed), eeParaTooLong);
    EXPECT_EQ(Short.Text(), "abc");
}

TEST(ParaNode, TrimAndBlanksBefore) {
    TParaNode Node("ab \t c  \t", 8, 80);
    EXPECT_EQ(Node.BlanksBefore(6), 3);
    EXPECT_EQ(Node.BlanksBefore(3), 0);
    EXPECT_EQ(Node.BlanksBefore(50), 3);
    EXPECT_EQ(Node.TrimTrailingBlanks(8, 80), 3);
    EXPECT_EQ(Node.Text(), "ab \t c");
    EXPECT_EQ(TParaNode().BlanksBefore(3), 0);
}

// Incremental re-wrapping after any edit gives the line starts of a full wrap, and the
// reported lines begin no later than the line before the edit.
TEST(ParaNode, IncrementalWrapEqualsFullWrap) {
    std::mt19937 Random(20261210);
    auto Rand = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Random); };
    const std::string Alphabet = "abcdef    \tXY";
    for (int Round = 0; Round < 300; ++Round) {
        const int Width = Rand(1, 20);
        const int Tab = Rand(1, 8);
        std::string Text;
        for (int I = Rand(0, 80); I > 0; --I)
            Text += Alphabet[Rand(0, static_cast<int>(Alphabet.size()) - 1)];
        TParaNode Node(Text, Tab, Width);
        for (int Edit = 0; Edit < 20; ++Edit) {
            TChangedLines Changed;
            const int Pos = Rand(1, Node.Length() + 1);
            const int EditLine = Node.LineOfPosition(Pos).first;
            std::string Piece;
            for (int I = Rand(0, 6); I > 0; --I)
                Piece += Alphabet[Rand(0, static_cast<int>(Alphabet.size()) - 1)];
            const int Kind = Rand(0, 2);
            if (Kind == 0) {
                ASSERT_EQ(Node.InsertText(Piece, Pos, Tab, Width, Changed), eeNone);
            } else if (Kind == 1) {
                Node.DeleteText(Pos, Rand(1, 8), Tab, Width, Changed);
            } else {
                ASSERT_EQ(Node.ReplaceText(Pos, Rand(0, 4), Piece, Tab, Width, Changed), eeNone);
            }
            const TParaNode Full(Node.Text(), Tab, Width);
            ASSERT_EQ(Starts(Node), Starts(Full))
                << '"' << Node.Text() << "\" width " << Width << " tab " << Tab;
            if (Node.Length() > 0) {
                EXPECT_LE(Changed.First, std::max(1, EditLine - 1));
            }
            EXPECT_LE(Changed.First, Changed.Last);
        }
    }
}

} // namespace
} // namespace korvid
