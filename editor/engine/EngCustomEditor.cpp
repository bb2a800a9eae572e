#include "editor/engine/EngCustomEditor.h"

#include "editor/engine/EngException.h"
#include "editor/engine/EngText.h"

#include <algorithm>
#include <climits>

namespace korvid {

namespace {

// Showing or hiding a scroll bar changes the client size, which can change whether the bar is
// needed; a few rounds settle every real case and stop a bar that keeps flipping.
constexpr int MeasureRounds = 4;

bool Before(TTextPos A, TTextPos B) {
    return A.Para < B.Para || (A.Para == B.Para && A.Pos < B.Pos);
}

} // namespace

TEngCustomEditor::TEngCustomEditor(TEngEditorHost& Host, TEngController* Controller)
    : FHost(Host), FController(Controller),
      FLines(std::make_shared<TParaList>(this, DefaultUndoSize, false)) {
    FLines->OnBusy = [this](bool Busy) { FHost.SetBusy(Busy); };
}

TEngCustomEditor::~TEngCustomEditor() {
    Detach();
}

TEngController& TEngCustomEditor::RequireController() {
    if (FController == nullptr)
        throw ENoControllerAssigned();
    return *FController;
}

// ---- Sharing a text ----

void TEngCustomEditor::Attach(TEngCustomEditor& Other) {
    if (Shares(Other))
        return;
    Detach();
    FLines = Other.FLines;
    TEngCustomEditor& Owner = *static_cast<TEngCustomEditor*>(FLines->Owner());
    FPrev = &Owner;
    FNext = Owner.FNext;
    Owner.FNext->FPrev = this;
    Owner.FNext = this;
    FCaretLine = FCaretPara = FCaretPosInLine = 1;
    FLineOffset = 0;
    FTopLine = FTopPara = 1;
    FTopOffset = 0;
    CollapseToCaret(false);
    RequestFullRepaint(false);
}

void TEngCustomEditor::Detach() {
    if (FNext == this)
        return;
    FPrev->FNext = FNext;
    FNext->FPrev = FPrev;
    if (FLines->Owner() == this) {
        FLines->SetOwner(FNext);
        FLines->OnBusy = [Next = FNext](bool Busy) { Next->FHost.SetBusy(Busy); };
    }
    FPrev = FNext = this;
}

bool TEngCustomEditor::Shares(const TEngCustomEditor& Other) const {
    return FLines == Other.FLines;
}

// ---- Window ----

void TEngCustomEditor::WindowCreated() {
    FHasHorzBar = FScrollBars == TScrollStyle::Both || FScrollBars == TScrollStyle::Horizontal;
    FHasVertBar = FScrollBars == TScrollStyle::Both || FScrollBars == TScrollStyle::Vertical;
    Measure();
    UpdateHorzRange();
    UpdateVertRange();
}

void TEngCustomEditor::Measure() {
    FCharWidth = std::max(FHost.AverageCharWidth(), 1);
    FLineHeight = std::max(FHost.FontLineHeight() + 1 + FExtraLineSpacing, 1);
    for (int Round = 0; Round < MeasureRounds; ++Round) {
        bool Changed = false;
        const int Width = FHost.ClientWidth();
        const int Columns = std::max((Width - FLeftMargin - FRightMargin) / FCharWidth, 1);
        if (Columns != FVisibleColumns) {
            FVisibleColumns = Columns;
            Changed = true;
            if (Width > 0) {
                if (!KeepHorzScroll)
                    FLeftColumn = 0;
                UpdateHorzRange();
                UpdateHorzPos();
            }
        }
        const int Height = FHost.ClientHeight();
        const int Rows = std::max(Height / FLineHeight, 1);
        if (Rows != FVisibleLines) {
            FVisibleLines = Rows;
            Changed = true;
            if (Height > 0) {
                UpdateVertRange();
                UpdateVertPos();
            }
        }
        if (!Changed)
            break;
    }
    FHost.SetCaretCell(FCharWidth, FLineHeight, FInsertMode);
    if (FWrapToWindow && WordWrap())
        SetWrapColumn(std::max(FVisibleColumns - 2, 1));
    RequestFullRepaint(true);
}

void TEngCustomEditor::SetWordWrap(bool Value) {
    FLines->SetWordWrap(Value);
    if (WordWrap()) {
        FWrapAtLeft = true;
        FScrollPastEnd = false;
    }
    if (Value && FWrapToWindow)
        SetWrapColumn(std::max(FVisibleColumns - 2, 1));
}

void TEngCustomEditor::SetWrapToWindow(bool Value) {
    FWrapToWindow = Value;
    if (Value && WordWrap())
        SetWrapColumn(std::max(FVisibleColumns - 2, 1));
}

void TEngCustomEditor::PaintDone() {
    FFullRepaint = false;
    if (FVertRangePending)
        UpdateVertRange();
    if (FVertPosPending)
        UpdateVertPos();
    if (FHorzPosPending)
        UpdateHorzPos();
    PlaceCaret();
}

void TEngCustomEditor::CaretMoved(int Line, int Column) {
    if (OnShowStatus)
        OnShowStatus(*this, Line, Column);
}

bool TEngCustomEditor::DoDrawLine(TEngDrawLineArgs& Args) {
    Args.WasDrawn = false;
    if (OnDrawLine)
        OnDrawLine(*this, Args);
    return Args.WasDrawn;
}

void TEngCustomEditor::FocusEntered() {
    if (FController != nullptr)
        FInsertMode = FController->InsertMode;
    FHost.SetCaretCell(FCharWidth, FLineHeight, FInsertMode);
    PlaceCaret();
    if (FHideSelection && HasSelection())
        RepaintLines(FSelStart.Line, FSelEnd.Line);
}

void TEngCustomEditor::FocusLeft() {
    if (FHideSelection && HasSelection())
        RepaintLines(FSelStart.Line, FSelEnd.Line);
    if (FController != nullptr)
        FController->InsertMode = FInsertMode;
}

void TEngCustomEditor::AfterEnter() {
    if (OnAfterEnter)
        OnAfterEnter(*this);
}

void TEngCustomEditor::AfterExit() {
    if (OnAfterExit)
        OnAfterExit(*this);
}

void TEngCustomEditor::RequestFullRepaint(bool PaintNow) {
    if (!FFullRepaint) {
        FFullRepaint = true;
        if (FUpdateCount == 0)
            FHost.InvalidateAll();
    }
    if (PaintNow && FUpdateCount == 0)
        FHost.PaintNow();
}

void TEngCustomEditor::RepaintLines(int From, int To) {
    if (FFullRepaint)
        return;
    const int Last = FTopLine + std::max(FVisibleLines, 1) - 1;
    From = std::max(From, FTopLine);
    To = std::min(To, Last);
    if (From > To)
        return;
    const int FirstRow = From - FTopLine;
    const int LastRow = To - FTopLine;
    const int Bottom = To == Last ? FHost.ClientHeight() : (LastRow + 1) * FLineHeight;
    FHost.InvalidateRect({0, FirstRow * FLineHeight, FHost.ClientWidth(), Bottom}, false);
}

// ---- Errors and change ----

void TEngCustomEditor::Error(int Code) {
    if (Code == eeNone)
        return;
    if (OnError) {
        OnError(*this, Code);
        return;
    }
    throw EEditorError(EngineErrorMessage(Code), Code);
}

void TEngCustomEditor::Changed() {
    if (OnChange)
        OnChange(*this);
}

// ---- Caret ----

int TEngCustomEditor::CaretColumn() {
    return FLines->ColumnOfPosition(FLines->LineText(FCaretLine), FCaretPosInLine);
}

void TEngCustomEditor::SetCaretState(int Line, int PosInLine) {
    FCaretLine = Line;
    const auto [Para, Offset] = FLines->ParaOfLine(Line);
    FCaretPara = Para;
    FLineOffset = Offset;
    FCaretPosInLine = PosInLine;
}

void TEngCustomEditor::SyncCaretFromPara(int Para, int Pos) {
    Para = std::clamp(Para, 1, FLines->ParaCount());
    Pos = std::max(Pos, 1);
    const int Line = FLines->LineOfPara(Para, Pos).first;
    const int Offset = FLines->ParaOfLine(Line).second;
    FCaretLine = Line;
    FCaretPara = Para;
    FLineOffset = Offset;
    FCaretPosInLine = Pos - Offset;
}

bool TEngCustomEditor::CaretVisible() {
    if (FCaretLine < FTopLine || FCaretLine > FTopLine + FVisibleLines - 1)
        return false;
    const int Column = CaretColumn();
    return Column > FLeftColumn && Column <= FLeftColumn + FVisibleColumns;
}

void TEngCustomEditor::MoveCaretBy(int LineDelta, int PosDelta, TMove How) {
    const int Count = FLines->LineCount();
    const int OldLine = FCaretLine;
    const bool WasVisible = CaretVisible();
    const long long Wanted = static_cast<long long>(FCaretLine) + LineDelta;
    const int Line = static_cast<int>(std::clamp<long long>(Wanted, 1, Count));
    if (Line != Wanted && Line == FCaretLine)
        return;
    int Pos = FCaretPosInLine;
    if (LineDelta != 0 && !How.KeepPos) {
        const int Column = FLines->ColumnOfPosition(FLines->LineText(FCaretLine), Pos);
        Pos = FLines->PositionOfColumn(FLines->LineText(Line), Column);
    }
    const std::string_view Text = FLines->LineText(Line);
    int MaxPos = static_cast<int>(Text.size()) + 1;
    if (FScrollPastEnd)
        MaxPos = std::min(FLines->ParaLengthLimit(),
                          FLines->PositionOfColumn(Text, FLines->ParaLengthLimit()));
    Pos = static_cast<int>(
        std::clamp<long long>(static_cast<long long>(Pos) + PosDelta, 1, std::max(MaxPos, 1)));
    SetCaretState(Line, Pos);
    if (How.Extend)
        ExtendSelectionToCaret(true);
    else
        CollapseToCaret(true);
    ScrollToCaret(OldLine, How.KeepRow, WasVisible);
}

void TEngCustomEditor::ScrollToCaret(int OldLine, bool KeepRow, bool WasVisible) {
    int Top = FTopLine;
    if (KeepRow && WasVisible) {
        Top = std::max(FTopLine + FCaretLine - OldLine, 1);
    } else if (!CaretVisible()) {
        if (FCaretLine < FTopLine)
            Top = FCaretLine;
        else if (FCaretLine > FTopLine + FVisibleLines - 1)
            Top = FCaretLine - FVisibleLines + 1;
        Top = std::max(Top, 1);
    }
    const int Column = CaretColumn();
    int Left = FLeftColumn;
    if (Column <= FLeftColumn)
        Left = Column <= 2 ? 0 : Column - 1;
    else if (Column > FLeftColumn + FVisibleColumns)
        Left = Column - FVisibleColumns;
    if (Top == FTopLine && Left == FLeftColumn) {
        PlaceCaret(Column);
        return;
    }
    ScrollText(Left - FLeftColumn, Top - FTopLine);
}

void TEngCustomEditor::MoveCaret(int Line, int Pos, bool Extend) {
    MoveCaretBy(Line - FCaretLine, Pos - FCaretPosInLine, {Extend, true, false});
}

void TEngCustomEditor::MoveCaretToPara(int Para, int Pos, bool Extend) {
    Para = std::clamp(Para, 1, FLines->ParaCount());
    const auto [Line, InLine] = FLines->LineOfPara(Para, std::max(Pos, 1));
    MoveCaret(Line, InLine, Extend);
}

void TEngCustomEditor::MoveCaretToLineEnd(bool Extend) {
    const int Length = FLines->LineLength(FCaretLine);
    const bool EndsPara =
        FCaretLine == FLines->LineCount() || FLines->ParaOfLine(FCaretLine + 1).first != FCaretPara;
    MoveCaret(FCaretLine, EndsPara ? Length + 1 : Length, Extend);
}

void TEngCustomEditor::MoveCaretLeft(bool Extend) {
    if (CaretPos() > 1) {
        MoveCaretToPara(FCaretPara, CaretPos() - 1, Extend);
    } else if (FWrapAtLeft && FCaretLine > 1) {
        MoveCaret(FCaretLine - 1, FLines->LineLength(FCaretLine - 1) + 1, Extend);
    } else {
        MoveCaretBy(0, 0, {Extend, true, false});
    }
}

void TEngCustomEditor::MoveCaretRight(bool Extend) {
    const bool PastEnd = CaretPos() > FLines->ParaLength(FCaretPara);
    if (PastEnd && !FScrollPastEnd) {
        if (FCaretPara < FLines->ParaCount())
            MoveCaretToPara(FCaretPara + 1, 1, Extend);
        return;
    }
    if (PastEnd)
        MoveCaretBy(0, 1, {Extend, true, false});
    else
        MoveCaretToPara(FCaretPara, CaretPos() + 1, Extend);
}

void TEngCustomEditor::KeepCaretInView() {
    int Top = FTopLine;
    if (FCaretLine < FTopLine)
        Top = FCaretLine;
    else if (FCaretLine >= FTopLine + FVisibleLines)
        Top = FCaretLine - FVisibleLines + 1;
    if (Top != FTopLine)
        ScrollText(0, Top - FTopLine);
}

void TEngCustomEditor::SetTopLine(int Line) {
    Line = std::clamp(Line, 1, FLines->LineCount());
    const int Old = FTopLine;
    FTopLine = Line;
    const auto [Para, Offset] = FLines->ParaOfLine(Line);
    FTopPara = Para;
    FTopOffset = Offset;
    if (Old != Line && OnTopLineChanged)
        OnTopLineChanged(*this, Line);
}

// ---- Selection ----

TSelEnd TEngCustomEditor::EndAt(TTextPos P) {
    TSelEnd End;
    End.P = P;
    RecomputeEnd(End);
    return End;
}

void TEngCustomEditor::RecomputeEnd(TSelEnd& End) {
    End.P.Para = std::clamp(End.P.Para, 1, FLines->ParaCount());
    End.P.Pos = std::max(End.P.Pos, 1);
    const auto [Line, InLine] = FLines->LineOfPara(End.P.Para, End.P.Pos);
    End.Line = Line;
    End.Column = FLines->ColumnOfPosition(FLines->LineText(Line), InLine);
}

void TEngCustomEditor::ExtendSelectionToCaret(bool Repaint) {
    const TTextPos New{FCaretPara, std::min(CaretPos(), FLines->ParaLength(FCaretPara) + 1)};
    const TSelEnd OldStart = FSelStart;
    const TSelEnd OldEnd = FSelEnd;
    if (FSelCaretEnd == FSelStart.P)
        FSelStart.P = New;
    else
        FSelEnd.P = New;
    if (Before(FSelEnd.P, FSelStart.P))
        std::swap(FSelStart, FSelEnd);
    FSelCaretEnd = New;
    int From = FCaretLine;
    int To = FCaretLine;
    const auto Refresh = [&](TSelEnd& End, const TSelEnd& Old) {
        if (End.P == Old.P) {
            End.Line = Old.Line;
            End.Column = Old.Column;
            return;
        }
        RecomputeEnd(End);
        From = std::min({From, End.Line, Old.Line});
        To = std::max({To, End.Line, Old.Line});
    };
    Refresh(FSelStart, FSelStart.P == OldStart.P ? OldStart : OldEnd);
    Refresh(FSelEnd, FSelEnd.P == OldEnd.P ? OldEnd : OldStart);
    if (Repaint)
        RepaintLines(From, To);
}

void TEngCustomEditor::CollapseToCaret(bool Repaint) {
    const bool Had = HasSelection();
    const int From = FSelStart.Line;
    const int To = FSelEnd.Line;
    const TTextPos P{FCaretPara, std::min(CaretPos(), FLines->ParaLength(FCaretPara) + 1)};
    FSelStart.P = FSelEnd.P = FSelCaretEnd = P;
    FSelStart.Line = FSelEnd.Line = FCaretLine;
    FSelStart.Column = FSelEnd.Column = CaretColumn();
    if (Repaint && Had)
        RepaintLines(From, To);
}

void TEngCustomEditor::CollapseSelection(bool AtEnd) {
    const TTextPos P = AtEnd ? FSelEnd.P : FSelStart.P;
    MoveCaretToPara(P.Para, P.Pos, false);
}

void TEngCustomEditor::SetSelectionParas(TTextPos A, TTextPos B, bool CaretAtEnd) {
    const TTextPos Anchor = CaretAtEnd ? A : B;
    const TTextPos Caret = CaretAtEnd ? B : A;
    MoveCaretToPara(Anchor.Para, Anchor.Pos, false);
    MoveCaretToPara(Caret.Para, Caret.Pos, true);
}

std::string TEngCustomEditor::SelectedText() {
    std::string Text;
    for (int P = FSelStart.P.Para; P <= FSelEnd.P.Para; ++P) {
        const std::string_view Para = FLines->ParaText(P);
        const int From = P == FSelStart.P.Para ? FSelStart.P.Pos : 1;
        const int To = P == FSelEnd.P.Para ? FSelEnd.P.Pos : static_cast<int>(Para.size()) + 1;
        if (From <= static_cast<int>(Para.size()))
            Text += Para.substr(From - 1, std::max(To - From, 0));
        if (P < FSelEnd.P.Para)
            Text += "\r\n";
    }
    return Text;
}

void TEngCustomEditor::CopySelectionToClipboard() {
    if (HasSelection())
        FHost.SetClipboardText(SelectedText());
}

int TEngCustomEditor::NextTabStop(int Column) const {
    const int T = FLines->TabSize();
    return ((Column - 1) / T + 1) * T + 1;
}

int TEngCustomEditor::IndentOfLine(int Line) {
    const std::string_view Text = FLines->LineText(Line);
    std::size_t Blanks = 0;
    while (Blanks < Text.size() && IsBlank(Text[Blanks]))
        ++Blanks;
    return FLines->ColumnOfPosition(Text, static_cast<int>(Blanks) + 1) - 1;
}

// ---- Editing ----

int TEngCustomEditor::AppendLine(std::string_view Text) {
    const int OldCount = FLines->LineCount();
    if (int E = FLines->CheckLimits(0, 1, static_cast<std::int64_t>(Text.size()) + 2))
        return E;
    const int Limit = std::max(FLines->ParaLengthLimit(), 1);
    // Appending records no undo, so cutting a long line needs no suspension.
    int Error = eeNone;
    do {
        std::string_view Piece = Text;
        if (static_cast<int>(Piece.size()) > Limit) {
            const int End = LastBlankBefore(Text, Limit);
            Piece = Text.substr(0, static_cast<std::size_t>(End));
        }
        Error = FLines->AppendPara(Piece, TrimWhiteSpace);
        Text.remove_prefix(Piece.size());
    } while (Error == eeNone && !Text.empty());
    if (OldCount <= FTopLine + FVisibleLines && FHost.WindowExists()) {
        UpdateVertRange();
        UpdateHorzRange();
        RequestFullRepaint(true);
    }
    return Error;
}

void TEngCustomEditor::ClearAll() {
    auto Fresh = std::make_shared<TParaList>(FLines->Owner(), DefaultUndoSize, WordWrap());
    Fresh->SetWrapColumn(WrapColumn());
    Fresh->SetTabSize(TabSize());
    Fresh->SetParaLimit(ParaLimit());
    Fresh->SetByteLimit(ByteLimit());
    Fresh->SetParaLengthLimit(ParaLengthLimit());
    Fresh->OnBusy = FLines->OnBusy;
    TEngCustomEditor* E = this;
    do {
        E->FLines = Fresh;
        E->SetCaretState(1, 1);
        E->CollapseToCaret(false);
        E->FLeftColumn = 0;
        E->SetTopLine(1);
        E->MarkScrollBarsPending();
        E->RequestFullRepaint(E == this);
        E = E->FNext;
    } while (E != this);
}

void TEngCustomEditor::ClearMarker(int N) {
    if (N < 0 || N >= TParaList::BookmarkCount)
        return;
    FLines->SetBookmark(N, 0, 0);
    RequestFullRepaint(false);
}

void TEngCustomEditor::TextChangedAround(int OldLineCount) {
    RepaintChanged();
    if (FLines->LineCount() != OldLineCount) {
        UpdateVertRange();
        UpdateVertPos();
    }
}

void TEngCustomEditor::TypeChar(char C) {
    if (C == '\x7f' || GetReadOnly())
        return;
    const int OldCount = FLines->LineCount();
    const std::string_view Text(&C, 1);
    int Error;
    if (HasSelection()) {
        const bool Outer = FLines->UndoBuffer().BeginGroup();
        DeleteAtCaret();
        Error = FLines->InsertText(this, FCaretPara, CaretPos(), Text);
        FLines->UndoBuffer().EndGroup(Outer);
    } else if (!FInsertMode && CaretPos() <= FLines->ParaLength(FCaretPara)) {
        Error = FLines->ReplaceText(this, FCaretPara, CaretPos(), 1, Text, false);
    } else {
        Error = FLines->InsertText(this, FCaretPara, CaretPos(), Text);
    }
    if (Error != eeNone) {
        this->Error(Error);
        return;
    }
    TextChangedAround(OldCount);
    const int OldLine = FCaretLine;
    MoveCaretToPara(FCaretPara, CaretPos() + 1);
    if (FCaretLine > OldLine && FLeftColumn != 0)
        ScrollText(-FLeftColumn, 0);
    Changed();
}

int TEngCustomEditor::InsertAtCaret(std::string_view Text) {
    if (Text.empty())
        return eeNone;
    int Para = FCaretPara;
    int Pos = CaretPos();
    const int Error = FLines->InsertMultiLineText(this, Para, Pos, Text);
    UpdateVertRange();
    UpdateVertPos();
    UpdateHorzRange();
    RepaintChanged();
    MoveCaretToPara(Para, Pos);
    Changed();
    return Error;
}

int TEngCustomEditor::InsertReplacingSelection(std::string_view Text) {
    if (GetReadOnly())
        return eeNone;
    const bool Outer = FLines->UndoBuffer().BeginGroup();
    if (HasSelection())
        DeleteAtCaret();
    const int Line = FCaretLine;
    const int Column = CaretColumn();
    const int Error = InsertAtCaret(Text);
    FLines->UndoBuffer().EndGroup(Outer);
    if (!MoveAfterPaste)
        MoveCaret(Line, FLines->PositionOfColumn(FLines->LineText(Line), Column));
    return Error;
}

void TEngCustomEditor::PerformEnterIndenting(bool Indent) {
    const bool Saved = AutoIndent;
    AutoIndent = Indent;
    try {
        PerformEnter();
    } catch (...) {
        AutoIndent = Saved;
        throw;
    }
    AutoIndent = Saved;
}

void TEngCustomEditor::PerformEnter() {
    if (!FInsertMode || GetReadOnly()) {
        if (FCaretPara < FLines->ParaCount())
            MoveCaretToPara(FCaretPara + 1, 1);
        else
            MoveCaretToLineEnd();
        return;
    }
    if (HasSelection())
        DeleteAtCaret();
    int Indent = 0;
    if (AutoIndent) {
        const std::string_view Line = FLines->LineText(FCaretLine);
        std::size_t Blanks = 0;
        const auto Limit = static_cast<std::size_t>(std::max(FCaretPosInLine - 1, 0));
        while (Blanks < Line.size() && Blanks < Limit && IsBlank(Line[Blanks]))
            ++Blanks;
        Indent = ColumnOfOffset(Line.substr(0, Blanks), FLines->TabSize());
    }
    int Error = FLines->CheckLimits(0, 1, Indent + 2);
    if (Error == eeNone) {
        const int IndentTab = FTabType == ttReal ? FLines->TabSize() : 0;
        Error = FLines->SplitPara(this, FCaretPara, CaretPos(), true, Indent, IndentTab);
    }
    if (Error != eeNone) {
        this->Error(Error);
        return;
    }
    UpdateVertRange();
    UpdateVertPos();
    // The caret goes after the blanks the split put in.
    const int T = FLines->TabSize();
    const int IndentChars = FTabType == ttReal ? Indent / T + Indent % T : Indent;
    MoveCaretToPara(FCaretPara + 1, IndentChars + 1);
    RequestFullRepaint(true);
    Changed();
}

void TEngCustomEditor::DeleteAtCaret() {
    const int OldCount = FLines->LineCount();
    int Error = eeNone;
    if (HasSelection()) {
        const TTextPos S = FSelStart.P;
        const TTextPos E = FSelEnd.P;
        if (S.Para == E.Para)
            Error = FLines->DeleteText(this, S.Para, S.Pos, E.Pos - S.Pos);
        else
            Error = FLines->DeleteRange(this, S.Para, S.Pos, E.Para, E.Pos);
        SyncCaretFromPara(S.Para, S.Pos);
        CollapseToCaret(false);
    } else if (CaretPos() <= FLines->ParaLength(FCaretPara)) {
        Error = FLines->DeleteText(this, FCaretPara, CaretPos(), 1);
        SyncCaretFromPara(FCaretPara, CaretPos());
    } else if (FCaretPara < FLines->ParaCount()) {
        Error = FLines->JoinParas(this, FCaretPara, CaretPos());
        SyncCaretFromPara(FCaretPara, CaretPos());
    }
    TextChangedAround(OldCount);
    if (FLines->LineCount() != OldCount)
        RequestFullRepaint(false);
    MoveCaretBy(0, 0, {false, true, false});
    if (Error != eeNone)
        this->Error(Error);
    if (!FLines->UndoBuffer().InGroup())
        Changed();
}

} // namespace korvid
