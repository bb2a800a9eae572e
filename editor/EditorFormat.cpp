#include "editor/Editor.h"

#include "editor/ParagraphSort.h"
#include "editor/engine/EngCommand.h"
#include "views/View.h"

#include <QCoreApplication>
#include <QCursor>

#include <algorithm>
#include <charconv>
#include <climits>

namespace korvid {

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr int WholeLine = INT_MAX;

bool IsWhiteSpace(char C) {
    return static_cast<unsigned char>(C) <= ' ';
}

bool IsAsciiLetterOrDigit(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9');
}

bool IsWordPart(char C) {
    return IsAsciiLetterOrDigit(C) || C == '_';
}

bool IsUpper(char C) {
    return C >= 'A' && C <= 'Z';
}

// Restores the engine's word delimiters when it goes.
class TDelimitersFor {
public:
    TDelimitersFor(TEngCustomEditor& Editor, std::string_view Delimiters)
        : FEditor(Editor), FSaved(Editor.WordDelimiters()) {
        FEditor.SetWordDelimiters(Delimiters);
    }
    ~TDelimitersFor() { FEditor.SetWordDelimiters(FSaved); }
    TDelimitersFor(const TDelimitersFor&) = delete;
    TDelimitersFor& operator=(const TDelimitersFor&) = delete;

private:
    TEngCustomEditor& FEditor;
    std::string FSaved;
};

// Where a paragraph position ends up after Text is inserted at it.
TTextPos PositionAfter(TTextPos At, std::string_view Text) {
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\r' || Text[I] == '\n') {
            if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
                ++I;
            ++At.Para;
            At.Pos = 1;
        } else {
            ++At.Pos;
        }
    }
    return At;
}

// Switches the engine's move-after-paste on for one insertion.
class TMoveAfterPaste {
public:
    TMoveAfterPaste() : FSaved(TEngCustomEditor::MoveAfterPaste) {
        TEngCustomEditor::MoveAfterPaste = true;
    }
    ~TMoveAfterPaste() { TEngCustomEditor::MoveAfterPaste = FSaved; }
    TMoveAfterPaste(const TMoveAfterPaste&) = delete;
    TMoveAfterPaste& operator=(const TMoveAfterPaste&) = delete;

private:
    bool FSaved;
};

} // namespace

// ---- The shared frame ----

bool TEditor::BeginEdit() {
    const bool State = Editor().Lines().UndoBuffer().BeginGroup();
    Editor().BeginUpdate();
    return State;
}

void TEditor::EndEdit(bool State) {
    EndUpdate();
    Editor().Lines().UndoBuffer().EndGroup(State);
}

bool TEditor::SelectWholeLines(int& First, int& Last, bool& CaretAtEnd) {
    TEngCustomEditor& E = Editor();
    if (!E.HasSelection())
        return false;
    const TTextPos Start = E.SelStart().P;
    const TTextPos End = E.SelEnd().P;
    CaretAtEnd = E.CaretPara() == End.Para && E.CaretPos() == End.Pos;
    First = Start.Para;
    Last = End.Para;
    if (End.Pos == 1 && Last > First)
        --Last;
    SelectParagraphs(First, Last, CaretAtEnd);
    return true;
}

void TEditor::SelectParagraphs(int First, int Last, bool CaretAtEnd) {
    TEngCustomEditor& E = Editor();
    const TTextPos End =
        Last < E.ParaCount() ? TTextPos{Last + 1, 1} : TTextPos{Last, E.ParaLength(Last) + 1};
    E.SetSelectionParas({First, 1}, End, CaretAtEnd);
}

void TEditor::FormatParagraphs(const TParagraphEdit& Edit) {
    TEngCustomEditor& E = Editor();
    const bool State = BeginEdit();
    int First = 0;
    int Last = 0;
    bool CaretAtEnd = false;
    const TTextPos Caret{E.CaretPara(), E.CaretPos()};
    const bool Selected = SelectWholeLines(First, Last, CaretAtEnd);
    if (!Selected)
        First = Last = Caret.Para;
    Edit(First, Last);
    if (Selected)
        SelectParagraphs(First, Last, CaretAtEnd);
    else
        E.MoveCaretToPara(Caret.Para, Caret.Pos);
    // Toggling one line's comment walks on down the text when repeated.
    if (FStepDownAfterOne && First == Last)
        E.MoveCaretBy(1, 0, {});
    EndEdit(State);
}

