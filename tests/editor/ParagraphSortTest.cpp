#include "editor/ParagraphSort.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(ParagraphSortTest, NumbersAtTheFrontOfKeys) {
    struct TCase {
        const char* Key;
        int Expected;
    };
    const TCase Cases[] = {
        {"42 apples", 42},
        {"  \t-17x", -17},
        {"1,234,567", 1234567},
        {",5", 5},
        {"- 5", NoSortNumber}, // a blank after the sign ends the number before any digit
        {"abc", NoSortNumber},
        {"", NoSortNumber},
        {"12 34", 12},
        {"99999999999999999999", 2147483647}, // saturates
        {"-99999999999999999999", -2147483648},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483648},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ReadSortNumber(Case.Key), Case.Expected) << Case.Key;
}

// The sort dialog's fresh choices.
TKorvidSortOptions Options() {
    TKorvidSortOptions O;
    O.SingleParagraphs = true;
    O.ParagraphStep = 2;
    O.Ascending = true;
    O.FromColumn = true;
    O.FromColumnNumber = 1;
    O.FromOccurrenceNumber = 1;
    return O;
}

TEST(ParagraphSortTest, TextComparisonFoldsCaseUnlessAsked) {
    TKorvidSortOptions O = Options();
    EXPECT_LT(CompareSortBlocks("apple", "Banana", O), 0);
    EXPECT_LT(CompareSortBlocks("Apple", "apple", O), 0); // equal folded: as they stand
    O.CaseSensitive = true;
    EXPECT_GT(CompareSortBlocks("apple", "Banana", O), 0);
    O.Ascending = false;
    EXPECT_LT(CompareSortBlocks("apple", "Banana", O), 0);
    // Bytes above 127 compare as unsigned character codes.
    O = Options();
    EXPECT_LT(CompareSortBlocks("z", "\xE9", O), 0);
}

TEST(ParagraphSortTest, KeysFromAColumnOrAfterAnOccurrence) {
    TKorvidSortOptions O = Options();
    O.FromColumnNumber = 3;
    EXPECT_LT(CompareSortBlocks("zza", "aab", O), 0);
    O.FromColumn = false;
    O.FromOccurrenceText = ";";
    O.FromOccurrenceNumber = 2;
    EXPECT_LT(CompareSortBlocks("z;z;a", "a;a;b", O), 0);
    // Without the text at all the key is empty and sorts first.
    EXPECT_LT(CompareSortBlocks("no marks", "a;a;b", O), 0);
}

TEST(ParagraphSortTest, NumericalSortIsStableAndPutsWordsLast) {
    TKorvidSortOptions O = Options();
    O.Numerical = true;
    std::vector<std::string> Blocks{"10 b\r\n", "x\r\n", "9 z\r\n", "10 a\r\n", "-3\r\n"};
    SortBlocks(Blocks, O);
    EXPECT_EQ(Blocks,
              (std::vector<std::string>{"-3\r\n", "9 z\r\n", "10 a\r\n", "10 b\r\n", "x\r\n"}));
    // Equal keys keep their order.
    O = Options();
    O.FromColumnNumber = 2;
    Blocks = {"1x", "2x", "0x", "3a"};
    SortBlocks(Blocks, O);
    EXPECT_EQ(Blocks, (std::vector<std::string>{"3a", "1x", "2x", "0x"}));
}

} // namespace
} // namespace korvid
