#include "devtools/debugger/DebuggingBar.h"
#include "FormFixture.h"
#include "tests/devtools/debugger/MapTestSupport.h"
#include "ui/CommandBars.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolIndexes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

std::string Lines(const std::vector<std::string>& Lines) {
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + "\r\n";
    return Text;
}

class DebuggingBar : public TFormTest {
protected:
    TDebuggingBar& Bar() const { return Form->DebuggerWindow().DebuggingBar(); }
    TDebugger& Debugger() const { return Form->Debugger(); }

    // A window shown with its bar docked, so that the lists have their places.
    TKorvidForm& ShownForm() {
        TKorvidForm& Window = MakeForm();
        Window.DebuggerWindow().ShowDebuggingBar(true);
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
        return Window;
    }

    // A map of one source with three code lines and a few entities.
    std::string LoadMap() {
        Source = File("demo.vp", "begin\r\n  x := 1;\r\nend;\r\n");
        Form->Options().OpenSourceOnConnect = false;
        const std::string Map =
            File("MAP.txt", Lines({"|L3| demo", Segment("DEMO", Source), Entry(1, "1:0 begin"),
                                   Entry(2, "1:10 x := 1;"), Entry(3, "1:20 end;"), "-", "DEMO # 1",
                                   " total i 7", " main P 1", "  n i 1", " acct r 9", "  a i 1",
                                   "  amount n5,2 4", "  label s9 6", "-"}));
        Debugger().LoadMapFile(Map);
        EXPECT_TRUE(Debugger().MapLoaded());
        return Map;
    }

    const TProcOffset& Location(int Offset) const {
        const TProcOffset* Found = Debugger().FindProcOffset("DEMO", 1, Offset);
        EXPECT_NE(Found, nullptr);
        return *Found;
    }

    // The node of the structure tree whose text is Text, searched depth first.
    QModelIndex Node(const QString& Text, const QModelIndex& Parent = {}) const {
        const QAbstractItemModel& Model = *Debugger().Structure().Model;
        for (int Row = 0; Row < Model.rowCount(Parent); ++Row) {
            const QModelIndex Index = Model.index(Row, 0, Parent);
            if (Index.data().toString() == Text)
                return Index;
            if (const QModelIndex Found = Node(Text, Index); Found.isValid())
                return Found;
        }
        return {};
    }

    static QPoint RowCentre(const QListView& List, int Row) {
        return List.visualRect(List.model()->index(Row, 0)).center();
    }

    std::string Source;
};

// ---- The bar's place --------------------------------------------------------------------------

// Ctrl+F7 shows and hides the bar; the tool's Down state follows it.
TEST_F(DebuggingBar, ViewDebuggingBarTogglesTheBar) {
    TKorvidForm& Window = MakeForm();
    EXPECT_FALSE(Window.DebuggerWindow().IsDebuggingBarVisible());
    EXPECT_EQ(Window.DebuggerWindow().DebuggingBarForm(), nullptr);
    Window.ViewDebuggingBar();
    EXPECT_TRUE(Window.DebuggerWindow().IsDebuggingBarVisible());
    EXPECT_TRUE(ToolList().Items(T::ViewDebuggingBar)->Down());
    EXPECT_EQ(Bar().window(), &Window);
    Window.ViewDebuggingBar();
    EXPECT_FALSE(Window.DebuggerWindow().IsDebuggingBarVisible());
    EXPECT_FALSE(ToolList().Items(T::ViewDebuggingBar)->Down());
}

