#include "devtools/debugger/DebugTexts.h"
#include "FakeDebuggerHost.h"
#include "MapTestSupport.h"
#include "devtools/debugger/MapLoader.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace korvid {
namespace {

using Strings = std::vector<std::string>;

// The line of Text that starts at Line (0 for the head), without its line break.
std::string LineOf(const std::string& Text, int Line) {
    std::size_t Start = 0;
    for (int Index = 0; Index < Line; ++Index)
        Start = Text.find("\r\n", Start) + 2;
    return Text.substr(Start, Text.find("\r\n", Start) - Start);
}

std::vector<std::uint16_t> Memory(std::initializer_list<std::pair<int, std::uint16_t>> Words) {
    std::vector<std::uint16_t> Result(65536, 0);
    for (const auto& [Address, Word] : Words)
        Result[Address] = Word;
    return Result;
}

TEST(MemoryDump, HeadsTheColumnsByTheTwoOptions) {
    const std::tuple<bool, bool, std::string> Cases[] = {
        {true, true,
         "         0    1    2    3     4    5    6    7    8     9    A    B     C    D    E    "
         "F"},
        {true, false,
         "         0    1    2    3    4    5    6    7    8    9    A    B    C    D    E    F"},
        {false, true,
         "          0    1    2    3     4    5    6    7     8    9   10   11    12   13   14   "
         "15"},
        {false, false,
         "          0    1    2    3    4    5    6    7    8    9   10   11   12   13   14   15"},
    };
    for (const auto& [Hex, Grouped, Head] : Cases) {
        EXPECT_EQ(MemoryDumpHeader(Hex, Grouped), Head);
        EXPECT_EQ(LineOf(MemoryDumpText(Memory({}), Hex, Grouped), 0), Head);
    }
}

TEST(MemoryDump, ShowsEachWordAsHexadecimalAndAsItsTwoBytes) {
    const auto Words = Memory({{0, 0x4142}});
    std::string Plain = "0000  " + std::string(" 4142");
    for (int Word = 1; Word < 16; ++Word)
        Plain += " 0000";
    Plain += " BA" + std::string(30, '.');
    ASSERT_EQ(Plain.size(), 119u);
    EXPECT_EQ(LineOf(MemoryDumpText(Words, true, false), 1), Plain);

    const std::string Grouped = "0000   4142 0000 0000 0000  0000 0000 0000 0000  0000 0000 0000 "
                                "0000  0000 0000 0000 0000 BA...... ........ ........ ........";
    ASSERT_EQ(Grouped.size(), 125u);
    EXPECT_EQ(LineOf(MemoryDumpText(Words, true, true), 1), Grouped);
}

TEST(MemoryDump, HasARowPerSixteenWordsAddressedInHexOrDecimal) {
    const std::string Hex = MemoryDumpText(Memory({}), true, false);
    const std::string Decimal = MemoryDumpText(Memory({}), false, false);
    for (const std::string* Text : {&Hex, &Decimal}) {
        std::size_t Breaks = 0;
        for (std::size_t At = Text->find("\r\n"); At != std::string::npos;
             At = Text->find("\r\n", At + 2))
            ++Breaks;
        EXPECT_EQ(Breaks + 1, 4097u);
        EXPECT_FALSE(Text->ends_with("\r\n"));
    }
    EXPECT_TRUE(LineOf(Hex, 2).starts_with("0010   0000"));
    EXPECT_TRUE(LineOf(Hex, 4096).starts_with("FFF0   0000"));
    EXPECT_TRUE(LineOf(Decimal, 2).starts_with("   16   0000"));
    EXPECT_TRUE(LineOf(Decimal, 4096).starts_with("65520   0000"));
}

TEST(MemoryDump, ShowsPrintableBytesAndThePoundSignAsThemselves) {
    // Low bytes first: 0xA3 then 0x7F, then blank and "~", then 0x1F and 0x80.
    const auto Words = Memory({{0, 0x7FA3}, {1, 0x7E20}, {2, 0x801F}});
    const std::string Row = LineOf(MemoryDumpText(Words, true, false), 1);
    EXPECT_EQ(Row.substr(87, 6), "\xA3. ~..");
}

TEST(CallStackTexts, NameTheFrameAndTheHeap) {
    EXPECT_EQ(CallStackItemText({"SEG", 2, 14}), "SEG 2:14");
    EXPECT_EQ(CallStackItemText({"SEG     ", 2, 14}), "SEG 2:14");
    EXPECT_EQ(HeapStackLabelText("12 K", "3 K"), "Heap: 12 K   Stack:3 K");
}

TEST(CallStackTexts, ALocatedItemShowsItsSourceRoutineAndPlace) {
    TProc Proc{"DEMO    ", 2, "main", {}};
    TProcOffset Location;
    Location.Proc = &Proc;
    Location.Offset = 14;
    Location.SourceName = "WORK.vol>SRC.TEXT";
    Location.LineNumber = 12;
    Location.Text = "x := 1;";
    const TDebugItemLines Lines = DebugItemLines(Location);
    EXPECT_EQ(Lines.Source, "x := 1;");
    EXPECT_EQ(Lines.Routine, "in main = DEMO 2:14");
    EXPECT_EQ(Lines.Place, "SRC.TEXT (line 12)");

    Location.SourceName = "/home/u/src/a.text";
    EXPECT_EQ(DebugItemLines(Location).Place, "/home/u/src/a.text (line 12)");

    EXPECT_EQ(CallStackClipboardText({"DEMO 2:14", "ZZ 1:0"}, {&Location, nullptr}),
              "x := 1;\r\n  in main = DEMO 2:14\r\n  /home/u/src/a.text (line 12)\r\nZZ 1:0\r\n");
    EXPECT_EQ(CallStackClipboardText({}, {}), "");
}

// Entities of every location class, loaded as the debugger loads them.
class EntityTexts : public ::testing::Test {
protected:
    void SetUp() override {
        TFakeDebuggerHost Host;
        ParseMapLines(Map,
                      {"|L3| x",
                       Segment("DEMO", "d.vp"),
                       Entry(1, "1:0 a"),
                       "-",
                       "DEMO # 1",
                       " zeta i 7",
                       " ptr i 5 @",
                       " total n5,2 12",
                       " acct r 9 @",
                       "  z i 3",
                       " main P 2",
                       "  n i 1",
                       "  label s9 3",
                       " <init> P 3",
                       " cust F 2",
                       "  rec D 0",
                       "   code i 4",
                       "   text p 6",
                       " hnd X 6",
                       "  fld i 2",
                       " orders t 3",
                       "  qty i 1 @",
                       "-"},
                      Host);
    }

