#include "devtools/debugger/Debugger.h"
#include "tests/devtools/debugger/FakeDebuggerHost.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "tests/devtools/debugger/ModuleSession.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TempDir.h"

#include <QFont>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <algorithm>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using test::TStandInProcess;
using Strings = std::vector<std::string>;

// Unit DEMO (source d.vp) holds globals, two of a module Util, a minor one, a file, a table,
// buffered values and procedures: helper (first line 5), main (20), a minor <init> (30), aa and
// bb (both 40; bb has the lower map number) and sys without code. Unit LIB (lib.vp) holds
// libproc (7).
const Strings DemoMap = {
    "|L3| \"C:\\src\\Demo.vp\"",
    Segment("DEMO", "d.vp"),
    Entry(5, "3:0 helper begin"),
    Entry(6, "3:4 k := 1;"),
    Entry(20, "2:0 main begin"),
    Entry(22, "2:8 n := 2;"),
    Entry(30, "4:0 init"),
    Entry(40, "6:0 bb"),
    Entry(40, "7:0 aa"),
    Segment("LIB", "lib.vp"),
    Entry(7, "1:0 libproc"),
    "-",
    "DEMO # 1",
    " count i 1",
    " ratio n5,0 2",
    " amount n5,2 3",
    " g1 i 4 m=Util",
    " g2 i 5 m=Util",
    " g3 i 6",
    " g4 i 7 m=Util",
    " hidden i 8 ~",
    " cust F 2",
    "  name s9 1",
    " orders t 3",
    "  qty i 1",
    " saved T 11",
    "  y i 1",
    " main P 2",
    "  n i 1",
    "  m i 2",
    " helper P 3",
    "  k i 1",
    " <init> P 4 ~",
    " sys P 5",
    " aa P 7",
    " bb P 6",
    "LIB # 2",
    " libproc P 1",
    "-",
};

// The details panel's five labels, each panel shown.
std::vector<Strings> Labels(const std::vector<TVariableDetails>& Shown) {
    std::vector<Strings> Result;
    for (const TVariableDetails& Details : Shown)
        Result.push_back(
            {Details.Name, Details.Type, Details.LocationIntro, Details.Location, Details.Address});
    return Result;
}

// A main window that shows source names its own way.
class TTreeHost : public TFakeDebuggerHost {
public:
    std::string DisplayFileName(const std::string& Name) const override {
        if (Name == "d.vp")
            return "Demo source";
        if (Name == "lib.vp")
            return "A library";
        return Name;
    }
};

// One line per node: indented by depth, "*" when bold, the text and "#" the image.
void DumpNodes(const QAbstractItemModel& Model, const QModelIndex& Parent, int Depth,
               Strings& Lines) {
    for (int Row = 0; Row < Model.rowCount(Parent); ++Row) {
        const QModelIndex Node = Model.index(Row, 0, Parent);
        const bool Bold = qvariant_cast<QFont>(Node.data(Qt::FontRole)).bold();
        Lines.push_back(std::string(2 * Depth, ' ') + (Bold ? "*" : "") +
                        FromQString(Node.data().toString()) + " #" +
                        std::to_string(Node.data(DebugImageRole).toInt()));
        DumpNodes(Model, Node, Depth + 1, Lines);
    }
}

class StructureTree : public ::testing::Test {
protected:
    StructureTree() {
        Host.MapFile = "MAP";
        Host.Files["MAP"] = DemoMap;
    }

