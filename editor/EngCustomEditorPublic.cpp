// What the editor offers its users: reading the text, the caret and the selection, moving and
// selecting, inserting, bookmarks and the property setters.
#include "editor/EngCustomEditor.h"

#include "editor/EngException.h"
#include "editor/EngText.h"

#include <algorithm>

namespace korvid {

void TEngCustomEditor::SetInsertMode(bool Value) {
    if (Value == InsertMode)
        return;
    InsertMode = Value;
    FHost.SetCaretCell(FCharWidth, FLineHeight, InsertMode);
    PlaceCaret();
}

// ---- Bookmarks ----

namespace {

bool IsBookmarkIndex(int Index) {
    return Index >= 0 && Index < TParaList::BookmarkCount;
}

} // namespace

void TEngCustomEditor::SetMarker(int Index) {
    if (!IsBookmarkIndex(Index))
        return;
    FLines->SetBookmark(Index, FCaretPara, CaretPos());
    RequestFullRepaint(false);
}

void TEngCustomEditor::GotoMarker(int Index) {
    if (!IsBookmarkIndex(Index))
        return;
    const TTextPos P = FLines->Bookmark(Index);
    if (P.Para == 0 || P.Pos == 0)
        return;
    MoveCaretToPara(P.Para, P.Pos);
}

} // namespace korvid
