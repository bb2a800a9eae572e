#include "devtools/debugger/Debugger.h"
#include "tests/devtools/debugger/FakeDebuggerHost.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/devtools/debugger/ModuleSession.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"
#include "workspace/ToolIndexes.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::TStandInProcess;
using Strings = std::vector<std::string>;

// Procedure 1 of segment A has code at offsets 0, 10 and 20 (lines 4, 6 and 8); the unit
// holds one integer, x.
const Strings DemoMap = {
    "|L3| demo",
    Segment("A", "a.text"),
    Entry(4, "1:0 begin"),
    Entry(6, "1:10 x := 1;"),
    Entry(8, "1:20 end;"),
    Entry(12, "2:0 other"),
    Segment("B", "b.text"),
    Entry(3, "1:0 start"),
    "-",
    "A # 1",
    " x i 3",
    "-",
};

class Breakpoints : public ::testing::Test, public test::TModuleSession {
protected:
    Breakpoints() : TModuleSession(Debugger, "bp") {
        Host.MapFile = "MAP";
        Host.Files["MAP"] = DemoMap;
        Host.ListenFor(Debugger);
    }
    ~Breakpoints() override {
        Debugger.Disconnect();
        Host.Window.reset();
    }

    TFakeSourceEditor& Document(const std::string& Name, int Caret = 1) {
        return Host.Activate(Host.Open(Name, Caret));
    }

    void SetBreakpoint(const std::string& Segment, int Proc, int Offset) {
        EXPECT_EQ(Debugger.SendLocation(lcSetBreakpoint, Segment, Proc, Offset), "");
    }

    TFakeDebuggerHost Host;
    TDebugger Debugger{Host};
};

