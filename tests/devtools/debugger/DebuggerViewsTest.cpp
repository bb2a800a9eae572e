#include "devtools/debugger/DebugTexts.h"
#include "devtools/debugger/Debugger.h"
#include "devtools/debugger/MapLoader.h"
#include "tests/devtools/debugger/FakeDebuggerHost.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/devtools/debugger/ModuleSession.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <stdexcept>

namespace korvid {
namespace {

using test::TStandInProcess;
using Strings = std::vector<std::string>;

// Unit A holds count, the record acct and the paragraph note; its procedure main (procedure
// 1, code at offsets 0, 10 and 20) holds its own count, flag, an array of 12 integers and an
// array of 5 of which the map lists only two elements. The table orders is no unit's.
Strings ViewsMap() {
    Strings Lines = {"|L3| demo",
                     Segment("A", "a.text"),
                     Entry(4, "1:0 begin"),
                     Entry(6, "1:10 x := 1;"),
                     Entry(8, "1:20 end;"),
                     "-",
                     "A # 1",
                     " count i 3",
                     " acct r 9",
                     "  total i 1",
                     "  name s8 2",
                     "  sub r 6",
                     "   deep i 1",
                     " note p 20",
                     " main P 1",
                     "  count i 1",
                     "  flag b 30",
                     "  list a12*1 4"};
    for (int Element = 1; Element <= 12; ++Element)
        Lines.push_back("   " + std::to_string(Element) + " i " + std::to_string(Element - 1));
    for (const char* Line :
         {"  short a5*1 20", "   1 i 0", "   2 i 1", "orders t 3", " qty i 1", "-"})
        Lines.emplace_back(Line);
    return Lines;
}

// The module's answers to the value requests of the entities at the paths, in turn.
Strings ValueScenario(const std::map<std::string, Strings>& Values) {
    TFakeDebuggerHost Host;
    TMapModel Map;
    ParseMapLines(Map, ViewsMap(), Host);
    Strings Scenario;
    for (const auto& [Path, Answers] : Values) {
        const TModuleRequest Request = ValueRequest(EntityAt(*Map.Root, Path), vmValue, {});
        std::string Keys;
        for (const std::string& Key : Request.Keys)
            Keys += Key + "\\r\\n"; // as the stand-in's log escapes them
        for (const std::string& Answer : Answers)
            Scenario.push_back("value " + std::to_string(Request.Command) + " " +
                               std::to_string(Request.SubCode) + " " + Keys + " => " + Answer);
    }
    return Scenario;
}

class DebuggerViews : public ::testing::Test, public test::TModuleSession {
protected:
    DebuggerViews() : TModuleSession(Debugger, "views") {
        Host.MapFile = "MAP";
        Host.Files["MAP"] = ViewsMap();
        Host.ListenFor(Debugger);
    }
    ~DebuggerViews() override {
        Debugger.Disconnect();
        Host.Window.reset();
    }

    // How many values (not addresses) were read since the last call.
    int ValueReads() {
        const Strings Commands = Sent();
        return int(std::count_if(Commands.begin(), Commands.end(), [](const std::string& Command) {
            const std::string Number = Command.substr(0, Command.find(' '));
            return Number.ends_with("/1") && Number.size() == 4 && Number[0] == '1';
        }));
    }

    void Stop(const std::string& Where = "A 1 10") {
        TModuleSession::Stop(Where);
        ASSERT_TRUE(Debugger.IsPaused());
    }

    TEntity& At(const std::string& Path) { return EntityAt(*Debugger.Map().Root, Path); }

    // A structure tree node of our own for the entity, or for a category.
    QModelIndex Node(const TEntity* Entity, TStructureNodeKind Kind = TStructureNodeKind::Entity) {
        auto* Item = new QStandardItem(Entity ? ToQString(Entity->Name) : QString("node"));
        Item->setData(QVariant::fromValue(reinterpret_cast<quintptr>(Entity)), DebugObjectRole);
        Item->setData(int(Kind), DebugNodeKindRole);
        Nodes.appendRow(Item);
        return Item->index();
    }

