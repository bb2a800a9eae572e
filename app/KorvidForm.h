#pragma once

#include "app/BarsAndMenus.h"
#include "app/Bookmarks.h"
#include "app/Clipboards.h"
#include "app/Compiling.h"
#include "app/DebuggerWindow.h"
#include "app/DocumentEditor.h"
#include "app/FavouritesTools.h"
#include "app/FileTools.h"
#include "app/FindReplace.h"
#include "app/HistoryTools.h"
#include "app/LintrelCommand.h"
#include "app/MacrosAndCommandLines.h"
#include "app/MainWindowServices.h"
#include "app/MainWindowSettings.h"
#include "app/SearchResults.h"
#include "app/VBatRuns.h"
#include "app/VolumeTools.h"
#include "app/WindowHost.h"
#include "foundation/CaseChange.h"
#include "foundation/FileReader.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/MemoryInfo.h"
#include "workspace/KorvidOptions.h"
#include "workspace/LongOperations.h"
#include "workspace/ToolHandlers.h"

#include <QMainWindow>
#include <QRect>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QKeyEvent;
class QLabel;
class QListView;
class QMenu;
class QSplitter;
class QTabWidget;
class QTimer;

namespace korvid {

class TSaveDialog;
class TOptionsForm;
struct TFindSettings;
class TVolume;
class TOpenDialog;
class TPrintCanvas;

// How files are read when they open; tests slow the reader and shrink the memory.
struct TOpenSetup {
    TFileReader Reader;               // ReadWholeFile when empty
    TAvailableMemory AvailableMemory; // the system's own figure when empty
    // How long an open runs before the status bar shows its progress and Esc stops it.
    std::chrono::milliseconds ProgressDelay{1000};
};

// How the main window is made; anything left empty takes its ordinary form, except MakeEditor.
struct TKorvidFormSetup {
    // The work area the first window is sized from; the primary screen's when unset.
    std::optional<QRect> WorkArea;
    // Makes the editor of every new tab; required. The program's is EditorDocumentFactory.
    TDocumentEditorFactory MakeEditor;
    std::unique_ptr<TViewCatalogue> Views;
    TMainWindowServices Services;
    // The local time stamped into ".tid" files.
    std::function<QDateTime()> Clock;
    TOpenSetup Open;
    // Where the program's help file is looked for; the program's folder when empty.
    std::filesystem::path HelpFolder;
    // The helper program that runs the compiler library; the one beside the program when empty.
    std::string TesselHelper;
    // What a confirmed print draws on; the chosen printer when empty.
    std::function<std::unique_ptr<TPrintCanvas>()> PrintCanvas;
    // An index below Count, each equally likely; a random engine's when empty.
    std::function<std::size_t(std::size_t Count)> RandomIndex;
};

class TKorvidForm;

// The find dialogs of a window made without its own.
std::unique_ptr<TSearchService> MakeSearchDialogs(TKorvidForm& Form);

// The main window: the document tabs and everything that lives as long as the program.
class TKorvidForm : public QMainWindow,
                    public TMainWindowCommands,
                    public TWindowHost,
                    public TFindReplaceHost,
                    public TSearchResultsHost,
                    public TBarsAndMenusHost,
                    public TDebuggerWindowHost,
                    public TMacrosHost,
                    public TFileToolsHost,
                    public TClipboardsHost,
                    public TBookmarksHost,
                    public TLintrelHost,
                    public TCompilingHost,
                    public TVBatRunsHost,
                    public TFavouritesToolsHost,
                    public TVolumeToolsHost,
                    public THistoryToolsHost {
public:
    static constexpr int StatusPanelCount = 10;
    // Compile and VBat progress.
    static constexpr int CompileStatusPanel = korvid::CompileStatusPanel;
    static constexpr int MaximumLineLength = 4096;

    explicit TKorvidForm(TKorvidFormSetup Setup = {});
    ~TKorvidForm() override;

    // ---- Documents and tabs ----
    QWidget* DialogParent() override { return this; }
    TDocumentEditor* ActiveEditor() const override;
    QWidget* CurrentTab() const override;
    TDocumentEditor* EditorOfTab(QWidget* Sheet) const override;
    QWidget* TabOfEditor(const TDocumentEditor* Editor) const override;
    QTabWidget* Tabs() const { return FTabs; }
    int TabCount() const override;
    int ActiveTabIndex() const override;
    TDocumentEditor* EditorAt(int Index) const override;
    void ActivateTabOfEditor(const TDocumentEditor& Editor) override;
    QWidget* NewTab(const std::string& Caption) override;
    void OpenTextInNewTab(const std::string& Caption, const std::string& Text) override;
    bool CloseTab() override;
    bool CanCloseActiveTab() override;
    void CloseStartupTab();
    void UpdateCaption(const std::string& Name);
    // Gives the keyboard to the active document; it takes it when the window is next active.
    void FocusActiveEditor() override;
    std::string DisplayFileName(const std::string& Name) const override;
    // Name without an extension of up to five letters.
    static std::string WithoutShortExtension(const std::string& Name);
    const TDocumentView* DefaultView() const { return FViews->DefaultView(); }
    TViewCatalogue& Views() const override { return *FViews; }
    QWidget* StartupTab() const override { return FStartupTab; }
    void MoveTab(int From, int To);
    // The next tab (or the previous one), round from the last to the first.
    void SelectAdjacentTab(bool Forward);

    // ---- Opening ----
    void OpenFile(const std::string& Name, bool ReadOnly, const std::string& AltName) override;
    // Reads a file by the open-file rules into Target instead of a tab; no messages.
    void LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) override;
    void OpenTabSet(const std::string& FileName);
    void OpenFilesInFolder(const std::string& Folder, const std::string& Types) override;
    void OpenDroppedFiles(std::vector<std::string> Names, bool Ctrl) override;
    // A volume file goes to the volume browser when the p-System option is on; any other name
    // to OpenFile, read-only when the file is.
    void OpenByKind(const std::string& Name) override;
    // A volume file that goes to the browser rather than opening as a file.
    bool IsBrowsedVolume(const std::string& Name) const;
    // The filer and the volume browser.
    TVolumeTools& VolumeTools() const { return *FVolumeTools; }
    void InsertFileAtCaret(const std::string& Name);
    void ReopenCommandClick(int Rank);
    QWidget* FindTabOfFile(const std::string& Name) const override;
    bool ActivateTabOfFile(const std::string& Name) override;