TEST_F(Breakpoints, AddingAtTheCaretLine) {
    struct TCase {
        std::string Name;
        Strings Scenario;
        std::string File;
        int Line;
        bool Preset; // a breakpoint stands at A 1:10 already
        Strings Commands;
        std::string Caption;
        std::string Text;
        std::vector<int> Marks;
    };
    const std::vector<TCase> Cases = {
        {"a code line", {}, "a.text", 6, false, {"3/1 s=A p=1 o=10", "4/0"}, "", "", {6}},
        {"a line without code", {}, "A.TEXT", 7, false, {"3/1 s=A p=1 o=10", "4/0"}, "", "", {6}},
        {"a line with a breakpoint",
         {},
         "a.text",
         6,
         true,
         {"3/0 s=A p=1 o=10", "4/0"},
         "",
         "",
         {}},
        {"a line past the map's lines",
         {},
         "a.text",
         30,
         false,
         {},
         "Add Breakpoint",
         "Can't add breakpoint:\rThe current line is not listed in the map file.\r\rCurrent "
         "file: a.text\rCurrent line number: 30\rMap file: MAP",
         {}},
        {"a refused line",
         {"refuse A 1 10=Out of breakpoints"},
         "a.text",
         6,
         false,
         {"3/1 s=A p=1 o=10"},
         "Add Breakpoint",
         "Can't add breakpoint:\rOut of breakpoints.",
         {}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Connect(Case.Scenario);
        TFakeSourceEditor& Editor = Document(Case.File, Case.Line);
        if (Case.Preset) {
            SetBreakpoint("A", 1, 10);
            Debugger.RefreshBreakpoints();
            Sent();
        }
        TScriptedModals Modals;
        Debugger.AddBreakpoint(false);
        EXPECT_EQ(Sent(), Case.Commands);
        if (Case.Caption.empty()) {
            EXPECT_TRUE(Modals.Shown().empty());
        } else {
            ASSERT_EQ(Modals.Shown().size(), 1u);
            EXPECT_EQ(Modals.Last().Caption, Case.Caption);
            EXPECT_EQ(Modals.Last().Message->Text, Case.Text);
        }
        EXPECT_EQ(Editor.Markers, Case.Marks);
        Debugger.Disconnect();
        Host.Editors.clear();
        EXPECT_EQ(Module->Quit(), 0);
    }
}

TEST_F(Breakpoints, WithoutItsLineTheBoxGivesTheMapsStatusAndExamineShowsTheParsedMap) {
    Host.Files.erase("MAP");
    Connect();
    Document("a.text", 6);
    TScriptedModals Modals;
    Modals.Press("E&xamine");
    Debugger.AddBreakpoint(false);
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_TRUE(Modals.Last().Message->Text.starts_with(
        "Can't add breakpoint:\rThe map file could not be opened.\r"));
    ASSERT_EQ(Host.NewTabs.size(), 1u);
    EXPECT_EQ(Host.NewTabs[0].first, "Parsed Map File");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Breakpoints, RunToCursorWorksOnlyWhilePaused) {
    Connect();
    TFakeSourceEditor& A = Document("a.text", 8);
    Debugger.AddBreakpoint(true);
    EXPECT_TRUE(Sent().empty());

    Stop("A 1 0");
    A.Caret = 8;
    Debugger.AddBreakpoint(true);
    EXPECT_EQ(Sent(), (Strings{"3/2 s=A p=1 o=20", "5/0"}));
    EXPECT_FALSE(Debugger.IsPaused());
}

TEST_F(Breakpoints, TheListIsRebuiltFromTheModule) {
    Connect();
    TFakeSourceEditor& A = Document("a.text");
    TFakeSourceEditor& B = Host.Open("b.text");
    SetBreakpoint("A", 1, 0);
    SetBreakpoint("ZZ", 1, 0); // a segment the map does not know
    SetBreakpoint("A", 1, 10);
    SetBreakpoint("B", 1, 0);
    Debugger.SendLocation(lcDisableBreakpoint, "A", 1, 10);
    Debugger.RefreshBreakpoints();
    EXPECT_EQ(Debugger.Breakpoints().Texts(), (Strings{"begin+", "x := 1;-", "start+"}));
    EXPECT_EQ(A.Markers, (std::vector<int>{4}));
    EXPECT_EQ(B.Markers, (std::vector<int>{3}));
    EXPECT_EQ(Debugger.CurrentBreakpoint(), -1);

    // Stopped at the disabled one: it is the current entry and marked as the execution point.
    Stop("A 1 10");
    EXPECT_EQ(Debugger.CurrentBreakpoint(), 1);
    EXPECT_EQ(A.Markers, (std::vector<int>{4, -6}));
    EXPECT_EQ(Debugger.Breakpoints().SelectedRow(), 1);

    // The selection is kept; past the end it moves one up.
    Debugger.Breakpoints().SelectRow(2);
    Debugger.RefreshBreakpoints();
    EXPECT_EQ(Debugger.Breakpoints().SelectedRow(), 2);
    Debugger.SendLocation(lcDeleteBreakpoint, "B", 1, 0);
    Debugger.RefreshBreakpoints();
    EXPECT_EQ(Debugger.Breakpoints().SelectedRow(), 1);
    EXPECT_TRUE(B.Markers.empty());

    // "n=0" empties the list and every mark.
    Debugger.Act(DeleteAllRequest(false));
    Debugger.RefreshBreakpoints();
    EXPECT_EQ(Debugger.Breakpoints().Count(), 0);
    EXPECT_EQ(A.Markers, (std::vector<int>{-6})); // the execution point stays shown
    Debugger.Resume(0);
    EXPECT_TRUE(A.Markers.empty());
}

TEST_F(Breakpoints, ANewlyOpenedDocumentGetsTheEnabledMarksOfItsFile) {
    Connect();
    SetBreakpoint("A", 1, 0);
    SetBreakpoint("A", 1, 10);
    SetBreakpoint("A", 1, 20);
    Debugger.SendLocation(lcDisableBreakpoint, "A", 1, 20);
    Stop("A 1 10");
    TFakeSourceEditor Late("A.Text");
    Late.Markers = {99};
    Debugger.MarkBreakpointsInEditor(Late);
    EXPECT_EQ(Late.Markers, (std::vector<int>{4, -6}));
    EXPECT_EQ(Late.Repaints, 1);
    TFakeSourceEditor Other("b.text");
    Debugger.MarkBreakpointsInEditor(Other);
    EXPECT_TRUE(Other.Markers.empty());
}

TEST_F(Breakpoints, TogglingAndDeleting) {
    Connect();
    Document("a.text");
    SetBreakpoint("A", 1, 0);
    Debugger.SendLocation(lcDisableBreakpoint, "A", 1, 0);
    SetBreakpoint("A", 1, 10);
    Debugger.RefreshBreakpoints();
    Sent();
    Debugger.Breakpoints().SelectRow(0);
    Debugger.ToggleSelectedBreakpoint();
    EXPECT_EQ(Sent(), (Strings{"3/5 s=A p=1 o=0", "4/0"}));
    Debugger.ToggleSelectedBreakpoint();
    EXPECT_EQ(Sent(), (Strings{"3/6 s=A p=1 o=0", "4/0"}));
    Debugger.Breakpoints().SelectRow(1);
    Debugger.DeleteSelectedBreakpoint();
    EXPECT_EQ(Sent(), (Strings{"3/0 s=A p=1 o=10", "4/0"}));
    Debugger.DeleteOfflineBreakpoints();
    EXPECT_EQ(Sent(), (Strings{"10/1", "4/0"}));
    Debugger.DeleteAllBreakpoints(false);
    EXPECT_EQ(Sent(), (Strings{"10/0", "4/0"}));
    EXPECT_FALSE(Debugger.DeleteAllPending());
}

TEST_F(Breakpoints, DeletingAllWhileDisconnectedWaitsForTheNextConnection) {
    Debugger.DeleteAllBreakpoints(false);
    EXPECT_FALSE(Debugger.DeleteAllPending());
    Debugger.DeleteAllBreakpoints(true);
    EXPECT_TRUE(Debugger.DeleteAllPending());
    Module = std::make_unique<TStandInProcess>(Dir.Path(), "Demo");
    Debugger.Connect(Module->Handle());
    EXPECT_EQ(Sent(), (Strings{"1/0", "10/0", "4/0"}));
    EXPECT_FALSE(Debugger.DeleteAllPending());
}

TEST_F(Breakpoints, Steps) {
    struct TCase {
        std::string Name;
        Strings Scenario;
        std::string At;
        int Mode; // 0 into, 1 over, 2 out
        Strings Commands;
        std::string Caption;
        std::string Text;
    };
    const std::vector<TCase> Cases = {
        {"over at the last offset", {}, "A 1 20", 1, {"3/3", "5/0"}, "", ""},
        {"into",
         {},
         "A 1 10",
         0,
         {"3/4 n=2 s1=A s2=B", "3/2 s=A p=1 o=0", "3/2 s=A p=1 o=20", "5/0"},
         "",
         ""},
        {"over", {}, "A 1 10", 1, {"3/2 s=A p=1 o=0", "3/2 s=A p=1 o=20", "5/0"}, "", ""},
        {"out", {}, "A 1 10", 2, {"3/3", "5/0"}, "", ""},
        {"out refused",
         {"refuse-step=Not now"},
         "A 1 10",
         2,
         {"3/3"},
         "Step Out",
         "Can't step:\rNot now."},
        {"into refused",
         {"refuse-step=No entry"},
         "A 1 10",
         0,
         {"3/4 n=2 s1=A s2=B"},
         "Step Into",
         "Can't step:\rNo entry."},
        {"over refused at the first line",
         {"refuse A 1 0=Full"},
         "A 1 10",
         1,
         {"3/2 s=A p=1 o=0"},
         "Step Over",
         "Can't step:\rFull."},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Connect(Case.Scenario);
        Document("a.text");
        Stop(Case.At);
        TScriptedModals Modals;
        const std::array<void (TDebugger::*)(), 3> Steps{&TDebugger::StepInto, &TDebugger::StepOver,
                                                         &TDebugger::StepOut};
        (Debugger.*Steps.at(static_cast<std::size_t>(Case.Mode)))();
        EXPECT_EQ(Sent(), Case.Commands);
        if (Case.Caption.empty()) {
            EXPECT_TRUE(Modals.Shown().empty());
            EXPECT_FALSE(Debugger.IsPaused());
        } else {
            ASSERT_EQ(Modals.Shown().size(), 1u);
            EXPECT_EQ(Modals.Last().Caption, Case.Caption);
            EXPECT_EQ(Modals.Last().Message->Text, Case.Text);
            EXPECT_TRUE(Debugger.IsPaused());
        }
        Debugger.Disconnect();
        Host.Editors.clear();
        EXPECT_EQ(Module->Quit(), 0);
    }
}

TEST_F(Breakpoints, AStopAtCodeTheReloadedMapNoLongerListsCannotBeSteppedFrom) {
    Connect();
    Document("a.text");
    Stop("A 1 10");
    Host.Files["MAP"] = {"|L3| demo", Segment("A", "a.text"), Entry(4, "1:0 begin"),
                         Entry(6, "1:12 x := 2;"), Entry(8, "1:20 end;")};
    Debugger.ReloadMapFile("MAP");
    Sent();
    TScriptedModals Modals;
    Debugger.StepOver();
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "Step Over");
    EXPECT_EQ(Modals.Last().Message->Text, "Can't step:\rCan't locate the current code position.");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Breakpoints, PauseResumeAndAbort) {
    Connect({"stack-lines=ZZ       1.0|A        1.12|B        1.0"});
    TFakeSourceEditor& A = Document("a.text");
    Debugger.Pause();
    // The refresh after the stop: breakpoints, call stack, heap and stack.
    EXPECT_EQ(Sent(), (Strings{"7/0", "4/0", "8/0", "6/0"}));
    ASSERT_TRUE(Debugger.IsPaused());
    ASSERT_NE(Debugger.CurrentLocation(), nullptr);
    EXPECT_EQ(Debugger.CurrentLocation()->LineNumber, 6);
    EXPECT_EQ(A.Markers, (std::vector<int>{-6}));
    EXPECT_EQ(A.Caret, 6);

    // Pause while paused resumes.
    Debugger.Pause();
    EXPECT_EQ(Sent(), (Strings{"5/0"}));
    EXPECT_FALSE(Debugger.IsPaused());
    EXPECT_TRUE(A.Markers.empty());

    Stop("A 1 10");
    Debugger.Resume(1);
    EXPECT_EQ(Sent(), (Strings{"5/1"}));
    EXPECT_FALSE(Debugger.IsPaused());
    EXPECT_EQ(Host.Busy, 0);
}

