// What the editor offers its users: reading the text, the caret and the selection, moving and
// selecting, inserting, bookmarks and the property setters.
#include "editor/engine/EngCustomEditor.h"

#include "editor/engine/EngException.h"
#include "editor/engine/EngText.h"

#include <algorithm>

namespace korvid {

void TEngCustomEditor::SetInsertMode(bool Value) {
    if (Value == FInsertMode)
        return;
    FInsertMode = Value;
    FHost.SetCaretCell(FCharWidth, FLineHeight, FInsertMode);
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

namespace korvid {

namespace {

constexpr int MaxParaLengthLimit = 32767;
constexpr int MaxTabSize = 255;
constexpr int SelectAllColumn = 32767;

} // namespace

// ---- Reading ----

int TEngCustomEditor::GetCaretPosition(int& Col) const {
    Col = FCaretPosInLine;
    return FCaretLine;
}

int TEngCustomEditor::ColumnOfPosition(std::string_view Text, int Pos) const {
    return FLines->ColumnOfPosition(Text, Pos);
}

void TEngCustomEditor::CheckLine(int Line) const {
    if (Line < 1 || Line > FLines->LineCount())
        throw EInvalidLineOrPara(0);
}

void TEngCustomEditor::CheckPara(int Para) const {
    if (Para < 1 || Para > FLines->ParaCount())
        throw EInvalidLineOrPara(0);
}

int TEngCustomEditor::LineLength(int Line) {
    CheckLine(Line);
    return FLines->LineLength(Line);
}

int TEngCustomEditor::ParaLength(int Para) {
    CheckPara(Para);
    return FLines->ParaLength(Para);
}

std::string_view TEngCustomEditor::GetPara(int Para) {
    CheckPara(Para);
    return FLines->ParaText(Para);
}

std::string TEngCustomEditor::GetLine(int Line, int Max) {
    CheckLine(Line);
    return std::string(
        FLines->LineText(Line).substr(0, static_cast<std::size_t>(std::max(Max, 0))));
}

std::string TEngCustomEditor::GetExpandedLine(int Line, int Max) {
    CheckLine(Line);
    return ExpandTabs(FLines->LineText(Line), FLines->TabSize(),
                      static_cast<std::size_t>(std::max(Max, 0)));
}

std::string TEngCustomEditor::GetLineText(int Line) {
    CheckLine(Line);
    return ExpandTabs(FLines->LineText(Line), FLines->TabSize());
}

std::string TEngCustomEditor::GetText() {
    std::string Text;
    Text.reserve(static_cast<std::size_t>(FLines->ByteCount()));
    for (int P = 1; P <= FLines->ParaCount(); ++P) {
        if (P > 1)
            Text += "\r\n";
        Text += FLines->ParaText(P);
    }
    return Text;
}

namespace {

// Copies as much of Text as fits before the NUL; the characters written.
int CopyToBuffer(std::string_view Text, char* Buffer, int Size) {
    if (Buffer == nullptr || Size <= 0)
        return 0;
    const std::size_t N = std::min(Text.size(), static_cast<std::size_t>(Size - 1));
    std::copy_n(Text.data(), N, Buffer);
    Buffer[N] = '\0';
    return static_cast<int>(N);
}

} // namespace

int TEngCustomEditor::GetTextBuf(char* Buffer, int Size) {
    return CopyToBuffer(GetText(), Buffer, Size);
}

void TEngCustomEditor::SetModified(bool Value) {
    if (Value == FLines->Modified())
        return;
    FLines->SetModified(Value);
    TEngCustomEditor* E = this;
    do {
        E->RequestFullRepaint(false);
        E = E->FNext;
    } while (E != this);
}

// ---- Selection ----

bool TEngCustomEditor::GetSelection(int& StartLine, int& StartCol, int& EndLine,
                                    int& EndCol) const {
    if (!HasSelection())
        return false;
    const auto LineAndPos = [this](TTextPos P, int& Line, int& Col) {
        const auto [L, InLine] = FLines->LineOfPara(P.Para, P.Pos);
        Line = L;
        Col = InLine;
    };
    LineAndPos(FSelStart.P, StartLine, StartCol);
    LineAndPos(FSelEnd.P, EndLine, EndCol);
    return true;
}

int TEngCustomEditor::GetSelTextLen() {
    if (!HasSelection())
        return 0;
    std::int64_t Length = 0;
    for (int P = FSelStart.P.Para; P <= FSelEnd.P.Para; ++P) {
        const int ParaLength = FLines->ParaLength(P);
        const int From = P == FSelStart.P.Para ? FSelStart.P.Pos : 1;
        const int To = P == FSelEnd.P.Para ? FSelEnd.P.Pos : ParaLength + 1;
        Length += std::max(std::min(To, ParaLength + 1) - From, 0);
        if (P < FSelEnd.P.Para)
            Length += 2;
    }
    return static_cast<int>(Length);
}

int TEngCustomEditor::GetSelTextBuf(char* Buffer, int Size) {
    return CopyToBuffer(GetSelText(), Buffer, Size);
}

void TEngCustomEditor::SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd) {
    const int Count = FLines->LineCount();
    if (Count == 0 || (Count == 1 && FLines->LineLength(1) == 0))
        return;
    const auto Clamp = [&](int& Line, int& Col) {
        Line = std::clamp(Line, 1, Count);
        Col = std::clamp(Col, 1, FLines->LineLength(Line) + 1);
    };
    Clamp(Line1, Col1);
    Clamp(Line2, Col2);
    if (CaretAtEnd) {
        MoveCaret(Line1, Col1);
        MoveCaret(Line2, Col2, true);
    } else {
        MoveCaret(Line2, Col2);
        MoveCaret(Line1, Col1, true);
    }
}

void TEngCustomEditor::SelectAll(bool CaretAtEnd) {
    SetSelection(1, 1, INT_MAX, SelectAllColumn, CaretAtEnd);
}

// The word at the caret: a caret just after a word takes that word; a caret on delimiters
// takes the next word to its right, else the one before.
TEngCustomEditor::TWordSpan TEngCustomEditor::WordAtCaret() {
    const std::string_view Text = FLines->ParaText(FCaretPara);
    const int N = static_cast<int>(Text.size());
    int I = CaretPos() - 1;
    if (N == 0 || I > N)
        return {};
    const auto Word = [&](int K) {
        return K < N && !IsDelimiter(Text[static_cast<std::size_t>(K)]);
    };
    if (!Word(I) && I > 0 && Word(I - 1))
        --I;
    if (!Word(I)) {
        int K = I + 1;
        while (K < N && !Word(K))
            ++K;
        if (K >= N) {
            K = std::min(I, N) - 1;
            while (K >= 0 && !Word(K))
                --K;
        }
        if (K < 0 || K >= N)
            return {};
        I = K;
    }
    int J = I;
    while (I > 0 && Word(I - 1))
        --I;
    while (J < N - 1 && Word(J + 1))
        ++J;
    return {I + 1, J - I + 1};
}

std::string TEngCustomEditor::GetCurrentWord() {
    const TWordSpan W = WordAtCaret();
    if (W.Length == 0)
        return {};
    return std::string(
        FLines->ParaText(FCaretPara)
            .substr(static_cast<std::size_t>(W.Pos - 1), static_cast<std::size_t>(W.Length)));
}

std::string TEngCustomEditor::SelectCurrentWord() {
    const TWordSpan W = WordAtCaret();
    if (W.Length == 0)
        return {};
    std::string S(
        FLines->ParaText(FCaretPara)
            .substr(static_cast<std::size_t>(W.Pos - 1), static_cast<std::size_t>(W.Length)));
    SetSelectionParas({FCaretPara, W.Pos}, {FCaretPara, W.Pos + W.Length}, true);
    return S;
}

// ---- Caret and coordinates ----

void TEngCustomEditor::SetCaretPosition(int Line, int Col) {
    CheckLine(Line);
    if (Col < 1)
        throw EInvalidLineOrPara(0);
    MoveCaret(Line, Col);
}

void TEngCustomEditor::LineToPara(int& Line, int& Col) {
    CheckLine(Line);
    const auto [Para, Offset] = FLines->ParaOfLine(Line);
    Line = Para;
    Col += Offset;
}

void TEngCustomEditor::ParaToLine(int& Para, int& Col) {
    CheckPara(Para);
    const auto [Line, InLine] = FLines->LineOfPara(Para, std::max(Col, 1));
    Para = Line;
    Col = InLine;
}

// ---- Text ----

void TEngCustomEditor::SetEditorText(std::string_view Text) {
    ClearAll();
    if (const auto Nul = Text.find('\0'); Nul != std::string_view::npos)
        Text = Text.substr(0, Nul);
    if (!Text.empty()) {
        int Para = 1;
        int Pos = 1;
        Error(FLines->InsertMultiLineText(this, Para, Pos, Text));
    }
    Relayout();
}

void TEngCustomEditor::SetEditorLines(std::size_t Count, std::size_t TextBytes,
                                      const TParaFeed& Next, std::string* Backing) {
    ClearAll();
    const int Code = FLines->LoadParas(Count, TextBytes, Next, Backing);
    // Inserting the text would have left this editor's caret and top line where they were, and
    // moved those of the editors sharing the text to its end.
    const int Last = FLines->ParaCount();
    const TTextPos End{Last, FLines->ParaLength(Last) + 1};
    for (TEngCustomEditor* E = FNext; E != this; E = E->FNext) {
        E->SyncCaretFromPara(End.Para, End.Pos);
        E->FSelCaretEnd = End;
        E->FSelStart.P = End;
        E->FSelEnd.P = End;
        E->RecomputeEnd(E->FSelStart);
        E->RecomputeEnd(E->FSelEnd);
        E->SetTopLine(FLines->LineOfPara(Last, 1).first);
        E->MarkScrollBarsPending();
        E->RequestFullRepaint(false);
    }
    Error(Code);
    Relayout();
}

// ---- Bookmarks ----

int TEngCustomEditor::GetMarkerPosition(int Index, int& Col) {
    if (!IsBookmarkIndex(Index))
        return -1;
    const TTextPos P = FLines->Bookmark(Index);
    if (P.Para == 0 || P.Pos == 0 || P.Para > FLines->ParaCount())
        return -1;
    const auto [Line, InLine] = FLines->LineOfPara(P.Para, P.Pos);
    Col = InLine;
    return Line;
}

void TEngCustomEditor::SetMarkerAt(int Index, int Line, int Col) {
    if (Line < 1 || Line > FLines->LineCount() || Col < 1)
        throw EInvalidLineOrCol(0);
    if (!IsBookmarkIndex(Index))
        return;
    FLines->SetBookmarkByLine(Index, Line, Col);
    RequestFullRepaint(false);
}

// ---- Redrawing ----

void TEngCustomEditor::SetWordDelimiters(std::string_view S) {
    if (!S.empty())
        FWordDelimiters = S;
}

void TEngCustomEditor::BeginUpdate() {
    if (FUpdateCount++ == 0)
        FFullRepaint = true;
}

void TEngCustomEditor::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0)
        return;
    UpdateVertRange();
    UpdateVertPos();
    UpdateHorzRange();
    UpdateHorzPos();
    ResumeRedraw();
}