// With "Float Debugging Bar" the bar moves into its own window, placed from its four settings;
// its visibility is then that window's.
TEST_F(DebuggingBar, FloatsInItsOwnWindowAndDocksAgain) {
    TKorvidForm& Window = MakeForm();
    Window.WindowSettings().DebuggingBarForm = {120, 90, 280, 420, false};
    Window.ViewDebuggingBar();
    Window.Options().FloatDebuggingBar = true;
    Window.DebuggerWindow().ApplyDebuggingBarPlace();
    TDebuggingBarForm* Floating = Window.DebuggerWindow().DebuggingBarForm();
    ASSERT_NE(Floating, nullptr);
    EXPECT_EQ(Bar().window(), Floating);
    EXPECT_EQ(Floating->geometry().size(), QSize(280, 420));
    EXPECT_EQ(Floating->pos(), QPoint(120, 90));
    EXPECT_TRUE(Window.DebuggerWindow().IsDebuggingBarVisible());

    // The floating window's own visibility counts, not the bar's inside it.
    Floating->hide();
    EXPECT_FALSE(Bar().isHidden());
    EXPECT_FALSE(Window.DebuggerWindow().IsDebuggingBarVisible());
    Floating->show();
    Floating->move(150, 100);
    Floating->close();
    EXPECT_FALSE(Window.DebuggerWindow().IsDebuggingBarVisible());
    EXPECT_FALSE(ToolList().Items(T::ViewDebuggingBar)->Down());
    EXPECT_EQ(Window.WindowSettings().DebuggingBarForm.Left, 150);

    Window.Options().FloatDebuggingBar = false;
    Window.DebuggerWindow().ApplyDebuggingBarPlace();
    EXPECT_EQ(Window.DebuggerWindow().DebuggingBarForm(), nullptr);
    EXPECT_EQ(Bar().window(), &Window);
    Window.ViewDebuggingBar();
    EXPECT_TRUE(Window.DebuggerWindow().IsDebuggingBarVisible());
}

// The page tools show the bar on their page; next and previous wrap round. The page and the
// bar's visibility come back in the next window.
TEST_F(DebuggingBar, PageToolsChooseThePageAndItIsKept) {
    TKorvidForm& Window = MakeForm();
    struct TCase {
        int Tool;
        TDebuggingTab Page;
    };
    const std::vector<TCase> Cases = {
        {T::DebugGoToStructureTab, TDebuggingTab::Structure},
        {T::DebugGoToCallStackTab, TDebuggingTab::CallStack},
        {T::DebugGoToBreakpointsTab, TDebuggingTab::Breakpoints},
        {T::DebugGoToPreviousTab, TDebuggingTab::Watches},
        {T::DebugGoToNextTab, TDebuggingTab::Breakpoints},
        {T::DebugGoToNextTab, TDebuggingTab::CallStack},
        {T::DebugGoToWatchesTab, TDebuggingTab::Watches},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(ToolList().Items(Case.Tool)->Name());
        Window.DebuggerWindow().ShowDebuggingBar(false);
        ToolList().Items(Case.Tool)->Execute();
        EXPECT_TRUE(Window.DebuggerWindow().IsDebuggingBarVisible());
        EXPECT_EQ(Bar().ActiveTab(), Case.Page);
    }
    Form.reset();
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly(RootKeys[CurrentKeyIndex]));
    EXPECT_TRUE(Reg.ReadBoolDefault("View Debugging Bar", false));
    EXPECT_EQ(Reg.ReadIntegerDefault("Debugging Bar Tab", 0), 3);
    MakeForm();
    EXPECT_TRUE(Form->DebuggerWindow().IsDebuggingBarVisible());
    EXPECT_EQ(Bar().ActiveTab(), TDebuggingTab::Watches);
}

// At the bar's first width, docked or in its own window, every page shows its whole caption.
TEST_F(DebuggingBar, ThePageCaptionsFitAtTheDefaultWidth) {
    for (const bool Floating : {false, true}) {
        SCOPED_TRACE(Floating ? "floating" : "docked");
        TKorvidForm& Window = MakeForm();
        Window.Options().FloatDebuggingBar = Floating;
        Window.DebuggerWindow().ApplyDebuggingBarPlace();
        Window.DebuggerWindow().ShowDebuggingBar(true);
        Window.show();
        QApplication::processEvents();
        const QTabBar& Tabs = *Bar().DebuggingTabs->tabBar();
        ASSERT_EQ(Tabs.count(), 4);
        // The tabs want the room of their whole captions.
        EXPECT_GE(Tabs.width(), Tabs.sizeHint().width());
        for (int Index = 0; Index < Tabs.count(); ++Index) {
            SCOPED_TRACE(Tabs.tabText(Index).toStdString());
            EXPECT_GT(Tabs.tabRect(Index).width(),
                      Tabs.fontMetrics().horizontalAdvance(Tabs.tabText(Index)));
            EXPECT_LE(Tabs.tabRect(Index).right(), Tabs.width());
        }
        Form.reset(); // the floating row starts from the settings the docked one leaves
    }
}