    Strings Dump(const QModelIndex& Parent = {}) {
        Strings Lines;
        DumpNodes(Model(), Parent, 0, Lines);
        return Lines;
    }
    const QStandardItemModel& Model() { return *Debugger.Structure().Model; }
    QModelIndex Top(const std::string& Text) {
        for (int Row = 0; Row < Model().rowCount(); ++Row)
            if (FromQString(Model().index(Row, 0).data().toString()) == Text)
                return Model().index(Row, 0);
        return {};
    }
    // The node at the path of texts from the top.
    QModelIndex Node(const Strings& Path) {
        QModelIndex Parent;
        for (const std::string& Text : Path) {
            QModelIndex Found;
            for (int Row = 0; Row < Model().rowCount(Parent) && !Found.isValid(); ++Row)
                if (FromQString(Model().index(Row, 0, Parent).data().toString()) == Text)
                    Found = Model().index(Row, 0, Parent);
            if (!Found.isValid())
                return {};
            Parent = Found;
        }
        return Parent;
    }
    // The texts from the top down to the selected node; empty without a selection.
    Strings SelectedPath() {
        const QItemSelectionModel& Selection = *Debugger.Structure().Selection;
        QModelIndex Current = Selection.currentIndex();
        if (!Current.isValid() || !Selection.isSelected(Current))
            return {};
        Strings Path;
        for (; Current.isValid(); Current = Current.parent())
            Path.insert(Path.begin(), FromQString(Current.data().toString()));
        return Path;
    }
    void Select(const Strings& Path) {
        const QModelIndex Found = Node(Path);
        ASSERT_TRUE(Found.isValid());
        Debugger.Structure().Selection->setCurrentIndex(Found, QItemSelectionModel::ClearAndSelect);
    }
    TEntity& Global(const std::string& Name) const {
        for (TEntity* Entity : Debugger.Map().Globals)
            if (Entity->Name == Name)
                return *Entity;
        throw std::runtime_error("no " + Name);
    }
    TFakeSourceEditor& Document(const std::string& Name, int Caret = 1) {
        return Host.Activate(Host.Open(Name, Caret));
    }

    TTreeHost Host;
    TDebugger Debugger{Host};
};

TEST_F(StructureTree, ShowsTheMapsEntitiesByCategory) {
    Debugger.LoadMapFile("MAP");
    const Strings File = {"*cust #19", "  *(current record number) #20", "  *name #21"};
    const Strings Table = {"*orders #15", "  *(current row number) #20", "  *(row count) #23",
                           "  *qty #23"};
    const auto Indented = [](const Strings& Lines, int Depth) {
        Strings Result;
        for (const std::string& Line : Lines)
            Result.push_back(std::string(2 * Depth, ' ') + Line);
        return Result;
    };
    Strings Expected = {"Debugging Demo #29", "*Locals #8",    "*Globals #17", "  *count #23",
                        "  *ratio #26",       "  *amount #25", "  *Util #9",   "    *g1 #23",
                        "    *g2 #23",        "  *g3 #23",     "  *Util #9",   "    *g4 #23"};
    const auto Append = [&Expected](const Strings& Lines) {
        Expected.insert(Expected.end(), Lines.begin(), Lines.end());
    };
    Append(Indented(File, 1));
    Append(Indented(Table, 1));
    Append({"  *(buffered values) #16", "    *y #23", "*Tables #15"});
    Append(Indented(Table, 1));
    Append({"*Database #6"});
    Append(Indented(File, 1));
    Append({"*Procedures #12", "  *A library #37", "    *libproc #12", "  *Demo source #37",
            "    *helper #12", "      *k #23", "    *main #12", "      *m #23", "      *n #23",
            "    *bb #12", "    *aa #12", "*Segments #14", "  *DEMO #14",
            "    *(buffered values) #16", "      *y #23", "    *amount #25", "    *count #23"});
    Append(Indented(File, 2));
    Append({"    *Util #9", "      *g1 #23", "      *g2 #23", "    *g3 #23", "    *Util #9",
            "      *g4 #23"});
    Append(Indented(Table, 2));
    Append({"    *ratio #26", "    *aa #12", "    *bb #12", "    *helper #12", "      *k #23",
            "    *main #12", "      *m #23", "      *n #23", "    *sys #12", "  *LIB #14",
            "    *libproc #12"});
    EXPECT_EQ(Dump(), Expected);
    const QModelIndex Count = Node({"Globals", "count"});
    EXPECT_EQ(TDebugger::NodeEntity(Count), &Global("count"));
    EXPECT_EQ(TDebugger::NodeKind(Count), TStructureNodeKind::Entity);
    EXPECT_EQ(TDebugger::NodeKind(Node({"Globals", "Util"})), TStructureNodeKind::ModuleGroup);
    EXPECT_EQ(TDebugger::NodeKind(Node({"Procedures", "A library"})),
              TStructureNodeKind::SourceGroup);
    EXPECT_EQ(TDebugger::NodeEntity(Top("Globals")), nullptr);
    EXPECT_FALSE(Model().itemFromIndex(Count)->isEditable());
}