    // ---- Compiling ----
    // The window's side of the compiler routes and the Compile command.
    TCompiling& Compiling() const { return *FCompiling; }
    // The batch runs "COMPILE:" and "SCRIPT:" of a request file: compile without asking anyone,
    // write the request's result files and answer the exit code (0, 1 errors, 2 not run).
    // Nothing of the options they change for the run is kept.
    int RunCompileRequest(const std::string& RequestFile);
    int RunScriptRequest(const std::string& RequestFile);
    // Closing then writes none of the user's settings, lists or layouts.
    void SaveNothingOnClose() { FSaveOnClose = false; }
    std::string FindOpenVolumeFile(const std::string& InnerName) const override;

    // ---- Saving ----
    bool SaveActiveFile() override;
    bool SaveEditor(TDocumentEditor* Editor) override;
    bool SaveEditorAs(TDocumentEditor* Editor);
    bool SaveEditorToFile(TDocumentEditor* Editor, const std::string& Name, bool ChooseView);
    bool SaveEditorEncrypted(TDocumentEditor* Editor, const std::string& Name);
    bool SaveEditorToVolume(TDocumentEditor* Editor, const std::string& Name);
    // How the document's view says it is written.
    TDocumentSaveOptions SaveOptionsOf(const TDocumentEditor& Editor) const;
    void SaveAllModified() override;
    void UpdateTiddlerTimestamps(const std::string& Name);
    void UpdateTabCaption(TDocumentEditor* Editor);
    void UpdateTabCaptions();
    // The tabs whose caption their file's name gave, shown with extensions hidden or not
    // (WasHidden), take the caption the option gives now.
    void RecaptionFileTabs(bool WasHidden);
    TSaveDialog& SaveDialog() const { return *FSaveDialog; }

