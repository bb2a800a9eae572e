// The debugger's window side: the debugging bar and its place, its lists' handlers, the evaluation
// hint, the editors' hooks and what the debugger asks of the window.
#include "app/DebuggerWindow.h"

#include "app/DocumentEditor.h"
#include "app/MainWindowSettings.h"
#include "app/WindowHost.h"
#include "devtools/debugger/DebugTexts.h"
#include "devtools/debugger/DebuggingBar.h"
#include "editor/Editor.h"
#include "editor/EditorHooks.h"
#include "platform/Cp1252.h"
#include "platform/QtVirtualKeys.h"
#include "psystem/CodeFileListing.h"
#include "ui/FormUtilities.h"
#include "workspace/DefaultMenus.h"
#include "workspace/FindInFiles.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
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
constexpr int OrdinaryBarWidth = 250;

// A width the user left, or, before there is one, the bar's own width, at which its page
// captions show whole.
int BarWidth(int Stored, const QWidget& Bar) {
    if (Stored > 0)
        return std::max(Stored, MinimumBarWidth);
    return std::max(Bar.sizeHint().width(), OrdinaryBarWidth);
}

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

// The two dialects that cut identifiers know a name only by its first characters; a longer
// name may go on differently in the sources, so it is looked for inside longer words too.
bool SourceSearchWholeWords(const std::string& Name, int MapKind) {
    switch (MapKind) {
    case 1:
        return Name.size() <= 8;
    case 2:
        return Name.size() <= 20;
    default:
        return true;
    }
}

void EnableTools(std::initializer_list<int> Indexes, bool Value) {
    for (int Index : Indexes)
        ToolList().Items(Index)->SetEnabled(Value);
}

// What the editors ask of the debugger: evaluation hints on hover and Find Declaration on
// Ctrl-click.
class TWindowEditorDebugger final : public TEditorDebugger {
public:
    explicit TWindowEditorDebugger(TDebugger& Debugger) : FDebugger(Debugger) {}

    // A value is there to show only while the module is paused; while it runs, hovering costs
    // no look-up of the word under the mouse.
    bool EvaluationHintsOn() const override {
        return FDebugger.IsConnected() && FDebugger.IsPaused();
    }

    void ShowEvaluationHint(const std::string& Word, TEditor& Editor) override {
        const QPoint At = Editor.viewport()->mapToGlobal(Editor.LastMousePoint);
        FDebugger.ShowEvaluationHint(Word, At.x(), At.y());
    }

    void FindDeclaration(const std::string& Name, bool Back) override {
        FDebugger.FindDeclaration(Name, Back);
    }

private:
    TDebugger& FDebugger;
};

} // namespace

// ---- Its life -----------------------------------------------------------------------------------

TDebuggerWindow::TDebuggerWindow(TWindowHost& Window, TDebuggerWindowHost& Host)
    : FWindow(Window), FHost(Host) {
    FDebugger = std::make_unique<TDebugger>(*this);
    InstallEditorHooks(true);
    InstallCodeListing();
    FInstalled = true;
    FWindowEndpoint = std::make_unique<TWindowEndpoint>(EditorWindowClass, "Korvid");
    FWindowEndpoint->OnMessage = [this](const TEndpointMessage& Message) {
        return HandleEditorWindowMessage(*FDebugger, Message);
    };
    FWindowEndpoint->Listen();
}

TDebuggerWindow::~TDebuggerWindow() {
    DestroyDebuggingBar();
    Uninstall();
}

void TDebuggerWindow::DestroyDebuggingBar() {
    delete FDebuggingBar;
    FDebuggingBar = nullptr;
    FDebuggingBarForm.reset();
    FHintWindow.reset();
}

void TDebuggerWindow::Uninstall() {
    if (!FInstalled)
        return;
    FInstalled = false;
    InstallEditorHooks(false);
    TVolumeFileListings Listings = VolumeFileListings();
    Listings.Code = std::move(FPreviousCodeListing);
    SetVolumeFileListings(std::move(Listings));
}

