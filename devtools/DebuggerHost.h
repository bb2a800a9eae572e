#pragma once

#include "platform/Colors.h"
#include "platform/WindowEndpoint.h"

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
    virtual void RebuildStructureTree() {}

    // ---- The link to a running module ----
    // The window that the module notifies (command 1 hands it over); 0 when there is none.
    virtual TWindowHandle MainWindowHandle() const { return 0; }
    // The "Map File" option.
    virtual std::string MapFileName() const { return {}; }
    // The debugger option ("p-System Aware") and the debugging bar's visibility enable the
    // debugging tools even without a module or map.
    virtual bool DebuggerOptionOn() const { return false; }
    virtual bool IsDebuggingBarVisible() const { return false; }
    // A stopped module wants the user's attention: restore the window and bring it forward.
    virtual void BringToFront() {}
};

} // namespace korvid
