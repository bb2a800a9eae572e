#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvid {

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
    virtual void RefreshDebuggingControls() {}
    virtual void RebuildStructureTree() {}
};

} // namespace korvid
