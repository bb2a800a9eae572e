#pragma once

#include "workspace/FindInFiles.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace korvid {

class TDesktopOpener;
class TDocumentEditor;
class TSearchFolderForm;
class TVolume;
class TWindowHost;

// What the search results need of the window beyond TWindowHost: its tabs, files read for the
// search, the status bar's message and the desktop.
class TSearchResultsHost {
public:
    virtual ~TSearchResultsHost() = default;

    virtual int TabCount() const = 0;
    // The document of the tab at Index, or none.
    virtual TDocumentEditor* EditorAt(int Index) const = 0;
    virtual QWidget* CurrentTab() const = 0;
    virtual QWidget* TabOfEditor(const TDocumentEditor* Editor) const = 0;
    virtual bool ActivateTabOfFile(const std::string& Name) = 0;
    // Makes Tab current; a tab no longer open is left alone.
    virtual void ActivateTab(QWidget* Tab) = 0;
    virtual bool CanCloseActiveTab() = 0;
    virtual bool CloseTab() = 0;
    virtual void OpenFilesInFolder(const std::string& Folder, const std::string& Types) = 0;
    // Reads a file by the open-file rules into Target instead of a tab; no messages.
    virtual void LoadFileIntoEditor(const std::string& Name, std::vector<std::string>& Target) = 0;
    // The status bar's passing message, over its panels.
    virtual void ShowStatusMessage(const std::string& Text) = 0;
    virtual void ClearStatusMessage() = 0;
    virtual TDesktopOpener& DesktopOpener() const = 0;
};

// Find in files and its results tabs: the Find in Folder and Locate File dialogs, going to a
// result's place, and applying a listing of changes to the current file.
class TSearchResults {
public:
    TSearchResults(TWindowHost& Window, TSearchResultsHost& Host);
    ~TSearchResults();

    // Lists every line holding Text in a "Find: Text" tab: the files when given, else the
    // volumes, else the folder tree. Does nothing while another search runs.
    void FindInFiles(const std::vector<TVolume*>& Volumes, const std::vector<std::string>& Files,
                     int Location, int ContextLines, bool IgnoreUnderscores, bool QuotedOnly,
                     bool WholeWords, bool MatchCase, const std::string& Text,
                     const std::string& Extensions, const std::string& Folder);
    void FindInFiles(const std::vector<TVolume*>& Volumes, const std::vector<std::string>& Files,
                     const TFindSettings& Settings);
    // A search walks (Esc stops it).
    bool Searching() const;
    // A search or a replace across files is under way; a message it shows may still be up.
    bool Busy() const;
    // Run at each pump of a search's walk (tests stop it from here).
    std::function<void()> OnSearchPump;
    // How often a search lets events run; tests pump after every file, as a search of a large
    // tree would find time to.
    std::chrono::milliseconds SearchPumpInterval{50};

    void ShowSearchFolderDialog(const std::string& Folder);
    TSearchFolderForm& SearchFolderForm();
    // Finds a file under Folder by part of its name and opens it.
    void ShowLocateFileDialog(const std::string& Folder);

    // False when the caret's line names no result.
    bool GoToSearchResult(bool Straight);
    void GoToAdjacentSearchResult(bool Next);
    // Back to the results tab last gone from.
    void GoBack();
    // The results tab last gone from, while it is open.
    QWidget* SearchResultTab() const { return FSearchResultTab; }
    // A tab is closing.
    void ForgetTab(QWidget* Tab);

    // Applies a changes listing from another tab to the active document.
    void ApplyChanges();
    // Replaces the paragraphs named by a changes listing: each line's first six characters
    // give the paragraph number, its text starts at the eighth. Lines naming no paragraph of
    // the document are skipped; all of it is one undo step.
    static void ApplyChangeLines(TDocumentEditor& Editor, const std::vector<std::string>& Lines);
    // The file line a results line names by its leading number; none for other lines.
    static std::optional<int> ResultLineNumber(std::string_view Line);

private:
    bool GoToResultLine(TDocumentEditor& Results, int Line, bool Straight);

    TWindowHost& FWindow;
    TSearchResultsHost& FHost;
    std::unique_ptr<TSearchFolderForm> FSearchFolderForm;
    QWidget* FSearchResultTab = nullptr;
    // What each open find-in-files tab searched for, to select the match a result goes to.
    std::map<const QWidget*, TFindSettings> FTabSettings;
    bool FShowNoMatchesMessage = true;
};

} // namespace korvid
