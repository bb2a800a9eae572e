// The editor's own Tab and the deletion keys besides Delete.
#include "editor/engine/EngCustomEditor.h"

#include "editor/engine/EngText.h"

#include <algorithm>

namespace korvid {

void TEngCustomEditor::PerformTab() {
    if (GetReadOnly())
        return;
    if (HasSelection())
        DeleteAtCaret();
    const int P = FCaretPosInLine;
    const int Fixed = NextTabStop(P) - P;
    switch (FTabType) {
    case ttReal:
        TypeChar(TabChar);
        break;
    case ttFixed:
        InsertBlanks(Fixed);
        break;
    case ttSmart: {
        int C = 0;
        if (FCaretPara != 1) {
            C = SmartTabColumn(FCaretLine - 1, P);
            if (C == 0 && FCaretLine < FLines->LineCount())
                C = SmartTabColumn(FCaretLine + 1, P);
        }
        InsertBlanks(C > P ? C - P : Fixed);
        break;
    }
    }
}

// Where the next word of a neighbouring line starts, seen from column P: 0 for an empty line,
// P beyond its end.
int TEngCustomEditor::SmartTabColumn(int Line, int P) {
    const std::string Text = ExpandTabs(FLines->LineText(Line), FLines->TabSize());
    const int Width = static_cast<int>(Text.size());
    if (Width == 0)
        return 0;
    if (P > Width)
        return P;
    int I = P;
    if (!IsBlank(Text[I - 1])) {
        while (I <= Width && !IsBlank(Text[I - 1]))
            ++I;
    }
    while (I <= Width && IsBlank(Text[I - 1]))
        ++I;
    return I;
}

void TEngCustomEditor::InsertBlanks(int Count) {
    TUndoBuffer& Undo = FLines->UndoBuffer();
    bool Outer = false;
    bool Opened = false;
    if (HasSelection()) {
        Outer = Undo.BeginGroup();
        Opened = true;
        DeleteAtCaret();
    } else if (!FInsertMode) {
        Outer = Undo.BeginGroup();
        Opened = true;
        const int Length = FLines->ParaLength(FCaretPara);
        if (CaretPos() <= Length) {
            FLines->DeleteText(this, FCaretPara, CaretPos(),
                               std::min(Count, Length - CaretPos() + 1));
            RepaintChanged();
        }
    }
    const int Para = FCaretPara;
    const int Pos = CaretPos();
    const int OldCount = FLines->LineCount();
    int Error = FLines->CheckLimits(Para, 0, Count);
    if (Error == eeNone)
        Error =
            FLines->InsertText(this, Para, Pos, std::string(static_cast<std::size_t>(Count), ' '));
    if (Error == eeNone) {
        TextChangedAround(OldCount);
        MoveCaretToPara(Para, Pos + Count);
    }
    if (Opened)
        Undo.EndGroup(Outer);
    if (Error != eeNone)
        this->Error(Error);
}

// Selects the stretch (paragraph and position only) and lets Delete remove it.
void TEngCustomEditor::DeleteStretch(TTextPos From, TTextPos To) {
    FSelStart.P = From;
    FSelEnd.P = To;
    FSelCaretEnd = To;
    DeleteAtCaret();
}

void TEngCustomEditor::Backspace() {
    if (GetReadOnly())
        return;
    if (HasSelection()) {
        DeleteAtCaret();
        return;
    }
    if (FCaretLine == 1 && FCaretPosInLine == 1)
        return;
    const int Pos = CaretPos();
    if (Pos > FLines->ParaLength(FCaretPara) + 1) {
        // Beyond the end there is nothing to delete: only move, never pull text up.
        MoveCaretBy(0, -1, {false, true, false});
        return;
    }
    if (Pos > 1)
        MoveCaretToPara(FCaretPara, Pos - 1);
    else
        MoveCaret(FCaretLine - 1, FLines->LineLength(FCaretLine - 1) + 1);
    DeleteAtCaret();
}

void TEngCustomEditor::DeleteToLineStart() {
    if (GetReadOnly())
        return;
    if (FLines->LineLength(FCaretLine) == 0) {
        CollapseToCaret(true);
        return;
    }
    DeleteStretch({FCaretPara, FLineOffset + 1}, {FCaretPara, CaretPos()});
}

void TEngCustomEditor::DeleteToLineEnd() {
    if (GetReadOnly())
        return;
    const int Length = FLines->LineLength(FCaretLine);
    if (Length == 0 || FCaretPosInLine > Length) {
        CollapseToCaret(true);
        return;
    }
    DeleteStretch({FCaretPara, CaretPos()}, {FCaretPara, FLineOffset + Length + 1});
}

void TEngCustomEditor::DeleteWord() {
    if (GetReadOnly())
        return;
    if (HasSelection()) {
        DeleteAtCaret();
        return;
    }
    const std::string_view Text = FLines->ParaText(FCaretPara);
    const int Length = static_cast<int>(Text.size());
    const int P = CaretPos();
    int I = P;
    while (I <= Length && !IsDelimiter(Text[I - 1]))
        ++I;
    while (I <= Length && IsBlank(Text[I - 1]))
        ++I;
    DeleteStretch({FCaretPara, P}, {FCaretPara, std::max(I, P)});
}

void TEngCustomEditor::DeleteLine() {
    if (GetReadOnly())
        return;
    TUndoBuffer& Undo = FLines->UndoBuffer();
    const bool Outer = Undo.BeginGroup();
    const TTextPos Start{FCaretPara, FLineOffset + 1};
    if (FCaretLine == FLines->LineCount()) {
        const int Length = FLines->LineLength(FCaretLine);
        if (Length > 0)
            DeleteStretch(Start, {FCaretPara, FLineOffset + Length + 1});
    } else {
        const auto [NextPara, NextOffset] = FLines->ParaOfLine(FCaretLine + 1);
        DeleteStretch(Start, {NextPara, NextOffset + 1});
    }
    Undo.EndGroup(Outer);
}

} // namespace korvid
