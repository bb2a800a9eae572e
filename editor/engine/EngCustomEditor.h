#pragma once

#include "editor/engine/EngController.h"
#include "editor/engine/EngSearch.h"
#include "editor/engine/ParaList.h"
#include "platform/Colors.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QPainter;

namespace korvid {

struct TPixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TPixelRect&, const TPixelRect&) = default;
};

enum class TScrollBarKind { Horizontal, Vertical };

// What the editor needs of its window. The editor itself draws nothing; the widget that shows
// it implements this and calls back into the editor (painting done, caret report due, input).
class TEngEditorHost {
public:
    virtual ~TEngEditorHost() = default;
    // Metrics of the window and its fixed font.
    virtual int AverageCharWidth() = 0;
    virtual int FontLineHeight() = 0; // font height plus external leading
    virtual int ClientWidth() = 0;
    virtual int ClientHeight() = 0;
    virtual bool WindowExists() = 0;
    virtual bool HasFocus() = 0;
    // Painting: the widget's paint ends by calling TEngCustomEditor::PaintDone.
    virtual void InvalidateAll() = 0;
    virtual void InvalidateRect(const TPixelRect& Rect, bool Erase) = 0;
    virtual void PaintNow() = 0;
    virtual void ScrollPixels(const TPixelRect& Area, int Dx, int Dy) = 0;
    // A range of Min = Max = 0 (or 1..1 for the vertical bar) hides the bar.
    virtual void SetScrollRange(TScrollBarKind Bar, int Min, int Max, int Page) = 0;
    virtual void SetScrollPos(TScrollBarKind Bar, int Pos) = 0;
    // The caret's cell, and which caret of the pair shows.
    virtual void SetCaretCell(int Width, int Height, bool InsertMode) = 0;
    // Top left of the caret's cell; the caret's shape decides the final pixel.
    virtual void SetCaretPos(int X, int Y) = 0;
    // Later, from the event loop, call TEngCustomEditor::CaretMoved(Line, Column).
    virtual void QueueCaretMoved(int Line, int Column) = 0;
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& Text) = 0;
    virtual void Beep() = 0;
    // True while a long operation runs (an hourglass).
    virtual void SetBusy(bool Busy) = 0;
};

// Shows the hourglass through the host for as long as it lives.
class TEngBusy {
public:
    explicit TEngBusy(TEngEditorHost& Host) : FHost(Host) { FHost.SetBusy(true); }
    ~TEngBusy() { FHost.SetBusy(false); }
    TEngBusy(const TEngBusy&) = delete;
    TEngBusy& operator=(const TEngBusy&) = delete;

private:
    TEngEditorHost& FHost;
};

enum TTabType { ttReal, ttFixed, ttSmart };
enum class TScrollStyle { None, Horizontal, Vertical, Both };

// A key as the key-down hook sees it; a handler that takes the key sets Result to 0.
struct TEngKeyMessage {
    int Key = 0;
    int Shift = 0; // engine bits
    int Result = -1;
};

struct TEngDrawLineArgs {
    QPainter* Canvas = nullptr;
    TPixelRect Rect;
    std::string_view Text; // the visible text, tabs expanded, from the left column
    int Line = 0;
    int Pos = 0; // left column
    int Count = 0;
    int HBLine = 0;
    int HBCol = 0;
    int HELine = 0;
    int HECol = 0;
    bool WasDrawn = false;
};

// One end of the selection with the display line and column it shows on.
struct TSelEnd {
    TTextPos P{1, 1};
    int Line = 1;
    int Column = 1;
};

// The engine's multi-line editor without its window: text, ring of editors sharing the text,
// caret, selection, scrolling and the editing keys. A widget implements TEngEditorHost and
// forwards its input here.
class TEngCustomEditor : public TParaListClient {
public:
    static constexpr int DefaultUndoSize = 8192;
    static constexpr std::string_view DefaultWordDelimiters =
        "\t'\r\n ,./?;:`\"<>[]{}-=\\+|()%@&^$#!~*";
    static constexpr int MaxHorzRange = 8192;
    static constexpr int OffWindow = 32767;
    // Inserting text returns the caret to where the insertion began unless this is on.
    static inline bool MoveAfterPaste = false;

    TEngCustomEditor(TEngEditorHost& Host, TEngController* Controller = nullptr);
    ~TEngCustomEditor() override;
    TEngCustomEditor(const TEngCustomEditor&) = delete;
    TEngCustomEditor& operator=(const TEngCustomEditor&) = delete;