TEST_F(StructureTree, TheOptionsShapeTheTree) {
    Host.BarOptions.ShowMinorVariables = true;
    Host.BarOptions.ShowVariableTypes = true;
    Host.BarOptions.ShowLocalChildren = false;
    Debugger.LoadMapFile("MAP");
    EXPECT_EQ(Dump(Top("Procedures")),
              (Strings{"*A library #37", "  *libproc #12", "*Demo source #37", "  *helper #12",
                       "  *main #12", "  *<init> in DEMO #12", "  *bb #12", "  *aa #12"}));
    const Strings Globals = Dump(Top("Globals"));
    for (const std::string Line :
         {"*count : integer #23", "*ratio : number 5,0 #26", "*hidden : integer #23"})
        EXPECT_NE(std::find(Globals.begin(), Globals.end(), Line), Globals.end()) << Line;

    // The options dialog rebuilds the tree after a change.
    Host.BarOptions = TTreeHost().BarOptions;
    Debugger.BuildStructureTree();
    EXPECT_EQ(Dump(Node({"Procedures", "Demo source", "main"})), (Strings{"*m #23", "*n #23"}));
    EXPECT_FALSE(Node({"Globals", "hidden"}).isValid());
}

TEST_F(StructureTree, AnRWMapHasNoLocalsNorTablesAndShowsFieldsInPlace) {
    Host.Files["RW"] = {"|RW| PROG",
                        Segment("PROG", "PROG.TEXT"),
                        Entry(1, "1:0 begin"),
                        "-",
                        "PROG # 1",
                        " x i 1",
                        " rec D 2",
                        "  f2 i 2",
                        "  f1 i 1",
                        " tab t 3",
                        "  c i 1",
                        " main P 1",
                        "-"};
    Debugger.LoadMapFile("RW");
    EXPECT_EQ(Dump(), (Strings{"Debugging PROG #29",
                               "*Globals #17",
                               "  *x #23",
                               "  *f1 #23",
                               "  *f2 #23",
                               "  *tab #15",
                               "    *(current row number) #20",
                               "    *(row count) #23",
                               "    *c #23",
                               "*Database #6",
                               "*Procedures #12",
                               "  *PROG.TEXT #37",
                               "    *main in PROG #12",
                               "*Segments #14",
                               "  *PROG #14",
                               "    *f1 #23",
                               "    *f2 #23",
                               "    *tab #15",
                               "      *(current row number) #20",
                               "      *(row count) #23",
                               "      *c #23",
                               "    *x #23",
                               "    *main in PROG #12"}));
    // Its procedures carry their unit, and are still found by name.
    Debugger.FindDeclaration("Main", false);
    EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "PROG.TEXT", "main in PROG"}));
}

TEST_F(StructureTree, AMapThatDidNotLoadLeavesItsStatus) {
    const std::pair<Strings, std::string> Cases[] = {
        {{"nonsense"}, "The map file has an unknown format #28"},
        {{}, "The map file could not be opened #28"},
    };
    for (const auto& [Lines, Shown] : Cases) {
        Host.Files["MAP"] = Lines;
        Debugger.LoadMapFile("MAP");
        EXPECT_EQ(Dump(), Strings{Shown});
    }
    Debugger.ForgetMap();
    EXPECT_EQ(Model().rowCount(), 0);
}