std::string TEditor::IndentString() const {
    const int Count = FView != nullptr ? FView->IndentCount : 2;
    // A negative count from the registry is no blanks, not a string of billions of them.
    return Count == 0 ? std::string("\t")
                      : std::string(static_cast<std::size_t>(std::max(Count, 0)), ' ');
}

void TEditor::InsertAt(int Para, int Pos, std::string_view Text) {
    Editor().MoveCaretToPara(Para, Pos);
    Editor().InsertAtCaret(Text);
}

void TEditor::DeleteAt(int Para, int Pos, int Count) {
    if (Count <= 0)
        return;
    Editor().SetSelectionParas({Para, Pos}, {Para, Pos + Count}, true);
    Editor().DeleteAtCaret();
}

// ---- Formatting commands ----

void TEditor::FormatIndent() {
    const std::string Indent = IndentString();
    FormatParagraphs([&](int First, int Last) {
        for (int P = First; P <= Last; ++P)
            InsertAt(P, 1, Indent);
    });
}

void TEditor::FormatUnindent() {
    const std::string Indent = IndentString();
    FormatParagraphs([&](int First, int Last) {
        for (int P = First; P <= Last; ++P)
            if (Editor().GetPara(P).starts_with(Indent))
                DeleteAt(P, 1, static_cast<int>(Indent.size()));
    });
}

void TEditor::FormatAsComment() {
    if (FView == nullptr || FView->CommentMarker.empty())
        return;
    const std::string Marker = FView->CommentMarker;
    const std::string Trimmed = Marker.substr(0, Marker.find_last_not_of(' ') + 1);
    FStepDownAfterOne = true;
    FormatParagraphs([&](int First, int Last) {
        TEngCustomEditor& E = Editor();
        // The first paragraph decides whether the lines are commented out or back in.
        if (!E.GetPara(First).starts_with(Trimmed)) {
            for (int P = First; P <= Last; ++P)
                InsertAt(P, 1, Marker);
            return;
        }
        for (int P = First; P <= Last; ++P) {
            const std::string_view Text = E.GetPara(P);
            if (Text.starts_with(Marker))
                DeleteAt(P, 1, static_cast<int>(Marker.size()));
            else if (Text.starts_with(Trimmed))
                DeleteAt(P, 1, static_cast<int>(Trimmed.size()));
        }
    });
    FStepDownAfterOne = false;
}

void TEditor::FormatCentre() {
    int Width = 0;
    if (FView != nullptr) {
        Width = FView->WrapType() == vwAtColumn ? FView->WrapColumn() : 0;
        if (Width == 0)
            Width = FView->RightMarginColumn;
    }
    if (Width == 0)
        Width = 80;
    FormatParagraphs([&](int First, int Last) {
        TEngCustomEditor& E = Editor();
        for (int P = First; P <= Last; ++P) {
            std::string_view Text = E.GetPara(P);
            int Leading = 0;
            while (Leading < static_cast<int>(Text.size()) && IsWhiteSpace(Text[Leading]))
                ++Leading;
            DeleteAt(P, 1, Leading);
            Text = E.GetPara(P);
            int Length = static_cast<int>(Text.size());
            while (Length > 0 && IsWhiteSpace(Text[Length - 1]))
                --Length;
            if (Length > 0 && Width > Length)
                InsertAt(P, 1, std::string(static_cast<std::size_t>((Width - Length) / 2), ' '));
        }
    });
}

void TEditor::AnchorSelection() {
    TEngCustomEditor& E = Editor();
    if (AnchorPosition.Line == -1) {
        AnchorPosition = {E.CaretLine(), E.CaretPosInLine()};
        return;
    }
    E.SetSelection(AnchorPosition.Line, AnchorPosition.Col, E.CaretLine(), E.CaretPosInLine(),
                   true);
    AnchorPosition = {};
}

void TEditor::FormatAsOneParagraph() {
    TEngCustomEditor& E = Editor();
    if (!E.HasSelection())
        return;
    const bool State = BeginEdit();
    int First = 0;
    int Last = 0;
    bool CaretAtEnd = false;
    SelectWholeLines(First, Last, CaretAtEnd);
    const std::string Text = E.GetSelText();
    std::string Joined;
    bool FoundLineEnd = false;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text.compare(I, LineEnd.size(), LineEnd) == 0) {
            FoundLineEnd = true;
            if (I + LineEnd.size() < Text.size())
                Joined += ' ';
            ++I;
        } else {
            Joined += Text[I];
        }
    }
    if (FoundLineEnd)
        Joined += LineEnd;
    E.InsertReplacingSelection(Joined);
    EndEdit(State);
}