    TEngEditorHost& Host() { return FHost; }
    TEngController* Controller() const { return FController; }
    void SetController(TEngController* Value) { FController = Value; }
    // The controller, which must be there at run time.
    TEngController& RequireController();
    TParaList& Lines() { return *FLines; }

    // ---- Properties ----
    // A property with a setter is changed only through it: the setters keep the rules between
    // properties (word wrap forces WrapAtLeft on and ScrollPastEnd off) and repaint.
    bool AutoIndent = false;
    int ByteLimit() const { return FLines->ByteLimit(); }
    void SetByteLimit(int Value); // 0 and above
    bool HideSelection() const { return FHideSelection; }
    TColor HighlightTextColor = SystemColorFlag | COLOR_HIGHLIGHTTEXT;
    TColor HighlightBackColor = SystemColorFlag | COLOR_HIGHLIGHT;
    bool InsertMode() const { return FInsertMode; }
    // Stores the mode and shows the insert or the overwrite caret.
    void SetInsertMode(bool Value);
    int LeftMargin() const { return FLeftMargin; }
    int ParaLengthLimit() const { return FLines->ParaLengthLimit(); }
    void SetParaLengthLimit(int Value); // 1 to 32767
    int ParaLimit() const { return FLines->ParaLimit(); }
    void SetParaLimit(int Value); // above 0
    bool ReadOnly = false;
    virtual bool GetReadOnly() const { return ReadOnly; }
    int RightMargin() const { return FRightMargin; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    bool ScrollBarsAlways() const { return FScrollBarsAlways; }
    bool ScrollPastEnd() const { return FScrollPastEnd; }
    bool ShowBookmarks() const { return FShowBookmarks; }
    int TabSize() const { return FLines->TabSize(); }
    void SetTabSize(int Value); // 1 to 255
    TTabType TabType() const { return FTabType; }
    bool TrimWhiteSpace = true;
    void SetUndoBufferSize(std::size_t Size); // at most 65535
    std::size_t UndoBufferSize() { return FLines->UndoBuffer().Size(); }
    bool WantEnter = true;
    bool WantTab = false;
    bool WordWrap() const { return FLines->WordWrap(); }
    void SetWordWrap(bool Value);
    bool WrapAtLeft() const { return FWrapAtLeft; }
    int WrapColumn() const { return FLines->WrapColumn(); }
    // Values below 1 are ignored.
    void SetWrapColumn(int Value) {
        if (Value > 0)
            FLines->SetWrapColumn(Value);
    }
    bool WrapToWindow() const { return FWrapToWindow; }
    void SetWrapToWindow(bool Value);
    TColor RightMarginColor() const { return FRightMarginColor; }
    int RightMarginPos() const { return FRightMarginPos; }
    bool ShowRightMargin() const { return FShowRightMargin; }
    bool ShowParaMarks() const { return FShowParaMarks; }
    int ExtraLineSpacing() const { return FExtraLineSpacing; }
    // Resizing keeps the left column instead of returning to the left edge.
    bool KeepHorzScroll = false;
    // Up and Down scroll the view instead of moving the caret.
    bool WebScrolling = false;
    const std::string& WordDelimiters() const { return FWordDelimiters; }

    // ---- Events ----
    std::function<void(TEngCustomEditor&)> OnChange;
    std::function<void(TEngCustomEditor&, int& ErrorCode)> OnError;
    std::function<void(TEngCustomEditor&, int Line, int Column)> OnShowStatus;
    std::function<void(TEngCustomEditor&, int TopLine)> OnTopLineChanged;
    std::function<void(TEngCustomEditor&, std::uint16_t Command)> OnUserCommand;
    std::function<void(TEngKeyMessage&)> OnWMKeyDown;
    std::function<void(TEngCustomEditor&, TEngDrawLineArgs&)> OnDrawLine;
    // Fired once a focus change is complete (the widget queues AfterEnter and AfterExit).
    std::function<void(TEngCustomEditor&)> OnAfterEnter;
    std::function<void(TEngCustomEditor&)> OnAfterExit;

    // ---- Commands ----
    // Executes a command code (EngCommand.h); Key is the virtual key that produced it, or the
    // character for ccTypedChar. False for codes that are no command of the editor; codes from
    // ccUserFirst on go to OnUserCommand and answer true.
    virtual bool ProcessCommand(std::uint16_t Command, std::uint16_t Key);
    // Rows a page move covers: the visible rows but one, at least 1.
    int PageSize() const { return FVisibleLines > 1 ? FVisibleLines - 1 : 1; }

    // ---- Public operations ----
    // Line and position arguments are 1-based; a display line or paragraph outside the text
    // raises EInvalidLineOrPara.
    int GetCaretPosition(int& Col) const; // the caret's display line; Col its position in it
    int ColumnOfPosition(std::string_view Text, int Pos) const;
    int GetTopLine() const { return FTopLine; }
    int GetVisibleColumns() const { return FVisibleColumns; }
    int GetVisibleLines() const { return FVisibleLines; }
    std::int64_t GetTextLength() const { return FLines->ByteCount(); }
    int LineLength(int Line);
    int ParaLength(int Para);
    // The paragraph's text, valid until the next change of the text.
    std::string_view GetPara(int Para);
    std::string_view GetParaText(int Para) { return GetPara(Para); }
    // The display line cut to Max characters; the expanded form has its tabs as spaces.
    std::string GetLine(int Line, int Max);
    std::string GetExpandedLine(int Line, int Max);
    std::string GetLineText(int Line);
    // The whole text, paragraphs joined by CR LF (GetTextLength characters).
    std::string GetText();
    // Copies the start of GetText into a buffer of Size bytes and a NUL after it; never writes
    // past Size - 1. The characters written.
    int GetTextBuf(char* Buffer, int Size);
    bool GetModified() const { return FLines->Modified(); }
    // A change repaints every editor of the text; false marks the undo history's save point.
    void SetModified(bool Value);

    // False (the arguments untouched) without a selection; else its ends as display line and
    // position in the line, start first.
    bool GetSelection(int& StartLine, int& StartCol, int& EndLine, int& EndCol) const;
    // The selected text exactly: its length counts each line end as 2, and the text copied
    // carries no line end after its last part.
    int GetSelTextLen();
    std::string GetSelText() { return HasSelection() ? SelectedText() : std::string(); }
    int GetSelTextBuf(char* Buffer, int Size);
    void SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd);
    void SelectAll(bool CaretAtEnd);
    // The word at the caret, "" when there is none.
    std::string GetCurrentWord();
    std::string SelectCurrentWord();