    // Selects a node of the debugger's own structure tree that stands for the entity.
    void SelectInStructure(const TEntity& Entity) {
        TDebuggingList& Tree = Debugger.Structure();
        Tree.Append(Entity.Name, &Entity);
        Tree.SelectRow(Tree.Count() - 1);
    }

    std::vector<bool> Changes() {
        std::vector<bool> Result;
        for (int Row = 0; Row < Debugger.Watches().Count(); ++Row)
            Result.push_back(
                static_cast<const TEntity*>(Debugger.Watches().ObjectAt(Row))->Changed);
        return Result;
    }

    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};
    QStandardItemModel Nodes;
};

// ---- The memory dump, the call stack and the heap ----

TEST_F(DebuggerViews, TheDumpOpensTheModulesMemoryInANewDocument) {
    Host.BarOptions.AddressesInHex = false;
    Host.BarOptions.GappedMemoryDump = false;
    Connect();
    Debugger.DumpMemory();
    EXPECT_EQ(Sent(), Strings{"9/0"});
    ASSERT_EQ(Host.NewTabs.size(), 1u);
    EXPECT_EQ(Host.NewTabs[0].first, "Memory");
    const std::string& Text = Host.NewTabs[0].second;
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 4096);
    // The stand-in's memory holds word n at address n.
    EXPECT_NE(Text.find("\r\n   16   0010 0011 0012"), std::string::npos);
    EXPECT_NE(Text.find("\r\n65520   FFF0 FFF1"), std::string::npos);
}

TEST_F(DebuggerViews, ADumpTheModuleDoesNotConfirmOpensNothing) {
    Connect({"reply-length=5"});
    Debugger.DumpMemory();
    EXPECT_EQ(Sent(), Strings{"9/0"});
    EXPECT_TRUE(Host.NewTabs.empty());
}

TEST_F(DebuggerViews, AStopListsTheCallStackAndTheHeapFigures) {
    Connect({"stack-lines=A        1.10|ZZ       2.14", "heap=12 K", "stack=3 K"});
    Stop();
    EXPECT_EQ(Debugger.CallStack().Texts(), (Strings{"A 1:10", "ZZ 2:14"}));
    const auto* Located = static_cast<const TProcOffset*>(Debugger.CallStack().ObjectAt(0));
    ASSERT_NE(Located, nullptr);
    EXPECT_EQ(Located->LineNumber, 6);
    EXPECT_EQ(Debugger.CallStack().ObjectAt(1), nullptr);
    EXPECT_EQ(Debugger.HeapStackText(), "Heap: 12 K   Stack:3 K");
    EXPECT_EQ(Host.Controls.HeapStackText, "Heap: 12 K   Stack:3 K");

    Debugger.Resume(0);
    EXPECT_EQ(Debugger.CallStack().Count(), 0);
    EXPECT_EQ(Host.Controls.HeapStackText, UnknownHeapAndStackText);
}

// ---- Watches ----

TEST_F(DebuggerViews, WatchingARecordAddsItsValueFieldsOnce) {
    Debugger.LoadMapFile("MAP");
    const QModelIndex Acct = Node(&At("A/acct"));
    Debugger.WatchStructureNode(Acct);
    const Strings Fields = {"acct.total", "acct.name", "acct.sub.deep"};
    EXPECT_EQ(Debugger.Watches().Texts(), Fields);
    EXPECT_EQ(Debugger.Watches().SelectedRow(), 2);
    Debugger.Watches().SelectRow(0);
    Debugger.WatchStructureNode(Acct);
    EXPECT_EQ(Debugger.Watches().Texts(), Fields);
    EXPECT_EQ(Debugger.Watches().SelectedRow(), 2);
    EXPECT_EQ(Host.ActivatedTabs,
              (std::vector<TDebuggingTab>{TDebuggingTab::Watches, TDebuggingTab::Watches}));
}