    // ---- Searching ----
    TFindReplace& FindReplace() const { return *FFindReplace; }
    TSearchResults& SearchResults() const { return *FSearchResults; }
    void FindInFiles(const std::vector<TVolume*>& Volumes, const std::vector<std::string>& Files,
                     const TFindSettings& Settings);
    void ShowSearchFolderDialog(const std::string& Folder);
    void ShowLocateFileDialog(const std::string& Folder) override;
    // A search's results open read-only, so that Go to Search Result and Replace Across Files
    // read what the search found; the Read Only tool frees them for Apply Changes.
    void OpenResultsTab(const std::string& Caption, const std::vector<std::string>& Lines,
                        const std::vector<std::pair<std::string, int>>& Sections,
                        bool ReadOnly) override;
    bool Busy() const { return FSearchResults->Busy(); }
    // What find and the search results ask of the window.
    void ActivateTab(QWidget* Tab) override;
    void OpenFileQuietly(const std::string& Name, bool ReadOnly) override;

    // ---- VBat scripts ----
    TVBatRuns& VBatRuns() const { return *FVBatRuns; }
    // A run is under way (it waits for the p-System window).
    bool VBatRunning() const;

    // ---- Command states and status bar ----
    void UpdateCommandStates() override;
    void UpdateStatusBar(TDocumentEditor* Sender, int Line, int Column);
    void SetStatusPanel(int Index, const std::string& Text) override;
    std::string StatusPanelText(int Index) const;
    void ApplyPSystemAware();
    void ApplyScrollableTabs();
    void ApplyVariableIcons();
    void ApplyLineSpacing();
    // Runs a freshly filled Options dialog (tests reach it here before it shows).
    std::function<void(TOptionsForm&)> OnOptionsFormCreated;
    // Hides or shows the tools of "Show Experimental Features".
    void ApplyExperimentalTools();

    // ---- Settings ----
    void LoadSettings();
    // Writes every setting of the window in one commit of the store.
    void SaveSettings();
    // Stores at once what a dialog changed, so that a crash keeps it; a batch run stores nothing.
    void StoreSettings() override;
    TKorvidOptions& Options() override { return FOptions; }
    TMainWindowSettings& WindowSettings() override { return FSettings; }
    THistoryService& History() const override { return *FServices.History; }
    TFavouritesService& FavouritesTree() const override { return *FServices.Favourites; }
    TDesktopOpener& DesktopOpener() const override { return *FServices.Opener; }
    // The Favourites bar beside the tabs.
    TFavouritesTools& Favourites() const { return *FFavourites; }
    // The History window and the menu of the newest files.
    THistoryTools& HistoryTools() const { return *FHistoryTools; }
    TDebugger& Debugger() const override { return FDebuggerWindow->Debugger(); }
    TSearchService& Search() const { return *FServices.Search; }
    THelpViewer& Help() const { return *FServices.Help; }
    TMailClient& MailClient() const override { return *FServices.Mail; }
    TProcessLauncher& Launcher() const override { return *FServices.Launcher; }
    QMenu* ReopenMenu() const override { return FReopenMenu; }

    // ---- Toolbars and the menus built at run time ----
    TBarsAndMenus& BarsAndMenus() const { return *FBarsAndMenus; }
    // The active document or its view changed: the menus built from the views follow.
    void BuildViewsMenu();
    std::vector<TDocumentEditor*> OpenDocuments() const override;
    bool Destroying() const override { return FDestroying; }
    bool SavesSettings() const override { return FSaveOnClose; }