    void SetCaretPosition(int Line, int Col);
    void LineToPara(int& Line, int& Col);
    void ParaToLine(int& Para, int& Col);

    // Insert at the caret replacing the selection, in one undo group; the error code.
    int InsertText(std::string_view Text) { return InsertReplacingSelection(Text); }
    // Discards the text, puts Text in its place and lays the window out anew.
    void SetEditorText(std::string_view Text);
    void SetTextBuf(std::string_view Text) { SetEditorText(Text); }
    // The same for a loaded file, whose lines arrive one at a time (see TParaList::LoadParas):
    // the result is that of SetEditorText with the lines joined by line ends.
    void SetEditorLines(std::size_t Count, std::size_t TextBytes, const TParaFeed& Next,
                        std::string* Backing = nullptr);

    // The display line of a bookmark and its position in the line; -1 when it is not set.
    int GetMarkerPosition(int Index, int& Col);
    void SetMarkerAt(int Index, int Line, int Col);

    void SetWordDelimiters(std::string_view S);
    // Repainting is held back between these; the outermost end repaints everything.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }
    void ResumeRedraw();

    // ---- Property setters: each ignores values outside its range ----
    void SetHideSelection(bool Value);
    void SetLeftMargin(int Value);
    void SetRightMargin(int Value);
    void SetScrollBars(TScrollStyle Value);
    void SetScrollBarsAlways(bool Value);
    void SetScrollPastEnd(bool Value);
    void SetShowBookmarks(bool Value);
    void SetTabType(TTabType Value);
    void SetWrapAtLeft(bool Value);
    void SetLineSpacing(int Value);
    void SetRightMarginColor(TColor Value);
    void SetRightMarginPos(int Value);
    void SetShowRightMargin(bool Value);
    void SetShowParaMarks(bool Value);

    // ---- Search and replace ----
    // Searches for Find (cut to 255 characters) with the option bits of EngSearch.h, replacing
    // with Replacement when they ask; editing errors also go to the error routine.
    TSearchResult SearchReplace(std::string_view Find, std::string_view Replacement,
                                std::uint16_t Options);
    // Searches without replacing: true when a match was found and selected.
    bool FindText(std::string_view S, std::uint16_t Options);

