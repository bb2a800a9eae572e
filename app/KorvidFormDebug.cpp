#include "app/KorvidForm.h"

#include "devtools/debugger/DebugTexts.h"
#include "devtools/debugger/DebuggingBar.h"
#include "platform/Cp1252.h"
#include "platform/QtVirtualKeys.h"
#include "ui/FormUtilities.h"
#include "workspace/DefaultMenus.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace korvid {

namespace T = ToolIndex;

namespace {

constexpr int MinimumBarWidth = 50;

// The Debug menu's tools, without the bar's own command and the page submenu.
std::vector<std::string> DebuggingToolNames() {
    std::vector<std::string> Names;
    for (const TMenuEntry& Menu : CreateDefaultMenus().MainMenu) {
        if (Menu.Name != "&Debug")
            continue;
        for (const TMenuEntry& Entry : Menu.Items) {
            if (Entry.Kind == TMenuEntry::TKind::Separator && !Names.empty() && Names.back() != "-")
                Names.emplace_back("-");
            else if (Entry.Kind == TMenuEntry::TKind::Tool && Entry.Name != "ViewDebuggingBar")
                Names.push_back(Entry.Name);
        }
    }
    return Names;
}

const TProcOffset* LocationOf(const TDebuggingList& List, int Row) {
    return Row >= 0 ? static_cast<const TProcOffset*>(List.ObjectAt(Row)) : nullptr;
}

const TEntity* EntityOf(const TDebuggingList& List, int Row) {
    return Row >= 0 ? static_cast<const TEntity*>(List.ObjectAt(Row)) : nullptr;
}

bool IsEnterKey(int Key) {
    return Key == Qt::Key_Return || Key == Qt::Key_Enter;
}

} // namespace

// ---- The bar and its place ----------------------------------------------------------------------