// A connection shows the bar only when the user wants it to.
TEST_F(DebuggingBar, AConnectionShowsTheBarWhenAskedTo) {
    for (const bool AutoShow : {false, true}) {
        SCOPED_TRACE(AutoShow);
        TKorvidForm& Window = MakeForm();
        Window.DebuggerWindow().ShowDebuggingBar(false);
        Window.Options().AutoShowDebuggingBar = AutoShow;
        Window.DebuggerWindow().ModuleConnected();
        EXPECT_EQ(Window.DebuggerWindow().IsDebuggingBarVisible(), AutoShow);
    }
}

// The debugger's state reaches the lists' colour, the toolbar and the heap label; the toolbar
// holds the Debug menu's tools.
TEST_F(DebuggingBar, TheControlsFollowTheDebugger) {
    TKorvidForm& Window = MakeForm();
    TDebuggingControls Controls;
    Controls.ListColour = clWindow;
    Controls.ToolbarColour = clYellow;
    Controls.HeapStackText = "Heap: 12   Stack:34";
    Window.DebuggerWindow().RefreshDebuggingControls(Controls);
    EXPECT_EQ(Bar().HeapStackLabel->text(), "Heap: 12   Stack:34");
    EXPECT_EQ(Bar().WatchesList->palette().color(QPalette::Base),
              ColorToQColor(clWindow, Bar().palette()));
    EXPECT_EQ(Bar().StructureTree->palette().color(QPalette::Base),
              ColorToQColor(clWindow, Bar().palette()));
    std::vector<int> Tools;
    ASSERT_FALSE(Bar().ToolbarRows.empty());
    for (const TCommandBar* Row : Bar().ToolbarRows) {
        EXPECT_EQ(Row->Color(), QColor(Qt::yellow));
        // Each row fits the bar's ordinary width.
        EXPECT_LE(Row->sizeHint().width(), 250);
        for (const auto* Button : Row->findChildren<TToolButton*>())
            Tools.push_back(Button->Tool()->Index());
    }
    for (const int Tool :
         {T::DebugConnection, T::DebugStepOver, T::DebugDumpMemory, T::DebugFindInCurrentSources})
        EXPECT_NE(std::find(Tools.begin(), Tools.end(), Tool), Tools.end()) << Tool;
    EXPECT_EQ(std::find(Tools.begin(), Tools.end(), T::ViewDebuggingBar), Tools.end());
}

// ---- The lists ----------------------------------------------------------------------------

// The Breakpoints menu reads and enables its items by the list and its selection.
TEST_F(DebuggingBar, TheBreakpointsMenuFollowsTheSelection) {
    MakeForm();
    struct TCase {
        std::vector<std::string> Items;
        int Selected;
        QString Toggle;
        bool SelectedEnabled, AllEnabled;
    };
    const std::vector<TCase> Cases = {
        {{}, -1, "Ena&ble", false, false},
        {{"begin+", "end;-"}, -1, "Ena&ble", false, true},
        {{"begin+", "end;-"}, 0, "Disa&ble", true, true},
        {{"begin+", "end;-"}, 1, "Ena&ble", true, true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Selected);
        TDebuggingList& List = Debugger().Breakpoints();
        List.Model->clear();
        for (const std::string& Item : Case.Items)
            List.Append(Item, nullptr);
        List.SelectRow(Case.Selected);
        Form->DebuggerWindow().BreakpointsMenuPopup();
        EXPECT_EQ(Bar().ToggleSelectedBreakpointCommand->text(), Case.Toggle);
        EXPECT_EQ(Bar().ToggleSelectedBreakpointCommand->isEnabled(), Case.SelectedEnabled);
        EXPECT_EQ(Bar().DeleteSelectedBreakpointCommand->isEnabled(), Case.SelectedEnabled);
        EXPECT_EQ(Bar().DeleteOfflineBreakpointsCommand->isEnabled(), Case.AllEnabled);
        EXPECT_EQ(Bar().DeleteAllBreakpointsCommand->isEnabled(), Case.AllEnabled);
    }
}