    const TEntity& At(const std::string& Path) const {
        const TEntity* Entity = Map.Root.get();
        std::size_t Start = 0;
        while (Start <= Path.size()) {
            const std::size_t End = std::min(Path.find('/', Start), Path.size());
            const std::string Name = Path.substr(Start, End - Start);
            const auto Found =
                std::find_if(Entity->Children.begin(), Entity->Children.end(),
                             [&Name](const auto& Child) { return Child->Name == Name; });
            if (Found == Entity->Children.end())
                throw std::runtime_error("no " + Path);
            Entity = Found->get();
            Start = End + 1;
        }
        return *Entity;
    }

    TMapModel Map;
};

TEST_F(EntityTexts, DescribeTheTypeWithAndWithoutThePrefix) {
    const auto Typed = [](int Kind, int Extent1 = 0, int Extent2 = 0) {
        TEntity Entity;
        Entity.Kind = std::uint8_t(Kind);
        Entity.Extent1 = Extent1;
        Entity.Extent2 = Extent2;
        return Entity;
    };
    const std::pair<TEntity, std::string> Cases[] = {
        {Typed(0), ""},
        {Typed(2), "boolean"},
        {Typed(3), "choice"},
        {Typed(4), "character"},
        {Typed(5), "date"},
        {Typed(6), "fuzzy boolean"},
        {Typed(7), "handle"},
        {Typed(8), "integer"},
        {Typed(9), "counter"},
        {Typed(10, 5, 2), "number 5,2"},
        {Typed(11), "paragraph"},
        {Typed(12, 9), "string 9"},
        {Typed(13), "record handle"},
        {Typed(14), "row handle"},
        {Typed(15, 12), "array [12]"},
        {Typed(16), "record"},
        {Typed(17), "attach"},
        {Typed(18), "chain"},
        {Typed(19), ""},
        {Typed(21), ""},
        {Typed(25), ""},
    };
    for (const auto& [Entity, Text] : Cases) {
        SCOPED_TRACE(int(Entity.Kind));
        EXPECT_EQ(TypeDescription(Entity, false, mkL3), Text);
        EXPECT_EQ(TypeDescription(Entity, true, mkL3), Text.empty() ? "" : " : " + Text);
    }
}

TEST_F(EntityTexts, AProcedureNamesItsUnitOnlyWhereItsNameDoesNot) {
    for (const bool Prefix : {false, true}) {
        EXPECT_EQ(TypeDescription(At("DEMO/main"), Prefix, mkL3), "");
        EXPECT_EQ(TypeDescription(At("DEMO/main"), Prefix, mkRW), " in DEMO");
        EXPECT_EQ(TypeDescription(At("DEMO/<init>"), Prefix, mkL3), " in DEMO");
    }
}

TEST_F(EntityTexts, DescribeTheLocationOfEachClass) {
    const std::tuple<std::string, std::string, std::string> Cases[] = {
        {"DEMO/zeta", "Global", "1 word at word 7 of DEMO"},
        {"DEMO/ptr", "Global", "1 word at word 5^ of DEMO"},
        {"DEMO/total", "Global", "2 words at word 12 of DEMO"},
        {"DEMO/acct/z", "Global", "1 word at word 9^ 3 of DEMO"},
        {"DEMO/main/n", "Local", "1 word at word 1 of main"},
        {"DEMO/main/label", "Local", "5 words at word 3 of main"},
        {"DEMO/cust/rec/code", "Primary", "1 word at word 4 of file 2"},
        {"DEMO/cust/rec/text", "Primary", "2 words at word 6 of file 2"},
        {"DEMO/cust/record", "Global", "record number"},
        {"DEMO/hnd/fld", "External", "1 word at word 0^ 2 of DEMO"},
        {"DEMO/orders/qty", "Column", "1"},
        {"DEMO/orders/cursor", "Column", "cursor"},
        {"DEMO/orders/rowcount", "Column", "row count"},
        {"DEMO", "???", ""},
    };
    for (const auto& [Path, Word, Detail] : Cases) {
        SCOPED_TRACE(Path);
        const TLocationDescription Description = LocationDescription(At(Path));
        EXPECT_EQ(Description.ClassWord, Word);
        EXPECT_EQ(Description.Detail, Detail);
    }
}

TEST_F(EntityTexts, OnlyFixedValuesOutsideTablesCanBeWatchedForAChange) {
    const std::pair<std::string, bool> Cases[] = {
        {"DEMO/zeta", true},        {"DEMO/main/label", true}, {"DEMO/cust/rec/text", false},
        {"DEMO/orders/qty", false}, {"DEMO/acct", false},      {"DEMO/cust/record", true},
    };
    for (const auto& [Path, Watchable] : Cases)
        EXPECT_EQ(CanRunUntilChanged(At(Path)), Watchable) << Path;
    EXPECT_TRUE(IsValueKind(17));
    EXPECT_TRUE(IsValueKind(18));
    EXPECT_FALSE(IsValueKind(15));
    EXPECT_FALSE(IsValueKind(1));
}

TEST_F(EntityTexts, ImagesFollowTheKindTable) {
    const std::pair<std::string, int> Cases[] = {
        {"DEMO", 14},
        {"DEMO/zeta", 23},
        {"DEMO/total", 25},
        {"DEMO/acct", 13},
        {"DEMO/main", 12},
        {"DEMO/cust", 19},
        {"DEMO/cust/rec", 6},
        {"DEMO/cust/record", 20},
        {"DEMO/orders", 15},
        {"DEMO/orders/cursor", 20},
        {"DEMO/orders/rowcount", 23},
        {"DEMO/main/label", 21},
    };
    for (const auto& [Path, Image] : Cases)
        EXPECT_EQ(EntityImage(At(Path)), Image) << Path;
    TEntity Whole;
    Whole.Kind = 10;
    Whole.Extent1 = 5;
    EXPECT_EQ(EntityImage(Whole), 26);
    EXPECT_EQ(EntityImage(TEntity{}), 18);
}

TEST(Identifiers, AreLowerCasedAndCutToWhatTheMapKeeps) {
    const std::tuple<std::string, int, std::string> Cases[] = {
        {"CustomerNumberField", mkRW, "customern"},
        {"Short", mkRW, "short"},
        {"AVeryLongIdentifierNameIndeed", mkL2, "averylongidentifierna"},
        {"AVeryLongIdentifierNameIndeed", mkL3, "averylongidentifiernameindeed"},
        {"\xC4rger", mkNone, "\xE4rger"},
    };
    for (const auto& [Text, Kind, Normal] : Cases)
        EXPECT_EQ(NormaliseIdentifier(Text, Kind), Normal) << Text;
}

} // namespace
} // namespace korvid