void TKorvidForm::CreateDebuggingBar() {
    FDebuggingBar = new TDebuggingBar(this, Debugger(), *this, DebuggingToolNames());
    TDebuggingBar& Bar = *FDebuggingBar;
    Bar.hide();
    FBarSplitter->addWidget(&Bar);
    FBarSplitter->setStretchFactor(0, 1);
    FBarSplitter->setStretchFactor(1, 0);
    Bar.SetActiveTab(static_cast<TDebuggingTab>(FSettings.DebuggingBarTab));
    connect(Bar.DebuggingTabs, &QTabWidget::currentChanged, this, [this](int Index) {
        if (Index >= 0)
            FSettings.DebuggingBarTab = Index;
        RefreshStructureForActiveTab();
    });

    Bar.OnListDblClick = [this](QListView* List) { BreakpointsListDblClick(List); };
    Bar.OnListKeyDown = [this](QListView* List, QKeyEvent* Event) {
        return BreakpointsListKeyDown(List, *Event);
    };
    Bar.OnListMouseDown = [this](QListView* List, QMouseEvent* Event) {
        BreakpointsListMouseDown(List, Event->button(), Event->position().toPoint());
    };
    Bar.OnTreeDblClick = [this](QMouseEvent* Event) { StructureTreeDblClick(Event->modifiers()); };
    Bar.OnTreeKeyDown = [this](QKeyEvent* Event) { return StructureTreeKeyDown(*Event); };
    Bar.OnTreeMouseDown = [this](QMouseEvent* Event) {
        StructureTreeMouseDown(Event->button(), Event->position().toPoint());
    };
    Bar.OnTreeMouseUp = [this](QMouseEvent* Event) { StructureTreeMouseUp(Event->modifiers()); };
    Bar.OnTreeMouseMove = [this](QMouseEvent* Event) {
        StructureTreeMouseMove(Event->position().toPoint());
    };
    connect(Bar.StructureTree, &QTreeView::expanded, this, [this](const QModelIndex& Node) {
        StructureTreeExpanding(Node);
        StructureTreeExpanded(Node);
    });
    connect(Bar.StructureTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { StructureTreeUnboldSelected(); });

    const auto Wire = [this](QAction* Action, void (TKorvidForm::*Handler)()) {
        connect(Action, &QAction::triggered, this, [this, Handler] { (this->*Handler)(); });
    };
    const auto WirePopup = [this](QMenu* Menu, void (TKorvidForm::*Handler)()) {
        connect(Menu, &QMenu::aboutToShow, this, [this, Handler] { (this->*Handler)(); });
    };
    WirePopup(Bar.BreakpointsMenu, &TKorvidForm::BreakpointsMenuPopup);
    Wire(Bar.ToggleSelectedBreakpointCommand, &TKorvidForm::ToggleSelectedBreakpointCommandClick);
    Wire(Bar.DeleteSelectedBreakpointCommand, &TKorvidForm::DeleteSelectedBreakpointCommandClick);
    Wire(Bar.DeleteOfflineBreakpointsCommand, &TKorvidForm::DeleteOfflineBreakpointsCommandClick);
    Wire(Bar.DeleteAllBreakpointsCommand, &TKorvidForm::DeleteAllBreakpointsCommandClick);
    Wire(Bar.CopyCallStackCommand, &TKorvidForm::CopyCallStackCommandClick);
    WirePopup(Bar.WatchesMenu, &TKorvidForm::WatchesMenuPopup);
    Wire(Bar.DeleteSelectedWatchCommand, &TKorvidForm::DeleteSelectedWatchCommandClick);
    Wire(Bar.DeleteAllWatchesCommand, &TKorvidForm::DeleteAllWatchesCommandClick);
    Wire(Bar.WatchRunToCorruptionCommand, &TKorvidForm::WatchRunToCorruptionCommandClick);
    WirePopup(Bar.StructureMenu, &TKorvidForm::StructureMenuPopup);
    Wire(Bar.ShowVariableCommand, &TKorvidForm::ShowVariableCommandClick);
    Wire(Bar.JumpToVariableCommand, &TKorvidForm::JumpToVariableCommandClick);
    Wire(Bar.FindVariableCommand, &TKorvidForm::FindVariableCommandClick);
    Wire(Bar.WatchVariableCommand, &TKorvidForm::WatchVariableCommandClick);
    Wire(Bar.RunToCorruptionCommand, &TKorvidForm::RunToCorruptionCommandClick);
    connect(Bar.EvaluationHintTimer, &QTimer::timeout, this,
            [this] { EvaluationHintTimerTimer(); });

    SetHintFont(FOptions.DebuggingBarFontName, FOptions.DebuggingBarFontSize);
    ApplyDebuggingBarPlace();
}

bool TKorvidForm::IsDebuggingBarVisible() const {
    if (!FDebuggingBar)
        return FSettings.ViewDebuggingBar;
    if (FDebuggingBarForm && FDebuggingBar->parentWidget() == FDebuggingBarForm.get())
        return !FDebuggingBarForm->isHidden();
    return !FDebuggingBar->isHidden();
}

void TKorvidForm::ShowDebuggingBar(bool Show) {
    if (!FDebuggingBar)
        return;
    if (!Show)
        StoreDebuggingBar();
    FSettings.ViewDebuggingBar = Show;
    FDebuggingBar->setVisible(Show);
    if (FDebuggingBarForm) {
        FDebuggingBarForm->setVisible(Show);
    } else if (Show) {
        const int Width = std::max(FSettings.DebuggingBarWidth, MinimumBarWidth);
        const int Total = std::max(FBarSplitter->width(), width());
        FBarSplitter->setSizes({std::max(Total - Width, 1), Width});
    }
    ToolList().Items(T::ViewDebuggingBar)->SetDown(Show);
    Debugger().UpdateDebuggingControls();
}