    // ---- Window ----
    // The window now exists: note its scroll bars and measure.
    void WindowCreated();
    // Font or size changed: visible rows and columns, line height and scroll bars anew.
    void Measure();
    // The widget painted: deferred scroll-bar updates run and the caret is placed.
    void PaintDone();
    // The queued caret report arrives.
    void CaretMoved(int Line, int Column);
    bool DoDrawLine(TEngDrawLineArgs& Args);
    // The insert mode is one for all editors of a form: taken on focus, handed back on leaving.
    void FocusEntered();
    void FocusLeft();
    void AfterEnter();
    void AfterExit();

    // ---- Sharing a text ----
    void Attach(TEngCustomEditor& Other);
    TEngCustomEditor& NextInRing() const { return *FNext; }
    bool Shares(const TEngCustomEditor& Other) const;

    // ---- State ----
    int CaretLine() const { return FCaretLine; }
    int CaretPara() const { return FCaretPara; }
    int CaretPos() const { return FLineOffset + FCaretPosInLine; } // in the paragraph
    int CaretPosInLine() const { return FCaretPosInLine; }
    int CaretLineOffset() const { return FLineOffset; }
    int CaretColumn();
    const TSelEnd& SelStart() const { return FSelStart; }
    const TSelEnd& SelEnd() const { return FSelEnd; }
    TTextPos SelCaretEnd() const { return FSelCaretEnd; }
    bool HasSelection() const { return !(FSelStart.P == FSelEnd.P); }
    int TopLine() const { return FTopLine; }
    int TopPara() const { return FTopPara; }
    int TopOffset() const { return FTopOffset; }
    int LeftColumn() const { return FLeftColumn; }
    int VisibleColumns() const { return FVisibleColumns; }
    int VisibleLines() const { return FVisibleLines; }
    int CharWidth() const { return FCharWidth; }
    int LineHeight() const { return FLineHeight; }
    int LineCount() const { return FLines->LineCount(); }
    int ParaCount() const { return FLines->ParaCount(); }
    bool FullRepaintPending() const { return FFullRepaint; }
    int VertScale() const;
    int VertRange() const { return LineCount() / VertScale(); }
    bool CanUndo() const { return !GetReadOnly() && FLines->CanUndo(); }
    bool CanRedo() const { return !GetReadOnly() && FLines->CanRedo(); }
    bool IsDelimiter(char C) const { return FWordDelimiters.find(C) != std::string::npos; }

    // ---- Caret and selection ----
    struct TMove {
        bool Extend = false;  // extend the selection instead of collapsing it
        bool KeepPos = false; // a vertical move keeps the position instead of the column
        bool KeepRow = false; // the caret keeps its row on the screen
    };
    void MoveCaretBy(int LineDelta, int PosDelta, TMove How);
    void MoveCaret(int Line, int Pos, bool Extend = false);
    void MoveCaretToPara(int Para, int Pos, bool Extend = false);
    void MoveCaretToLineEnd(bool Extend = false);
    void MoveCaretLeft(bool Extend = false);
    void MoveCaretRight(bool Extend = false);
    void KeepCaretInView();
    void ExtendSelectionToCaret(bool Repaint = true);
    void CollapseToCaret(bool Repaint = true);
    // Cancels the selection with the caret at its start, or at its end.
    void CollapseSelection(bool AtEnd);
    void SetSelectionParas(TTextPos A, TTextPos B, bool CaretAtEnd);
    std::string SelectedText();
    void CopySelectionToClipboard();
    int NextTabStop(int Column) const;
    int IndentOfLine(int Line);

    // ---- Editing ----
    int AppendLine(std::string_view Text);
    void ClearAll();
    void ClearMarker(int N);
    // Bookmarks 0..9; other indexes do nothing.
    void SetMarker(int Index);
    void GotoMarker(int Index);
    void TypeChar(char C);
    // Inserts Text (line ends allowed) at the caret and moves the caret past it; error code.
    int InsertAtCaret(std::string_view Text);
    // Paste and the public insert: the selection goes first, all in one undo group.
    int InsertReplacingSelection(std::string_view Text);
    int InsertString(std::string_view Text) { return InsertReplacingSelection(Text); }
    void PerformEnter();
    // Enter with this auto-indent for once; the setting stays as it was.
    void PerformEnterIndenting(bool Indent);
    void PerformTab();
    void DeleteAtCaret();
    void Backspace();
    void DeleteToLineStart();
    void DeleteToLineEnd();
    void DeleteWord();
    void DeleteLine();
    // A non-zero code goes to OnError, or raises EEditorError without a handler.
    void Error(int Code);
    void Changed();

