#pragma once

#include "app/DocumentEditor.h"

#include <QTextCursor>

#include <array>
#include <functional>

class QPlainTextEdit;

namespace korvid {

// A stand-in document editor on Qt's plain text widget for the window's tests, which exercise
// the window rather than the editor control; the program's tabs hold TEditorDocument.
class TPlainTextEditor : public TDocumentEditor {
public:
    explicit TPlainTextEditor(QWidget* Parent);

    QPlainTextEdit* TextEdit() const { return FEdit; }

    std::vector<std::string> Paragraphs() const override;
    void SetParagraphs(const std::vector<std::string>& Lines) override;
    void ClearAll() override;
    void ClearUndo() override;
    bool CanUndo() const override;
    bool CanRedo() const override;
    void Undo() override;
    void Redo() override;
    bool Modified() const override;
    void SetModified(bool Value) override;
    bool ReadOnly() const override;
    void SetReadOnly(bool Value) override;
    bool HasSelection() const override;
    int GetSelTextLen() const override;
    void InsertTextAtCaret(std::string_view Text) override;
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void PasteFromClipboard() override;
    void SelectAll() override;
    void MoveCaretTo(int Line, int Column) override;
    int LineCount() const override;
    int ParaCount() const override;
    int LineToPara(int Line) const override { return Line; }
    bool InsertMode() const override;
    bool WordWrap() const override { return false; }
    bool ShowsParagraphMarks() const override { return FParagraphMarks; }
    void SetShowParagraphMarks(bool Value) override { FParagraphMarks = Value; }
    bool IsBookmarkSet(int Number) const override;
    bool BeginEdit() override;
    void EndEdit(bool State) override;
    std::string SelectedText() const override;
    void SelectWordAtCaret(bool FirstCharOnly) override;
    bool MoveToNextWord() override;
    bool GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine, int& EndCol,
                                 bool& CaretAtEnd) const override;
    void SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd) override;
    int GetCaretLine() const override { return CaretLine(); }
    int CaretPosInLine() const override;
    std::string GetCurrentLineText() const override;
    std::string GetCurrentWord() const override;
    // By the view's delimiters, as the editor control finds it.
    std::string IdentifierAtCaret() const override;
    void MoveCaretByColumns(int Count, bool Extend) override;
    // Without wrapping every paragraph is one line.
    int ParaToLine(int Para) const override { return Para; }
    int ParaToLastLine(int Para) const override { return Para; }
    int LineLength(int Line) const override;
    int GetMarkerPosition(int Number, int& Col) const override;
    void SetMarker(int Number) override;
    void ClearMarker(int Number) override;
    void GotoMarker(int Number) override;
    void FormatIndent() override;
    void FormatUnindent() override;
    void FormatAsComment() override;
    void FormatCentre() override;
    void FormatAsOneParagraph() override;
    // Every line already is a paragraph of its own.
    void FormatAsSeparateParagraphs() override {}
    void AnchorSelection() override;
    // The stand-in's views name no delimiters.
    void SelectDelimitedText() override {}
    void GoToLastEdit() override;
    void DeleteWordLeft() override;
    void AddSectionName(const std::string& Name, int Line) override {
        FSections.emplace_back(Name, Line);
    }
    bool HasSectionNames() const override { return !FSections.empty(); }
    std::string GetSectionNameForLine(int Line) const override;
    int CaretLine() const override;
    std::vector<std::pair<std::string, int>> FSections;
    int TabSize() const override { return 8; }
    void SetExtraLineSpacing(int) override {}
    void SetUpdatesSuspended(bool Suspended) override;

    // Finds nothing and sorts nothing; the selection is the text widget's.
    TSearchResult SearchReplace(std::string_view, std::string_view, std::uint16_t) override {
        return {};
    }
    std::string GetCurrentWord() override { return {}; }
    std::string GetSelText() override;
    bool GetSelection(int& StartLine, int& StartCol, int& EndLine, int& EndCol) override;
    QPoint GetSelectionScreenPoint() override;
    int LineHeight() const override;
    std::string CaretParagraphText() override;
    void CentreCaretLine() override {}
    int GetVisibleColumns() override { return 80; }
    void ScrollToLeftEdge() override {}
    int ParaToLine(int Para) override { return Para; }
    std::vector<std::pair<std::string, int>> SectionNames() const override { return FSections; }
    void FormatSort(const TKorvidSortOptions&) override {}

    void SaveToFile(const std::string& Name, const TDocumentSaveOptions& Options) override;
    void SaveEncrypted(const std::string& Name) override;
    bool SaveToPSystemVolume(const std::string& Name, bool MakeBackup, bool PreserveSpaces,
                             bool PreserveSolitary) override;

    // The line of each bookmark, 0 when it is not set.
    std::array<int, 10> Bookmarks{};

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ReportStatus();
    // Runs Edit on each paragraph (0-based) of the selection, or the caret's, in one undo step.
    void EachSelectedParagraph(const std::function<void(QTextCursor& AtStart)>& Edit);

    QPlainTextEdit* FEdit;
    bool FParagraphMarks = false;
    QTextCursor FEditBlock;
    int FAnchor = -1;
    int FLastEdit = -1;
};

} // namespace korvid