// A right-button press selects the item under the mouse; on an empty part it keeps the
// selection.
TEST_F(DebuggingBar, ARightClickSelectsOnlyAnItem) {
    ShownForm();
    TDebuggingList& List = Debugger().Breakpoints();
    List.Append("begin+", nullptr);
    List.Append("end;-", nullptr);
    List.SelectRow(1);
    QListView& View = *Bar().BreakpointsList;
    QTest::mousePress(View.viewport(), Qt::RightButton, {}, RowCentre(View, 0));
    EXPECT_EQ(List.SelectedRow(), 0);
    QTest::mousePress(View.viewport(), Qt::RightButton, {},
                      QPoint(5, View.viewport()->height() - 3));
    EXPECT_EQ(List.SelectedRow(), 0);
}

// Enter in the Call Stack list shows the selected frame's source line, as a double click does.
TEST_F(DebuggingBar, EnterShowsTheLocation) {
    MakeForm();
    LoadMap();
    TDebuggingList& List = Debugger().CallStack();
    List.Append("DEMO 1:20", &Location(20));
    List.Append("DEMO 1:10", &Location(10));
    List.SelectRow(1);
    QTest::keyClick(Bar().CallStackList, Qt::Key_Return);
    ASSERT_NE(Form->ActiveEditor(), nullptr);
    EXPECT_EQ(Form->ActiveEditor()->FileName, Source);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 2);

    List.SelectRow(0);
    Form->DebuggerWindow().BreakpointsListDblClick(Bar().CallStackList);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 3);
}

// Delete in the Watches list removes the selected watch and selects the one now at its place,
// or the last one when it was the last.
TEST_F(DebuggingBar, DeleteInWatchesSelectsTheNextOrTheLast) {
    MakeForm();
    struct TCase {
        int Selected;
        std::vector<std::string> Left;
        int SelectedAfter;
    };
    const std::vector<TCase> Cases = {
        {1, {"a", "c"}, 1},
        {2, {"a", "b"}, 1},
        {0, {"b", "c"}, 0},
    };
    std::array<TEntity, 3> Entities;
    for (std::size_t Index = 0; Index < Entities.size(); ++Index)
        Entities[Index].FullName = Entities[Index].Name = std::string(1, char('a' + Index));
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Selected);
        TDebuggingList& List = Debugger().Watches();
        List.Model->clear();
        for (const TEntity& Entity : Entities)
            List.Append(Entity.FullName, &Entity);
        List.SelectRow(Case.Selected);
        QTest::keyClick(Bar().WatchesList, Qt::Key_Delete);
        EXPECT_EQ(List.Texts(), Case.Left);
        EXPECT_EQ(List.SelectedRow(), Case.SelectedAfter);
    }
}

// The copied call stack: per located frame its source text and the two indented lines, else
// the frame's own text.
TEST_F(DebuggingBar, CopiesTheCallStackAsText) {
    MakeForm();
    LoadMap();
    TDebuggingList& List = Debugger().CallStack();
    List.Append("DEMO 1:10", &Location(10));
    List.Append("SYS 4:2", nullptr);
    QApplication::clipboard()->clear();
    Form->DebuggerWindow().CopyCallStackCommandClick();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "x := 1;\r\n  in main = DEMO 1:10\r\n  " + Source + " (line 2)\r\nSYS 4:2\r\n");
}

