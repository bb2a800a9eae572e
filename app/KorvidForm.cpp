#include "app/KorvidForm.h"

#include "app/BatchRuns.h"
#include "app/DefsEditorCommand.h"
#include "foundation/BinaryStrings.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "platform/Paths.h"
#include "platform/QtVirtualKeys.h"
#include "ui/FormUtilities.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "ui/VirtualKeys.h"
#include "workspace/DefaultMenus.h"
#include "workspace/HistoryForm.h"
#include "workspace/Keystroke.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>
#include <fstream>
#include <optional>

namespace korvid {
namespace {

TKorvidForm* TheForm = nullptr;

// The tools that only show with "Show Experimental Features".
constexpr int ExperimentalTools[] = {ToolIndex::FileSetPassword,  ToolIndex::FilePrepareDefsHelp,
                                     ToolIndex::FileOpenRandom,   ToolIndex::EditApplyChanges,
                                     ToolIndex::ViewCommandLines, ToolIndex::ViewRunCommandLine};

QRect PrimaryWorkArea() {
    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        return Screen->availableGeometry();
    return QRect(0, 0, 1024, 768);
}

// Whether a key goes through the tabs, and which way: Ctrl+Tab forward, Ctrl+Shift+Tab (which
// may arrive as Backtab) back. With Alt it is left alone.
std::optional<bool> TabSwitchDirection(int Key, Qt::KeyboardModifiers Shift) {
    if (!(Shift & Qt::ControlModifier) || (Shift & Qt::AltModifier))
        return std::nullopt;
    if (Key == Qt::Key_Backtab)
        return false;
    if (Key == Qt::Key_Tab)
        return !(Shift & Qt::ShiftModifier);
    return std::nullopt;
}

// A status panel asks for its room; on a window too narrow for every panel it gives up its blank
// room first and its text last, and never draws over its neighbour.
class TStatusPanel : public QLabel {
public:
    TStatusPanel(QWidget* Parent, int Room) : QLabel(Parent), FRoom(Room) {}
    QSize sizeHint() const override {
        const QSize Text = QLabel::sizeHint();
        return {std::max(Text.width(), FRoom), Text.height()};
    }

private:
    int FRoom;
};

} // namespace

std::string DefaultDialogFolder() {
    return QFile::encodeName(QDir::homePath()).toStdString();
}

TKorvidForm* KorvidForm() {
    return TheForm;
}

TKorvidForm::TKorvidForm(TKorvidFormSetup Setup)
    : FServices(std::move(Setup.Services)), FViews(std::move(Setup.Views)),
      FMakeEditor(std::move(Setup.MakeEditor)), FClock(std::move(Setup.Clock)),
      FOpen(std::move(Setup.Open)), FHelpFolder(std::move(Setup.HelpFolder)),
      FSaveDialog(std::make_unique<TSaveDialog>()), FOpenDialog(std::make_unique<TOpenDialog>()),
      FSearchResults(std::make_unique<TSearchResults>(*this, *this)),
      FFindReplace(std::make_unique<TFindReplace>(*this, *this)),
      FBarsAndMenus(std::make_unique<TBarsAndMenus>(*this, *this)) {
    if (!FViews)
        FViews = std::make_unique<TListedViewCatalogue>();
    if (!FClock)
        FClock = [] { return QDateTime::currentDateTime(); };
    if (!FServices.History)
        FServices.History = std::make_unique<THistoryForm>();
    if (!FServices.Favourites)
        FServices.Favourites = std::make_unique<TFavouritesBar>();
    if (!FServices.Opener)
        FServices.Opener = MakeDesktopOpener();
    if (!FServices.Search)
        FServices.Search = MakeSearchDialogs(*this);
    if (!FServices.Help)
        FServices.Help = std::make_unique<TDesktopHelpViewer>();
    if (FHelpFolder.empty())
        FHelpFolder = ProgramFolder();
    if (!FServices.Mail)
        FServices.Mail = MakeMailClient();
    if (!FServices.Launcher)
        FServices.Launcher = MakeProcessLauncher();
    FVBatRuns = std::make_unique<TVBatRuns>(*this, *this);
    FCompiling =
        std::make_unique<TCompiling>(*this, *this, *FVBatRuns, std::move(Setup.TesselHelper));
    TFileToolsSetup FileTools{std::move(Setup.PrintCanvas), std::move(Setup.RandomIndex),
                              MaximumLineLength};
    FFileTools = std::make_unique<TFileTools>(*this, *this, std::move(FileTools));
    FLintrel = std::make_unique<TLintrelCommand>(*this, *this);
    FClipboards = std::make_unique<TClipboards>(*this, *this);
    FBookmarks = std::make_unique<TBookmarks>(*this, *this);
    FMacros = std::make_unique<TMacrosAndCommandLines>(*this, *this);
    TMacrosAndCommandLines::InstallKeystrokeRecorder(true);
    FDebuggerWindow = std::make_unique<TDebuggerWindow>(*this, *this);
    TheForm = this;
    SetMainForm(this);
    SetMainWindowCommands(this);
    SetDebuggerCommands(&Debugger());
    FormCreate(Setup.WorkArea);
}

TKorvidForm::~TKorvidForm() {
    FormDestroy();
    TMacrosAndCommandLines::InstallKeystrokeRecorder(false);
    FDebuggerWindow->DestroyDebuggingBar();
    // The bars go with the docks and the window; none of them reports back any more.
    FBarsAndMenus->DetachToolbars();
    // The editors go before the views they point to.
    delete takeCentralWidget();
    FTabs = nullptr;
    SetMainWindowCommands(nullptr);
    if (DebuggerCommands() == &Debugger())
        SetDebuggerCommands(nullptr);
    FDebuggerWindow->Uninstall();
    if (MainForm() == this)
        SetMainForm(nullptr);
    if (TheForm == this)
        TheForm = nullptr;
}

void TKorvidForm::FormCreate(const std::optional<QRect>& WorkArea) {
    FStartingUp = true;
    // The window system shows the caption exactly as set, with no application name added.
    QGuiApplication::setApplicationDisplayName(QString());
    setWindowTitle("Korvid");

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState State) {
                if (State == Qt::ApplicationActive)
                    ApplicationActivate();
                else
                    ApplicationDeactivate();
            });

    const QRect Work = WorkArea.value_or(PrimaryWorkArea());
    const int Width = Work.width() - 100;
    const int Height = Work.height() - 80;
    resize(Width, Height);
    move(Work.x() + (Work.width() - Width) / 2, Work.y() + (Work.height() - Height) / 2);
    setFont(QFont(ToQString(GetDialogFontName())));

    FTabs = new QTabWidget(this);
    FTabs->setDocumentMode(true);
    FTabs->setMovable(true);
    FTabs->setUsesScrollButtons(true);
    // Choosing a tab hands the keyboard to its document, never to the tab bar.
    FTabs->setFocusPolicy(Qt::NoFocus);
    FTabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(FBarsAndMenus->CreateDocks(*CreateTabsArea(FTabs)));
    FFavourites->Wire();
    connect(FTabs, &QTabWidget::currentChanged, this, [this] { TabsChange(); });
    CreateStatusBar();

    FBackupTimer = new QTimer(this);
    connect(FBackupTimer, &QTimer::timeout, this, [this] {
        if (OnBackupTimer)
            OnBackupTimer(*this);
    });

    InitOptions(FOptions);
    FOptions.MaximumHistory = std::max(FOptions.MaximumHistory, 0);
    ResetSortOptions(FFindReplace->SortOptions());

    if (ToolList().Count() == 0)
        BuildTools();
    FContextMenu = new QMenu(this);
    QMenu* ViewsMenu = nullptr;
    QMenu* ToolbarsMenu = nullptr;
    BuildMenus(*menuBar(), *FContextMenu, FReopenMenu, this, ViewsMenu, ToolbarsMenu);
    FBarsAndMenus->CreateMenus(*menuBar(), ToolbarsMenu, ViewsMenu);

    LoadSettings();
    FViews->LoadFromRegistry();

    ApplyExperimentalTools();
    // After the experimental tools are hidden, so that the bars measure what they show.
    FBarsAndMenus->LoadToolbars();
    FBarsAndMenus->BuildToolbarsMenu();
    BuildViewsMenu();

    FFavourites->ApplyOptions();
    FHistoryTools->PrepareWindow();
    FVolumeTools->PrepareFiler();
    FavouritesTree().LoadFavourites(FOptions.FavouritesFilename);
    History().LoadHistory(FOptions.HistoryFilename);
    FDebuggerWindow->CreateDebuggingBar();
    Debugger().UpdateDebuggingControls();
    FHistoryTools->BuildReopenMenu();

    FMacros->LoadCommandLines();
    UpdateCommandStates();
    ToolList().Items(ToolIndex::ViewHistory)->SetDown(FSettings.HistoryVisible);
    setAcceptDrops(true);
}