void TKorvidForm::ApplyDebuggingBarPlace() {
    if (!FDebuggingBar)
        return;
    const bool Floating = FDebuggingBarForm != nullptr;
    if (Floating != FOptions.FloatDebuggingBar) {
        StoreDebuggingBar();
        if (FOptions.FloatDebuggingBar) {
            FDebuggingBarForm = std::make_unique<TDebuggingBarForm>(this);
            FDebuggingBarForm->OnClose = [this] { ShowDebuggingBar(false); };
            FDebuggingBarForm->Hold(FDebuggingBar);
            const TWindowPlacement& Place = FSettings.DebuggingBarForm;
            FDebuggingBarForm->resize(std::max(Place.Width, MinimumBarWidth),
                                      std::max(Place.Height, MinimumBarWidth));
            PlaceFormOnScreen(FDebuggingBarForm.get(), Place.Left, Place.Top);
        } else {
            FBarSplitter->addWidget(FDebuggingBar);
            FDebuggingBarForm.reset();
        }
    }
    ShowDebuggingBar(FSettings.ViewDebuggingBar);
}

void TKorvidForm::StoreDebuggingBar() {
    if (!FDebuggingBar)
        return;
    FSettings.DebuggingBarTab = static_cast<int>(FDebuggingBar->ActiveTab());
    if (FDebuggingBarForm) {
        if (!FDebuggingBarForm->isHidden())
            FSettings.DebuggingBarForm = {FDebuggingBarForm->x(), FDebuggingBarForm->y(),
                                          FDebuggingBarForm->width(), FDebuggingBarForm->height(),
                                          false};
    } else if (!FDebuggingBar->isHidden() && FDebuggingBar->width() > 0) {
        FSettings.DebuggingBarWidth = FDebuggingBar->width();
    }
}

void TKorvidForm::SetHintFont(const std::string& Name, int Size) {
    QFont Font = font();
    if (!Name.empty())
        Font.setFamily(ToQString(Name));
    if (Size > 0)
        Font.setPointSize(Size);
    HintWindow().setFont(Font);
    if (FDebuggingBar) {
        FDebuggingBar->setFont(Font);
        FDebuggingBar->RepaintViews();
    }
}

TDebuggerHintWindow& TKorvidForm::HintWindow() {
    if (!FHintWindow)
        FHintWindow = std::make_unique<TDebuggerHintWindow>(this);
    return *FHintWindow;
}

void TKorvidForm::RefreshStructureForActiveTab() {
    if (FDebuggingBar && FOptions.SyncProcedures && IsDebuggingBarVisible() &&
        FDebuggingBar->ActiveTab() == TDebuggingTab::Structure)
        Debugger().SelectProcedureAtCaret();
}

// ---- The tools ----------------------------------------------------------------------------------

void TKorvidForm::ViewDebuggingBar() {
    ShowDebuggingBar(!IsDebuggingBarVisible());
}

void TKorvidForm::DebugGoToTab(TDebuggingTab Tab) {
    if (!FDebuggingBar)
        return;
    if (!IsDebuggingBarVisible())
        ShowDebuggingBar(true);
    FDebuggingBar->SetActiveTab(Tab);
}

void TKorvidForm::DebugGoToAdjacentTab(bool Next) {
    if (!FDebuggingBar)
        return;
    const int Count = FDebuggingBar->PageCount();
    const int Index = static_cast<int>(FDebuggingBar->ActiveTab());
    DebugGoToTab(static_cast<TDebuggingTab>((Index + (Next ? 1 : Count - 1)) % Count));
}

// ---- What the debugger asks of the bar ------------------------------------------------------

void TKorvidForm::ModuleConnected() {
    if (FOptions.AutoShowDebuggingBar)
        ShowDebuggingBar(true);
}

void TKorvidForm::ActivateDebuggingTab(TDebuggingTab Tab) {
    if (FDebuggingBar)
        FDebuggingBar->SetActiveTab(Tab);
}

void TKorvidForm::ShowHintWindow(const std::string& Text, int ScreenX, int ScreenY) {
    TDebuggerHintWindow& Hint = HintWindow();
    const QString HintText = ToQString(Text);
    Hint.ActivateHint(
        Hint.CalcHintRect(TDebuggerHintWindow::MaxWidth, HintText).translated(ScreenX, ScreenY),
        HintText);
}