void TEditor::FormatAsSeparateParagraphs() {
    TEngCustomEditor& E = Editor();
    const bool State = BeginEdit();
    int StartLine = 0;
    int StartCol = 0;
    int EndLine = 0;
    int EndCol = 0;
    if (E.GetSelection(StartLine, StartCol, EndLine, EndCol)) {
        if (EndCol == 1 && EndLine > StartLine)
            --EndLine;
        std::string Result;
        for (int Line = StartLine; Line <= EndLine; ++Line) {
            std::string Text = E.GetLine(Line, WholeLine);
            if (!Text.empty() && Text.back() == ' ')
                Text.pop_back();
            Result += Text;
            Result += LineEnd;
        }
        // Whole display lines are replaced; at the end of the text no line end follows.
        if (EndLine < E.LineCount()) {
            E.SetSelection(StartLine, 1, EndLine + 1, 1, true);
        } else {
            E.SetSelection(StartLine, 1, EndLine, E.LineLength(EndLine) + 1, true);
            Result.erase(Result.size() - LineEnd.size());
        }
        E.DeleteAtCaret();
        E.InsertAtCaret(Result);
    }
    EndEdit(State);
}

void TEditor::FormatSort(const TKorvidSortOptions& Options) {
    TEngCustomEditor& E = Editor();
    const bool State = BeginEdit();
    int First = 0;
    int Last = 0;
    bool CaretAtEnd = false;
    if (SelectWholeLines(First, Last, CaretAtEnd)) {
        // A block never spans more than the selection, so a huge stored step cannot overflow.
        const int Step =
            Options.SingleParagraphs ? 1 : std::clamp(Options.ParagraphStep, 1, Last - First + 1);
        std::vector<std::string> Blocks;
        for (int P = First; P <= Last; P += Step) {
            std::string Block;
            for (int Q = P; Q <= std::min(P + Step - 1, Last); ++Q) {
                Block += E.GetPara(Q);
                Block += LineEnd;
            }
            Blocks.push_back(std::move(Block));
        }
        if (Blocks.size() > 1) {
            SortBlocks(Blocks, Options);
            std::string Sorted;
            for (const std::string& Block : Blocks)
                Sorted += Block;
            // The last paragraph of the text has no line end to put back.
            if (Last == E.ParaCount())
                Sorted.erase(Sorted.size() - LineEnd.size());
            E.DeleteAtCaret();
            E.MoveCaretToPara(First, 1);
            E.InsertAtCaret(Sorted);
            SelectParagraphs(First, Last, CaretAtEnd);
        }
    }
    EndEdit(State);
}

void TEditor::JoinAdjacentLine(bool Previous) {
    TEngCustomEditor& E = Editor();
    if (FJoining || E.HasSelection())
        return;
    // At either end of the text there is no line to join with.
    if (Previous ? E.CaretLine() <= 1 : E.CaretLine() >= E.LineCount())
        return;
    FJoining = true;
    {
        const TDelimitersFor Delimiters(E, "\t\n\r ");
        auto Indented = [&] {
            const std::string_view Text = E.Lines().LineText(E.CaretLine());
            return !Text.empty() && (Text.front() == ' ' || Text.front() == '\t');
        };
        if (Previous) {
            E.MoveCaret(E.CaretLine(), 1);
            if (Indented())
                E.ProcessCommand(ccWordRight, 0);
            E.MoveCaretBy(-1, 0, {true, false, false});
            E.MoveCaretToLineEnd(true);
        } else {
            E.MoveCaretToLineEnd(false);
            E.MoveCaretBy(1, 0, {true, false, false});
            E.MoveCaret(E.CaretLine(), 1, true);
            if (Indented())
                E.ProcessCommand(ccExtWordRight, 0);
        }
        if (E.HasSelection())
            E.DeleteAtCaret();
    }
    FJoining = false;
}

// ---- Caret and selection ----

void TEditor::MoveCaretByColumns(int Count, bool Extend) {
    Editor().MoveCaretBy(0, Count, {Extend, false, false});
}

void TEditor::MoveCaretByLines(int Count, bool Extend) {
    Editor().MoveCaretBy(Count, 0, {Extend, false, false});
}

void TEditor::MoveCaretToLine(int Line) {
    Editor().MoveCaret(std::clamp(Line, 1, Editor().LineCount()), 1);
}