void TEngCustomEditor::ResumeRedraw() {
    FFullRepaint = false;
    RequestFullRepaint(true);
}

// ---- Property setters ----

void TEngCustomEditor::Remeasure() {
    if (!FHost.WindowExists())
        return;
    Measure();
}

void TEngCustomEditor::SetByteLimit(int Value) {
    if (Value >= 0)
        FLines->SetByteLimit(Value);
}

void TEngCustomEditor::SetParaLengthLimit(int Value) {
    if (Value < 1 || Value > MaxParaLengthLimit || Value == ParaLengthLimit())
        return;
    FLines->SetParaLengthLimit(Value);
    UpdateHorzRange();
    UpdateHorzPos();
}

void TEngCustomEditor::SetParaLimit(int Value) {
    if (Value > 0)
        FLines->SetParaLimit(Value);
}

void TEngCustomEditor::SetHideSelection(bool Value) {
    if (Value == FHideSelection)
        return;
    FHideSelection = Value;
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetLeftMargin(int Value) {
    if (Value < 0 || Value == FLeftMargin)
        return;
    FLeftMargin = Value;
    Remeasure();
    SetWrapToWindow(FWrapToWindow);
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetRightMargin(int Value) {
    if (Value < 0 || Value == FRightMargin)
        return;
    FRightMargin = Value;
    Remeasure();
    SetWrapToWindow(FWrapToWindow);
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars)
        return;
    FScrollBars = Value;
    if (Value == TScrollStyle::None)
        FScrollBarsAlways = false;
    if (FHost.WindowExists())
        WindowCreated();
}

void TEngCustomEditor::SetScrollBarsAlways(bool Value) {
    Value = Value && FScrollBars != TScrollStyle::None;
    if (Value == FScrollBarsAlways)
        return;
    FScrollBarsAlways = Value;
    if (FHost.WindowExists())
        WindowCreated();
}

void TEngCustomEditor::SetScrollPastEnd(bool Value) {
    if (Value == FScrollPastEnd)
        return;
    FScrollPastEnd = Value;
    if (Value)
        SetWordWrap(false);
}

void TEngCustomEditor::SetShowBookmarks(bool Value) {
    if (Value == FShowBookmarks)
        return;
    FShowBookmarks = Value;
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetTabSize(int Value) {
    if (Value >= 1 && Value <= MaxTabSize)
        FLines->SetTabSize(Value);
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetTabType(TTabType Value) {
    if (Value == FTabType)
        return;
    FTabType = Value;
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetUndoBufferSize(std::size_t Size) {
    FLines->SetUndoSize(std::min(Size, TUndoBuffer::MaxSize));
}

void TEngCustomEditor::SetWrapAtLeft(bool Value) {
    FWrapAtLeft = Value || WordWrap();
}

void TEngCustomEditor::SetLineSpacing(int Value) {
    if (Value == FExtraLineSpacing)
        return;
    FExtraLineSpacing = Value;
    Remeasure();
}

void TEngCustomEditor::SetRightMarginColor(TColor Value) {
    if (Value == FRightMarginColor)
        return;
    FRightMarginColor = Value;
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetRightMarginPos(int Value) {
    if (Value == FRightMarginPos)
        return;
    FRightMarginPos = Value;
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetShowRightMargin(bool Value) {
    if (Value == FShowRightMargin)
        return;
    FShowRightMargin = Value;
    RequestFullRepaint(false);
}

void TEngCustomEditor::SetShowParaMarks(bool Value) {
    if (Value == FShowParaMarks)
        return;
    FShowParaMarks = Value;
    RequestFullRepaint(false);
}

} // namespace korvid