void TDebuggerWindow::InstallEditorHooks(bool Install) {
    if (Install) {
        FEditorHooks = std::make_unique<TWindowEditorDebugger>(*FDebugger);
        SetEditorDebugger(FEditorHooks.get());
        return;
    }
    if (EditorDebugger() == FEditorHooks.get())
        SetEditorDebugger(nullptr);
    FEditorHooks.reset();
}

// Code files inside volumes list with this window's map lookup for their source lines.
void TDebuggerWindow::InstallCodeListing() {
    TVolumeFileListings Listings = VolumeFileListings();
    FPreviousCodeListing = std::move(Listings.Code);
    Listings.Code = [this](const std::string& Title, std::vector<std::string>& Lines,
                           const TWholeFileLoader& Load) {
        DisassembleCodeFile(Title, Lines, Load, FDebugger.get());
    };
    SetVolumeFileListings(std::move(Listings));
}

TKorvidOptions& TDebuggerWindow::Options() const {
    return FWindow.Options();
}

TMainWindowSettings& TDebuggerWindow::Settings() const {
    return FWindow.WindowSettings();
}

// ---- The bar and its place ----------------------------------------------------------------------

void TDebuggerWindow::CreateDebuggingBar() {
    FDebuggingBar =
        new TDebuggingBar(FWindow.DialogParent(), Debugger(), *this, DebuggingToolNames());
    TDebuggingBar& Bar = *FDebuggingBar;
    Bar.hide();
    QSplitter& Splitter = FHost.DebuggingBarSplitter();
    Splitter.addWidget(&Bar);
    Splitter.setStretchFactor(0, 1);
    Splitter.setStretchFactor(1, 0);
    Bar.SetActiveTab(static_cast<TDebuggingTab>(Settings().DebuggingBarTab));
    QObject::connect(Bar.DebuggingTabs, &QTabWidget::currentChanged, &Bar, [this](int Index) {
        if (Index >= 0)
            Settings().DebuggingBarTab = Index;
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
    QObject::connect(Bar.StructureTree, &QTreeView::expanded, &Bar,
                     [this](const QModelIndex& Node) {
                         StructureTreeExpanding(Node);
                         StructureTreeExpanded(Node);
                     });
    QObject::connect(Bar.StructureTree->selectionModel(), &QItemSelectionModel::currentChanged,
                     &Bar, [this] { StructureTreeUnboldSelected(); });

    const auto Wire = [this, &Bar](QAction* Action, void (TDebuggerWindow::*Handler)()) {
        QObject::connect(Action, &QAction::triggered, &Bar,
                         [this, Handler] { (this->*Handler)(); });
    };
    const auto WirePopup = [this, &Bar](QMenu* Menu, void (TDebuggerWindow::*Handler)()) {
        QObject::connect(Menu, &QMenu::aboutToShow, &Bar, [this, Handler] { (this->*Handler)(); });
    };
    WirePopup(Bar.BreakpointsMenu, &TDebuggerWindow::BreakpointsMenuPopup);
    Wire(Bar.ToggleSelectedBreakpointCommand,
         &TDebuggerWindow::ToggleSelectedBreakpointCommandClick);
    Wire(Bar.DeleteSelectedBreakpointCommand,
         &TDebuggerWindow::DeleteSelectedBreakpointCommandClick);
    Wire(Bar.DeleteOfflineBreakpointsCommand,
         &TDebuggerWindow::DeleteOfflineBreakpointsCommandClick);
    Wire(Bar.DeleteAllBreakpointsCommand, &TDebuggerWindow::DeleteAllBreakpointsCommandClick);
    Wire(Bar.CopyCallStackCommand, &TDebuggerWindow::CopyCallStackCommandClick);
    WirePopup(Bar.WatchesMenu, &TDebuggerWindow::WatchesMenuPopup);
    Wire(Bar.DeleteSelectedWatchCommand, &TDebuggerWindow::DeleteSelectedWatchCommandClick);
    Wire(Bar.DeleteAllWatchesCommand, &TDebuggerWindow::DeleteAllWatchesCommandClick);
    Wire(Bar.WatchRunToCorruptionCommand, &TDebuggerWindow::WatchRunToCorruptionCommandClick);
    WirePopup(Bar.StructureMenu, &TDebuggerWindow::StructureMenuPopup);
    Wire(Bar.ShowVariableCommand, &TDebuggerWindow::ShowVariableCommandClick);
    Wire(Bar.JumpToVariableCommand, &TDebuggerWindow::JumpToVariableCommandClick);
    Wire(Bar.FindVariableCommand, &TDebuggerWindow::FindVariableCommandClick);
    Wire(Bar.WatchVariableCommand, &TDebuggerWindow::WatchVariableCommandClick);
    Wire(Bar.RunToCorruptionCommand, &TDebuggerWindow::RunToCorruptionCommandClick);
    QObject::connect(Bar.EvaluationHintTimer, &QTimer::timeout, &Bar,
                     [this] { EvaluationHintTimerTimer(); });

    SetHintFont(Options().DebuggingBarFontName, Options().DebuggingBarFontSize);
    ApplyDebuggingBarPlace();
}

bool TDebuggerWindow::IsDebuggingBarVisible() const {
    if (!FDebuggingBar)
        return Settings().ViewDebuggingBar;
    if (FDebuggingBarForm && FDebuggingBar->parentWidget() == FDebuggingBarForm.get())
        return !FDebuggingBarForm->isHidden();
    return !FDebuggingBar->isHidden();
}

void TDebuggerWindow::ShowDebuggingBar(bool Show) {
    if (!FDebuggingBar)
        return;
    if (!Show)
        StoreDebuggingBar();
    Settings().ViewDebuggingBar = Show;
    FDebuggingBar->setVisible(Show);
    if (FDebuggingBarForm) {
        FDebuggingBarForm->setVisible(Show);
    } else if (Show) {
        const int Width = BarWidth(Settings().DebuggingBarWidth, *FDebuggingBar);
        QSplitter& Splitter = FHost.DebuggingBarSplitter();
        const int Total = std::max(Splitter.width(), FWindow.DialogParent()->width());
        Splitter.setSizes({std::max(Total - Width, 1), Width});
    }
    ToolList().Items(T::ViewDebuggingBar)->SetDown(Show);
    Debugger().UpdateDebuggingControls();
}

void TDebuggerWindow::ApplyDebuggingBarPlace() {
    if (!FDebuggingBar)
        return;
    const bool Floating = FDebuggingBarForm != nullptr;
    if (Floating != Options().FloatDebuggingBar) {
        StoreDebuggingBar();
        if (Options().FloatDebuggingBar) {
            FDebuggingBarForm = std::make_unique<TDebuggingBarForm>(FWindow.DialogParent());
            FDebuggingBarForm->OnClose = [this] { ShowDebuggingBar(false); };
            FDebuggingBarForm->Hold(FDebuggingBar);
            const TWindowPlacement& Place = Settings().DebuggingBarForm;
            FDebuggingBarForm->resize(BarWidth(Place.Width, *FDebuggingBar),
                                      std::max(Place.Height, MinimumBarWidth));
            PlaceFormOnScreen(FDebuggingBarForm.get(), Place.Left, Place.Top);
        } else {
            FHost.DebuggingBarSplitter().addWidget(FDebuggingBar);
            FDebuggingBarForm.reset();
        }
    }
    ShowDebuggingBar(Settings().ViewDebuggingBar);
}

void TDebuggerWindow::StoreDebuggingBar() {
    if (!FDebuggingBar)
        return;
    Settings().DebuggingBarTab = static_cast<int>(FDebuggingBar->ActiveTab());
    if (FDebuggingBarForm) {
        if (!FDebuggingBarForm->isHidden())
            Settings().DebuggingBarForm = {FDebuggingBarForm->x(), FDebuggingBarForm->y(),
                                           FDebuggingBarForm->width(), FDebuggingBarForm->height(),
                                           false};
    } else if (!FDebuggingBar->isHidden() && FDebuggingBar->width() > 0) {
        Settings().DebuggingBarWidth = FDebuggingBar->width();
    }
}

void TDebuggerWindow::SetHintFont(const std::string& Name, int Size) {
    QFont Font = FWindow.DialogParent()->font();
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

TDebuggerHintWindow& TDebuggerWindow::HintWindow() {
    if (!FHintWindow)
        FHintWindow = std::make_unique<TDebuggerHintWindow>(FWindow.DialogParent());
    return *FHintWindow;
}

void TDebuggerWindow::RepaintViews() {
    if (FDebuggingBar)
        FDebuggingBar->RepaintViews();
}

void TDebuggerWindow::RefreshStructureForActiveTab() {
    if (FDebuggingBar && Options().SyncProcedures && IsDebuggingBarVisible() &&
        FDebuggingBar->ActiveTab() == TDebuggingTab::Structure)
        Debugger().SelectProcedureAtCaret();
}

// ---- The tools ----------------------------------------------------------------------------------

void TDebuggerWindow::ViewDebuggingBar() {
    ShowDebuggingBar(!IsDebuggingBarVisible());
}

void TDebuggerWindow::GoToTab(TDebuggingTab Tab) {
    if (!FDebuggingBar)
        return;
    if (!IsDebuggingBarVisible())
        ShowDebuggingBar(true);
    FDebuggingBar->SetActiveTab(Tab);
}

void TDebuggerWindow::GoToAdjacentTab(bool Next) {
    if (!FDebuggingBar)
        return;
    const int Count = FDebuggingBar->PageCount();
    const int Index = static_cast<int>(FDebuggingBar->ActiveTab());
    GoToTab(static_cast<TDebuggingTab>((Index + (Next ? 1 : Count - 1)) % Count));
}

void TDebuggerWindow::FindIdentifierAtCaret() {
    if (TDocumentEditor* Editor = FWindow.ActiveEditor())
        FindInCurrentSources(Editor->IdentifierAtCaret());
}

// ---- What the debugger asks of the window -------------------------------------------------------

void TDebuggerWindow::LoadFileIntoEditor(const std::string& Name,
                                         std::vector<std::string>& Target) {
    FHost.LoadFileIntoEditor(Name, Target);
}

std::string TDebuggerWindow::FindOpenVolumeFile(const std::string& InnerName) const {
    return FHost.FindOpenVolumeFile(InnerName);
}

std::optional<TEditorText> TDebuggerWindow::ActiveEditorText() const {
    const TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor)
        return std::nullopt;
    return TEditorText{Editor->FileName, Editor->Paragraphs()};
}

void TDebuggerWindow::OpenTextInNewTab(const std::string& Caption, const std::string& Text) {
    FHost.OpenTextInNewTab(Caption, Text);
}

bool TDebuggerWindow::IsFileOpenInTab(const std::string& Name) const {
    const std::vector<TDocumentEditor*> Documents = FHost.OpenDocuments();
    return std::ranges::any_of(
        Documents, [&Name](const TDocumentEditor* Editor) { return Editor->FileName == Name; });
}

void TDebuggerWindow::OpenSourceFile(const std::string& Name) {
    FHost.OpenFileQuietly(Name);
}

bool TDebuggerWindow::OpenSourceOnLoad() const {
    return Options().OpenSourceOnConnect;
}

void TDebuggerWindow::BeginBusy() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void TDebuggerWindow::EndBusy() {
    QGuiApplication::restoreOverrideCursor();
}

void TDebuggerWindow::RefreshDebuggingControls(const TDebuggingControls& Controls) {
    EnableTools({T::ViewDebuggingBar, T::DebugConnection, T::DebugAddBreakpoint, T::DebugDumpMemory,
                 T::DebugFindDeclaration},
                Controls.BarToolsEnabled);
    ToolList().Items(T::DebugConnection)->SetDown(Controls.ConnectionDown);
    EnableTools({T::DebugPause}, Controls.PauseEnabled);
    ToolList().Items(T::DebugPause)->SetDown(Controls.PauseDown);
    EnableTools({T::DebugResume, T::DebugStepInto, T::DebugStepOver, T::DebugStepOut,
                 T::DebugRunToCursor, T::DebugAbort, T::DebugShowExecutionPoint,
                 T::DebugShowTableViewer},
                Controls.PausedToolsEnabled);
    FWindow.SetStatusPanel(8, Controls.StatusText);
    if (FDebuggingBar) {
        FDebuggingBar->SetListColour(Controls.ListColour);
        FDebuggingBar->SetHeapStackText(Controls.HeapStackText);
        FDebuggingBar->SetToolbarColour(Controls.ToolbarColour);
    }
}

TWindowHandle TDebuggerWindow::MainWindowHandle() const {
    return FWindowEndpoint ? FWindowEndpoint->Handle() : 0;
}

std::string TDebuggerWindow::MapFileName() const {
    return Options().MapFile;
}

bool TDebuggerWindow::DebuggerOptionOn() const {
    return Options().PSystemAware;
}

TModuleOptions TDebuggerWindow::ModuleOptions() const {
    const TKorvidOptions& Current = Options();
    return {Current.DiskPRowNumbers, Current.TableViewerScope, Current.TableViewerModal};
}

void TDebuggerWindow::BringToFront() {
    FHost.BringToFront();
}

std::vector<TSourceEditor*> TDebuggerWindow::SourceEditors() {
    const std::vector<TDocumentEditor*> Documents = FHost.OpenDocuments();
    return {Documents.begin(), Documents.end()};
}

TSourceEditor* TDebuggerWindow::ActiveSourceEditor() {
    return FWindow.ActiveEditor();
}

bool TDebuggerWindow::ActivateTabOfSource(const std::string& Name) {
    for (TDocumentEditor* Editor : FHost.OpenDocuments())
        if (SameText1252(Editor->FileName, Name)) {
            FHost.ActivateDocument(*Editor);
            return true;
        }
    return false;
}

bool TDebuggerWindow::RecentreOnStep() const {
    return Options().RecentreOnStep;
}

const TKorvidOptions& TDebuggerWindow::DebuggingOptions() const {
    return Options();
}

std::string TDebuggerWindow::DisplayFileName(const std::string& Name) const {
    return FHost.DisplayFileName(Name);
}

void TDebuggerWindow::FindInCurrentSources(const std::string& Name) {
    const TDebugger& D = Debugger();
    const std::vector<std::string> Sources = D.CurrentSources();
    // Without sources the search would fall back to a folder walk.
    if (!D.MapLoaded() || Sources.empty() || Name.empty())
        return;
    TFindSettings Settings;
    Settings.Text = Name;
    Settings.WholeWords = SourceSearchWholeWords(Name, D.MapKind());
    FHost.FindInSourceFiles(Sources, Settings);
}

// ---- What the debugger asks of the bar ----------------------------------------------------------

void TDebuggerWindow::ModuleConnected() {
    if (Options().AutoShowDebuggingBar)
        ShowDebuggingBar(true);
}

void TDebuggerWindow::ActivateDebuggingTab(TDebuggingTab Tab) {
    if (FDebuggingBar)
        FDebuggingBar->SetActiveTab(Tab);
}

void TDebuggerWindow::ShowHintWindow(const std::string& Text, int ScreenX, int ScreenY) {
    TDebuggerHintWindow& Hint = HintWindow();
    const QString HintText = ToQString(Text);
    Hint.ActivateHint(
        Hint.CalcHintRect(TDebuggerHintWindow::MaxWidth, HintText).translated(ScreenX, ScreenY),
        HintText);
}

void TDebuggerWindow::HideHintWindow() {
    if (FHintWindow)
        FHintWindow->hide();
}

void TDebuggerWindow::RestartHintTimer() {
    if (FDebuggingBar)
        FDebuggingBar->EvaluationHintTimer->start();
}

void TDebuggerWindow::ShowVariableDetails(const TVariableDetails& Details) {
    if (FDebuggingBar)
        FDebuggingBar->ShowDetails(Details);
}

void TDebuggerWindow::EvaluationHintTimerTimer() {
    if (FDebuggingBar)
        FDebuggingBar->EvaluationHintTimer->stop();
    Debugger().EvaluationHintTimeout();
}

// ---- The lists ----------------------------------------------------------------------------------

void TDebuggerWindow::BreakpointsListDblClick(QListView* Sender) {
    const TDebuggingList& List = Sender == FDebuggingBar->BreakpointsList ? Debugger().Breakpoints()
                                                                          : Debugger().CallStack();
    if (const TProcOffset* Location = LocationOf(List, List.SelectedRow()))
        Debugger().ShowLocation(*Location, true);
}

bool TDebuggerWindow::BreakpointsListKeyDown(QListView* Sender, const QKeyEvent& Event) {
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

void TDebuggerWindow::BreakpointsListMouseDown(QListView* Sender, Qt::MouseButton Button,
                                               const QPoint& At) {
    if (Button != Qt::RightButton)
        return;
    if (const QModelIndex Index = Sender->indexAt(At); Index.isValid())
        Sender->selectionModel()->setCurrentIndex(Index, QItemSelectionModel::ClearAndSelect);
}

void TDebuggerWindow::BreakpointsMenuPopup() {
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

void TDebuggerWindow::ToggleSelectedBreakpointCommandClick() {
    Debugger().ToggleSelectedBreakpoint();
}

void TDebuggerWindow::DeleteSelectedBreakpointCommandClick() {
    Debugger().DeleteSelectedBreakpoint();
}

void TDebuggerWindow::DeleteOfflineBreakpointsCommandClick() {
    Debugger().DeleteOfflineBreakpoints();
}

void TDebuggerWindow::DeleteAllBreakpointsCommandClick() {
    Debugger().DeleteAllBreakpoints(false);
}

void TDebuggerWindow::CopyCallStackCommandClick() {
    const TDebuggingList& List = Debugger().CallStack();
    std::vector<const TProcOffset*> Locations;
    for (int Row = 0; Row < List.Count(); ++Row)
        Locations.push_back(LocationOf(List, Row));
    QApplication::clipboard()->setText(ToQString(CallStackClipboardText(List.Texts(), Locations)));
}

void TDebuggerWindow::WatchesMenuPopup() {
    const TDebuggingList& List = Debugger().Watches();
    const TEntity* Entity = EntityOf(List, List.SelectedRow());
    TDebuggingBar& Bar = *FDebuggingBar;
    Bar.DeleteSelectedWatchCommand->setEnabled(List.SelectedRow() >= 0);
    Bar.DeleteAllWatchesCommand->setEnabled(List.Count() > 0);
    Bar.WatchRunToCorruptionCommand->setEnabled(Entity && CanRunUntilChanged(*Entity) &&
                                                Debugger().IsConnected() && Debugger().IsPaused());
}

void TDebuggerWindow::DeleteSelectedWatchCommandClick() {
    TDebuggingList& List = Debugger().Watches();
    const int Row = List.SelectedRow();
    if (Row < 0)
        return;
    Debugger().DeleteSelectedWatch();
    List.SelectRow(std::min(Row, List.Count() - 1));
}

void TDebuggerWindow::DeleteAllWatchesCommandClick() {
    Debugger().DeleteAllWatches();
}

void TDebuggerWindow::WatchRunToCorruptionCommandClick() {
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

void TDebuggerWindow::StructureMenuPopup() {
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

void TDebuggerWindow::ShowVariableCommandClick() {
    QWidget* Remembered = QApplication::focusWidget();
    Debugger().JumpToSelectedProcedure(false);
    if (Remembered)
        Remembered->setFocus(Qt::OtherFocusReason);
}

void TDebuggerWindow::JumpToVariableCommandClick() {
    Debugger().JumpToSelectedProcedure(true);
}

void TDebuggerWindow::FindVariableCommandClick() {
    if (const TEntity* Entity = TDebugger::NodeEntity(SelectedNode(Debugger())))
        FindInCurrentSources(Entity->Name);
}

void TDebuggerWindow::WatchVariableCommandClick() {
    Debugger().WatchStructureNode(SelectedNode(Debugger()));
}

void TDebuggerWindow::RunToCorruptionCommandClick() {
    Debugger().RunUntilValueChanges(Debugger().SelectedWatchableEntity());
}

void TDebuggerWindow::StructureTreeExpanded(const QModelIndex& Node) {
    const TStructureNodeKind Kind = TDebugger::NodeKind(Node);
    if (Kind == TStructureNodeKind::Title || Kind == TStructureNodeKind::Status)
        return;
    if (QStandardItem* Item = ItemOf(Debugger(), Node))
        SetBold(*Item, true);
}

void TDebuggerWindow::StructureTreeUnboldSelected() {
    if (QStandardItem* Item = ItemOf(Debugger(), SelectedNode(Debugger()));
        Item && Item->hasChildren())
        SetBold(*Item, false);
}

void TDebuggerWindow::StructureTreeDblClick(Qt::KeyboardModifiers Shift) {
    const QModelIndex Node = SelectedNode(Debugger());
    const QStandardItem* Item = ItemOf(Debugger(), Node);
    if (!Item || Item->hasChildren() || !TDebugger::NodeEntity(Node))
        return;
    if (Shift & Qt::ShiftModifier)
        Debugger().WatchStructureNode(Node);
    else
        Debugger().JumpToSelectedProcedure(true);
}

void TDebuggerWindow::StructureTreeExpanding(const QModelIndex& Node) {
    if (!Options().AutoCloseFavourites || !FDebuggingBar)
        return;
    QTreeView& Tree = *FDebuggingBar->StructureTree;
    const QAbstractItemModel* Model = Node.model();
    for (int Row = 0; Row < Model->rowCount(Node.parent()); ++Row) {
        const QModelIndex Sibling = Model->index(Row, 0, Node.parent());
        if (Sibling != Node && Tree.isExpanded(Sibling))
            Tree.collapse(Sibling);
    }
}

bool TDebuggerWindow::StructureTreeKeyDown(const QKeyEvent& Event) {
    const std::uint16_t Key = VirtualKeyFromEvent(Event);
    return Key != 0 && ToolList().ExecuteShortCut(Key, ShiftStateFromEvent(Event));
}

void TDebuggerWindow::StructureTreeMouseDown(Qt::MouseButton Button, const QPoint& At) {
    if (Button != Qt::RightButton)
        return;
    QTreeView& Tree = *FDebuggingBar->StructureTree;
    if (const QModelIndex Node = Tree.indexAt(At); Node.isValid())
        Tree.selectionModel()->setCurrentIndex(Node, QItemSelectionModel::ClearAndSelect);
}

void TDebuggerWindow::StructureTreeMouseUp(Qt::KeyboardModifiers Shift) {
    if (Shift & Qt::ControlModifier)
        Debugger().JumpToSelectedProcedure(false);
    else if (Shift & Qt::AltModifier)
        FindVariableCommandClick();
}

void TDebuggerWindow::StructureTreeMouseMove(const QPoint& At) {
    const QTreeView& Tree = *FDebuggingBar->StructureTree;
    const QModelIndex Node = Tree.indexAt(At);
    bool OverLabel = false;
    if (Node.isValid()) {
        QRect Label = Tree.visualRect(Node);
        if (Options().ShowVariableIcons && Node.data(DebugImageRole).isValid())
            Label.setLeft(Label.left() + 20);
        Label.setWidth(Tree.fontMetrics().horizontalAdvance(Node.data().toString()) + 4);
        OverLabel = Label.contains(At);
    }
    const QPoint Screen = Tree.viewport()->mapToGlobal(At);
    Debugger().StructureTreeMouseMove(Node, OverLabel, Screen.x(), Screen.y());
}

} // namespace korvid