TEST_F(DebuggerViews, ACategoryNodeWatchesItsListAndOtherNodesNothing) {
    Host.BarOptions.AutoWatchesTab = false;
    Debugger.LoadMapFile("MAP");
    Debugger.WatchStructureNode(Node(nullptr, TStructureNodeKind::Procedures));
    Debugger.WatchStructureNode(QModelIndex()); // nothing selected
    EXPECT_EQ(Debugger.Watches().Count(), 0);

    // Without a node given, the structure tree's selection is watched.
    Debugger.Structure().Model->appendRow(new QStandardItem(QString("Globals")));
    Debugger.Structure()
        .Model->item(Debugger.Structure().Count() - 1)
        ->setData(int(TStructureNodeKind::Globals), DebugNodeKindRole);
    Debugger.Structure().SelectRow(Debugger.Structure().Count() - 1);
    Debugger.WatchStructureNode(QModelIndex());
    EXPECT_EQ(Debugger.Watches().Texts(),
              (Strings{"count", "acct.total", "acct.name", "acct.sub.deep", "note"}));
    EXPECT_TRUE(Host.ActivatedTabs.empty());
}

TEST_F(DebuggerViews, DeletingAWatchSelectsTheOneNowInItsPlace) {
    Debugger.LoadMapFile("MAP");
    Debugger.WatchStructureNode(Node(nullptr, TStructureNodeKind::Globals));
    TDebuggingList& Watches = Debugger.Watches();
    Watches.SelectRow(1);
    Debugger.DeleteSelectedWatch();
    EXPECT_EQ(Watches.Texts(), (Strings{"count", "acct.name", "acct.sub.deep", "note"}));
    EXPECT_EQ(Watches.SelectedRow(), 1);
    Watches.SelectRow(3);
    Debugger.DeleteSelectedWatch();
    EXPECT_EQ(Watches.Texts(), (Strings{"count", "acct.name", "acct.sub.deep"}));
    EXPECT_EQ(Watches.SelectedRow(), 2);
    Watches.SelectRow(-1);
    Debugger.DeleteSelectedWatch();
    EXPECT_EQ(Watches.Count(), 3);
    Debugger.DeleteAllWatches();
    EXPECT_EQ(Watches.Count(), 0);
}

TEST_F(DebuggerViews, WatchesChangeWhenTheirValueDiffersFromAnEarlierOne) {
    // Each stop reads every watch once: the answers come in this order.
    const Strings Scenario = ValueScenario(
        {{"A/count", {"1", "2", "2"}}, {"A/acct/total", {"", "5", "6"}}, {"A/note", {"x"}}});
    struct TCase {
        bool MoveChanged;
        Strings Second, Third;
    };
    const TCase Cases[] = {
        {false,
         {"acct.name", "acct.sub.deep", "acct.total", "count", "note"},
         {"acct.name", "acct.sub.deep", "acct.total", "count", "note"}},
        {true,
         {"count", "acct.name", "acct.sub.deep", "acct.total", "note"},
         {"acct.total", "acct.name", "acct.sub.deep", "count", "note"}},
    };
    // The watches of the first round must not come back in the second.
    Host.BarOptions.PersistWatches = false;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.MoveChanged);
        Host.BarOptions.MoveChangedWatches = Case.MoveChanged;
        Connect(Scenario);
        Stop();
        Debugger.WatchStructureNode(Node(nullptr, TStructureNodeKind::Globals));
        EXPECT_EQ(Debugger.Watches().Texts(),
                  (Strings{"acct.name", "acct.sub.deep", "acct.total", "count", "note"}));
        EXPECT_EQ(Changes(), std::vector<bool>(5, false));
        EXPECT_EQ(At("A/count").CurrentValue, "1");
        Debugger.Watches().SelectRow(3); // count

        Debugger.Resume(0);
        EXPECT_EQ(At("A/count").PreviousValue, "1");
        Stop();
        EXPECT_EQ(Debugger.Watches().Texts(), Case.Second);
        EXPECT_TRUE(At("A/count").Changed);
        EXPECT_FALSE(At("A/acct/total").Changed); // nothing was read before
        EXPECT_EQ(Debugger.Watches().Texts()[Debugger.Watches().SelectedRow()], "count");

        Debugger.Resume(0);
        // What was read before the module ran again is no change any more.
        EXPECT_EQ(Changes(), std::vector<bool>(5, false));
        EXPECT_EQ(At("A/count").PreviousValue, "2");
        Stop();
        EXPECT_EQ(Debugger.Watches().Texts(), Case.Third);
        EXPECT_FALSE(At("A/count").Changed);
        EXPECT_TRUE(At("A/acct/total").Changed);
        EXPECT_FALSE(At("A/note").Changed);
        EXPECT_EQ(At("A/acct/name").CurrentValue, "");

        Debugger.Disconnect();
        Debugger.DeleteAllWatches();
        EXPECT_EQ(Module->Quit(), 0);
    }
}