QWidget* TKorvidForm::CreateTabsArea(QWidget* Tabs) {
    // The Favourites bar goes beside the tabs, on the side the options say.
    QWidget* TabsAndFavourites = FFavourites->CreateBeside(Tabs);
    FBarSplitter = new QSplitter(Qt::Horizontal);
    FBarSplitter->setChildrenCollapsible(false);
    FBarSplitter->addWidget(TabsAndFavourites);
    return FBarSplitter;
}

void TKorvidForm::FormDestroy() {
    if (FDestroying)
        return;
    FDestroying = true;
    FHistoryTools->Disconnect();
    try {
        if (FSaveOnClose)
            SaveSettings();
    } catch (const std::exception& Error) {
        ShowPlainMessage(Error.what());
    }
}

void TKorvidForm::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    if (!FShownOnce) {
        FShownOnce = true;
        FormShow();
    }
}

void TKorvidForm::FormShow() {
    FHistoryTools->ShowAtStart();
    if (OnFirstShow)
        OnFirstShow(*this);
    FStartingUp = false;
    FocusActiveEditor();
}

void TKorvidForm::FocusActiveEditor() {
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->setFocus(Qt::OtherFocusReason);
}

void TKorvidForm::ApplicationActivate() {
    if (OnApplicationActivate)
        OnApplicationActivate(*this);
}