void TEditor::MoveCaretToStart() {
    Editor().MoveCaret(1, 1);
}

void TEditor::MoveCaretToLineStart() {
    Editor().MoveCaret(Editor().CaretLine(), 1);
}

void TEditor::MoveCaretToLineEnd(bool Extend) {
    Editor().MoveCaretToLineEnd(Extend);
}

int TEditor::GetCaretLine() {
    return Editor().CaretLine();
}

void TEditor::CentreCaretLine() {
    TEngCustomEditor& E = Editor();
    const int Line = E.HasSelection() ? E.SelStart().Line : E.CaretLine();
    const int Top = Line - E.VisibleLines() * 3 / 8;
    E.ScrollText(0, Top - E.TopLine());
}

void TEditor::ScrollToLeftEdge() {
    Editor().ScrollText(-Editor().LeftColumn(), 0);
}

void TEditor::GoToLastEdit() {
    TEngCustomEditor& E = Editor();
    const std::optional<TUndoRecord> Record = E.Lines().UndoBuffer().Current();
    if (!Record)
        return;
    E.MoveCaretToPara(Record->Para, Record->Pos);
    if (OwnerForm != nullptr && OwnerForm->RecentreOnFind())
        CentreCaretLine();
}

void TEditor::MoveToIndentSibling(bool Forward) {
    TEngCustomEditor& E = Editor();
    const int Column = E.CaretPosInLine();
    const int Step = Forward ? 1 : -1;
    for (int Line = E.CaretLine() + Step; Line >= 1 && Line <= E.LineCount(); Line += Step) {
        const std::string_view Text = E.Lines().LineText(Line);
        const std::size_t FirstNonBlank = Text.find_first_not_of(' ');
        if (FirstNonBlank == std::string_view::npos)
            continue;
        if (static_cast<int>(FirstNonBlank) < Column) {
            E.MoveCaret(Line, Column);
            return;
        }
    }
}

int TEditor::GetLeadingNumber() {
    const std::string Text = Editor().GetLine(Editor().CaretLine(), WholeLine);
    // Trimmed at both ends, so a number followed by a tab or a control character still reads.
    std::string_view Word = Text;
    while (!Word.empty() && IsWhiteSpace(Word.front()))
        Word.remove_prefix(1);
    while (!Word.empty() && IsWhiteSpace(Word.back()))
        Word.remove_suffix(1);
    Word = Word.substr(0, Word.find(' '));
    int Value = 0;
    const auto [Ptr, Error] = std::from_chars(Word.data(), Word.data() + Word.size(), Value);
    return Error == std::errc() && Ptr == Word.data() + Word.size() ? Value : 0;
}

void TEditor::DeleteWordLeft() {
    Editor().ProcessCommand(ccExtWordLeft, 0);
    if (Editor().HasSelection())
        Editor().DeleteAtCaret();
}

int TEditor::ParaToLine(int Para) {
    int Col = 1;
    Editor().ParaToLine(Para, Col);
    return Para;
}

int TEditor::ParaToLastLine(int Para) {
    int Col = std::max(Editor().ParaLength(Para), 1);
    Editor().ParaToLine(Para, Col);
    return Para;
}

void TEditor::ClearUndo() {
    Editor().Lines().UndoBuffer().Clear();
}

int TEditor::GetCurrentIndent() {
    TEngCustomEditor& E = Editor();
    const std::string_view Text = E.Lines().LineText(E.CaretLine());
    int Blanks = 0;
    while (Blanks < static_cast<int>(Text.size()) && Blanks < E.CaretPosInLine() - 1 &&
           (Text[Blanks] == ' ' || Text[Blanks] == '\t'))
        ++Blanks;
    return E.ColumnOfPosition(Text, Blanks + 1) - 1;
}

std::string TEditor::GetCurrentLineText() {
    return Editor().GetLineText(Editor().CaretLine());
}

char TEditor::GetCharAtCaret() {
    TEngCustomEditor& E = Editor();
    const std::string_view Text = E.Lines().LineText(E.CaretLine());
    const int Index = E.CaretPosInLine() - 1;
    return Index >= 0 && Index < static_cast<int>(Text.size()) ? Text[Index] : '\0';
}

int TEditor::GetDisplayColumn(int Pos, int Line) {
    return Editor().ColumnOfPosition(Editor().GetLine(Line, WholeLine), Pos);
}

