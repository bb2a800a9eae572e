#include "FakeDebuggerHost.h"
#include "MapTestSupport.h"
#include "devtools/debugger/Debugger.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

class MapEntities : public ::testing::Test {
protected:
    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};

    void SetUp() override {
        Host.Files["MAP"] = {"|L3| x",
                             Segment("DEMO", "d.vp"),
                             Entry(1, "1:0 a"),
                             Entry(2, "2:0 b"),
                             "-",
                             "DEMO # 1",
                             " zeta i 7",
                             " main P 2",
                             "  n i 1",
                             " <init> P 3 ~",
                             " alpha i 5",
                             " acct r 9",
                             "  z i 3",
                             "  a i 1",
                             "  totals a12*1 2 @",
                             "   3 i 3",
                             "  amount n5,2 4",
                             "  label s9 6",
                             "  when d 7",
                             "  ok b 8",
                             " cust F 2 m=Data ~",
                             "  buf T 1",
                             "   x i 1",
                             " orders t 3",
                             "  qty i 1",
                             " saved T 11",
                             "  y i 1",
                             "-"};
        Debugger.LoadMapFile("MAP");
    }

    const TEntity& Unit() const { return *Debugger.Map().Root->Children.at(0); }
    static const TEntity& Child(const TEntity& Owner, const std::string& Name) {
        for (const auto& Item : Owner.Children)
            if (Item->Name == Name)
                return *Item;
        throw std::runtime_error("no " + Name);
    }
    static std::vector<std::string> Names(const TEntity& Owner) {
        std::vector<std::string> Result;
        for (const auto& Item : Owner.Children)
            Result.push_back(Item->Name);
        return Result;
    }
};

TEST_F(MapEntities, BuildsFullNames) {
    const TEntity& Acct = Child(Unit(), "acct");
    const TEntity& Element = Child(Child(Acct, "totals"), "3");
    EXPECT_EQ(Element.ElementIndex, 3);
    EXPECT_EQ(Element.FullName, "acct.totals[3]");
    const TEntity& Saved = Child(Unit(), "saved");
    EXPECT_EQ(Saved.FullName, " (buffered)");
    EXPECT_EQ(Child(Saved, "y").FullName, "y (buffered)");
    EXPECT_EQ(Child(Child(Child(Unit(), "cust"), "buf"), "x").FullName, "cust.x (buffered)");
    EXPECT_EQ(Child(Child(Unit(), "orders"), "qty").FullName, "orders.qty");
    EXPECT_EQ(Child(Unit(), "zeta").FullName, "zeta");
}

TEST_F(MapEntities, TakesKindAndLocationClassFromTheLetters) {
    const std::tuple<const TEntity*, int, char, int> Cases[] = {
        {&Unit(), 19, '#', 0},
        {&Child(Unit(), "zeta"), 8, 'i', 1},
        {&Child(Unit(), "main"), 20, 'P', 1},
        {&Child(Child(Unit(), "main"), "n"), 8, 'i', 2},
        {&Child(Child(Unit(), "acct"), "z"), 8, 'i', 1},
        {&Child(Child(Unit(), "acct"), "totals"), 15, 'a', 1},
        {&Child(Child(Child(Unit(), "cust"), "buf"), "x"), 8, 'i', 1},
        {&Child(Child(Unit(), "orders"), "qty"), 8, 'i', 5},
        {&Child(Child(Unit(), "orders"), "rowcount"), 8, 'J', 5},
        {&Child(Unit(), "cust"), 23, 'F', 1},
        {&Child(Child(Unit(), "cust"), "buf"), 25, 'T', 1},
    };
    for (const auto& [Entity, Kind, Letter, Class] : Cases) {
        EXPECT_EQ(Entity->Kind, Kind) << Entity->Name;
        EXPECT_EQ(Entity->Letter, Letter) << Entity->Name;
        EXPECT_EQ(Entity->LocationClass, Class) << Entity->Name;
    }
    const std::string Letters = "bcCdfhiInpsRWar^v#PDXFtTqH";
    const int Kinds[] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                         15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 0,  0};
    for (std::size_t Index = 0; Index < Letters.size(); ++Index)
        EXPECT_EQ(EntityKindOfLetter(Letters[Index]), Kinds[Index]) << Letters[Index];
}