TEST_F(StructureTree, FindDeclarationRepeatsToTheNextNodeAndWraps) {
    Debugger.LoadMapFile("MAP");
    TFakeSourceEditor& Editor = Document("lib.vp", 3);
    Editor.Identifier = "Count";
    const Strings First = {"Globals", "count"};
    const Strings Second = {"Segments", "DEMO", "count"};
    for (const Strings& Expected : {First, Second, First}) {
        Debugger.FindDeclaration(false);
        EXPECT_EQ(SelectedPath(), Expected);
    }
    EXPECT_EQ(Host.ActivatedTabs, std::vector<TDebuggingTab>(3, TDebuggingTab::Structure));
    // A name given starts again from the top; another word too.
    Debugger.FindDeclaration(false);
    Debugger.FindDeclaration("count", false);
    EXPECT_EQ(SelectedPath(), First);
    Editor.Identifier = "k";
    Debugger.FindDeclaration(false);
    EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "Demo source", "helper", "k"}));
    // Words no node has, or that are no identifiers, change nothing.
    for (const std::string Word : {"nothing", "2k"}) {
        Editor.Identifier = Word;
        Debugger.FindDeclaration(false);
        EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "Demo source", "helper", "k"}));
    }
    EXPECT_EQ(Host.ActivatedTabs.size(), 6u);
    EXPECT_EQ(Editor.Caret, 3);
}

TEST_F(StructureTree, FindDeclarationWithANameLoadsTheMapFirst) {
    Debugger.FindDeclaration("ratio", false);
    EXPECT_EQ(SelectedPath(), (Strings{"Globals", "ratio"}));
}

TEST_F(StructureTree, FindDeclarationJumpsToProceduresAndStepsBack) {
    Debugger.LoadMapFile("MAP");
    TFakeSourceEditor& Library = Document("lib.vp", 3);
    TFakeSourceEditor& Demo = Host.Open("d.vp");
    const auto Find = [&](const std::string& Word) {
        Host.ActiveDocument->Identifier = Word;
        Debugger.FindDeclaration(false);
    };
    const auto Back = [&] { Debugger.FindDeclaration(true); };
    const auto Where = [&] {
        return Host.ActiveDocument->Name + ":" + std::to_string(Host.ActiveDocument->Caret);
    };

    // After two jumps back to the first; then to where the search began.
    Find("main");
    EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "Demo source", "main"}));
    EXPECT_EQ(Where(), "d.vp:20");
    Find("helper");
    EXPECT_EQ(Where(), "d.vp:5");
    Back();
    EXPECT_EQ(Where(), "d.vp:20");
    Back();
    EXPECT_EQ(Where(), "lib.vp:3");
    EXPECT_EQ(Demo.Focused, 3);
    EXPECT_EQ(Library.Focused, 1);

    // After one jump straight back; an empty identifier steps back too.
    Library.Caret = 2;
    Find("libproc");
    EXPECT_EQ(Where(), "lib.vp:7");
    Find("");
    EXPECT_EQ(Where(), "lib.vp:2");

    // A procedure the map does not locate is not jumped to.
    Find("sys");
    EXPECT_EQ(SelectedPath(), (Strings{"Segments", "DEMO", "sys"}));
    EXPECT_EQ(Where(), "lib.vp:2");
    EXPECT_EQ(Debugger.SelectedProcedureEntity(), nullptr);
}

// A caption that carries the type or the unit after the name is still found by the name.
TEST_F(StructureTree, FindDeclarationFindsNamesWhoseCaptionsCarryMore) {
    Host.BarOptions.ShowVariableTypes = true;
    Debugger.LoadMapFile("MAP");
    TFakeSourceEditor& Editor = Document("lib.vp", 3);
    Editor.Identifier = "Ratio";
    Debugger.FindDeclaration(false);
    EXPECT_EQ(SelectedPath(), (Strings{"Globals", "ratio : number 5,0"}));
}

TEST_F(StructureTree, SteppingBackWithNothingRememberedDoesNothing) {
    Debugger.LoadMapFile("MAP");
    TFakeSourceEditor& Editor = Document("lib.vp", 3);
    Debugger.FindDeclaration(true);
    EXPECT_EQ(Editor.Caret, 3);
    EXPECT_EQ(Editor.Focused, 0);
    EXPECT_TRUE(Host.OpenedSources.empty());
    EXPECT_EQ(Host.ActiveDocument, &Editor);
}

