#include "editor/engine/EngText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvid {
namespace {

std::optional<std::size_t> Find(std::string_view Buffer, std::string_view Pattern,
                                bool IgnoreCase = false) {
    TSkipTable Table;
    BuildSkipTable(Pattern, Table);
    std::size_t Position = 0;
    const bool Found = IgnoreCase ? SearchBytesIgnoreCase(Buffer, Table, Pattern, Position)
                                  : SearchBytes(Buffer, Table, Pattern, Position);
    return Found ? std::optional(Position) : std::nullopt;
}

TEST(EngText, SkipTable) {
    TSkipTable Table;
    ASSERT_TRUE(BuildSkipTable("abcab", Table));
    EXPECT_EQ(Table['a'], 1); // a later occurrence overrides an earlier one
    EXPECT_EQ(Table['b'], 3); // the last character does not take part
    EXPECT_EQ(Table['c'], 2);
    EXPECT_EQ(Table['z'], 5);
    EXPECT_FALSE(BuildSkipTable(std::string(256, 'a'), Table));
}

struct TSearchCase {
    const char* Buffer;
    const char* Pattern;
    bool IgnoreCase;
    std::optional<std::size_t> Position;
};

TEST(EngText, Search) {
    const TSearchCase Cases[] = {
        {"abc", "", false, std::nullopt}, // an empty pattern never matches
        {"abc", "a", false, 0},           // one character, at offset 0
        {"abcb", "b", false, 1},
        {"hello world", "world", false, 6},           // ends at the buffer's last byte
        {"hello worl", "world", false, std::nullopt}, // would reach past it
        {"abababc", "ababc", false, 2},
        {"xyz", "xyzw", false, std::nullopt},
        {"Hello World", "WORLD", true, 6},            // upper-case pattern, any case in the text
        {"HELLO WORLD", "world", true, std::nullopt}, // a lower-case pattern finds nothing
        {"Hello World", "WORLD", false, std::nullopt},
        {"caf\xe9 CAF\xc9", "CAF\xc9", true, 0}, // accented letters fold as well
        {"aaaa", "A", true, 0},
    };
    for (const TSearchCase& Case : Cases)
        EXPECT_EQ(Find(Case.Buffer, Case.Pattern, Case.IgnoreCase), Case.Position)
            << Case.Buffer << " / " << Case.Pattern;
}

TEST(EngText, LongPatternsAreRefusedNotCutToTheirLowByte) {
    const std::string Pattern(257, 'a'); // its length's low byte would be 1
    const std::string Buffer(300, 'a');
    EXPECT_EQ(Find(Buffer, Pattern), std::nullopt);
    EXPECT_EQ(Find(Buffer, std::string(255, 'a')), 0u);
}

TEST(EngText, Columns) {
    EXPECT_EQ(ColumnOfOffset("abc", 8), 3);
    EXPECT_EQ(ColumnOfOffset("\t", 8), 8);
    EXPECT_EQ(ColumnOfOffset("ab\tc", 4), 5);
    EXPECT_EQ(ColumnOfOffset(std::string_view("ab\0cd", 5), 8), 2); // stops at a NUL
    EXPECT_EQ(OffsetOfColumn("abcdef", 4, 8), 4);
    EXPECT_EQ(OffsetOfColumn("a\tbc", 4, 8), 2); // the tab passes column 4 and is included
    EXPECT_EQ(OffsetOfColumn("ab", 4, 8), 2);
    EXPECT_TRUE(HasTabs("a\tb"));
    EXPECT_FALSE(HasTabs("ab"));
}

TEST(EngText, SmallRoutines) {
    std::string S = "ab";
    PadString(S, 5);
    EXPECT_EQ(S, "ab   ");
    PadString(S, 2);
    EXPECT_EQ(S, "ab   ");
    EXPECT_EQ(LastBlankBefore("ab cd ef", 7), 6);
    EXPECT_EQ(LastBlankBefore("ab cd ef", 5), 3);
    EXPECT_EQ(LastBlankBefore("abcd", 3), 3);
    EXPECT_EQ(FirstLineEnd("ab\r\ncd"), 4u);
    EXPECT_EQ(FirstLineEnd("abc"), 3u);
    EXPECT_EQ(Fill(3, '-'), "---");
}

TEST(EngText, ExpandTabs) {
    EXPECT_EQ(ExpandTabs("a\tb", 4), "a   b");
    EXPECT_EQ(ExpandTabs("\t\tx", 2), "    x");
    EXPECT_EQ(ExpandTabs("abcd\te", 4), "abcd    e");
    EXPECT_EQ(ExpandTabs("a\tb", 0), "");
    EXPECT_EQ(ExpandTabs("a\tbcdef", 4, 6), "a   bc"); // bounded by what is shown
}

} // namespace
} // namespace korvid