    // ---- Start-up and messages: filled by the start-up and backup code ----
    // The start-up flag: set from creation until the first show has read the command line.
    bool StartingUp() const override { return FStartingUp; }
    void SetStartingUp(bool Value) { FStartingUp = Value; }
    int NextNewFileNumber() { return ++FNewFileCounter; }
    // Runs once, when the window first shows; the start-up code reads the command line here.
    std::function<void(TKorvidForm&)> OnFirstShow;
    // The running window is handed a file by a second start.
    std::function<int(TKorvidForm&, int Number)> OnHandOverMessage;
    int HandOverMessage(int Number) {
        return OnHandOverMessage ? OnHandOverMessage(*this, Number) : 0;
    }
    // The application became active: the file-change check runs here.
    std::function<void(TKorvidForm&)> OnApplicationActivate;
    // Another tab became active: the file-change check of its document runs here.
    std::function<void(TKorvidForm&, TDocumentEditor&)> OnTabActivated;
    void ApplicationActivate();
    void ApplicationDeactivate();
    // Keys the main window handles before the editor: tab switching, block indent, Esc ...
    std::function<void(TKorvidForm&, TDocumentEditor&, int&, Qt::KeyboardModifiers)> OnEditorKey;
    void EditorKeyDown(TDocumentEditor& Sender, int& Key, Qt::KeyboardModifiers Shift) override;
    // Set by commands that leave an Esc behind them: the next Esc is swallowed.
    bool PendingEsc = false;
    // Minimising and restoring with the user's sound events.
    void MinimizeMainWindow();
    void RestoreMainWindow();
    // Backups: the timer's period comes from "Backup Minutes"; the backup code fills the tick.
    QTimer* BackupTimer() const { return FBackupTimer; }
    std::function<void(TKorvidForm&)> OnBackupTimer;
    bool BackupsEnabled() const { return FOptions.BackupMinutes > 0; }
    // Set when the program is being ended by a command: closing then never minimises.
    bool Exiting() const { return FExiting; }
    // The long operations now running, which a close stops before the window goes.
    TLongOperations& LongOperations() override { return FLongOperations; }
    // Decides whether a close request minimises the window instead (Shift held closes).
    std::function<bool(TKorvidForm&)> OnCloseMinimizes;
    // Run by a normal close that keeps settings, whatever the backup option says.
    std::function<void(TKorvidForm&)> OnClearBackups;