// A watch item reads "(unknown)" for values not read yet and is yellow once it changed.
TEST_F(DebuggingBar, DrawsAWatchItem) {
    MakeForm();
    TEntity Entity;
    Entity.Name = "a";
    Entity.FullName = "acct.a";
    Entity.Kind = 8;
    Debugger().Watches().Append(Entity.FullName, &Entity);
    const QModelIndex Index = Debugger().Watches().Model->index(0, 0);
    const auto& Delegate = *static_cast<TWatchItemDelegate*>(Bar().WatchesList->itemDelegate());
    const auto Draw = [&] {
        QImage Image(240, DebugListItemHeight(Bar().WatchesList->fontMetrics()),
                     QImage::Format_RGB32);
        Image.fill(Qt::black);
        QPainter Painter(&Image);
        QStyleOptionViewItem Option;
        Option.initFrom(Bar().WatchesList);
        Option.rect = Image.rect();
        Option.state = QStyle::State_Enabled;
        Delegate.paint(&Painter, Option, Index);
        return Image;
    };
    EXPECT_EQ(Delegate.ItemTexts(Index), (TDebugItemTexts{"acct.a", "(unknown)", "(unknown)"}));
    const QColor Base = Bar().WatchesList->palette().color(QPalette::Base);
    EXPECT_EQ(Draw().pixel(236, 2), Base.rgb());

    Entity.PreviousValue = "1";
    Entity.CurrentValue = "2";
    Entity.Changed = true;
    EXPECT_EQ(Delegate.ItemTexts(Index), (TDebugItemTexts{"acct.a", "1", "2"}));
    const QImage Changed = Draw();
    EXPECT_EQ(Changed.pixel(236, 2), QColor(Qt::yellow).rgb());
    // The texts are drawn on it.
    bool Text = false;
    for (int X = 0; X < 120 && !Text; ++X)
        for (int Y = 0; Y < Changed.height() && !Text; ++Y)
            Text = Changed.pixel(X, Y) != QColor(Qt::yellow).rgb();
    EXPECT_TRUE(Text);

    Form->Options().ShowVariableTypes = true;
    EXPECT_EQ(Delegate.ItemTexts(Index)[0], "acct.a : integer");
}

// A disabled breakpoint is drawn without its mark on the button face.
TEST_F(DebuggingBar, DrawsABreakpointItem) {
    MakeForm();
    Debugger().Breakpoints().Append("end;-", nullptr);
    Debugger().Breakpoints().Append("begin+", nullptr);
    const auto& Delegate = *static_cast<TDebugItemDelegate*>(Bar().BreakpointsList->itemDelegate());
    const QPalette Palette = Bar().BreakpointsList->palette();
    const QModelIndex Disabled = Debugger().Breakpoints().Model->index(0, 0);
    const QModelIndex Enabled = Debugger().Breakpoints().Model->index(1, 0);
    EXPECT_EQ(Delegate.ItemTexts(Disabled)[0], "end;");
    EXPECT_EQ(Delegate.ItemBackground(Disabled, Palette), ColorToQColor(clBtnFace, Palette));
    EXPECT_EQ(Delegate.ItemBackground(Enabled, Palette), Palette.color(QPalette::Base));
}

// ---- The structure tree -------------------------------------------------------------------

// Shift and a double click on a leaf watches it; the Structure menu names what it would watch.
TEST_F(DebuggingBar, ShiftDoubleClickWatchesALeaf) {
    MakeForm();
    LoadMap();
    const QModelIndex Total = Node("total");
    ASSERT_TRUE(Total.isValid());
    Debugger().Structure().Selection->setCurrentIndex(Total, QItemSelectionModel::ClearAndSelect);
    Form->DebuggerWindow().StructureMenuPopup();
    EXPECT_EQ(Bar().WatchVariableCommand->text(), "&Watch");
    EXPECT_TRUE(Bar().WatchVariableCommand->isEnabled());
    Form->DebuggerWindow().StructureTreeDblClick(Qt::NoModifier);
    EXPECT_EQ(Debugger().Watches().Count(), 0);
    Form->DebuggerWindow().StructureTreeDblClick(Qt::ShiftModifier);
    EXPECT_EQ(Debugger().Watches().Texts(), std::vector<std::string>{"total"});

    Debugger().Structure().Selection->setCurrentIndex(Node("Globals"),
                                                      QItemSelectionModel::ClearAndSelect);
    Form->DebuggerWindow().StructureMenuPopup();
    EXPECT_EQ(Bar().WatchVariableCommand->text(), "&Watch All Contents");
}