TEST_F(StructureTree, TheHistoryGoesWithTheMap) {
    Debugger.LoadMapFile("MAP");
    TFakeSourceEditor& Editor = Document("lib.vp", 3);
    Editor.Identifier = "libproc";
    Debugger.FindDeclaration(false);
    Editor.Identifier = "main";
    Host.Open("d.vp");
    Debugger.FindDeclaration(false);
    Debugger.ReloadMapFile("MAP");
    // Only the place where the search began is left.
    Debugger.FindDeclaration(true);
    EXPECT_EQ(Host.ActiveDocument, &Editor);
    EXPECT_EQ(Editor.Caret, 3);
}

TEST_F(StructureTree, FollowsTheCaretWithTheProcedureNode) {
    Debugger.LoadMapFile("MAP");
    TFakeSourceEditor& Editor = Document("d.vp", 22);
    Debugger.SelectProcedureAtCaret();
    EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "Demo source", "main"}));
    Editor.Caret = 6;
    Debugger.SelectProcedureAtCaret();
    EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "Demo source", "helper"}));
    // The same code position again leaves the tree alone.
    Select({"Globals"});
    Debugger.SelectProcedureAtCaret();
    EXPECT_EQ(SelectedPath(), Strings{"Globals"});
    // A selected entity other than a procedure is kept.
    Select({"Globals", "count"});
    Editor.Caret = 20;
    Debugger.SelectProcedureAtCaret();
    EXPECT_EQ(SelectedPath(), (Strings{"Globals", "count"}));
    Select({"Procedures", "Demo source", "helper"});
    Debugger.SelectProcedureAtCaret();
    EXPECT_EQ(SelectedPath(), (Strings{"Procedures", "Demo source", "main"}));
}

TEST_F(StructureTree, WatchKindsAndSelectedProcedures) {
    Debugger.LoadMapFile("MAP");
    const std::pair<Strings, int> Cases[] = {
        {{}, 0},
        {{"Debugging Demo"}, 0},
        {{"Locals"}, 2},
        {{"Globals"}, 2},
        {{"Tables"}, 2},
        {{"Database"}, 2},
        {{"Procedures"}, 0},
        {{"Globals", "Util"}, 0},
        {{"Globals", "count"}, 1},
        {{"Globals", "cust"}, 2},
        {{"Procedures", "Demo source", "helper"}, 2},
        {{"Procedures", "Demo source", "bb"}, 1},
    };
    for (const auto& [Path, Kind] : Cases)
        EXPECT_EQ(Debugger.StructureNodeWatchKind(Node(Path)), Kind)
            << testing::PrintToString(Path);

    const std::pair<Strings, std::string> Procedures[] = {
        {{"Procedures", "Demo source", "helper"}, "helper"},
        {{"Procedures", "Demo source", "helper", "k"}, "helper"},
        {{"Segments", "LIB", "libproc"}, "libproc"},
        {{"Globals", "count"}, ""},
        {{"Segments", "DEMO", "sys"}, ""},
    };
    for (const auto& [Path, Name] : Procedures) {
        Select(Path);
        const TEntity* Procedure = Debugger.SelectedProcedureEntity();
        EXPECT_EQ(Procedure ? Procedure->Name : "", Name) << testing::PrintToString(Path);
    }
    // Not paused: nothing to run until it changes.
    Select({"Globals", "count"});
    EXPECT_EQ(Debugger.SelectedWatchableEntity(), nullptr);
}

// ---- With a paused module ----------------------------------------------------------------------

class PausedStructureTree : public StructureTree, public test::TModuleSession {
protected:
    PausedStructureTree() : TModuleSession(Debugger, "tree") { Host.ListenFor(Debugger); }
    ~PausedStructureTree() override {
        Debugger.Disconnect();
        Host.Window.reset();
    }

    Strings Locals() {
        Strings Names;
        for (const TEntity* Entity : Debugger.CategoryEntities(TStructureNodeKind::Locals))
            Names.push_back(Entity->Name);
        return Names;
    }
};