void TKorvidForm::HideHintWindow() {
    if (FHintWindow)
        FHintWindow->hide();
}

void TKorvidForm::RestartHintTimer() {
    if (FDebuggingBar)
        FDebuggingBar->EvaluationHintTimer->start();
}

void TKorvidForm::ShowVariableDetails(const TVariableDetails& Details) {
    if (FDebuggingBar)
        FDebuggingBar->ShowDetails(Details);
}

void TKorvidForm::EvaluationHintTimerTimer() {
    if (FDebuggingBar)
        FDebuggingBar->EvaluationHintTimer->stop();
    Debugger().EvaluationHintTimeout();
}

// ---- The lists ----------------------------------------------------------------------------------

void TKorvidForm::BreakpointsListDblClick(QListView* Sender) {
    const TDebuggingList& List = Sender == FDebuggingBar->BreakpointsList ? Debugger().Breakpoints()
                                                                          : Debugger().CallStack();
    if (const TProcOffset* Location = LocationOf(List, List.SelectedRow()))
        Debugger().ShowLocation(*Location, true);
}

bool TKorvidForm::BreakpointsListKeyDown(QListView* Sender, const QKeyEvent& Event) {
    const TDebuggingTab Tab = FDebuggingBar->ListTab(Sender);
    if (IsEnterKey(Event.key()) && Tab != TDebuggingTab::Watches) {
        BreakpointsListDblClick(Sender);
        return true;
    }
    if (Event.key() == Qt::Key_Delete && Tab == TDebuggingTab::Breakpoints) {
        Debugger().DeleteSelectedBreakpoint();
        return true;
    }
    if (Event.key() == Qt::Key_Delete && Tab == TDebuggingTab::Watches) {
        DeleteSelectedWatchCommandClick();
        return true;
    }
    const std::uint16_t Key = VirtualKeyFromEvent(Event);
    return Key != 0 && ToolList().ExecuteShortCut(Key, ShiftStateFromEvent(Event));
}

void TKorvidForm::BreakpointsListMouseDown(QListView* Sender, Qt::MouseButton Button,
                                           const QPoint& At) {
    if (Button != Qt::RightButton)
        return;
    if (const QModelIndex Index = Sender->indexAt(At); Index.isValid())
        Sender->selectionModel()->setCurrentIndex(Index, QItemSelectionModel::ClearAndSelect);
}

void TKorvidForm::BreakpointsMenuPopup() {
    const TDebuggingList& List = Debugger().Breakpoints();
    const int Row = List.SelectedRow();
    const bool Disabled = Row < 0 || List.Texts()[static_cast<std::size_t>(Row)].ends_with('-');
    TDebuggingBar& Bar = *FDebuggingBar;
    Bar.ToggleSelectedBreakpointCommand->setText(Disabled ? "Ena&ble" : "Disa&ble");
    Bar.ToggleSelectedBreakpointCommand->setEnabled(Row >= 0);
    Bar.DeleteSelectedBreakpointCommand->setEnabled(Row >= 0);
    Bar.DeleteOfflineBreakpointsCommand->setEnabled(List.Count() > 0);
    Bar.DeleteAllBreakpointsCommand->setEnabled(List.Count() > 0);
}

void TKorvidForm::ToggleSelectedBreakpointCommandClick() {
    Debugger().ToggleSelectedBreakpoint();
}

void TKorvidForm::DeleteSelectedBreakpointCommandClick() {
    Debugger().DeleteSelectedBreakpoint();
}

void TKorvidForm::DeleteOfflineBreakpointsCommandClick() {
    Debugger().DeleteOfflineBreakpoints();
}

void TKorvidForm::DeleteAllBreakpointsCommandClick() {
    Debugger().DeleteAllBreakpoints(false);
}

