#pragma once

#include "editor/EditorHooks.h"
#include "editor/EngTextFileEditorWidget.h"
#include "views/ColouredLinePainter.h"
#include "views/ColouringBinding.h"
#include "workspace/SortOptions.h"

#include <QDateTime>
#include <QPoint>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvid {

class TView;

// A caret position anchored by the anchor-selection command; Line -1 when none.
struct TAnchorPosition {
    int Line = -1;
    int Col = -1;
    friend bool operator==(const TAnchorPosition&, const TAnchorPosition&) = default;
};

// Kinds of ViewChanged.
enum TViewChangeKind { vcChanged = 0, vcDeleted = 1 };

// The program's editor control: one per open document. The engine's text-file editor on the
// screen, with the document's view and its colouring plug-in, debugger line markers, section
// names, the encrypted and p-System save paths and the line-formatting commands.
struct TAutoTextEntry;

class TEditor : public TEngTextFileEditorWidget, public TColouredLinePainter {
public:
    static constexpr int UndoBufferBytes = 65535;
    static constexpr int ClickSlop = 10; // pixels a click may move and still be a click

    explicit TEditor(QWidget* Parent = nullptr, TEditorOwner* Owner = nullptr,
                     TEngController* Controller = nullptr);
    ~TEditor() override;

    // Settings of a new tab, then the view already stored.
    void Initialise();

    // ---- The document ----
    TEditorOwner* const OwnerForm;
    std::string Password; // empty unless the document is encrypted
    std::string UntitledCaption;
    QDateTime SaveTime;
    bool SaveAsUtf8 = false;
    bool ViewChosenByUser = false;
    // The header page the document's p-System text file had in its volume.
    std::optional<TPSystemHeaderPage> PSystemHeader;
    QPoint MouseDownPoint;
    // Where the mouse last moved over the text (viewport coordinates): the evaluation hint's
    // place.
    QPoint LastMousePoint;
    TAnchorPosition AnchorPosition;
    // Where SaveToPSystemVolume stores; the volume files unless a test replaces it.
    std::unique_ptr<TPSystemTextStore> PSystemTextStore;

    const std::string& FileName() { return Editor().FileName(); }
    void SetFileName(std::string_view Name) { Editor().SetFileName(Name); }
    void LoadFromFile(std::string_view Name) { Editor().LoadFromFile(Name); }
    bool HasFileName() { return !FileName().empty(); }
    const std::string& GetDisplayName();
    std::string GetShortDisplayName();

    // ---- Saving ----
    // The engine's save, then the save time; a failure raises EFileSaveError.
    void SaveToFile(std::string_view Name, const TTextSaveOptions& Options);
    // Writes the text encrypted with Password. False, with the document still modified, when
    // the file could not be written.
    bool SaveEncrypted(const std::string& FileName);
    // Name is the volume file, ">", an optional subvolume and ":", and the file's name.
    bool SaveToPSystemVolume(const std::string& Name, bool Flag, bool PreserveSpaces,
                             bool PreserveSolitary);
    // The paragraphs as a p-System text holds them: tabs expanded to blanks, trailing blanks
    // stripped unless kept.
    static std::vector<std::string> PSystemLines(const std::vector<std::string>& Paragraphs,
                                                 int TabSize, bool PreserveSpaces,
                                                 bool PreserveSolitary);
    std::vector<std::string> Paragraphs();

    // ---- Views ----
    TView* View() const { return FView; }
    void SetView(TView* View);
    void ViewChanged(const TView* View, int Kind);
    void ApplyView();

    // ---- Colouring ----
    const TPluginModule* PluginModule() const { return FBinding.PluginModule(); }
    TKorvidEnumChunks EnumChunks() const { return FBinding.EnumChunks(); }
    void DrawColouredLine(TEngCustomEditor& Sender, TEngDrawLineArgs& Args);
    // Paints onto another device, such as a printer: black on white, cells measured there.
    void PrintRows(QPainter& Painter, const QRect& Clip);
    // Draws Text, paragraph Para's printed part, coloured in the painter's font into Row, black
    // on white; false, drawing nothing, when no plug-in colours the view.
    bool PrintLine(QPainter& Painter, int Para, std::string_view Text, const QRect& Row);

    // ---- Debugger line markers ----
    void AddLineMarker(int Line, bool IsExecutionPoint);
    void ClearLineMarkers();
    void ClearExecutionPoint(bool MakeBreakpoint);

