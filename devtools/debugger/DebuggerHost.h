#pragma once

#include "devtools/debugger/ModuleCommands.h"
#include "platform/Colors.h"
#include "platform/WindowEndpoint.h"
#include "workspace/KorvidOptions.h"
#include "workspace/ToolHandlers.h"

#include <optional>
#include <string>
#include <vector>

namespace korvid {

// The debugging user interface as the debugger's state asks it to be.
struct TDebuggingControls {
    // The Breakpoints, Call Stack and Watches lists and the structure tree.
    TColor ListColour = clBtnShadow;
    // ViewDebuggingBar, DebugConnection, DebugAddBreakpoint, DebugDumpMemory,
    // DebugFindDeclaration.
    bool BarToolsEnabled = false;
    bool ConnectionDown = false;
    bool PauseEnabled = false;
    bool PauseDown = false;
    // The tools that need the module paused: resume, the steps, run to cursor, abort, show
    // execution point, the table viewer.
    bool PausedToolsEnabled = false;
    TColor ToolbarColour = clBtnFace;
    std::string HeapStackText;
    // The status bar's debugging panel.
    std::string StatusText;

    bool operator==(const TDebuggingControls&) const = default;
};

// The text of the active editor as the debugger reads it.
struct TEditorText {
    std::string FileName;
    std::vector<std::string> Lines;
};

// An open document as the debugger marks it and moves its caret. Lines are the source's
// paragraphs, from 1.
class TSourceEditor {
public:
    virtual ~TSourceEditor() = default;
    // Empty for a document without a file.
    virtual std::string SourceFileName() const = 0;
    // A breakpoint line, or the execution point (kept as the negative line).
    virtual void AddLineMarker(int Line, bool IsExecutionPoint) = 0;
    virtual void ClearLineMarkers() = 0;
    // Forgets the execution point; with MakeBreakpoint its line stays marked as a breakpoint.
    virtual void ClearExecutionPoint(bool MakeBreakpoint) = 0;
    virtual std::vector<int> LineMarkers() const = 0;
    virtual int CaretLine() const = 0;
    // To the line's start, selecting nothing.
    virtual void MoveCaretToLine(int Line) = 0;
    // Scrolls the caret line to three eighths of the visible rows.
    virtual void CentreCaretLine() = 0;
    virtual void FocusEditor() = 0;
    virtual void RepaintEditor() = 0;
    // The identifier the caret is in or just after; empty when there is none.
    virtual std::string IdentifierAtCaret() const { return {}; }
};

// The structure tree's details panel for one entity.
struct TVariableDetails {
    std::string Name;
    std::string Type;
    std::string LocationIntro;
    std::string Location;
    std::string Address;

    bool operator==(const TVariableDetails&) const = default;
};

// What the debugger needs of the main window; the window implements it, tests fake it.
class TDebuggerHost {
public:
    virtual ~TDebuggerHost() = default;
    // Reads a file by the open-file rules (so "vol>FILE" names work) without a tab or a message;
    // no lines when it cannot.
    virtual void LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) = 0;
    // The full "volume>file" name of an open tab whose file in a volume is InnerName, or empty.
    virtual std::string FindOpenVolumeFile(const std::string& InnerName) const = 0;
    // None when no editor is active.
    virtual std::optional<TEditorText> ActiveEditorText() const = 0;
    virtual void OpenTextInNewTab(const std::string& Caption, const std::string& Text) = 0;
    virtual bool IsFileOpenInTab(const std::string& Name) const = 0;
    // Opens a file in a tab as the user's open does, but shows nothing when it cannot be opened.
    virtual void OpenSourceFile(const std::string& Name) = 0;
    // The option to open the map's first source after a load.
    virtual bool OpenSourceOnLoad() const = 0;
    // The hourglass while a map is read and parsed; every Begin is followed by one End.
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
    // Hooks run after the debugger's state or map changed.
    virtual void RefreshDebuggingControls(const TDebuggingControls& /*Controls*/) {}

    // ---- The link to a running module ----
    // The window that the module notifies (command 1 hands it over); 0 when there is none.
    virtual TWindowHandle MainWindowHandle() const { return 0; }
    // The "Map File" option.
    virtual std::string MapFileName() const { return {}; }
    // The debugger option ("p-System Aware") and the debugging bar's visibility enable the
    // debugging tools even without a module or map.
    virtual bool DebuggerOptionOn() const { return false; }
    virtual bool IsDebuggingBarVisible() const { return false; }
    // The options that shape the requests to the module.
    virtual TModuleOptions ModuleOptions() const { return {}; }
    // A stopped module wants the user's attention: restore the window and bring it forward.
    virtual void BringToFront() {}

    // ---- Breakpoints and run control ----
    // Every open document, in tab order.
    virtual std::vector<TSourceEditor*> SourceEditors() { return {}; }
    virtual TSourceEditor* ActiveSourceEditor() { return nullptr; }
    // True when a tab holds the file (names compared ignoring case); that tab is active then.
    virtual bool ActivateTabOfSource(const std::string& /*Name*/) { return false; }
    // "Recentre On Step": a location in the procedure shown last is centred too.
    virtual bool RecentreOnStep() const { return false; }

    // ---- The debugging bar ----
    // The options that shape the bar's views; the defaults unless the window has its own.
    virtual const TKorvidOptions& DebuggingOptions() const;
    // A connection was made (the bar shows itself when the user wants it to).
    virtual void ModuleConnected() {}
    virtual void ActivateDebuggingTab(TDebuggingTab /*Tab*/) {}
    // The evaluation hint: its top-left corner at the screen point; the window is the
    // host's, the decision what to show the debugger's.
    virtual void ShowHintWindow(const std::string& /*Text*/, int /*ScreenX*/, int /*ScreenY*/) {}
    virtual void HideHintWindow() {}
    // Restarts the single-shot timer that ends a hint's life.
    virtual void RestartHintTimer() {}
    virtual void ShowVariableDetails(const TVariableDetails& /*Details*/) {}
    // A file name as the window shows it to the user.
    virtual std::string DisplayFileName(const std::string& Name) const { return Name; }
    // Searches the map's sources for the name (find in files).
    virtual void FindInCurrentSources(const std::string& /*Name*/) {}
};

// The host's hourglass for as long as it lives, whatever way the work ends.
class TDebuggerBusy {
public:
    explicit TDebuggerBusy(TDebuggerHost& Host) : FHost(Host) { FHost.BeginBusy(); }
    ~TDebuggerBusy() { FHost.EndBusy(); }
    TDebuggerBusy(const TDebuggerBusy&) = delete;
    TDebuggerBusy& operator=(const TDebuggerBusy&) = delete;

private:
    TDebuggerHost& FHost;
};

} // namespace korvid
