#include "devtools/definitions/DefsEditorRules.h"
#include "tests/devtools/definitions/DefsTestSupport.h"

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

TEST(DefsEditorRules, NumberBoxes) {
    const std::vector<std::pair<std::string, int>> Cases = {
        {"0", 0},   {"127", 127},        {"", -1},   {"abc", -1}, {"12a", -1},
        {" 5", -1}, {"99999999999", -1}, {"-3", -3},
    };
    for (const auto& [Text, Value] : Cases)
        EXPECT_EQ(NumberBoxValue(Text), Value) << '"' << Text << '"';
}

TEST(DefsEditorRules, ReservedWordsAreWholeWords) {
    for (const char* Word : {"begin", "implement", "procedur", "segment", "with"})
        EXPECT_TRUE(IsPascalReservedWord(Word)) << Word;
    for (const char* Word : {"", "procedure", "beginning", "Begin", "integer"})
        EXPECT_FALSE(IsPascalReservedWord(Word)) << Word;
    EXPECT_EQ(StoredDefsName("CustomerName"), "customern");
}

TEST(DefsEditorRules, TypeComboIsSortedByCaption) {
    const std::array<int, 16> Codes = FieldTypesByCaption();
    EXPECT_EQ(FieldTypeCaption(Codes.front()), "attach");
    EXPECT_EQ(FieldTypeCaption(Codes.back()), "xdate (obsolete)");
    EXPECT_EQ(KeyKindCaption(10), "10 = audit");
}

TEST(DefsEditorRules, SaveClampsEveryValueToItsRange) {
    TDefsList List;
    BuildAppDefs(List);
    TDefsField& Qty = List.File(1).Field(2);
    Qty.Name = "QuantitiesHeld";
    Qty.Capacity = 300;
    Qty.Scale = 40;
    Qty.FileRef = 25;
    Qty.FieldRef = 70;
    Qty.SecondRef = 61;
    Qty.Elements = -4;
    SetKey(List.File(1), 3, {{70, 61, 13}}, false);
    int Asked = 0;
    EXPECT_TRUE(PrepareDefsForSave(List, [&Asked](auto, auto, bool) { return ++Asked, true; }));
    EXPECT_EQ(Asked, 0);
    EXPECT_EQ(Qty.Name, "quantitie");
    EXPECT_EQ(Qty.Capacity, 127);
    EXPECT_EQ(Qty.Scale, 15);
    EXPECT_EQ(Qty.Elements, 0);
    EXPECT_EQ(Qty.FileRef, 20);
    EXPECT_EQ(Qty.FieldRef, 60);
    EXPECT_EQ(Qty.SecondRef, 60);
    const TDefsKey& Key = List.File(1).Key(3);
    EXPECT_EQ(Key.PartField[0], 60);
    EXPECT_EQ(Key.PartCapacity[0], 60);
    EXPECT_EQ(Key.PartKind[0], 12);
    // Placeholders are never stored, so they are left whole.
    EXPECT_EQ(List.File(5).Field(12).Name, "(field 12)");
}

TEST(DefsEditorRules, LinksMustMeetTheirOtherHalf) {
    TDefsList List;
    BuildAppDefs(List);
    List.File(2).Field(1).FieldType = dfInteger; // the chain's attach is gone
    std::vector<std::string> Asked;
    const auto Answer = [&Asked](bool Yes) {
        return [&Asked, Yes](std::string_view File, std::string_view Field, bool WantsChain) {
            Asked.push_back(std::string(File) + "." + std::string(Field) +
                            (WantsChain ? " chain" : " attach"));
            return Yes;
        };
    };
    EXPECT_FALSE(PrepareDefsForSave(List, Answer(false)));
    EXPECT_EQ(Asked, std::vector<std::string>{"customer.orders attach"});
    Asked.clear();
    EXPECT_TRUE(PrepareDefsForSave(List, Answer(true)));
    EXPECT_EQ(Asked, std::vector<std::string>{"customer.orders attach"});
}

} // namespace
} // namespace korvid::test