void TKorvidForm::CopyCallStackCommandClick() {
    const TDebuggingList& List = Debugger().CallStack();
    std::vector<const TProcOffset*> Locations;
    for (int Row = 0; Row < List.Count(); ++Row)
        Locations.push_back(LocationOf(List, Row));
    QApplication::clipboard()->setText(ToQString(CallStackClipboardText(List.Texts(), Locations)));
}

void TKorvidForm::WatchesMenuPopup() {
    const TDebuggingList& List = Debugger().Watches();
    const TEntity* Entity = EntityOf(List, List.SelectedRow());
    TDebuggingBar& Bar = *FDebuggingBar;
    Bar.DeleteSelectedWatchCommand->setEnabled(List.SelectedRow() >= 0);
    Bar.DeleteAllWatchesCommand->setEnabled(List.Count() > 0);
    Bar.WatchRunToCorruptionCommand->setEnabled(Entity && CanRunUntilChanged(*Entity) &&
                                                Debugger().IsConnected() && Debugger().IsPaused());
}

void TKorvidForm::DeleteSelectedWatchCommandClick() {
    TDebuggingList& List = Debugger().Watches();
    const int Row = List.SelectedRow();
    if (Row < 0)
        return;
    Debugger().DeleteSelectedWatch();
    List.SelectRow(std::min(Row, List.Count() - 1));
}

void TKorvidForm::DeleteAllWatchesCommandClick() {
    Debugger().DeleteAllWatches();
}

void TKorvidForm::WatchRunToCorruptionCommandClick() {
    const TDebuggingList& List = Debugger().Watches();
    if (const TEntity* Entity = EntityOf(List, List.SelectedRow());
        Entity && CanRunUntilChanged(*Entity))
        Debugger().RunUntilValueChanges(Entity);
}

// ---- The structure tree -------------------------------------------------------------------------

namespace {

QModelIndex SelectedNode(TDebugger& Debugger) {
    const QItemSelectionModel& Selection = *Debugger.Structure().Selection;
    const QModelIndex Current = Selection.currentIndex();
    return Current.isValid() && Selection.isSelected(Current) ? Current : QModelIndex();
}

QStandardItem* ItemOf(TDebugger& Debugger, const QModelIndex& Node) {
    return Node.isValid() ? Debugger.Structure().Model->itemFromIndex(Node) : nullptr;
}

void SetBold(QStandardItem& Item, bool Bold) {
    QFont Font = Item.font();
    if (Font.bold() == Bold)
        return;
    Font.setBold(Bold);
    Item.setFont(Font);
}

} // namespace

void TKorvidForm::StructureMenuPopup() {
    TDebuggingBar& Bar = *FDebuggingBar;
    const QModelIndex Node = SelectedNode(Debugger());
    const bool Procedure = Debugger().SelectedProcedureEntity() != nullptr;
    Bar.ShowVariableCommand->setEnabled(Procedure);
    Bar.JumpToVariableCommand->setEnabled(Procedure);
    Bar.FindVariableCommand->setEnabled(TDebugger::NodeEntity(Node) != nullptr);
    const int WatchKind = Node.isValid() ? Debugger().StructureNodeWatchKind(Node) : 0;
    Bar.WatchVariableCommand->setEnabled(WatchKind > 0);
    Bar.WatchVariableCommand->setText(WatchKind == 2 ? "&Watch All Contents" : "&Watch");
    const bool Watchable = Debugger().SelectedWatchableEntity() != nullptr;
    Bar.RunToCorruptionCommand->setEnabled(Watchable);
    Bar.WatchRunToCorruptionCommand->setEnabled(Watchable);
}

void TKorvidForm::ShowVariableCommandClick() {
    QWidget* Remembered = QApplication::focusWidget();
    Debugger().JumpToSelectedProcedure(false);
    if (Remembered)
        Remembered->setFocus(Qt::OtherFocusReason);
}

void TKorvidForm::JumpToVariableCommandClick() {
    Debugger().JumpToSelectedProcedure(true);
}