std::vector<std::string> TEditor::CopyTextToStrings() {
    std::vector<std::string> Strings;
    const std::string Text = Editor().GetText();
    if (Text.empty())
        return Strings;
    std::size_t From = 0;
    while (From < Text.size()) {
        const std::size_t At = Text.find(LineEnd, From);
        if (At == std::string::npos) {
            Strings.push_back(Text.substr(From));
            break;
        }
        Strings.push_back(Text.substr(From, At - From));
        From = At + LineEnd.size();
    }
    return Strings;
}

bool TEditor::GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine, int& EndCol,
                                      bool& CaretAtEnd) {
    TEngCustomEditor& E = Editor();
    if (!E.GetSelection(StartLine, StartCol, EndLine, EndCol))
        return false;
    CaretAtEnd = E.CaretLine() == EndLine && E.CaretPosInLine() == EndCol;
    return true;
}

QPoint TEditor::GetSelectionScreenPoint() {
    TEngCustomEditor& E = Editor();
    int StartLine = 0;
    int StartCol = 0;
    int EndLine = 0;
    int EndCol = 0;
    E.GetSelection(StartLine, StartCol, EndLine, EndCol);
    const QPoint Client((StartCol - E.LeftColumn() - 1) * E.CharWidth() + E.LeftMargin(),
                        (StartLine - E.TopLine()) * E.LineHeight());
    return viewport()->mapToGlobal(Client);
}

std::string TEditor::GetSelText() {
    std::string Text = Editor().GetSelText();
    if (Text.ends_with(LineEnd))
        Text.erase(Text.size() - LineEnd.size());
    return Text;
}

int TEditor::GetSelTextBuf(char* Buffer, int Size) {
    int Length = Editor().GetSelTextBuf(Buffer, Size);
    if (Length >= 2 && Buffer[Length - 2] == '\r' && Buffer[Length - 1] == '\n') {
        Length -= 2;
        Buffer[Length] = '\0';
    }
    return Length;
}

std::string WordAtPosition(std::string_view Text, int Pos,
                           const std::function<bool(char)>& IsDelimiter) {
    const int N = static_cast<int>(Text.size());
    auto Word = [&](int K) { return K >= 0 && K < N && !IsDelimiter(Text[K]); };
    int I = Pos - 1;
    if (N == 0 || I > N)
        return {};
    if (!Word(I) && Word(I - 1))
        --I;
    if (!Word(I))
        return {};
    int J = I;
    while (Word(I - 1))
        --I;
    while (Word(J + 1))
        ++J;
    return std::string(Text.substr(I, J - I + 1));
}

std::string TEditor::WordAt(std::string_view Text, int Pos) {
    const TEngCustomEditor& E = Editor();
    return WordAtPosition(Text, Pos, [&E](char C) { return E.IsDelimiter(C); });
}

std::string TEditor::IdentifierAtCaret() {
    TEngCustomEditor& E = Editor();
    return WordAt(E.Lines().ParaText(E.CaretPara()), E.CaretPos());
}

bool TEditor::GetWordUnderMouse(std::string& S) {
    const QPoint Point = viewport()->mapFromGlobal(QCursor::pos());
    TEngCustomEditor& E = Editor();
    const auto [Line, Pos] = E.PointToTextPos(Point.x(), Point.y());
    S = Line >= 1 && Line <= E.LineCount() ? WordAt(E.Lines().LineText(Line), Pos) : std::string();
    return !S.empty();
}

bool TEditor::MoveToNextWord() {
    TEngCustomEditor& E = Editor();
    E.ProcessCommand(ccWordRight, 0);
    if (!IsAsciiLetterOrDigit(GetCharAtCaret())) {
        if (E.CaretLine() < E.LineCount())
            E.MoveCaret(E.CaretLine() + 1, 1);
        if (!IsAsciiLetterOrDigit(GetCharAtCaret()))
            E.ProcessCommand(ccWordRight, 0);
    }
    return IsAsciiLetterOrDigit(GetCharAtCaret());
}

void TEditor::SelectWordAtCaret(bool FirstCharOnly) {
    TEngCustomEditor& E = Editor();
    if (E.HasSelection())
        return;
    if (E.SelectCurrentWord().empty() || !FirstCharOnly)
        return;
    const TTextPos Start = E.SelStart().P;
    E.SetSelectionParas(Start, {Start.Para, Start.Pos + 1}, true);
}