    // ---- Tool handlers ----
    void FileNew() override;
    void FileOpen() override;
    void FileSave() override;
    void FileSaveAs() override;
    void FileSaveAll() override;
    void FileClose() override;
    void FilePrint() override;
    void FileReadOnly() override;
    void FileSetPassword() override;
    void ViewHistory() override;
    void FileExit() override;
    void EditUndo() override;
    void EditRedo() override;
    void EditCut() override;
    void EditCutAppend() override;
    void EditCopy() override;
    void EditCopyAppend() override;
    void EditPaste() override;
    void EditSelectAll() override;
    void EditFind() override;
    void EditFindNext() override;
    void EditReplace() override;
    void EditGoTo() override;
    void EditNewClipboard() override;
    void EditPasteClipboard(int Number) override;
    void EditToggleBookmark(int Number) override;
    void EditGoToBookmark(int Number) override;
    void ViewOptions() override;
    void ViewOrganizeFiles() override;
    void ViewStatusBar() override;
    void InsertDate() override;
    void InsertTime() override;
    void InsertFilename() override;
    void InsertPathname() override;
    void InsertFile() override;
    void FormatSort() override;
    void FormatLowerCase() override;
    void FormatUpperCase() override;
    void FormatOppositeCase() override;
    void FormatIndent() override;
    void FormatUnindent() override;
    void FavouritesAddFile() override;
    void FavouritesNewFolder() override;
    void FavouritesRemove() override;
    void ViewFavouritesBar() override;
    void HelpAbout() override;
    void HistoryRemove() override;
    void FavouritesOpen() override;
    void HistoryOpen() override;
    void FileRefresh() override;
    void ViewDefineViews() override;
    void ViewParagraphMarks() override;
    void FileSendMail() override;
    void FormatAsOneParagraph() override;
    void FormatAsSeparateParagraphs() override;
    void EditSelectDelimitedText() override;
    void ViewCommandLines() override;
    void ViewRunCommandLine() override;
    void FileExploreFolder() override;
    void HelpOnCurrentWord() override;
    void EditRecordKeystrokes() override;
    void EditPlayKeystrokes(bool Repeat) override;
    void ViewResetToolbars() override;
    void FormatAutoText() override;
    void FavouritesAddVolume() override;
    void CompareFiles(bool TheseFiles) override;
    void FileMarkForComparison() override;
    void FavouritesNewPSystemTextFile() override;
    void ViewPSystemFiler() override;
    void CompileSource(bool Override, bool WhenPaused) override;
    void EditGoToLastEdit() override;
    void EditGoToSearchResult(bool Straight) override;
    void EditGoBack() override;
    void EditApplyChanges() override;
    void EditDeleteWord() override;
    void EditFindInFolder() override;
    void FileBrowseVolume() override;
    void FileOpenRandom() override;
    void FormatCentre() override;
    void FilePrepareDefsHelp() override;
    void ViewDebuggingBar() override;
    void DebugConnection() override;
    void ViewBringLineToMiddle() override;
    void DebugGoToTab(TDebuggingTab Tab) override;
    void DebugGoToAdjacentTab(bool Next) override;
    void HelpKorvidHelp() override;
    void ViewDefsEditor() override;
    void FormatLintrel() override;
    void EditFindInAllOpenDocuments() override;
    void FavouritesLocateFile() override;
    void SubversionUpdate() override;
    void SubversionCommit() override;
    void SubversionLog(TSubversionTarget Target) override;
    void SubversionBrowse() override;
    void DebugFindInCurrentSources() override;
    void EditGoToAdjacentSearchResult(bool Next) override;
    void FormatAsComment() override;
    void SetSearchTermToSelection() override;
    void FileCloseAll() override;
    void EditAnchorSelection() override;
    void EditCopyRecordedKeystrokes() override;
    void EditPickRecordedKeystrokes() override;
    void FavouritesOpenExternally() override;
    void SubversionDiff(TSubversionTarget Target) override;
    void EditGoToLastError() override;

    // ---- What the debugger's window side asks of the window ----
    void ActivateDocument(TDocumentEditor& Editor) override;
    void OpenFileQuietly(const std::string& Name) override;
    void BringToFront() override;
    QSplitter& DebuggingBarSplitter() override { return *FBarSplitter; }
    void FindInSourceFiles(const std::vector<std::string>& Files,
                           const TFindSettings& Settings) override;

    // ---- Edit, format and insert commands ----
    // Changes the letter case of the selection, or of the first letter of the word at the caret
    // and then moves on to the next word.
    void ApplyCaseChange(TCaseRoutine Routine);

    // ---- The features of their own ----
    TMacrosAndCommandLines& Macros() const { return *FMacros; }
    TFileTools& FileTools() const { return *FFileTools; }
    TClipboards& Clipboards() const { return *FClipboards; }
    TBookmarks& Bookmarks() const { return *FBookmarks; }
    TLintrelCommand& Lintrel() const { return *FLintrel; }
    // What they ask of the window beyond the documents and the options.
    std::string SelectedFavouritePath() const override;
    void ShowStatusMessage(const std::string& Text) override;
    void ClearStatusMessage() override;

    // ---- The debugger ----
    // The debugger, its bar and hint, and the window as the debugger sees it.
    TDebuggerWindow& DebuggerWindow() const { return *FDebuggerWindow; }

    // The close sequence: every tab, last first; false when one refused.
    bool FormCloseQuery();

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

