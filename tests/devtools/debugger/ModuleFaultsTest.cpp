// A module that vanishes, hangs or answers garbage in the middle of any command, with or without
// a stop arriving while the command waits: the editor lives on, disconnected, and says so once.
#include "devtools/debugger/Debugger.h"
#include "devtools/debugger/MapLoader.h"
#include "tests/devtools/debugger/FakeDebuggerHost.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/devtools/debugger/ModuleSession.h"
#include "tests/support/StandInProcess.h"
#include "ui/ModalRunner.h"

#include <QElapsedTimer>
#include <QStandardItemModel>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using Strings = std::vector<std::string>;

// Unit A holds total; its procedure main (code at offsets 0, 10 and 20 on lines 4, 6 and 8)
// holds its own count, an array of 12 integers and an array of 3 strings.
Strings FaultsMap() {
    Strings Lines = {"|L3| demo",
                     Segment("A", "a.text"),
                     Entry(4, "1:0 begin"),
                     Entry(6, "1:10 x := 1;"),
                     Entry(8, "1:20 end;"),
                     "-",
                     "A # 1",
                     " total i 3",
                     " main P 1",
                     "  count i 1",
                     "  list a12*1 4"};
    for (int Element = 1; Element <= 12; ++Element)
        Lines.push_back("   " + std::to_string(Element) + " i " + std::to_string(Element - 1));
    for (const char* Line : {"  names a3*5 20", "   1 s8 0", "   2 s8 5", "   3 s8 10", "-"})
        Lines.emplace_back(Line);
    return Lines;
}

// The scenario line that answers the value request of main's count with Answer.
std::string CountValue(const std::string& Answer) {
    TFakeDebuggerHost Host;
    TMapModel Map;
    ParseMapLines(Map, FaultsMap(), Host);
    const TModuleRequest Request = ValueRequest(EntityAt(*Map.Root, "A/main/count"), vmValue, {});
    std::string Keys;
    for (const std::string& Key : Request.Keys)
        Keys += Key + "\\r\\n"; // as the stand-in's log escapes them
    return "value " + std::to_string(Request.Command) + " " + std::to_string(Request.SubCode) +
           " " + Keys + " => " + Answer;
}

class ModuleFaults : public ::testing::Test, public test::TModuleSession {
protected:
    ModuleFaults() : TModuleSession(Debugger, "faults") {
        Host.MapFile = "MAP";
        Host.Files["MAP"] = FaultsMap();
        Host.ListenFor(Debugger);
        Debugger.SetAnswerLimit(std::chrono::milliseconds(300));
    }
    ~ModuleFaults() override {
        Debugger.Disconnect();
        Host.Window.reset();
    }

    const TEntity& Main() const { return EntityAt(*Debugger.Map().Root, "A/main"); }

    // Connects, opens the source and stops on its line 6.
    void ConnectAndStop() {
        Connect({"stack-lines=A        1.10"});
        Host.Activate(Host.Open("a.text", 8));
        Stop("A 1 10");
        ASSERT_TRUE(Debugger.IsPaused());
    }

    // Tells the module something from now on and waits until it has taken it.
    void Arm(const std::string& Line) {
        const auto Armed = [this] {
            const Strings Frames = Module->Frames();
            return std::count_if(Frames.begin(), Frames.end(), [](const std::string& Frame) {
                return Frame.starts_with("armed");
            });
        };
        const auto Before = Armed();
        Module->Say(Line);
        QElapsedTimer Clock;
        Clock.start();
        while (Armed() == Before && Clock.elapsed() < 10000)
            test::ServeFor(5);
        ASSERT_GT(Armed(), Before);
    }

    // Serves the module's notices until the link is dropped.
    void WaitForDisconnect() {
        QElapsedTimer Clock;
        Clock.start();
        while (Debugger.IsConnected() && Clock.elapsed() < 20000)
            test::ServeFor(10);
    }

    void Watch(const TEntity& Entity) {
        auto* Item = new QStandardItem(ToQString(Entity.Name));
        Item->setData(QVariant::fromValue(reinterpret_cast<quintptr>(&Entity)), DebugObjectRole);
        Item->setData(int(TStructureNodeKind::Entity), DebugNodeKindRole);
        Nodes.appendRow(Item);
        Debugger.WatchStructureNode(Item->index());
    }

    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};
    QStandardItemModel Nodes;
};

// Each kind of command: what it needs first, the command of it that fails ("N[/S] [K]") and
// how the user starts it.
struct TCommandKind {
    std::string Name;
    std::function<void()> Prepare;
    std::string Failing;
    std::function<void()> Act;
};