TEST_F(DebuggerViews, WatchesComeBackByNameAtTheNextConnection) {
    for (const bool Persist : {true, false}) {
        SCOPED_TRACE(Persist);
        Host.BarOptions.PersistWatches = Persist;
        Connect();
        Debugger.WatchStructureNode(Node(&At("A/acct")));
        Nodes.clear();
        Debugger.Disconnect();
        EXPECT_EQ(Debugger.SavedWatches(), (Strings{"acct.total", "acct.name", "acct.sub.deep"}));
        Debugger.Connect(Module->Handle());
        EXPECT_EQ(Debugger.Watches().Texts(),
                  Persist ? (Strings{"acct.total", "acct.name", "acct.sub.deep"}) : Strings{});
        EXPECT_TRUE(Debugger.SavedWatches().empty());
        if (Persist) {
            EXPECT_EQ(Debugger.Watches().ObjectAt(0), &At("A/acct/total"));
        }
        Debugger.Disconnect();
        Debugger.DeleteAllWatches();
        EXPECT_EQ(Module->Quit(), 0);
    }
}

TEST_F(DebuggerViews, AReloadedMapLeavesTheWatchesAsNames) {
    Debugger.LoadMapFile("MAP");
    Debugger.WatchStructureNode(Node(&At("A/acct/total")));
    Debugger.ReloadMapFile("MAP");
    EXPECT_EQ(Debugger.Watches().Count(), 0);
    EXPECT_EQ(Debugger.SavedWatches(), Strings{"acct.total"});
}

// ---- The evaluation hint ----

class EvaluationHint : public DebuggerViews {
protected:
    void SetUp() override {
        Strings Elements;
        std::map<std::string, Strings> Values = {
            {"A/count", {"7"}},        {"A/main/count", {"1"}},   {"A/main/flag", {"true"}},
            {"A/note", {"hello"}},     {"A/acct/total", {"500"}}, {"A/main/short/1", {"a"}},
            {"A/main/short/2", {"b"}}, {"orders/cursor", {"3"}}};
        for (int Element = 1; Element <= 12; ++Element)
            Values["A/main/list/" + std::to_string(Element)] = {"v" + std::to_string(Element)};
        Connect(ValueScenario(Values));
        Stop();
    }

    // The hint on screen, or "" when there is none.
    std::string Shown() const { return Host.Hint ? Host.Hint->Text : std::string(); }
    std::string HintFor(const std::string& Word) {
        Debugger.ShowEvaluationHint(Word, 100, 200);
        return Shown();
    }
};

