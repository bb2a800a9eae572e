#pragma once

#include "workspace/SortOptions.h"

#include <cstdint>
#include <memory>
#include <string>

class QWidget;

namespace korvid {

class TDocumentEditor;
class TFindForm;
class TWindowHost;

// What find and replace needs of the window beyond TWindowHost: its tabs, and opening and
// saving the files a replace across files walks through.
class TFindReplaceHost {
public:
    virtual ~TFindReplaceHost() = default;

    virtual int TabCount() const = 0;
    // The document of the tab at Index, or none.
    virtual TDocumentEditor* EditorAt(int Index) const = 0;
    virtual QWidget* CurrentTab() const = 0;
    virtual QWidget* FindTabOfFile(const std::string& Name) const = 0;
    virtual bool ActivateTabOfFile(const std::string& Name) = 0;
    // Opens Name as OpenFile does, except that a file that cannot be opened is passed over
    // without a message.
    virtual void OpenFileQuietly(const std::string& Name, bool ReadOnly) = 0;
    virtual bool SaveActiveFile() = 0;
};

// The Find and Replace dialog and its runs, Find Next, Go To and Sort, and the last confirmed
// search, which Find Next repeats.
class TFindReplace {
public:
    TFindReplace(TWindowHost& Window, TFindReplaceHost& Host);
    ~TFindReplace();

    TFindForm& FindForm();
    // The Find dialog on the Find or Replace tab; AllDocuments lists the matches of every open
    // document for this run only.
    void ShowFindDialog(bool Replace, bool AllDocuments);
    void FindNext();
    // Searches the active document from the caret for the last confirmed text; CaptionIndex
    // picks the no-matches message's caption (0 Find, 1 Replace), shown only with Report.
    bool FindNextInEditor(int CaptionIndex, bool Report);
    // The matches of the active document, or of every named one, as a results tab.
    void ListMatchesInOpenDocuments(bool AllDocuments);
    // Confirms the active document's selection, else the word at the caret, as the search.
    void SetSearchTermToSelection();
    // A text has been confirmed that Find Next can look for again.
    bool CanRepeatSearch() const { return FSearchConfirmed; }

    void GoTo();
    void Sort();
    TKorvidSortOptions& SortOptions() { return FSortOptions; }

private:
    // The Replace tab's runs: in the active document, or throughout a results tab's files.
    void ReplaceInEditor(TDocumentEditor& Editor);
    void ReplaceAcrossFiles(TDocumentEditor& Results);
    // The found text comes into view as the options ask.
    void ShowFoundText(TDocumentEditor& Editor);

    TWindowHost& FWindow;
    TFindReplaceHost& FHost;
    std::unique_ptr<TFindForm> FFindForm;
    // The last confirmed search, which Find Next repeats.
    bool FSearchConfirmed = false;
    std::string FFindText;
    std::string FReplaceText;
    std::uint16_t FFindOptions = 0x0001;
    // A match was found since the search was confirmed: "No more matches", not "No matches".
    bool FFoundSinceConfirmed = false;
    TKorvidSortOptions FSortOptions;
};

} // namespace korvid