TEST_F(Breakpoints, AResumeTheModuleRefusesLeavesItPausedWithoutALocation) {
    Connect({"resume=0"});
    TFakeSourceEditor& A = Document("a.text");
    SetBreakpoint("A", 1, 10);
    Stop("A 1 10");
    EXPECT_EQ(A.Markers, (std::vector<int>{-6}));
    Debugger.Resume(0);
    EXPECT_EQ(Sent(), (Strings{"5/0"}));
    EXPECT_TRUE(Debugger.IsPaused());
    EXPECT_EQ(Debugger.CurrentLocation(), nullptr);
    EXPECT_EQ(Debugger.CurrentBreakpoint(), -1);
    // The breakpoint under the execution point is shown again.
    EXPECT_EQ(A.Markers, (std::vector<int>{6}));
    Debugger.StepOver();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Breakpoints, AStopShowsItsLineCentredAsTheOptionSays) {
    struct TCase {
        std::string At;
        bool Recentre;
        int Caret;
        bool Centred;
    };
    // Within one procedure only the option centres again.
    const std::vector<TCase> Cases = {
        {"A 1 0", false, 4, true},  {"A 1 10", false, 6, false}, {"A 1 20", true, 8, true},
        {"A 2 0", false, 12, true}, {"B 1 0", false, 3, true},
    };
    Connect();
    TFakeSourceEditor& A = Document("a.text", 30);
    TFakeSourceEditor& B = Host.Open("B.TEXT");
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.At);
        Host.Recentre = Case.Recentre;
        TFakeSourceEditor& Shown = Case.At.starts_with("B") ? B : A;
        const int Centred = Shown.Centred;
        Stop(Case.At);
        EXPECT_EQ(Host.ActiveDocument, &Shown);
        EXPECT_EQ(Shown.Caret, Case.Caret);
        EXPECT_EQ(Shown.Centred - Centred, Case.Centred ? 1 : 0);
        EXPECT_EQ(Shown.Markers, (std::vector<int>{-Case.Caret}));
        EXPECT_TRUE(Debugger.IsPaused());
    }
    EXPECT_EQ(Host.BroughtToFront, static_cast<int>(Cases.size()));
    EXPECT_EQ(Host.Busy, 0);

    // Show Execution Point goes back there and focuses the document.
    Host.Activate(A);
    Debugger.ShowExecutionPoint();
    EXPECT_EQ(Host.ActiveDocument, &B);
    EXPECT_EQ(B.Focused, 1);
}

