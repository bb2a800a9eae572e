#pragma once

#include "devtools/debugger/Debugger.h"
#include "devtools/debugger/DebuggerHost.h"
#include "psystem/VolumeFileListings.h"

#include <Qt>

#include <memory>
#include <string>
#include <vector>

class QKeyEvent;
class QListView;
class QModelIndex;
class QPoint;
class QSplitter;

namespace korvid {

class TDocumentEditor;
class TDebuggerHintWindow;
class TDebuggingBar;
class TDebuggingBarForm;
class TEditorDebugger;
struct TFindSettings;
struct TMainWindowSettings;
class TWindowHost;

// What the debugger's window side needs of the main window beyond its documents and options.
class TDebuggerWindowHost {
public:
    virtual ~TDebuggerWindowHost() = default;
    // Every open document, in tab order; none once the tabs have gone.
    virtual std::vector<TDocumentEditor*> OpenDocuments() const = 0;
    virtual void ActivateDocument(TDocumentEditor& Editor) = 0;
    virtual void LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) = 0;
    virtual std::string FindOpenVolumeFile(const std::string& InnerName) const = 0;
    virtual void OpenTextInNewTab(const std::string& Caption, const std::string& Text) = 0;
    // Opens as the user's open does, but a file that cannot be opened is passed over silently.
    virtual void OpenFileQuietly(const std::string& Name) = 0;
    virtual std::string DisplayFileName(const std::string& Name) const = 0;
    virtual void BringToFront() = 0;
    // Holds the tabs and, docked beside them, the debugging bar.
    virtual QSplitter& DebuggingBarSplitter() = 0;
    // Find in files over exactly these files, the results in a tab.
    virtual void FindInSourceFiles(const std::vector<std::string>& Files,
                                   const TFindSettings& Settings) = 0;
};

// The debugger as the main window shows it: the one TDebugger, the debugging bar docked or
// floating, the evaluation hint, the editors' hooks and the endpoint the module notifies.
class TDebuggerWindow final : public TDebuggerHost {
public:
    TDebuggerWindow(TWindowHost& Window, TDebuggerWindowHost& Host);
    ~TDebuggerWindow() override;
    TDebuggerWindow(const TDebuggerWindow&) = delete;
    TDebuggerWindow& operator=(const TDebuggerWindow&) = delete;

    TDebugger& Debugger() const { return *FDebugger; }

    // ---- The bar and its place ----
    void CreateDebuggingBar();
    // The bar's views go before the debugger's lists they show.
    void DestroyDebuggingBar();
    // The editors stop reaching the debugger and the volume reader gets its own code listing
    // back.
    void Uninstall();
    TDebuggingBar& DebuggingBar() const { return *FDebuggingBar; }
    // The window that holds the bar while it floats; null while it is docked.
    TDebuggingBarForm* DebuggingBarForm() const { return FDebuggingBarForm.get(); }
    TDebuggerHintWindow& HintWindow();
    void ShowDebuggingBar(bool Show);
    // Docked at the window's side or floating in its own window, as "Float Debugging Bar" says.
    void ApplyDebuggingBarPlace();
    // Keeps the bar's width, its floating window's place and its page in the settings.
    void StoreDebuggingBar();
    // The bar's and the hint's font.
    void SetHintFont(const std::string& Name, int Size);
    void RefreshStructureForActiveTab();
    // After an option that changes how the lists and the tree look.
    void RepaintViews();

    // ---- The tools ----
    void ViewDebuggingBar();
    void GoToTab(TDebuggingTab Tab);
    void GoToAdjacentTab(bool Next);
    // Find in current sources of the identifier at the active document's caret.
    void FindIdentifierAtCaret();

