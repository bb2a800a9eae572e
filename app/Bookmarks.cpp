#include "app/Bookmarks.h"

#include "app/DocumentEditor.h"
#include "app/WindowHost.h"
#include "ui/MessagesUnit.h"
#include "workspace/KorvidOptions.h"

namespace korvid {
namespace {

bool IsBookmarkNumber(int Number) {
    return Number >= 0 && Number <= 9;
}

bool BookmarkOnCaretLine(const TDocumentEditor& Editor, int Number) {
    int Col = 0;
    const int Line = Editor.GetMarkerPosition(Number, Col);
    return Line >= 0 && Line == Editor.GetCaretLine();
}

} // namespace

TBookmarks::TBookmarks(TWindowHost& Window, TBookmarksHost& Host) : FWindow(Window), FHost(Host) {}

TDocumentEditor* TBookmarks::EditorWithBookmark(int Number) const {
    for (TDocumentEditor* Editor : FHost.OpenDocuments())
        if (Editor->IsBookmarkSet(Number))
            return Editor;
    return nullptr;
}

void TBookmarks::ToggleBookmark(TDocumentEditor& Editor, int Number) {
    if (BookmarkOnCaretLine(Editor, Number)) {
        Editor.ClearMarker(Number);
        return;
    }
    // A number marks one place among all the documents.
    TDocumentEditor* Holder = EditorWithBookmark(Number);
    if (Holder && Holder != &Editor) {
        if (!ConfirmMoveBookmark(Number, FWindow.Options().MoveBookmarkMessage))
            return;
        Holder->ClearMarker(Number);
    }
    Editor.SetMarker(Number);
}

void TBookmarks::ToggleAutomatedBookmark(TDocumentEditor& Editor) {
    int Free = -1;
    for (int Number = 1; Number <= 9; ++Number) {
        if (BookmarkOnCaretLine(Editor, Number)) {
            Editor.ClearMarker(Number);
            return;
        }
        if (Free < 0 && !EditorWithBookmark(Number))
            Free = Number;
    }
    if (Free < 0)
        ShowAllBookmarksInUseMessage();
    else
        Editor.SetMarker(Free);
}

void TBookmarks::Toggle(int Number) {
    TDocumentEditor* Editor = FWindow.ActiveEditor();
    if (!Editor || !IsBookmarkNumber(Number))
        return;
    if (Number == 0 && FWindow.Options().BookmarkZero)
        ToggleAutomatedBookmark(*Editor);
    else
        ToggleBookmark(*Editor, Number);
    FWindow.UpdateCommandStates();
}

void TBookmarks::GoTo(int Number) {
    if (!FWindow.ActiveEditor() || !IsBookmarkNumber(Number))
        return;
    TDocumentEditor* Holder = EditorWithBookmark(Number);
    if (!Holder)
        return;
    if (Holder != FWindow.ActiveEditor())
        FHost.ActivateTabOfEditor(*Holder);
    Holder->GotoMarker(Number);
    FWindow.UpdateCommandStates();
}

} // namespace korvid