TEST_F(Breakpoints, AStopInASourceThatCannotBeOpenedMovesNoOtherDocument) {
    Connect();
    TFakeSourceEditor& Other = Document("other.text", 2);
    Stop("A 1 10");
    EXPECT_EQ(Host.OpenedSources, Strings{"a.text"});
    EXPECT_EQ(Other.Caret, 2);
    EXPECT_EQ(Other.Centred, 0);

    Host.Openable = {"b.text"};
    Stop("B 1 0");
    ASSERT_EQ(Host.Editors.size(), 2u);
    EXPECT_EQ(Host.ActiveDocument, Host.Editors[1].get());
    EXPECT_EQ(Host.Editors[1]->Caret, 3);
}

TEST_F(Breakpoints, AStopDuringAnotherCommandIsHandled) {
    Connect({"stop-during=3 A 1 20"});
    TFakeSourceEditor& A = Document("a.text");
    SetBreakpoint("A", 1, 0);
    EXPECT_EQ(Stops(), 1);
    EXPECT_TRUE(Debugger.IsPaused());
    ASSERT_NE(Debugger.CurrentLocation(), nullptr);
    EXPECT_EQ(Debugger.CurrentLocation()->LineNumber, 8);
    EXPECT_EQ(A.Caret, 8);
    Debugger.RefreshBreakpoints();
    EXPECT_EQ(Debugger.Breakpoints().Texts(), Strings{"begin+"});
    EXPECT_EQ(A.Markers, (std::vector<int>{4, -8}));
}