void TKorvidForm::FindVariableCommandClick() {
    if (const TEntity* Entity = TDebugger::NodeEntity(SelectedNode(Debugger())))
        FindInCurrentSources(Entity->Name);
}

void TKorvidForm::WatchVariableCommandClick() {
    Debugger().WatchStructureNode(SelectedNode(Debugger()));
}

void TKorvidForm::RunToCorruptionCommandClick() {
    Debugger().RunUntilValueChanges(Debugger().SelectedWatchableEntity());
}

void TKorvidForm::StructureTreeExpanded(const QModelIndex& Node) {
    const TStructureNodeKind Kind = TDebugger::NodeKind(Node);
    if (Kind == TStructureNodeKind::Title || Kind == TStructureNodeKind::Status)
        return;
    if (QStandardItem* Item = ItemOf(Debugger(), Node))
        SetBold(*Item, true);
}

void TKorvidForm::StructureTreeUnboldSelected() {
    if (QStandardItem* Item = ItemOf(Debugger(), SelectedNode(Debugger()));
        Item && Item->hasChildren())
        SetBold(*Item, false);
}

void TKorvidForm::StructureTreeDblClick(Qt::KeyboardModifiers Shift) {
    const QModelIndex Node = SelectedNode(Debugger());
    const QStandardItem* Item = ItemOf(Debugger(), Node);
    if (!Item || Item->hasChildren() || !TDebugger::NodeEntity(Node))
        return;
    if (Shift & Qt::ShiftModifier)
        Debugger().WatchStructureNode(Node);
    else
        Debugger().JumpToSelectedProcedure(true);
}

void TKorvidForm::StructureTreeExpanding(const QModelIndex& Node) {
    if (!FOptions.AutoCloseFavourites || !FDebuggingBar)
        return;
    QTreeView& Tree = *FDebuggingBar->StructureTree;
    const QAbstractItemModel* Model = Node.model();
    for (int Row = 0; Row < Model->rowCount(Node.parent()); ++Row) {
        const QModelIndex Sibling = Model->index(Row, 0, Node.parent());
        if (Sibling != Node && Tree.isExpanded(Sibling))
            Tree.collapse(Sibling);
    }
}

bool TKorvidForm::StructureTreeKeyDown(const QKeyEvent& Event) {
    const std::uint16_t Key = VirtualKeyFromEvent(Event);
    return Key != 0 && ToolList().ExecuteShortCut(Key, ShiftStateFromEvent(Event));
}

void TKorvidForm::StructureTreeMouseDown(Qt::MouseButton Button, const QPoint& At) {
    if (Button != Qt::RightButton)
        return;
    QTreeView& Tree = *FDebuggingBar->StructureTree;
    if (const QModelIndex Node = Tree.indexAt(At); Node.isValid())
        Tree.selectionModel()->setCurrentIndex(Node, QItemSelectionModel::ClearAndSelect);
}

void TKorvidForm::StructureTreeMouseUp(Qt::KeyboardModifiers Shift) {
    if (Shift & Qt::ControlModifier)
        Debugger().JumpToSelectedProcedure(false);
    else if (Shift & Qt::AltModifier)
        FindVariableCommandClick();
}

void TKorvidForm::StructureTreeMouseMove(const QPoint& At) {
    const QTreeView& Tree = *FDebuggingBar->StructureTree;
    const QModelIndex Node = Tree.indexAt(At);
    bool OverLabel = false;
    if (Node.isValid()) {
        QRect Label = Tree.visualRect(Node);
        if (FOptions.ShowVariableIcons && Node.data(DebugImageRole).isValid())
            Label.setLeft(Label.left() + 20);
        Label.setWidth(Tree.fontMetrics().horizontalAdvance(Node.data().toString()) + 4);
        OverLabel = Label.contains(At);
    }
    const QPoint Screen = Tree.viewport()->mapToGlobal(At);
    Debugger().StructureTreeMouseMove(Node, OverLabel, Screen.x(), Screen.y());
}

} // namespace korvid