TEST_F(MapEntities, ReadsTheTypeWordsExtentsAndMarks) {
    const TEntity& Acct = Child(Unit(), "acct");
    const TEntity& Totals = Child(Acct, "totals");
    EXPECT_EQ(Totals.Extent1, 12);
    EXPECT_EQ(Totals.ElementSize, 1);
    EXPECT_TRUE(Totals.Indirect);
    EXPECT_EQ(Totals.WordOffset, 2);
    const std::pair<std::string, int> Sizes[] = {{"amount", 2}, {"label", 5}, {"when", 2},
                                                 {"ok", 1},     {"z", 1},     {"totals", 0}};
    for (const auto& [Name, Words] : Sizes)
        EXPECT_EQ(SizeInWords(Child(Acct, Name)), Words) << Name;
    EXPECT_EQ(Child(Acct, "amount").Extent2, 2);
    const TEntity& Cust = Child(Unit(), "cust");
    EXPECT_EQ(Cust.ModuleName, "Data");
    EXPECT_TRUE(Cust.Minor);
    EXPECT_FALSE(Child(Unit(), "zeta").Minor);
}

TEST_F(MapEntities, CreatesTheCompanionsOfFilesAndTables) {
    const TEntity& Cust = Child(Unit(), "cust");
    ASSERT_NE(Cust.Companion, nullptr);
    EXPECT_EQ(Cust.Companion->Name, "record");
    EXPECT_EQ(Cust.Companion->Kind, 7);
    EXPECT_EQ(Cust.Companion->Letter, 'H');
    EXPECT_EQ(Cust.Companion->Owner, &Cust);
    const TEntity& Orders = Child(Unit(), "orders");
    ASSERT_NE(Orders.Companion, nullptr);
    EXPECT_EQ(Orders.Companion->Name, "cursor");
    const TEntity& Rows = Child(Orders, "rowcount");
    EXPECT_EQ(Rows.LowerName, "rowcount");
    EXPECT_EQ(Rows.SortGroup, 0);
}

TEST_F(MapEntities, SortsChildrenAndFillsTheLists) {
    EXPECT_EQ(Names(Unit()), (std::vector<std::string>{"saved", "acct", "alpha", "cust", "orders",
                                                       "zeta", "main", "<init>"}));
    EXPECT_EQ(Names(Child(Unit(), "acct")),
              (std::vector<std::string>{"a", "totals", "z", "amount", "label", "when", "ok"}));
    EXPECT_EQ(Names(Child(Unit(), "cust")), (std::vector<std::string>{"buf", "record"}));
    EXPECT_EQ(Names(Child(Unit(), "orders")),
              (std::vector<std::string>{"cursor", "rowcount", "qty"}));
    const auto NamesOf = [](const std::vector<TEntity*>& List) {
        std::vector<std::string> Result;
        for (const TEntity* Item : List)
            Result.push_back(Item->Name);
        return Result;
    };
    const TMapModel& Map = Debugger.Map();
    EXPECT_EQ(NamesOf(Map.SegmentEntities), std::vector<std::string>{"DEMO"});
    EXPECT_EQ(NamesOf(Map.Globals),
              (std::vector<std::string>{"zeta", "alpha", "acct", "cust", "orders", "saved"}));
    EXPECT_EQ(NamesOf(Map.Procedures), (std::vector<std::string>{"main", "<init>"}));
    EXPECT_EQ(NamesOf(Map.Containers), std::vector<std::string>{"cust"});
    EXPECT_EQ(NamesOf(Map.Tables), std::vector<std::string>{"orders"});
    EXPECT_EQ(Child(Unit(), "<init>").SortGroup, 2);
    EXPECT_EQ(Debugger.FindProcOffset("DEMO", 2, 0)->ProcedureName(), "main");
    EXPECT_EQ(Debugger.FindProcOffset("DEMO", 1, 0)->ProcedureName(), "");
}

} // namespace
} // namespace korvid
