#pragma once

#include <Qt>

#include <string>
#include <vector>

class QWidget;

namespace korvid {

class TDocumentEditor;
class TEscapeWatch;
class TProcessLauncher;
class TWindowHost;

// What the macros and command lines need of the window beyond its documents and options.
class TMacrosHost {
public:
    virtual ~TMacrosHost() = default;

    // The window's own handling of a key, as if the user had pressed it in Editor.
    virtual void EditorKeyDown(TDocumentEditor& Editor, int& Key, Qt::KeyboardModifiers Shift) = 0;
    // Null once the document's tab has closed.
    virtual QWidget* TabOfEditor(const TDocumentEditor* Editor) const = 0;
    virtual void SaveAllModified() = 0;
    virtual TProcessLauncher& Launcher() const = 0;
    // The status bar's passing message, which hides its panels while it shows.
    virtual void ShowStatusMessage(const std::string& Text) = 0;
    virtual void ClearStatusMessage() = 0;
};

// The keystroke macro's window side and the user's command lines.
class TMacrosAndCommandLines {
public:
    TMacrosAndCommandLines(TWindowHost& Window, TMacrosHost& Host);

    // While the window lives, what its editors do is recorded into the macro.
    static void InstallKeystrokeRecorder(bool Install);

    void RecordKeystrokes();
    // Plays the macro once, or pass after pass until a pass changes nothing, ends on the last
    // line, shows a message or Esc is pressed.
    void PlayRecorded(bool Repeat);
    // Plays the macro once into the active document; true when a repeated play has to stop.
    bool PlayKeystrokes(bool Repeat);
    void CopyRecordedKeystrokes();
    void PickRecordedKeystrokes();

    // The Command Lines dialog, whose choice becomes the active line.
    void EditCommandLines();
    // A line ending in "*" replaces the selection with its output; any other starts on its own
    // once the modified documents are saved.
    void RunActiveCommandLine();
    // Runs a command line: its output replaces Editor's selection with Capture, else it is
    // started on its own.
    void RunCommandLine(const std::string& CommandLine, TDocumentEditor* Editor, bool Capture);
    // Set while a command line's output is captured; input waits until it ends.
    bool CapturingCommand() const { return FCapturingCommand; }

    std::vector<std::string>& CommandLines() { return FCommandLines; }
    int ActiveCommandLine() const { return FActiveCommandLine; }
    void SetActiveCommandLine(int Index) { FActiveCommandLine = Index; }
    bool HasActiveCommandLine() const;
    // Reads the lines from the options' file; an active line past the end is dropped.
    void LoadCommandLines();
    // A failed write may offer another name, which FileName then holds.
    void SaveCommandLines(std::string& FileName) const;

private:
    TWindowHost& FWindow;
    TMacrosHost& FHost;
    std::vector<std::string> FCommandLines;
    int FActiveCommandLine = -1;
    // Notes Escape while a repeated play runs.
    const TEscapeWatch* FPlayEscape = nullptr;
    bool FCapturingCommand = false;
};

} // namespace korvid