void TEditor::MoveToPrevWordPart(bool Extend) {
    TEngCustomEditor& E = Editor();
    const std::string_view Text = E.Lines().LineText(E.CaretLine());
    auto At = [&](int P) {
        return P >= 1 && P <= static_cast<int>(Text.size()) ? Text[P - 1] : ' ';
    };
    const int From = E.CaretPosInLine();
    int P = From;
    bool PreviousWasPart = false;
    bool StoppedOnOther = false;
    while (P > 1) {
        --P;
        const char C = At(P);
        if (IsUpper(C))
            break;
        if (!IsWordPart(C) && PreviousWasPart) {
            StoppedOnOther = true;
            break;
        }
        PreviousWasPart = IsWordPart(C);
    }
    if (StoppedOnOther && P > 1)
        ++P;
    E.MoveCaretBy(0, P - From, {Extend, false, false});
}

void TEditor::MoveToNextWordPart(bool Extend) {
    TEngCustomEditor& E = Editor();
    const std::string Text = std::string(E.Lines().LineText(E.CaretLine())) + ' ';
    const int From = E.CaretPosInLine();
    const int Length = static_cast<int>(Text.size());
    int P = From;
    if (P > Length) {
        return;
    }
    const bool StartedOnPart = IsWordPart(Text[P - 1]);
    bool SawPart = StartedOnPart;
    bool SawOther = !StartedOnPart;
    while (P < Length) {
        ++P;
        const char C = Text[P - 1];
        if (IsUpper(C))
            break;
        if (IsWordPart(C) && SawOther)
            break;
        if (!IsWordPart(C) && SawPart)
            break;
        SawPart = SawPart || IsWordPart(C);
        SawOther = SawOther || !IsWordPart(C);
    }
    E.MoveCaretBy(0, P - From, {Extend, false, false});
}

void TEditor::RefreshCaret() {
    Editor().PlaceCaret();
}

void TEditor::EndUpdate() {
    TEngCustomEditor& E = Editor();
    E.EndUpdate();
    auto ShowStatus = std::exchange(E.OnShowStatus, nullptr);
    QCoreApplication::processEvents();
    E.OnShowStatus = std::move(ShowStatus);
    if (E.OnShowStatus)
        E.OnShowStatus(E, E.CaretLine(), E.CaretColumn());
}

void TEditor::SelectDelimitedText() {
    TEngCustomEditor& E = Editor();
    if (FView == nullptr || FView->OpeningDelimiter.empty() || FView->ClosingDelimiter.empty())
        return;
    const std::string_view Text = E.GetPara(E.CaretPara());
    const std::size_t Caret = static_cast<std::size_t>(E.CaretPos() - 1);
    const std::size_t Open =
        Text.substr(0, std::min(Caret, Text.size())).rfind(FView->OpeningDelimiter);
    if (Open == std::string_view::npos)
        return;
    const std::size_t Start = Open + FView->OpeningDelimiter.size();
    const std::size_t Close =
        Text.find(FView->ClosingDelimiter, std::max(Start, std::min(Caret, Text.size())));
    if (Close == std::string_view::npos)
        return;
    E.SetSelectionParas({E.CaretPara(), static_cast<int>(Start) + 1},
                        {E.CaretPara(), static_cast<int>(Close) + 1}, true);
}

// ---- Auto-text ----

void TEditor::InsertAutoText(const TAutoTextEntry& Entry) {
    TEngCustomEditor& E = Editor();
    if (E.GetReadOnly())
        return;
    const std::string& Expansion = Entry.Expansion;
    const std::size_t Cursor =
        Entry.CursorChar ? Expansion.find(Entry.CursorChar) : std::string::npos;
    const bool HasCursor = Cursor != std::string::npos;
    const std::string_view Before =
        HasCursor ? std::string_view(Expansion).substr(0, Cursor) : std::string_view(Expansion);
    const std::string_view After =
        HasCursor ? std::string_view(Expansion).substr(Cursor + 1) : std::string_view();
    // Without a cursor character the expansion simply replaces the selection.
    const std::string Selected = HasCursor ? E.GetSelText() : std::string();
    const TTextPos Start =
        E.HasSelection() ? E.SelStart().P : TTextPos{E.CaretPara(), E.CaretPos()};
    std::string Text(Before);
    Text += Selected;
    Text += After;
    {
        const TMoveAfterPaste Switch;
        E.InsertText(Text);
    }
    if (HasCursor) {
        const TTextPos Caret = PositionAfter(PositionAfter(Start, Before), Selected);
        E.MoveCaretToPara(Caret.Para, Caret.Pos);
    }
    E.KeepCaretInView();
}

} // namespace korvid