void TKorvidForm::ApplicationDeactivate() {
    Debugger().HideEvaluationHint();
}

void TKorvidForm::ApplyExperimentalTools() {
    for (int Index : ExperimentalTools)
        ToolList().Items(Index)->SetHidden(!FOptions.ShowExperimentalFeatures);
}

void TKorvidForm::EditorKeyDown(TDocumentEditor& Sender, int& Key, Qt::KeyboardModifiers Shift) {
    if (Key == 0)
        return;
    if (PendingEsc && Key == Qt::Key_Escape) {
        PendingEsc = false;
        Key = 0;
        return;
    }
    // Before the editor, which would type the tab into the document.
    if (SwitchTabsByKey(Key, Shift)) {
        Key = 0;
        return;
    }
    if (OnEditorKey) {
        OnEditorKey(*this, Sender, Key, Shift);
        return;
    }
    // Until the full key handling is installed, keys with Ctrl or Alt and function keys run
    // the tool that has them as its shortcut.
    const bool FunctionKey = Key >= Qt::Key_F1 && Key <= Qt::Key_F24;
    if (!FunctionKey && !(Shift & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    std::uint8_t Step = 0;
    if (Shift & Qt::ShiftModifier)
        Step |= 1;
    if (Shift & Qt::AltModifier)
        Step |= 2;
    if (Shift & Qt::ControlModifier)
        Step |= 4;
    if (RunShortCut(std::uint16_t(QtKeyToVirtualKey(Key)), Step))
        Key = 0;
}

// Keys that reach the window itself (no document has the focus) switch tabs or run the tool
// they are the shortcut of, as keys in a document do.
void TKorvidForm::keyPressEvent(QKeyEvent* Event) {
    if (PendingEsc && Event->key() == Qt::Key_Escape) {
        PendingEsc = false;
        Event->accept();
        return;
    }
    if (SwitchTabsByKey(Event->key(), Event->modifiers())) {
        Event->accept();
        return;
    }
    const std::uint16_t Key = VirtualKeyFromEvent(*Event);
    if (Key != 0 && RunShortCut(Key, ShiftStateFromEvent(*Event))) {
        Event->accept();
        return;
    }
    QMainWindow::keyPressEvent(Event);
}

bool TKorvidForm::RunShortCut(std::uint16_t Key, std::uint8_t Shift) {
    if (ToolList().ExecuteShortCut(Key, Shift))
        return true;
    if (!FBarsAndMenus->RunViewShortCut(ShortCutOfStep(Key, Shift)))
        return false;
    RecordKey(Key, Shift);
    return true;
}

bool TKorvidForm::SwitchTabsByKey(int Key, Qt::KeyboardModifiers Shift) {
    const std::optional<bool> Forward = TabSwitchDirection(Key, Shift);
    if (!Forward)
        return false;
    SelectAdjacentTab(*Forward);
    // Recorded as the key, so that a replay goes through this same handling.
    RecordKey(VK_TAB, *Forward ? StepCtrl : StepCtrl | StepShift);
    return true;
}

void TKorvidForm::MinimizeMainWindow() {
    PlaySystemSound("Minimize", true);
    showMinimized();
}

void TKorvidForm::RestoreMainWindow() {
    // Back from the task bar as it was: a maximized window stays maximized.
    if (isMinimized()) {
        PlaySystemSound("RestoreUp", true);
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activateWindow();
}

void TKorvidForm::changeEvent(QEvent* Event) {
    QMainWindow::changeEvent(Event);
    // Whatever had the keyboard before (a dialog, nothing at all), typing goes into the
    // document as soon as the window is active; the Favourites bar keeps it, as a caption
    // being edited there must.
    const QWidget* Favourites = FFavourites->Panel();
    const bool InFavourites = Favourites && Favourites->isAncestorOf(focusWidget());
    if (Event->type() == QEvent::ActivationChange && isActiveWindow() && !InFavourites)
        FocusActiveEditor();
}

// ---- Tabs ---------------------------------------------------------------------------------------

TDocumentEditor* TKorvidForm::EditorOfTab(QWidget* Sheet) const {
    if (!Sheet)
        return nullptr;
    TDocumentEditor* Found = nullptr;
    for (auto* Panel : Sheet->findChildren<QFrame*>(QString(), Qt::FindDirectChildrenOnly))
        for (auto* Editor :
             Panel->findChildren<TDocumentEditor*>(QString(), Qt::FindDirectChildrenOnly))
            Found = Editor;
    return Found;
}

QWidget* TKorvidForm::CurrentTab() const {
    return FTabs->currentWidget();
}

TDocumentEditor* TKorvidForm::ActiveEditor() const {
    return EditorOfTab(CurrentTab());
}

QWidget* TKorvidForm::TabOfEditor(const TDocumentEditor* Editor) const {
    if (!Editor || !Editor->parentWidget())
        return nullptr;
    QWidget* Sheet = Editor->parentWidget()->parentWidget();
    return Sheet && FTabs->indexOf(Sheet) >= 0 ? Sheet : nullptr;
}

int TKorvidForm::TabCount() const {
    return FTabs->count();
}

int TKorvidForm::ActiveTabIndex() const {
    return FTabs->currentIndex();
}

TDocumentEditor* TKorvidForm::EditorAt(int Index) const {
    return EditorOfTab(FTabs->widget(Index));
}

void TKorvidForm::ActivateTabOfEditor(const TDocumentEditor& Editor) {
    FTabs->setCurrentWidget(TabOfEditor(&Editor));
}

QWidget* TKorvidForm::NewTab(const std::string& Caption) {
    const int Index = FTabs->currentIndex();
    auto* Sheet = new QWidget;
    auto* Layout = new QVBoxLayout(Sheet);
    Layout->setContentsMargins(0, 0, 0, 0);
    auto* Panel = new QFrame(Sheet);
    Panel->setFrameStyle(QFrame::Panel | QFrame::Plain);
    Panel->hide();
    Layout->addWidget(Panel);
    auto* PanelLayout = new QVBoxLayout(Panel);
    PanelLayout->setContentsMargins(0, 0, 0, 0);
    CreateEditor(Panel, Caption);
    FTabs->insertTab(Index + 1, Sheet, ToQString(Caption));
    Panel->show();
    FTabs->setCurrentWidget(Sheet);
    if (FStartingUp)
        FStartupTab = Sheet;
    return Sheet;
}

TDocumentEditor* TKorvidForm::CreateEditor(QWidget* Panel, const std::string& Caption) {
    TDocumentEditor* Editor = FMakeEditor(Panel);
    Panel->layout()->addWidget(Editor);
    Editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        Editor, &QWidget::customContextMenuRequested, this,
        [this, Editor](const QPoint& Point) { FContextMenu->popup(Editor->mapToGlobal(Point)); });
    Editor->UntitledCaption = Caption;
    Editor->SetView(DefaultView());
    Editor->SetExtraLineSpacing(FOptions.ExtraLineSpacing);
    Editor->OnKeyDown = [this](TDocumentEditor& Sender, int Key, Qt::KeyboardModifiers Shift,
                               bool& Handled) {
        int Changed = Key;
        EditorKeyDown(Sender, Changed, Shift);
        Handled = Changed == 0;
    };
    Editor->OnShowStatus = [this](TDocumentEditor& Sender, int Line, int Column) {
        UpdateStatusBar(&Sender, Line, Column);
    };
    Editor->OnDropFiles = [this](const std::vector<std::string>& Names, bool Ctrl) {
        OpenDroppedFiles(Names, Ctrl);
    };
    Editor->OnGoToSearchResult = [this](TDocumentEditor& Sender) {
        return &Sender == ActiveEditor() && FSearchResults->GoToSearchResult(false);
    };
    return Editor;
}

void TKorvidForm::OpenTextInNewTab(const std::string& Caption, const std::string& Text) {
    NewTab(Caption);
    TDocumentEditor* Editor = ActiveEditor();
    TBinaryStrings Lines;
    Lines.SetText(Text);
    Editor->SetParagraphs(Lines.Lines());
    Editor->SetModified(false);
    Editor->MoveCaretTo(1, 1);
    UpdateCaption(Caption);
}

bool TKorvidForm::CanCloseActiveTab() {
    // The running script's tab goes only after its run has returned.
    if (FVBatRuns->HoldsTab(CurrentTab()))
        return false;
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor || !Editor->Modified())
        return true;
    switch (AskSaveChanges(Editor->GetShortDisplayName())) {
    case saYes:
        return SaveActiveFile();
    case saNo:
        return true;
    default:
        return false;
    }
}

void TKorvidForm::ForgetTab(QWidget* Tab) {
    FClipboards->Forget(Tab);
    if (FStartupTab == Tab)
        FStartupTab = nullptr;
    FSearchResults->ForgetTab(Tab);
    FCompiling->ForgetTab(Tab);
}

bool TKorvidForm::CloseTab() {
    QWidget* Tab = CurrentTab();
    bool Closed = true;
    if (Tab) {
        if (!CanCloseActiveTab()) {
            Closed = false;
        } else {
            ForgetTab(Tab);
            const int Index = FTabs->indexOf(Tab);
            {
                const QSignalBlocker Block(FTabs);
                FTabs->removeTab(Index);
                if (FTabs->count() > 0)
                    FTabs->setCurrentIndex(Index > 0 ? Index - 1 : 0);
            }
            Tab->hide();
            Tab->deleteLater();
        }
    }
    ClearStatusPanels();
    if (FTabs->count() > 0) {
        if (TDocumentEditor* Editor = ActiveEditor())
            Editor->setFocus();
        TabsChange();
    } else {
        setWindowTitle("Korvid");
        BuildViewsMenu();
    }
    UpdateCommandStates();
    return Closed;
}

void TKorvidForm::CloseStartupTab() {
    QWidget* Startup = FStartupTab;
    if (!Startup || FTabs->indexOf(Startup) < 0)
        return;
    // A start-up tab that was typed into is a document of its own and stays.
    if (TDocumentEditor* Editor = EditorOfTab(Startup); Editor && Editor->Modified()) {
        FStartupTab = nullptr;
        return;
    }
    QWidget* Active = CurrentTab();
    FTabs->setCurrentWidget(Startup);
    CloseTab();
    if (Active && Active != Startup && FTabs->indexOf(Active) >= 0)
        FTabs->setCurrentWidget(Active);
    FStartupTab = nullptr;
}

void TKorvidForm::MoveTab(int From, int To) {
    if (From == To || From < 0 || To < 0 || From >= FTabs->count() || To >= FTabs->count())
        return;
    FTabs->tabBar()->moveTab(From, To);
}

void TKorvidForm::SelectAdjacentTab(bool Forward) {
    const int Count = FTabs->count();
    if (Count < 2)
        return;
    // The tab change gives the keyboard to the new tab's document.
    FTabs->setCurrentIndex((FTabs->currentIndex() + (Forward ? 1 : Count - 1)) % Count);
}

void TKorvidForm::BuildViewsMenu() {
    FBarsAndMenus->BuildViewsMenu();
}

void TKorvidForm::TabsChange() {
    if (FDestroying)
        return;
    BuildViewsMenu();
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    UpdateCaption(Editor->CaptionName());
    FocusActiveEditor();
    UpdateCommandStates();
    if (FOptions.FileUpdates && OnTabActivated)
        OnTabActivated(*this, *Editor);
    FDebuggerWindow->RefreshStructureForActiveTab();
}

void TKorvidForm::UpdateCaption(const std::string& Name) {
    setWindowTitle(ToQString("Korvid - " + Name));
}

std::string TKorvidForm::DisplayFileName(const std::string& Name) const {
    return FOptions.HideExtensions ? WithoutShortExtension(Name) : Name;
}

std::string TKorvidForm::WithoutShortExtension(const std::string& Name) {
    const auto Slash = Name.find_last_of("/\\");
    const auto Dot = Name.rfind('.');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
        return Name;
    if (Name.size() - Dot >= 6)
        return Name;
    return Name.substr(0, Dot);
}

// ---- Closing ------------------------------------------------------------------------------------

bool TKorvidForm::FormCloseQuery() {
    bool CanClose = true;
    setUpdatesEnabled(false);
    try {
        while (FTabs->count() > 0 && CanClose) {
            FTabs->setCurrentIndex(FTabs->count() - 1);
            CanClose = CloseTab();
        }
    } catch (...) {
        setUpdatesEnabled(true);
        throw;
    }
    setUpdatesEnabled(true);
    update();
    if (!CanClose)
        return false;
    if (!FSaveOnClose)
        return true;
    // The window goes with the main one; whether it showed is kept as it was.
    FHistoryTools->StoreForClose();
    FVolumeTools->StoreFilerWindow();
    FMacros->SaveCommandLines(FOptions.CommandLinesFilename);
    FBarsAndMenus->SaveToolbars();
    FViews->SaveToRegistry();
    History().SaveHistory(FOptions.HistoryFilename, FOptions.MaximumHistory);
    FavouritesTree().SaveFavourites(FOptions.FavouritesFilename);
    if (OnClearBackups)
        OnClearBackups(*this);
    return true;
}

void TKorvidForm::closeEvent(QCloseEvent* Event) {
    if (!FExiting && OnCloseMinimizes && OnCloseMinimizes(*this)) {
        Event->ignore();
        MinimizeMainWindow();
        return;
    }
    // A long operation lets this close in from further down the stack, so it cannot be waited
    // for here: it is asked to stop, and the window closes again (as Exit when this was Exit)
    // once it has returned.
    const bool Exiting = FExiting;
    const auto CloseAgain = [this, Exiting] {
        QTimer::singleShot(0, this, [this, Exiting] {
            if (Exiting)
                FileExit();
            else
                close();
        });
    };
    if (FLongOperations.StopAll(CloseAgain)) {
        Event->ignore();
        return;
    }
    bool CanClose = false;
    try {
        CanClose = FormCloseQuery();
    } catch (const std::exception& Error) {
        ShowOkMessage("Korvid", Error.what());
        CanClose = false;
    }
    if (CanClose)
        Event->accept();
    else
        Event->ignore();
}

// ---- Compiling, VBat runs and batch runs --------------------------------------------------------

void TKorvidForm::CompileSource(bool Override, bool WhenPaused) {
    FCompiling->CompileSource(Override, WhenPaused);
}

void TKorvidForm::EditGoToLastError() {
    FCompiling->EditGoToLastError();
}

int TKorvidForm::RunCompileRequest(const std::string& RequestFile) {
    return korvid::RunCompileRequest(*this, *FCompiling, RequestFile);
}

int TKorvidForm::RunScriptRequest(const std::string& RequestFile) {
    return korvid::RunScriptRequest(*this, *FCompiling, RequestFile);
}

bool TKorvidForm::VBatRunning() const {
    return FVBatRuns->Running();
}

void TKorvidForm::ViewDefsEditor() {
    RunDefsEditor(*this);
}

// ---- Status bar ---------------------------------------------------------------------------------

void TKorvidForm::CreateStatusBar() {
    auto* Bar = statusBar();
    for (int Index = 0; Index < StatusPanelCount; ++Index) {
        FStatusPanels[Index] = new TStatusPanel(Bar, Index >= 8 ? 120 : 70);
        Bar->addWidget(FStatusPanels[Index], Index == 8 ? 1 : 0);
    }
}

std::string TKorvidForm::StatusPanelText(int Index) const {
    return FromQString(FStatusPanels.at(Index)->text());
}

void TKorvidForm::SetStatusPanel(int Index, const std::string& Text) {
    const QString Value = ToQString(Text);
    if (FStatusPanels[Index]->text() != Value)
        FStatusPanels[Index]->setText(Value);
}

void TKorvidForm::ClearStatusPanels() {
    for (int Index = 0; Index < StatusPanelCount; ++Index)
        SetStatusPanel(Index, {});
}

// ---- Drops --------------------------------------------------------------------------------------

void TKorvidForm::dragEnterEvent(QDragEnterEvent* Event) {
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TKorvidForm::dropEvent(QDropEvent* Event) {
    std::vector<std::string> Names;
    for (const QUrl& Url : Event->mimeData()->urls())
        Names.push_back(FromQString(Url.toLocalFile()));
    OpenDroppedFiles(std::move(Names), Event->modifiers().testFlag(Qt::ControlModifier));
    Event->acceptProposedAction();
}

} // namespace korvid
