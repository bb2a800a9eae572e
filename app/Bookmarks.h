#pragma once

#include <vector>

namespace korvid {

class TDocumentEditor;
class TWindowHost;

// What the bookmarks need of the window: the documents they are set in.
class TBookmarksHost {
public:
    virtual ~TBookmarksHost() = default;

    // Every tab's document, in tab order.
    virtual std::vector<TDocumentEditor*> OpenDocuments() const = 0;
    virtual void ActivateTabOfEditor(const TDocumentEditor& Editor) = 0;
};

// The ten bookmarks, each marking one place among all the open documents.
class TBookmarks {
public:
    TBookmarks(TWindowHost& Window, TBookmarksHost& Host);

    // Sets or clears the bookmark on the caret's line; 0 is the automated one when the options
    // say so.
    void Toggle(int Number);
    void GoTo(int Number);
    // The document holding a bookmark, or none.
    TDocumentEditor* EditorWithBookmark(int Number) const;

private:
    void ToggleBookmark(TDocumentEditor& Editor, int Number);
    // Clears a bookmark on the caret's line, else sets the lowest number in use nowhere.
    void ToggleAutomatedBookmark(TDocumentEditor& Editor);

    TWindowHost& FWindow;
    TBookmarksHost& FHost;
};

} // namespace korvid
