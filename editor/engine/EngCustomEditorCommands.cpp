// The editor's command entry: the key tables' codes executed on the text model.
#include "editor/engine/EngCustomEditor.h"

#include "editor/engine/EngCommand.h"

#include <algorithm>

namespace korvid {

namespace {

// Commands after which OnChange fires, whether or not anything changed.
bool AnnouncesChange(std::uint16_t Command) {
    switch (Command) {
    case ccBack:
    case ccCut:
    case ccDel:
    case ccDelBol:
    case ccDelEol:
    case ccDelLine:
    case ccDelWord:
    case ccPaste:
    case ccRedo:
    case ccTab:
    case ccUndo:
    case ccTypedChar:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TEngCustomEditor::ProcessCommand(std::uint16_t Command, std::uint16_t Key) {
    if (Command >= ccUserFirst) {
        if (OnUserCommand)
            OnUserCommand(*this, Command);
        return true;
    }
    const int Page = PageSize();
    // Bookmarks take their index from the code, so keypad digits and replayed macros work too.
    if (Command >= ccGotoMarker0 && Command <= ccGotoMarker9) {
        GotoMarker(Command - ccGotoMarker0);
        return true;
    }
    if (Command >= ccSetMarker0 && Command <= ccSetMarker9) {
        SetMarker(Command - ccSetMarker0);
        return true;
    }
    switch (Command) {
    case ccBack:
        if (GetReadOnly())
            MoveCaretLeft();
        else
            Backspace();
        break;
    case ccBotOfPage:
        MoveToPageEdge(true, false, true);
        break;
    case ccCopy:
        CopySelectionToClipboard();
        break;
    case ccCtrlChar:
        break;
    case ccCut:
        CutToClipboard();
        break;
    case ccDel:
        if (!GetReadOnly())
            DeleteAtCaret();
        break;
    case ccDelBol:
        DeleteToLineStart();
        break;
    case ccDelEol:
        DeleteToLineEnd();
        break;
    case ccDelLine:
        DeleteLine();
        break;
    case ccDelWord:
        DeleteWord();
        break;
    case ccDown:
        if (WebScrolling)
            ScrollRowKeepingCaret(1);
        else
            MoveCaretBy(1, 0, {});
        break;
    case ccEnd:
        MoveCaretToLineEnd();
        break;
    case ccExtendDown:
        MoveCaretBy(1, 0, {.Extend = true});
        break;
    case ccExtendEnd:
        MoveCaretToLineEnd(true);
        break;
    case ccExtendHome:
        MoveCaret(FCaretLine, 1, true);
        break;
    case ccExtendLeft:
        MoveCaretLeft(true);
        break;
    case ccExtendPgDn:
        MoveCaretBy(Page, 0, {.Extend = true, .KeepRow = true});
        break;
    case ccExtendPgUp:
        MoveCaretBy(-Page, 0, {.Extend = true, .KeepRow = true});
        break;
    case ccExtendRight:
        MoveCaretRight(true);
        break;
    case ccExtendUp:
        MoveCaretBy(-1, 0, {.Extend = true});
        break;
    case ccExtBotOfPage:
        MoveToPageEdge(true, true, false);
        break;
    case ccExtFirstPage:
        MoveCaret(1, 1, true);
        break;
    case ccExtLastPage:
        MoveCaret(LineCount(), FLines->LineLength(LineCount()) + 1, true);
        break;
    case ccExtTopOfPage:
        MoveToPageEdge(false, true, false);
        break;
    case ccExtWordLeft:
        MoveWordLeft(true);
        break;
    case ccExtWordRight:
        MoveWordRight(true);
        break;
    case ccFirstPage:
        MoveCaret(1, 1);
        break;
    case ccHome:
        MoveCaret(FCaretLine, 1);
        break;
    case ccIns:
        SetInsertMode(!FInsertMode);
        break;
    case ccLastPage:
        MoveCaret(LineCount(), FLines->LineLength(LineCount()) + 1);
        break;
    case ccLeft:
        MoveCaretLeft();
        break;
    case ccNewLine:
        PerformEnter();
        break;
    case ccNextPage:
        MoveCaretBy(Page, 0, {.KeepRow = true});
        break;
    case ccPaste:
        PasteFromClipboard();
        break;
    case ccPrevPage:
        MoveCaretBy(-Page, 0, {.KeepRow = true});
        break;
    case ccRedo:
        UndoOrRedo(true);
        break;
    case ccRight:
        MoveCaretRight();
        break;
    case ccScrollDown:
        ScrollRowKeepingCaret(1);
        break;
    case ccScrollUp:
        ScrollRowKeepingCaret(-1);
        break;
    case ccTab:
        PerformTab();
        break;
    case ccTopOfPage:
        MoveToPageEdge(false, false, true);
        break;
    case ccUndo:
        UndoOrRedo(false);
        break;
    case ccUp:
        if (WebScrolling)
            ScrollRowKeepingCaret(-1);
        else
            MoveCaretBy(-1, 0, {});
        break;
    case ccWordLeft:
        MoveWordLeft(false);
        break;
    case ccWordRight:
        MoveWordRight(false);
        break;
    case ccTypedChar:
        TypeChar(static_cast<char>(Key));
        break;
    default:
        return false;
    }
    if (AnnouncesChange(Command))
        Changed();
    return true;
}

void TEngCustomEditor::MoveWordLeft(bool Extend) {
    const std::string_view Text = FLines->ParaText(FCaretPara);
    const int Length = static_cast<int>(Text.size());
    int K = std::min(CaretPos(), Length + 1) - 1; // characters before the caret
    if (K == 0) {
        if (FCaretPara > 1)
            MoveCaretToPara(FCaretPara - 1, FLines->ParaLength(FCaretPara - 1) + 1, Extend);
        return;
    }
    while (K > 0 && IsDelimiter(Text[K - 1]))
        --K;
    while (K > 0 && !IsDelimiter(Text[K - 1]))
        --K;
    MoveCaretToPara(FCaretPara, K + 1, Extend);
}

void TEngCustomEditor::MoveWordRight(bool Extend) {
    const std::string_view Text = FLines->ParaText(FCaretPara);
    const int Length = static_cast<int>(Text.size());
    int K = CaretPos() - 1;
    if (K >= Length) {
        if (FCaretPara < FLines->ParaCount())
            MoveCaretToPara(FCaretPara + 1, 1, Extend);
        return;
    }
    while (K < Length && !IsDelimiter(Text[K]))
        ++K;
    while (K < Length && IsDelimiter(Text[K]))
        ++K;
    MoveCaretToPara(FCaretPara, K + 1, Extend);
}

// The caret goes to the window's top or bottom line; a caret outside the window either
// scrolls its line to that edge or stays put.
void TEngCustomEditor::MoveToPageEdge(bool Bottom, bool Extend, bool ScrollWhenOutside) {
    const int Rows = std::max(FVisibleLines, 1);
    const int Last = FTopLine + Rows - 1;
    if (FCaretLine >= FTopLine && FCaretLine <= Last) {
        const int Target = Bottom ? std::min(Last, LineCount()) : FTopLine;
        MoveCaretBy(Target - FCaretLine, 0, {.Extend = Extend});
        return;
    }
    if (!ScrollWhenOutside)
        return;
    const int Top = Bottom ? FCaretLine - Rows + 1 : FCaretLine;
    ScrollText(0, std::max(Top, 1) - FTopLine);
}

void TEngCustomEditor::ScrollRowKeepingCaret(int Rows) {
    ScrollText(0, Rows);
    const int Last = FTopLine + std::max(FVisibleLines, 1) - 1;
    if (FCaretLine < FTopLine)
        MoveCaretBy(FTopLine - FCaretLine, 0, {});
    else if (FCaretLine > Last)
        MoveCaretBy(Last - FCaretLine, 0, {});
}

void TEngCustomEditor::CutToClipboard() {
    if (!HasSelection() || GetReadOnly())
        return;
    CopySelectionToClipboard();
    DeleteAtCaret();
    UpdateVertRange();
    UpdateVertPos();
    UpdateHorzRange();
    KeepCaretInView();
}

void TEngCustomEditor::PasteFromClipboard() {
    if (GetReadOnly())
        return;
    std::string Text = FHost.ClipboardText();
    // The clipboard's text ends at its first NUL.
    if (const auto Nul = Text.find('\0'); Nul != std::string::npos)
        Text.resize(Nul);
    if (Text.empty())
        return;
    Error(InsertReplacingSelection(Text));
    UpdateVertRange();
    UpdateVertPos();
    UpdateHorzRange();
    KeepCaretInView();
}

void TEngCustomEditor::UndoOrRedo(bool Redo) {
    if (GetReadOnly() || !(Redo ? FLines->CanRedo() : FLines->CanUndo())) {
        FHost.Beep();
        return;
    }
    const int OldCount = FLines->LineCount();
    const std::optional<TTextPos> Caret = Redo ? FLines->Redo(this) : FLines->Undo(this);
    if (!Caret) {
        FHost.Beep();
        return;
    }
    SyncCaretFromPara(Caret->Para, Caret->Pos);
    CollapseToCaret(false);
    if (FLines->LineCount() != OldCount) {
        UpdateVertRange();
        UpdateVertPos();
    }
    RequestFullRepaint(false);
    MoveCaretBy(0, 0, {.KeepPos = true});
}

} // namespace korvid
