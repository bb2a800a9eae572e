// Scrolling, the scroll bars, the caret's place on the screen and how the editors sharing a
// text follow its changes.
#include "editor/engine/EngCustomEditor.h"

#include <algorithm>

namespace korvid {

namespace {

constexpr int LinesPerScale = 32768;

} // namespace

// ---- Scrolling ----

void TEngCustomEditor::ScrollText(int Columns, int Rows) {
    const int OldLeft = FLeftColumn;
    const int OldTop = FTopLine;
    const int NewLeft = std::max(FLeftColumn + Columns, 0);
    const int MaxTop = std::max(FLines->LineCount() - FVisibleLines + 1, 1);
    const int NewTop = std::clamp(FTopLine + Rows, 1, MaxTop);
    if (NewLeft == OldLeft && NewTop == OldTop) {
        PlaceCaret();
        return;
    }
    if (NewTop != OldTop) {
        FTopLine = NewTop;
        const auto [Para, Offset] = FLines->ParaOfLine(NewTop);
        FTopPara = Para;
        FTopOffset = Offset;
        UpdateVertPos();
    }
    if (NewLeft != OldLeft) {
        FLeftColumn = NewLeft;
        UpdateHorzPos();
    }
    const TPixelRect Area{FLeftMargin, 0, FLeftMargin + FVisibleColumns * FCharWidth,
                          FVisibleLines * FLineHeight};
    const int Dx = (OldLeft - NewLeft) * FCharWidth;
    const int Dy = (OldTop - NewTop) * FLineHeight;
    if (FUpdateCount > 0) {
        FFullRepaint = true;
    } else if (FFullRepaint) {
        FHost.PaintNow();
    } else if ((Dx == 0) != (Dy == 0) && std::abs(Dx) < Area.Right - Area.Left &&
               std::abs(Dy) < Area.Bottom - Area.Top) {
        FHost.ScrollPixels(Area, Dx, Dy);
        if (FShowBookmarks && Dy != 0)
            FHost.ScrollPixels({0, 0, FLeftMargin, Area.Bottom}, 0, Dy);
        FHost.PaintNow();
    } else {
        RequestFullRepaint(true);
    }
    if (NewTop != OldTop && OnTopLineChanged)
        OnTopLineChanged(*this, NewTop);
}

// ---- Scroll bars ----

int TEngCustomEditor::VertScale() const {
    const int Count = FLines->LineCount();
    return Count > LinesPerScale - 1 ? 2 * (Count / LinesPerScale) : 1;
}

void TEngCustomEditor::UpdateHorzRange() {
    if (!FHost.WindowExists())
        return;
    int Range = WordWrap() ? WrapColumn() : ParaLengthLimit();
    Range = std::min(Range, MaxHorzRange);
    if (FScrollBarsAlways && Range < 1)
        Range = 1;
    if (!FHasHorzBar)
        FHost.SetScrollRange(TScrollBarKind::Horizontal, 0, 0, 0);
    else if (Range <= FVisibleColumns && !FScrollBarsAlways)
        FHost.SetScrollRange(TScrollBarKind::Horizontal, 0, 0, 0);
    else
        FHost.SetScrollRange(TScrollBarKind::Horizontal, 0, Range, FVisibleColumns);
}

void TEngCustomEditor::UpdateHorzPos() {
    FHorzPosPending = false;
    if (!FHost.WindowExists())
        return;
    if (FHasHorzBar)
        FHost.SetScrollPos(TScrollBarKind::Horizontal, FLeftColumn);
}

void TEngCustomEditor::UpdateVertRange() {
    FVertRangePending = false;
    if (!FHost.WindowExists())
        return;
    const int Scale = VertScale();
    int Range = FLines->LineCount() / Scale;
    if (Range < 2 && FScrollBarsAlways)
        Range = FVisibleLines / Scale;
    if (!FHasVertBar)
        FHost.SetScrollRange(TScrollBarKind::Vertical, 0, 0, 0);
    else if (FLines->LineCount() <= FVisibleLines && !FScrollBarsAlways)
        FHost.SetScrollRange(TScrollBarKind::Vertical, 1, 1, 0);
    else
        FHost.SetScrollRange(TScrollBarKind::Vertical, 1, Range,
                             std::min(FVisibleLines / Scale, Range - 1));
}

void TEngCustomEditor::UpdateVertPos() {
    FVertPosPending = false;
    if (!FHost.WindowExists())
        return;
    if (FHasVertBar)
        FHost.SetScrollPos(TScrollBarKind::Vertical, FTopLine / VertScale());
}

void TEngCustomEditor::MarkScrollBarsPending() {
    FHorzPosPending = FVertPosPending = FVertRangePending = true;
}

// ---- Caret on the screen ----

void TEngCustomEditor::PlaceCaret(std::optional<int> Column) {
    if (FCaretLine > FLines->LineCount())
        SetCaretState(FLines->LineCount(), 1);
    const int Col = Column ? *Column : CaretColumn();
    int X = OffWindow;
    int Y = OffWindow;
    if (CaretVisible()) {
        X = (Col - FLeftColumn - 1) * FCharWidth + FLeftMargin;
        Y = (FCaretLine - FTopLine) * FLineHeight;
    }
    if (FHost.HasFocus())
        FHost.SetCaretPos(X, Y);
    FHost.QueueCaretMoved(FCaretLine, Col);
}

std::pair<int, int> TEngCustomEditor::PointToTextPos(int X, int Y) {
    const int Height = FHost.ClientHeight();
    int Line;
    if (Y < 0) {
        Line = FTopLine - 1;
    } else if (Y < Height) {
        Line = Y / FLineHeight + FTopLine;
        // The partly visible bottom row counts as the last full one.
        if (Y >= FVisibleLines * FLineHeight)
            --Line;
    } else {
        Line = FTopLine + FVisibleLines;
    }
    Line = std::clamp(Line, 1, FLines->LineCount());
    int Column = (X - FLeftMargin + FCharWidth / 2) / FCharWidth + 1 + FLeftColumn;
    const int RightEdge = FLeftMargin + FVisibleColumns * FCharWidth - FCharWidth / 2;
    if (X >= RightEdge && X < FHost.ClientWidth())
        Column = FVisibleColumns + FLeftColumn;
    const std::string_view Text = FLines->LineText(Line);
    int Pos = Column < 1 ? 1 : FLines->PositionOfColumn(Text, Column);
    if (!FScrollPastEnd)
        Pos = std::min(Pos, static_cast<int>(Text.size()) + 1);
    return {Line, Pos};
}

// ---- Re-layout ----

void TEngCustomEditor::TextRewrapped() {
    TEngCustomEditor* E = this;
    do {
        E->Relayout();
        E = E->FNext;
    } while (E != this);
}

void TEngCustomEditor::Relayout() {
    if (FRelayingOut)
        return;
    FRelayingOut = true;
    SyncCaretFromPara(FCaretPara, CaretPos());
    if (WordWrap()) {
        const int Length = FLines->LineLength(FCaretLine);
        if (FCaretPosInLine > Length + 1)
            FCaretPosInLine = Length + 1;
    }
    SetTopLine(FLines->LineOfPara(FTopPara, FTopOffset + 1).first);
    RecomputeEnd(FSelStart);
    RecomputeEnd(FSelEnd);
    UpdateHorzRange();
    const int Range = WordWrap() ? std::min(WrapColumn(), MaxHorzRange) : FLeftColumn;
    FLeftColumn = std::clamp(FLeftColumn, 0, std::max(Range, 0));
    UpdateVertRange();
    UpdateVertPos();
    UpdateHorzRange();
    UpdateHorzPos();
    if (FHost.WindowExists())
        Measure();
    else
        RequestFullRepaint(true);
    FRelayingOut = false;
}

// ---- Editors sharing the text ----

TTextPos TEngCustomEditor::TTextChange::Move(TTextPos P, int ParaCount, bool* InDeleted) const {
    bool Gone = false;
    switch (Kind) {
    case Inserted:
        if (P.Para == Para && P.Pos >= Pos)
            P.Pos += Count;
        break;
    case Deleted:
        if (P.Para == Para && P.Pos >= Pos) {
            Gone = P.Pos < Pos + Count;
            P.Pos = Gone ? Pos : P.Pos - Count;
        }
        break;
    case Split:
        if (P.Para > Para)
            ++P.Para;
        else if (P.Para == Para && P.Pos >= Pos)
            P = {Para + 1, P.Pos - (Pos - 1) + Count};
        break;
    case ParaDeleted:
        if (P.Para == Para) {
            P.Pos = 1;
            Gone = true;
        } else if (P.Para > Para) {
            --P.Para;
        }
        P.Para = std::min(P.Para, ParaCount);
        break;
    case Joined:
        if (P.Para == Para + 1)
            P = {Para, P.Pos + Pos - 1};
        else if (P.Para > Para + 1)
            --P.Para;
        break;
    }
    if (InDeleted)
        *InDeleted = Gone;
    return P;
}

void TEngCustomEditor::CharsInserted(int Para, int Pos, int Count) {
    AdjustRing({TTextChange::Inserted, Para, Pos, Count});
}

void TEngCustomEditor::CharsDeleted(int Para, int Pos, int Count) {
    AdjustRing({TTextChange::Deleted, Para, Pos, Count});
}

void TEngCustomEditor::ParaSplit(int Para, int Pos, int Indent) {
    AdjustRing({TTextChange::Split, Para, Pos, Indent});
}

void TEngCustomEditor::ParaDeleted(int Para) {
    AdjustRing({TTextChange::ParaDeleted, Para, 1, 0});
}

void TEngCustomEditor::ParasJoined(int Para, int Pos) {
    AdjustRing({TTextChange::Joined, Para, Pos, 0});
}

void TEngCustomEditor::AdjustRing(const TTextChange& Change) {
    for (TEngCustomEditor* E = FNext;; E = E->FNext) {
        E->FollowChange(Change, E == this);
        if (E == this)
            break;
    }
}

void TEngCustomEditor::FollowChange(const TTextChange& Change, bool IsChanger) {
    const int ParaCount = FLines->ParaCount();
    const TTextPos TopStart{FTopPara, FTopOffset + 1};
    const bool BeforeTop = Change.Kind == TTextChange::Inserted
                               ? Change.Para < TopStart.Para ||
                                     (Change.Para == TopStart.Para && Change.Pos < TopStart.Pos)
                               : Change.Para <= TopStart.Para;
    const bool SplitAtTop = Change.Kind == TTextChange::Split && Change.Para == TopStart.Para &&
                            Change.Pos == TopStart.Pos;
    // The top line's start moves with the text before it; its line is looked up anew in any
    // case, since a re-wrap may have shifted the line starts around it.
    if (IsChanger && SplitAtTop) {
        SetTopLine(FTopLine);
    } else if (Change.Para > TopStart.Para) {
        // A change below the top line's paragraph cannot move it; looking it up would walk
        // the text from the change back to the top on every edit of a long replace.
    } else {
        const TTextPos Start = BeforeTop ? Change.Move(TopStart, ParaCount) : TopStart;
        SetTopLine(FLines->LineOfPara(Start.Para, Start.Pos).first);
    }
    if (IsChanger)
        return;
    bool StartDeleted = false;
    bool EndDeleted = false;
    const TTextPos Caret = Change.Move({FCaretPara, CaretPos()}, ParaCount);
    const TTextPos Start = Change.Move(FSelStart.P, ParaCount, &StartDeleted);
    const TTextPos End = Change.Move(FSelEnd.P, ParaCount, &EndDeleted);
    FSelCaretEnd = Change.Move(FSelCaretEnd, ParaCount);
    SyncCaretFromPara(Caret.Para, Caret.Pos);
    if (Change.Kind == TTextChange::ParaDeleted && StartDeleted && EndDeleted) {
        CollapseToCaret(false);
    } else {
        // Lines of unmoved ends shift too when earlier paragraphs re-wrap.
        FSelStart.P = Start;
        FSelEnd.P = End;
        RecomputeEnd(FSelStart);
        RecomputeEnd(FSelEnd);
    }
    MarkScrollBarsPending();
    RequestFullRepaint(false);
}

} // namespace korvid