    // ---- Scrolling ----
    virtual void ScrollText(int Columns, int Rows);
    void UpdateHorzRange();
    void UpdateHorzPos();
    void UpdateVertRange();
    void UpdateVertPos();
    void MarkScrollBarsPending();
    // Places the caret; Column is its display column when the caller knows it.
    void PlaceCaret(std::optional<int> Column = std::nullopt);
    bool CaretVisible();
    // The display line and the position in it under a client pixel.
    std::pair<int, int> PointToTextPos(int X, int Y);
    void RequestFullRepaint(bool PaintNow);
    void RepaintLines(int From, int To);
    void RepaintChanged() { RepaintLines(FLines->ChangedFromLine(), FLines->ChangedToLine()); }

    // ---- TParaListClient ----
    void CharsInserted(int Para, int Pos, int Count) override;
    void CharsDeleted(int Para, int Pos, int Count) override;
    void ParaSplit(int Para, int Pos, int Indent) override;
    void ParaDeleted(int Para) override;
    void ParasJoined(int Para, int Pos) override;
    void TextRewrapped() override;

    // How a change of the text moves a position of the editors that share it.
    struct TTextChange {
        enum TKind { Inserted, Deleted, Split, ParaDeleted, Joined } Kind;
        int Para;
        int Pos;
        int Count; // characters, or the indent of a split
        // The moved position; Deleted is set when the position lay in deleted text.
        TTextPos Move(TTextPos P, int ParaCount, bool* InDeleted = nullptr) const;
    };

protected:
    struct TWordSpan {
        int Pos = 0; // in the caret's paragraph
        int Length = 0;
    };
    TWordSpan WordAtCaret();
    void CheckLine(int Line) const;
    void CheckPara(int Para) const;
    void Remeasure();
    // Looks the caret, top line and selection up anew after the whole text changed.
    void Relayout();
    void SetCaretState(int Line, int PosInLine);
    void SyncCaretFromPara(int Para, int Pos);
    void ScrollToCaret(int OldLine, bool KeepRow, bool WasVisible);
    void SetTopLine(int Line);
    void InsertBlanks(int Count);
    int SmartTabColumn(int Line, int P);
    void DeleteStretch(TTextPos From, TTextPos To);
    void TextChangedAround(int OldLineCount);
    void MoveWordLeft(bool Extend);
    void MoveWordRight(bool Extend);
    void MoveToPageEdge(bool Bottom, bool Extend, bool ScrollWhenOutside);
    void ScrollRowKeepingCaret(int Rows);
    void CutToClipboard();
    void PasteFromClipboard();
    void UndoOrRedo(bool Redo);

private:
    struct TSearchRun;
    void Detach();
    void AdjustRing(const TTextChange& Change);
    void FollowChange(const TTextChange& Change, bool IsChanger);
    void RecomputeEnd(TSelEnd& End);
    TSelEnd EndAt(TTextPos P);

    TEngEditorHost& FHost;
    TEngController* FController;
    std::shared_ptr<TParaList> FLines;
    TEngCustomEditor* FPrev = this;
    TEngCustomEditor* FNext = this;

    int FVisibleColumns = 1;
    int FCharWidth = 1;
    int FCaretPosInLine = 1;
    int FCaretLine = 1;
    int FCaretPara = 1;
    int FLineOffset = 0;
    TTextPos FSelCaretEnd{1, 1};
    TSelEnd FSelStart;
    TSelEnd FSelEnd;
    int FLeftColumn = 0;
    int FLineHeight = 1;
    int FVisibleLines = 0;
    int FTopLine = 1;
    int FTopPara = 1;
    int FTopOffset = 0;
    bool FFullRepaint = false;
    bool FHideSelection = true;
    bool FInsertMode = true;
    int FLeftMargin = 15;
    int FRightMargin = 5;
    TScrollStyle FScrollBars = TScrollStyle::Both;
    bool FScrollBarsAlways = false;
    bool FScrollPastEnd = false;
    bool FShowBookmarks = true;
    TTabType FTabType = ttReal;
    bool FWrapAtLeft = true;
    TColor FRightMarginColor = SystemColorFlag | COLOR_BTNFACE;
    int FRightMarginPos = 0;
    bool FShowRightMargin = false;
    bool FShowParaMarks = false;
    int FExtraLineSpacing = 0;
    std::string FWordDelimiters{DefaultWordDelimiters};
    bool FWrapToWindow = false;
    bool FHasHorzBar = false;
    bool FHasVertBar = false;
    bool FHorzPosPending = false;
    bool FVertPosPending = false;
    bool FVertRangePending = false;
    bool FRelayingOut = false;
    int FUpdateCount = 0;
};

} // namespace korvid