    // ---- Section names of search-result documents ----
    void AddSectionName(const std::string& Name, int Line);
    bool HasSectionNames() const { return FSectionNames.has_value(); }
    std::string GetSectionNameForLine(int Line) const;
    // Every entry in order: the file and the line it starts after.
    std::vector<std::pair<std::string, int>> SectionNames() const {
        return FSectionNames.value_or(std::vector<std::pair<std::string, int>>{});
    }

    // ---- Formatting commands ----
    bool BeginEdit();
    void EndEdit(bool State);
    bool SelectWholeLines(int& First, int& Last, bool& CaretAtEnd);
    void SelectParagraphs(int First, int Last, bool CaretAtEnd);
    void FormatIndent();
    void FormatUnindent();
    void FormatAsComment();
    void FormatCentre();
    void AnchorSelection();
    void FormatAsOneParagraph();
    void FormatAsSeparateParagraphs();
    void FormatSort(const TKorvidSortOptions& Options);
    void JoinAdjacentLine(bool Previous);
    // Inserts an auto-text entry around the selection (or at the caret) in one undo step; the
    // caret goes where the entry's cursor character stood. Nothing happens while read-only.
    void InsertAutoText(const TAutoTextEntry& Entry);

    // ---- Caret and selection ----
    void MoveCaretByColumns(int Count, bool Extend);
    void MoveCaretByLines(int Count, bool Extend);
    void MoveCaretDownFive(bool Extend) { MoveCaretByLines(5, Extend); }
    void MoveCaretUpFive(bool Extend) { MoveCaretByLines(-5, Extend); }
    void MoveCaretToLine(int Line);
    void MoveCaretToStart();
    void MoveCaretToLineStart();
    void MoveCaretToLineEnd(bool Extend);
    int GetCaretLine();
    int GetVisibleColumns() { return Editor().GetVisibleColumns(); }
    void CentreCaretLine();
    void ScrollToLeftEdge();
    void GoToLastEdit();
    void MoveToIndentSibling(bool Forward);
    int GetLeadingNumber();
    void DeleteWordLeft();
    int ParaToLine(int Para);
    int ParaToLastLine(int Para);
    void ClearUndo();
    int GetCurrentIndent();
    std::string GetCurrentLineText();
    char GetCharAtCaret();
    int GetDisplayColumn(int Pos, int Line);
    std::vector<std::string> CopyTextToStrings();
    bool GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine, int& EndCol,
                                 bool& CaretAtEnd);
    QPoint GetSelectionScreenPoint();
    std::string GetSelText();
    bool GetWordUnderMouse(std::string& S);
    // The word the caret is in or just after; empty on a delimiter after a delimiter.
    std::string IdentifierAtCaret();
    bool MoveToNextWord();
    void SelectWordAtCaret(bool FirstCharOnly);
    void MoveToPrevWordPart(bool Extend);
    void MoveToNextWordPart(bool Extend);
    void RefreshCaret();
    void BeginUpdate() { Editor().BeginUpdate(); }
    void EndUpdate();
    int GetSelTextBuf(char* Buffer, int Size);
    void SelectDelimitedText();

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

    const TView* ColouringView() const override { return FView; }
    void GetLineText(int LineNo, char* Buffer) override;

private:
    // Applies a formatting command to paragraphs First..Last.
    using TParagraphEdit = std::function<void(int First, int Last)>;

    void BindPlugin();
    void UnbindPlugin();
    // The coloured painter draws while a plug-in colours the view or a line is marked.
    void BindDrawLine();
    void ApplyWrap();
    void FormatParagraphs(const TParagraphEdit& Edit);
    std::string IndentString() const;
    void InsertAt(int Para, int Pos, std::string_view Text);
    void DeleteAt(int Para, int Pos, int Count);
    // The word the 1-based position is in or just after, by the view's delimiters.
    std::string WordAt(std::string_view Text, int Pos);

    TView* FView = nullptr;
    TColouringBinding FBinding;
    std::optional<std::vector<std::pair<std::string, int>>> FSectionNames;
    bool FPrinting = false;
    bool FJoining = false;
    bool FStepDownAfterOne = false;
    int FWheelDelta = 0;
};

// The word the 1-based position in Text is in or just after; empty where there is none.
std::string WordAtPosition(std::string_view Text, int Pos,
                           const std::function<bool(char)>& IsDelimiter);

} // namespace korvid