    // ---- What the debugger asks of the window ----
    void LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) override;
    std::string FindOpenVolumeFile(const std::string& InnerName) const override;
    std::optional<TEditorText> ActiveEditorText() const override;
    void OpenTextInNewTab(const std::string& Caption, const std::string& Text) override;
    bool IsFileOpenInTab(const std::string& Name) const override;
    void OpenSourceFile(const std::string& Name) override;
    bool OpenSourceOnLoad() const override;
    void BeginBusy() override;
    void EndBusy() override;
    void RefreshDebuggingControls(const TDebuggingControls& Controls) override;
    TWindowHandle MainWindowHandle() const override;
    std::string MapFileName() const override;
    bool DebuggerOptionOn() const override;
    bool IsDebuggingBarVisible() const override;
    TModuleOptions ModuleOptions() const override;
    void BringToFront() override;
    std::vector<TSourceEditor*> SourceEditors() override;
    TSourceEditor* ActiveSourceEditor() override;
    bool ActivateTabOfSource(const std::string& Name) override;
    bool RecentreOnStep() const override;
    const TKorvidOptions& DebuggingOptions() const override;
    void ModuleConnected() override;
    void ActivateDebuggingTab(TDebuggingTab Tab) override;
    void ShowHintWindow(const std::string& Text, int ScreenX, int ScreenY) override;
    void HideHintWindow() override;
    void RestartHintTimer() override;
    void ShowVariableDetails(const TVariableDetails& Details) override;
    std::string DisplayFileName(const std::string& Name) const override;
    // Find in files over the map's sources; nothing without a map or a name.
    void FindInCurrentSources(const std::string& Name) override;

    // ---- The bar's lists, tree and menus ----
    void BreakpointsListDblClick(QListView* Sender);
    bool BreakpointsListKeyDown(QListView* Sender, const QKeyEvent& Event);
    void BreakpointsListMouseDown(QListView* Sender, Qt::MouseButton Button, const QPoint& At);
    void BreakpointsMenuPopup();
    void ToggleSelectedBreakpointCommandClick();
    void DeleteSelectedBreakpointCommandClick();
    void DeleteOfflineBreakpointsCommandClick();
    void DeleteAllBreakpointsCommandClick();
    void CopyCallStackCommandClick();
    void WatchesMenuPopup();
    void DeleteSelectedWatchCommandClick();
    void DeleteAllWatchesCommandClick();
    void WatchRunToCorruptionCommandClick();
    void StructureMenuPopup();
    void ShowVariableCommandClick();
    void JumpToVariableCommandClick();
    void FindVariableCommandClick();
    void WatchVariableCommandClick();
    void RunToCorruptionCommandClick();
    void EvaluationHintTimerTimer();
    void StructureTreeExpanded(const QModelIndex& Node);
    void StructureTreeUnboldSelected();
    void StructureTreeDblClick(Qt::KeyboardModifiers Shift);
    void StructureTreeExpanding(const QModelIndex& Node);
    bool StructureTreeKeyDown(const QKeyEvent& Event);
    void StructureTreeMouseDown(Qt::MouseButton Button, const QPoint& At);
    void StructureTreeMouseUp(Qt::KeyboardModifiers Shift);
    void StructureTreeMouseMove(const QPoint& At);

private:
    TKorvidOptions& Options() const;
    TMainWindowSettings& Settings() const;
    // The editors reach the debugger through these hooks while the window lives.
    void InstallEditorHooks(bool Install);
    void InstallCodeListing();

    TWindowHost& FWindow;
    TDebuggerWindowHost& FHost;
    std::unique_ptr<TDebugger> FDebugger;
    std::unique_ptr<TEditorDebugger> FEditorHooks;
    // The bar shows the debugger's lists and goes before it.
    TDebuggingBar* FDebuggingBar = nullptr;
    std::unique_ptr<TDebuggingBarForm> FDebuggingBarForm;
    std::unique_ptr<TDebuggerHintWindow> FHintWindow;
    // The volume reader's code listing before this window installed its own.
    decltype(TVolumeFileListings::Code) FPreviousCodeListing;
    bool FInstalled = false;
    // Where the debugged module's notifications arrive; goes before the debugger.
    std::unique_ptr<TWindowEndpoint> FWindowEndpoint;
};

} // namespace korvid
