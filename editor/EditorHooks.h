#pragma once

#include "psystem/PSystemText.h"

#include <memory>
#include <string>
#include <vector>

namespace korvid {

class TEditor;
class TView;

// What an editor asks of the main window that owns it; the main window implements it.
class TEditorOwner {
public:
    virtual ~TEditorOwner() = default;
    // The view an editor falls back to when its own is deleted.
    virtual TView& DefaultView() = 0;
    virtual void BuildViewsMenu() = 0;
    virtual void OpenDroppedFiles(const std::vector<std::string>& FileNames) = 0;
    // Alt-click on a word: find it in the debugger's current sources.
    virtual void FindInCurrentSources(const std::string& Name) = 0;
    // Whether going to the last edit centres the caret line.
    virtual bool RecentreOnFind() const = 0;
    // A double-click on a search-results document: goes to the result the caret's line names;
    // false when it names none.
    virtual bool GoToSearchResult() = 0;
};

// The debugger as editors see it; the debugger registers itself with SetEditorDebugger.
class TEditorDebugger {
public:
    virtual ~TEditorDebugger() = default;
    virtual bool EvaluationHintsOn() const = 0;
    virtual void ShowEvaluationHint(const std::string& Word, TEditor& Editor) = 0;
    virtual void FindDeclaration(const std::string& Name, bool Back) = 0;
    // The editor that shows the execution point, or null.
    TEditor* CurrentEditor = nullptr;
};

TEditorDebugger* EditorDebugger();
void SetEditorDebugger(TEditorDebugger* Debugger);

// Stores a document's lines as a p-System text file inside a volume.
class TPSystemTextStore {
public:
    virtual ~TPSystemTextStore() = default;
    // Subvolume is empty for a file at the volume's top level. False when the volume code
    // refused or failed; it has reported why.
    virtual bool SaveTextFile(const std::string& VolumeFile, const std::string& Subvolume,
                              const std::string& FileName, const std::vector<std::string>& Lines,
                              bool MakeBackup, const TPSystemHeaderPage* HeaderPage) = 0;
};

// The store that opens the volume file for writing, saves and closes it again.
std::unique_ptr<TPSystemTextStore> MakeVolumeTextStore();

} // namespace korvid