TEST_F(PausedStructureTree, LocalsFollowTheCurrentProcedure) {
    Connect();
    Document("d.vp");
    EXPECT_EQ(Dump(Top("Locals")), Strings{});
    Stop("DEMO 2 0");
    EXPECT_EQ(Dump(Top("Locals")), (Strings{"*m #23", "*n #23"}));
    EXPECT_EQ(Locals(), (Strings{"m", "n"}));

    // Within the same procedure the selected local stays as it is.
    Select({"Locals", "n"});
    const QModelIndex Selected = Node({"Locals", "n"});
    Stop("DEMO 2 8");
    EXPECT_EQ(Node({"Locals", "n"}), Selected);
    EXPECT_EQ(SelectedPath(), (Strings{"Locals", "n"}));

    // Another procedure replaces them; a selection outside Locals stays.
    Select({"Globals", "count"});
    Stop("DEMO 3 0");
    EXPECT_EQ(Dump(Top("Locals")), Strings{"*k #23"});
    EXPECT_EQ(Locals(), Strings{"k"});
    EXPECT_EQ(SelectedPath(), (Strings{"Globals", "count"}));

    // A stop where the map knows no procedure empties them.
    Stop("ZZ 1 0");
    EXPECT_EQ(Dump(Top("Locals")), Strings{});
    EXPECT_EQ(Locals(), Strings{});

    // Rebuilding the tree while paused fills them again.
    Stop("DEMO 2 0");
    Debugger.BuildStructureTree();
    EXPECT_EQ(Dump(Top("Locals")), (Strings{"*m #23", "*n #23"}));

    Debugger.Disconnect();
    EXPECT_EQ(Locals(), Strings{});
}

TEST_F(PausedStructureTree, TheDetailsPanelReadsTheAddressOnce) {
    struct TCase {
        bool Hex;
        Strings Scenario;
        std::string Command;
    };
    const TCase Cases[] = {
        {true, {"value 11 3 s=DEMO\\r\\no=1\\r\\nt=i\\r\\n => 0x0001"}, "11/3 s=DEMO o=1 t=i"},
        {false, {"value 11 2 s=DEMO\\r\\no=1\\r\\nt=i\\r\\n => 0x0001"}, "11/2 s=DEMO o=1 t=i"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Hex);
        Host.BarOptions.AddressesInHex = Case.Hex;
        Host.Details.clear();
        Debugger.LoadMapFile("MAP");
        // Before any connection, and while the module runs, the address is not known.
        Debugger.ShowVariableDetails(Global("count"));
        Connect(Case.Scenario);
        Debugger.ShowVariableDetails(Global("count"));
        const Strings Unknown = {"count", "integer", "Global:", "1 word at word 1 of DEMO",
                                 "(unknown)"};
        EXPECT_EQ(Labels(Host.Details), (std::vector<Strings>(2, Unknown)));
        EXPECT_EQ(Sent(), Strings{});

        Document("d.vp");
        Stop("DEMO 2 0");
        TEntity& Paused = Global("count");
        Debugger.ShowVariableDetails(Paused);
        Debugger.ShowVariableDetails(Paused);
        EXPECT_EQ(Sent(), Strings{Case.Command});
        Strings Known = Unknown;
        Known.back() = "0x0001";
        EXPECT_EQ(Labels(Host.Details), (std::vector<Strings>{Unknown, Unknown, Known, Known}));
        Debugger.Disconnect();
        Host.Editors.clear();
        EXPECT_EQ(Module->Quit(), 0);
    }
}

TEST_F(PausedStructureTree, TheSelectedWatchableEntityNeedsAPausedModule) {
    Connect();
    Select({"Globals", "count"});
    EXPECT_EQ(Debugger.SelectedWatchableEntity(), nullptr);
    Document("d.vp");
    Stop("DEMO 2 0");
    const std::pair<Strings, std::string> Cases[] = {
        {{"Globals", "count"}, "count"},
        {{"Globals", "cust"}, "record"},
        {{"Globals", "orders"}, ""},
        {{"Globals", "orders", "qty"}, ""},
        {{"Globals", "cust", "name"}, "name"},
        {{"Globals"}, ""},
        {{"Procedures", "Demo source", "main"}, ""},
    };
    for (const auto& [Path, Name] : Cases) {
        Select(Path);
        const TEntity* Entity = Debugger.SelectedWatchableEntity();
        EXPECT_EQ(Entity ? Entity->Name : "", Name) << testing::PrintToString(Path);
    }
}

} // namespace
} // namespace korvid