TEST_F(EvaluationHint, ShowsTheValuesOfTheEntitiesOfTheName) {
    const std::pair<std::string, std::string> Cases[] = {
        {"count", "local.count = 1\rglobal.count = 7"},
        {"COUNT", "local.count = 1\rglobal.count = 7"},
        {"flag", "flag = true"},
        {"note", "note = hello"},
        {"list", "list = \r    [1] = v1\r    [2] = v2\r    [3] = v3\r    [4] = v4\r    [5] = "
                 "v5\r    [6] = v6\r    [7] = v7\r    [8] = v8\r    [9] = v9\r    [10] = "
                 "v10\r    etc"},
        // The map lists two of its five elements: only they are read.
        {"short", "short = \r    [1] = a\r    [2] = b"},
        // No entity near the selection has the name: the tables are searched.
        {"orders", "orders.cursor = 3"},
        {"total", ""}, // a field, and acct is not selected
        {"acct", ""},  // a record has no value of its own
        {"9count", ""},
        {"nothing", ""},
        {"", ""},
    };
    for (const auto& [Word, Text] : Cases) {
        SCOPED_TRACE(Word);
        EXPECT_EQ(HintFor(Word), Text);
        if (!Text.empty()) {
            EXPECT_EQ(Host.Hint->X, 100);
            EXPECT_EQ(Host.Hint->Y, 224);
        }
    }
    EXPECT_EQ(Host.HintTimerStarts, Host.HintShows);
    Sent();
    EXPECT_EQ(HintFor("9count"), "");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(EvaluationHint, LooksAmongTheChildrenOfTheSelectedStructureNode) {
    SelectInStructure(At("A/acct/total"));
    EXPECT_EQ(HintFor("total"), "acct.total = 500");
    SelectInStructure(At("A/acct"));
    EXPECT_EQ(HintFor("total"), "acct.total = 500");
    // A find there that the procedure or the globals gave already counts once.
    SelectInStructure(At("A/main"));
    EXPECT_EQ(HintFor("flag"), "flag = true");
    EXPECT_EQ(HintFor("count"), "local.count = 1\rglobal.count = 7");
}

TEST_F(EvaluationHint, StaysHiddenForTheSameNameAfterItsTime) {
    EXPECT_EQ(HintFor("flag"), "flag = true");
    Sent();
    // The same name again is not read again.
    EXPECT_EQ(HintFor("Flag"), "flag = true");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Host.HintShows, 2);

    Debugger.EvaluationHintTimeout();
    EXPECT_TRUE(Debugger.HintStale());
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(HintFor("flag"), "");
    EXPECT_EQ(Host.HintShows, 2);

    EXPECT_EQ(HintFor("note"), "note = hello");
    EXPECT_FALSE(Debugger.HintStale());
    EXPECT_EQ(HintFor("flag"), "flag = true");
    EXPECT_EQ(Sent().size(), 2u);

    // Two finds are not remembered: they show again after the time ran out.
    EXPECT_EQ(HintFor("count"), "local.count = 1\rglobal.count = 7");
    Debugger.EvaluationHintTimeout();
    EXPECT_EQ(HintFor("count"), "local.count = 1\rglobal.count = 7");
}

TEST_F(EvaluationHint, NeedsAPausedModule) {
    EXPECT_EQ(HintFor("flag"), "flag = true");
    Debugger.Resume(0);
    EXPECT_EQ(Shown(), ""); // the hint goes when the module runs again
    EXPECT_EQ(HintFor("flag"), "");
    EXPECT_EQ(HintFor("note"), "");
}

TEST_F(EvaluationHint, HoveringAStructureNodeShowsItsValue) {
    const QModelIndex Total = Node(&At("A/acct/total"));
    const QModelIndex Flag = Node(&At("A/main/flag"));
    const QModelIndex Acct = Node(&At("A/acct"));
    Debugger.StructureTreeMouseMove(Total, true, 10, 20);
    EXPECT_EQ(Shown(), "acct.total = 500");
    EXPECT_EQ(Host.Hint->Y, 44);
    Sent();
    Debugger.StructureTreeMouseMove(Total, true, 12, 20);
    EXPECT_EQ(Shown(), "acct.total = 500");
    EXPECT_EQ(ValueReads(), 0); // read once while the mouse stays on it

    Debugger.EvaluationHintTimeout();
    Debugger.StructureTreeMouseMove(Total, true, 14, 20);
    EXPECT_EQ(Shown(), "");
    Debugger.StructureTreeMouseMove(Flag, true, 10, 40);
    EXPECT_EQ(Shown(), "flag = true");

    Debugger.StructureTreeMouseMove(Flag, false, 200, 40);
    EXPECT_EQ(Shown(), "");
    Debugger.StructureTreeMouseMove(Acct, true, 10, 60);
    EXPECT_EQ(Shown(), "");
    Debugger.StructureTreeMouseMove(QModelIndex(), true, 10, 80);
    EXPECT_EQ(Shown(), "");
    Sent();
    Debugger.StructureTreeMouseMove(Flag, true, 10, 40);
    EXPECT_EQ(Shown(), "flag = true");
    EXPECT_EQ(ValueReads(), 1); // forgotten over the record: read afresh
}

} // namespace
} // namespace korvid