TEST_F(ModuleFaults, ALostModuleEndsTheCommandAndIsSaidOnce) {
    const std::vector<TCommandKind> Kinds = {
        {"connect", nullptr, "1", nullptr},
        {"refresh after a stop",
         [this] {
             Watch(EntityAt(Main(), "count"));
             Watch(EntityAt(*Debugger.Map().Root, "A/total"));
         },
         "12",
         [this] {
             // The module stops elsewhere: the refresh reads the watches again.
             Module->Say("stop A 1 20");
             WaitForDisconnect();
         }},
        {"step into", nullptr, "3/2", [this] { Debugger.StepInto(); }},
        {"step over", nullptr, "3/2", [this] { Debugger.StepOver(); }},
        {"step out", nullptr, "3/3", [this] { Debugger.StepOut(); }},
        {"run to cursor", nullptr, "5", [this] { Debugger.AddBreakpoint(true); }},
        {"hint over an array", nullptr, "12 3",
         [this] { Debugger.ShowEvaluationHint("list", 10, 10); }},
        {"run until a value changes", nullptr, "20",
         [this] { Debugger.RunUntilValueChanges(&EntityAt(Main(), "count")); }},
    };
    const std::vector<std::pair<std::string, std::string>> Failures = {
        {"vanish", "The module has gone."},
        {"hang", "The module stopped answering."},
        {"garbage", "The module stopped answering."},
    };
    for (const TCommandKind& Kind : Kinds)
        for (const auto& [Failure, Text] : Failures)
            for (const bool StopWhileWaiting : {false, true}) {
                SCOPED_TRACE(Kind.Name + ", " + Failure + (StopWhileWaiting ? ", stopping" : ""));
                const std::string Number = Kind.Failing.substr(0, Kind.Failing.find_first_of("/ "));
                const std::string FailSpec = Failure + " " + Kind.Failing;
                const std::string StopSpec = Number + " A 1 20";
                TScriptedModals Modals;
                int Stops = 0;
                if (!Kind.Act) {
                    Strings Scenario = {"fail=" + FailSpec};
                    if (StopWhileWaiting)
                        Scenario.push_back("stop-during=" + StopSpec);
                    Module = std::make_unique<test::TStandInProcess>(Dir.Path(), "Demo", Scenario);
                    ASSERT_TRUE(Module->Started());
                    Stops = -Host.BroughtToFront;
                    Debugger.Connect(Module->Handle());
                } else {
                    ConnectAndStop();
                    if (Kind.Prepare)
                        Kind.Prepare();
                    Arm("fail " + FailSpec);
                    if (StopWhileWaiting)
                        Arm("stop-during " + StopSpec);
                    Stops = -Host.BroughtToFront;
                    Kind.Act();
                }
                Stops += Host.BroughtToFront;
                // The stop that arrived while the command waited was handled there.
                EXPECT_EQ(Stops, (Kind.Name == "refresh after a stop") + StopWhileWaiting);
                ASSERT_TRUE(Module->WaitForLog("fail " + Failure, 1000));
                ASSERT_EQ(Modals.Shown().size(), 1u);
                EXPECT_EQ(Modals.Last().Message->Caption, "Connect");
                EXPECT_EQ(Modals.Last().Message->Text, Text);
                EXPECT_FALSE(Debugger.IsConnected());
                EXPECT_FALSE(Debugger.MapLoaded());
                EXPECT_EQ(Host.Controls.StatusText, "");
                EXPECT_EQ(Debugger.Watches().Count(), 0);
                for (const auto& Document : Host.Editors)
                    EXPECT_TRUE(Document->Markers.empty());
                Module.reset();
                Host.Editors.clear();
                Host.ActiveDocument = nullptr;
                Nodes.clear();
            }
}

// A stop that arrives while a command that lets the module run waits for its answer wins:
// the module is paused there, with its call stack.
TEST_F(ModuleFaults, AStopWhileACommandWaitsLeavesTheModulePaused) {
    const std::vector<std::pair<std::string, std::function<void()>>> Commands = {
        {"5", [this] { Debugger.Resume(0); }},
        {"5", [this] { Debugger.StepOver(); }},
        {"20", [this] { Debugger.RunUntilValueChanges(&EntityAt(Main(), "count")); }},
    };
    for (const auto& [Number, Act] : Commands) {
        SCOPED_TRACE(Number);
        ConnectAndStop();
        Arm("stop-during " + Number + " A 1 20");
        Act();
        EXPECT_TRUE(Debugger.IsPaused());
        EXPECT_EQ(Debugger.StatusText(), "Paused");
        EXPECT_TRUE(Host.Controls.PausedToolsEnabled);
        ASSERT_NE(Debugger.CurrentLocation(), nullptr);
        EXPECT_EQ(Debugger.CurrentLocation()->LineNumber, 8);
        EXPECT_EQ(Debugger.CallStack().Count(), 1);
        Debugger.Disconnect();
        Module.reset();
        Host.Editors.clear();
        Host.ActiveDocument = nullptr;
    }
}

// After the module ran and stopped again, the hint over the same word asks for the value anew.
TEST_F(ModuleFaults, TheHintReadsAgainAfterTheModuleRan) {
    Connect({CountValue("1"), CountValue("2")});
    Host.Activate(Host.Open("a.text"));
    Stop("A 1 10");
    Debugger.ShowEvaluationHint("count", 0, 0);
    ASSERT_TRUE(Host.Hint);
    EXPECT_EQ(Host.Hint->Text, "count = 1");
    Debugger.Resume(0);
    Stop("A 1 20");
    Debugger.ShowEvaluationHint("count", 0, 0);
    ASSERT_TRUE(Host.Hint);
    EXPECT_EQ(Host.Hint->Text, "count = 2");
}

// The elements of an array of strings are read with their own short request.
TEST_F(ModuleFaults, StringElementsAreReadWithTheShortRequest) {
    ConnectAndStop();
    Debugger.ShowEvaluationHint("names", 0, 0);
    const Strings Commands = Sent();
    EXPECT_EQ(std::count_if(Commands.begin(), Commands.end(),
                            [](const std::string& Command) {
                                return Command.starts_with("11/1 o=") &&
                                       Command.ends_with(" t=s s=names");
                            }),
              3)
        << ::testing::PrintToString(Commands);
}

} // namespace
} // namespace korvid