    // ---- What the filer and the volume browser ask of the window ----
    void RestoreStartupTab(QWidget* Kept) override;
    void FindInVolumes(const std::vector<TVolume*>& Volumes,
                       const TFindSettings& Settings) override;

private:
    void FormCreate(const std::optional<QRect>& WorkArea);
    void FormShow();
    void FormDestroy();
    void WriteSettings();
    TDocumentEditor* CreateEditor(QWidget* Panel, const std::string& Caption);
    void TabsChange();
    void ForgetTab(QWidget* Tab);
    void CreateStatusBar();
    void ClearStatusPanels();
    void SetFileReadOnly(TDocumentEditor* Editor, bool ReadOnly);
    // The open-file steps after the name was resolved; see OpenFile.
    void OpenDocument(std::string Name, bool ReadOnly, const std::string& AltName,
                      std::vector<std::string>* Target);
    bool ChooseTabForOpen(const std::string& Name, bool& NewTab);
    void UpdateFirstPass(TDocumentEditor* Editor, bool TabOpen);
    void UpdateSecondPass(TDocumentEditor* Editor, bool TabOpen);
    // The tabs with the Favourites bar and the docked debugging bar beside them.
    QWidget* CreateTabsArea(QWidget* Tabs);
    void InsertIntoActiveEditor(std::string_view Text);
    void ShowHelpFile(const std::string& Path, const std::string* Keyword);
    // Tools, then views, then auto-text; a key taken is recorded while macros record.
    bool RunShortCut(std::uint16_t Key, std::uint8_t Shift);
    // Ctrl+Tab and Ctrl+Shift+Tab; a key taken is recorded while macros record.
    bool SwitchTabsByKey(int Key, Qt::KeyboardModifiers Shift);

    TKorvidOptions FOptions;
    bool FExiting = false;
    TLongOperations FLongOperations;
    TMainWindowSettings FSettings;
    TMainWindowServices FServices;
    std::unique_ptr<TViewCatalogue> FViews;
    TDocumentEditorFactory FMakeEditor;
    std::function<QDateTime()> FClock;
    TOpenSetup FOpen;
    std::filesystem::path FHelpFolder;
    std::unique_ptr<TFileTools> FFileTools;
    // Set while a refresh reads the active document's file again into its own tab.
    bool FRefreshing = false;
    std::unique_ptr<TSaveDialog> FSaveDialog;
    std::unique_ptr<TOpenDialog> FOpenDialog;
    // Outlives the tabs, whose documents the debugger marks.
    std::unique_ptr<TDebuggerWindow> FDebuggerWindow;
    std::unique_ptr<TSearchResults> FSearchResults;
    std::unique_ptr<TLintrelCommand> FLintrel;
    std::unique_ptr<TFindReplace> FFindReplace;
    std::unique_ptr<TVolumeTools> FVolumeTools = std::make_unique<TVolumeTools>(*this, *this);
    std::unique_ptr<TVBatRuns> FVBatRuns;

    QTabWidget* FTabs = nullptr;
    std::array<QLabel*, StatusPanelCount> FStatusPanels{};
    QMenu* FContextMenu = nullptr;
    QMenu* FReopenMenu = nullptr;
    std::unique_ptr<TFavouritesTools> FFavourites =
        std::make_unique<TFavouritesTools>(*this, *this);
    std::unique_ptr<THistoryTools> FHistoryTools = std::make_unique<THistoryTools>(*this, *this);
    // The tabs and the Favourites bar on one side, the docked debugging bar on the other.
    QSplitter* FBarSplitter = nullptr;
    std::unique_ptr<TBarsAndMenus> FBarsAndMenus;
    QTimer* FBackupTimer = nullptr;

    bool FStartingUp = true;
    bool FShownOnce = false;
    bool FDestroying = false;
    bool FClosing = false;
    bool FTabSetOpening = false;
    // Set while the debugger opens a source: a missing one is passed over without a message.
    bool FQuietOpen = false;
    std::vector<std::string>* FListTarget = nullptr;
    QWidget* FStartupTab = nullptr;
    std::unique_ptr<TCompiling> FCompiling;
    bool FSaveOnClose = true;
    std::unique_ptr<TClipboards> FClipboards;
    std::unique_ptr<TBookmarks> FBookmarks;
    int FNewFileCounter = 0;
    std::unique_ptr<TMacrosAndCommandLines> FMacros;
};

// The main window while it exists, else null.
TKorvidForm* KorvidForm();

} // namespace korvid