// With "Sync procedures with insertion point" the Structure page follows the caret's
// procedure, but only while the bar shows that page.
TEST_F(DebuggingBar, TheStructurePageFollowsTheCaret) {
    MakeForm();
    LoadMap();
    Form->OpenFile(Source, false, {});
    Form->ActiveEditor()->MoveCaretTo(2, 1);
    struct TCase {
        bool Sync, Shown;
        TDebuggingTab Page;
        bool Selects;
    };
    const std::vector<TCase> Cases = {
        {false, true, TDebuggingTab::Structure, false},
        {true, false, TDebuggingTab::Structure, false},
        {true, true, TDebuggingTab::Watches, false},
        {true, true, TDebuggingTab::Structure, true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << Case.Sync << Case.Shown << int(Case.Page));
        Debugger().Structure().SelectRow(-1);
        Form->Options().SyncProcedures = Case.Sync;
        Form->DebuggerWindow().ShowDebuggingBar(Case.Shown);
        Bar().SetActiveTab(Case.Page);
        Form->DebuggerWindow().RefreshStructureForActiveTab();
        const QModelIndex Selected = Debugger().Structure().Selection->currentIndex();
        EXPECT_EQ(Selected.isValid() && Debugger().Structure().Selection->isSelected(Selected),
                  Case.Selects);
        if (Case.Selects) {
            EXPECT_EQ(Selected.data().toString(), "main");
        }
    }
}

// Turning "Show data types" on in the Options dialog rebuilds the tree with the types.
TEST_F(DebuggingBar, TheOptionsRebuildTheTree) {
    MakeForm();
    LoadMap();
    ASSERT_TRUE(Node("total").isValid());
    TScriptedModals Dialogs;
    Dialogs
        .Then([](QDialog& Dialog) {
            for (QCheckBox* Box : Dialog.findChildren<QCheckBox*>())
                if (Box->text() == "Show &data types")
                    Box->setChecked(true);
        })
        .Press("OK");
    Form->ViewOptions();
    EXPECT_TRUE(Form->Options().ShowVariableTypes);
    EXPECT_FALSE(Node("total").isValid());
    EXPECT_TRUE(Node("total : integer").isValid());
}

// The details panel shows what the debugger hands it.
TEST_F(DebuggingBar, ShowsTheVariableDetails) {
    MakeForm();
    EXPECT_TRUE(Bar().VarInfoPanel->isHidden());
    Form->DebuggerWindow().ShowVariableDetails(
        {"acct.a", "integer", "Global:", "1 word at word 1 of DEMO", "(unknown)"});
    EXPECT_FALSE(Bar().VarInfoPanel->isHidden());
    EXPECT_EQ(Bar().VarNameLabel->text(), "acct.a");
    EXPECT_EQ(Bar().VarTypeLabel->text(), "integer");
    EXPECT_EQ(Bar().VarLocationIntroLabel->text(), "Global:");
    EXPECT_EQ(Bar().VarLocationLabel->text(), "1 word at word 1 of DEMO");
    EXPECT_EQ(Bar().VarAddressLabel->text(), "(unknown)");
}

// ---- A picture for review ------------------------------------------------------------------