TEST_F(Breakpoints, ValueChanges) {
    const std::string Located = "A        1.10";
    const std::string Unlocated = "ZZ       1.0";
    const std::string NotDirect =
        "\r\rThis is not the direct result of the program you are debugging. The program may "
        "simply have finished running, allowing the system to reuse its memory for other purposes.";
    struct TCase {
        std::string Name;
        bool Watch;
        std::string Stack;
        std::string Text;
        int Line; // of the location, 0 for none
    };
    const std::vector<TCase> Cases = {
        {"unwatched", false, Located, "An unknown value has changed.", 6},
        {"watched", true, Located, "The value of x has changed from 1 to 2.", 6},
        {"watched without a location", true, Unlocated,
         "The value of x has changed from 1 to 2." + NotDirect, 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Connect({"value 11 1 s=A\\r\\no=3\\r\\nt=i\\r\\n => 1",
                 "value 11 1 s=A\\r\\no=3\\r\\nt=i\\r\\n => 2",
                 "value 11 2 s=A\\r\\no=3\\r\\nt=i\\r\\n => 0x1234"});
        Document("a.text");
        Stop("B 1 0");
        const TEntity* X = Debugger.Map().Root->Children.at(0)->Children.at(0).get();
        ASSERT_EQ(X->Name, "x");
        if (Case.Watch) {
            Debugger.RunUntilValueChanges(X);
            EXPECT_EQ(Sent(),
                      (Strings{"11/1 s=A o=3 t=i", "11/2 s=A o=3 t=i", "20/0 n=x a=0x1234 w=1"}));
            EXPECT_FALSE(Debugger.IsPaused());
            EXPECT_EQ(Debugger.CurrentLocation(), nullptr);
        }
        TScriptedModals Modals;
        SayAndWaitForStop("stop-watch " + Case.Stack);
        ASSERT_EQ(Modals.Shown().size(), 1u);
        EXPECT_EQ(Modals.Last().Caption, "Run Until Value Changes");
        EXPECT_EQ(Modals.Last().Message->Text, Case.Text);
        EXPECT_TRUE(Debugger.IsPaused());
        EXPECT_EQ(Debugger.WatchedEntity(), nullptr);
        if (Case.Line == 0)
            EXPECT_EQ(Debugger.CurrentLocation(), nullptr);
        else
            EXPECT_EQ(Debugger.CurrentLocation()->LineNumber, Case.Line);
        Debugger.Disconnect();
        Host.Editors.clear();
        EXPECT_EQ(Module->Quit(), 0);
    }
}

} // namespace
} // namespace korvid