// The bar's four pages side by side, with a paused module's lists, the tree with its pictures
// and the details panel, left in the build tree as artefacts/debugging-bar.png.
TEST_F(DebuggingBar, LeavesAPictureOfTheBar) {
    TKorvidForm& Window = ShownForm();
    LoadMap();
    Debugger().Breakpoints().Append("x := 1;+", &Location(10));
    Debugger().Breakpoints().Append("end;-", &Location(20));
    Debugger().CallStack().Append("DEMO 1:10", &Location(10));
    Debugger().CallStack().Append("SYS 4:2", nullptr);
    TEntity Changed, Unread;
    Changed.Name = "total";
    Changed.FullName = "total";
    Changed.Kind = 8;
    Changed.PreviousValue = "6";
    Changed.CurrentValue = "7";
    Changed.Changed = true;
    Unread.Name = "label";
    Unread.FullName = "acct.label";
    Unread.Kind = 12;
    Debugger().Watches().Append(Changed.FullName, &Changed);
    Debugger().Watches().Append(Unread.FullName, &Unread);
    Bar().StructureTree->expandAll();
    Window.DebuggerWindow().ShowVariableDetails(
        {"acct.amount", "number 5,2", "Global:", "2 words at word 4 of DEMO", "(unknown)"});
    TDebuggingControls Controls = Debugger().Controls();
    Controls.HeapStackText = "Heap: 1234   Stack:567";
    Window.DebuggerWindow().RefreshDebuggingControls(Controls);
    Bar().resize(320, 560);

    std::vector<QImage> Pages;
    for (const TDebuggingTab Page : {TDebuggingTab::Breakpoints, TDebuggingTab::CallStack,
                                     TDebuggingTab::Structure, TDebuggingTab::Watches}) {
        Bar().SetActiveTab(Page);
        QApplication::processEvents();
        Pages.push_back(Bar().grab().toImage());
    }
    QImage Picture(Pages[0].width() * int(Pages.size()), Pages[0].height(), QImage::Format_RGB32);
    Picture.fill(Qt::white);
    QPainter Painter(&Picture);
    for (std::size_t Index = 0; Index < Pages.size(); ++Index)
        Painter.drawImage(int(Index) * Pages[0].width(), 0, Pages[Index]);
    Painter.end();
    const std::filesystem::path Folder = KORVID_ARTEFACTS_DIR;
    std::filesystem::create_directories(Folder);
    ASSERT_TRUE(Picture.save(QString::fromStdString((Folder / "debugging-bar.png").string())));
    EXPECT_FALSE(QImage(QString::fromStdString((Folder / "debugging-bar.png").string())).isNull());
}

// ---- The evaluation hint ------------------------------------------------------------------

// The hint sits at the point, 4 pixels taller than its text, wrapped at 500 pixels; its timer
// runs once for three seconds; deactivating the application hides it.
TEST_F(DebuggingBar, TheHintWindowShowsAndHides) {
    TKorvidForm& Window = MakeForm();
    Window.DebuggerWindow().ShowHintWindow("total = 7", 100, 200);
    TDebuggerHintWindow& Hint = Window.DebuggerWindow().HintWindow();
    EXPECT_TRUE(Hint.isVisible());
    EXPECT_EQ(Hint.Text(), "total = 7");
    EXPECT_EQ(Hint.pos(), QPoint(100, 200));
    EXPECT_EQ(Hint.height(), Hint.CalcHintRect(500, "total = 7").height() + 4);
    EXPECT_TRUE(Hint.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(Hint.windowFlags() & Qt::WindowStaysOnTopHint);

    const std::string Long(400, 'w');
    Window.DebuggerWindow().ShowHintWindow("x = " + std::string(40, 'v') + " " + Long, 0, 0);
    EXPECT_LE(Hint.width(), 510);
    EXPECT_GT(Hint.height(), 2 * Hint.fontMetrics().height());

    Window.DebuggerWindow().RestartHintTimer();
    QTimer& Timer = *Bar().EvaluationHintTimer;
    EXPECT_TRUE(Timer.isActive());
    EXPECT_TRUE(Timer.isSingleShot());
    EXPECT_EQ(Timer.interval(), 3000);

    Window.ApplicationDeactivate();
    EXPECT_FALSE(Hint.isVisible());

    // When the timer runs out the hint goes and is marked stale.
    Window.DebuggerWindow().ShowHintWindow("total = 7", 100, 200);
    Timer.setInterval(10);
    Window.DebuggerWindow().RestartHintTimer();
    QTRY_VERIFY(!Hint.isVisible());
    EXPECT_FALSE(Timer.isActive());
    EXPECT_TRUE(Debugger().HintStale());
}

} // namespace
} // namespace korvid::test
