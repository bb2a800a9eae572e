#pragma once

#include "app/DocumentEditor.h"

#include <array>

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
    bool ShowsParagraphMarks() const override { return false; }
    bool IsBookmarkSet(int Number) const override;
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

    std::array<bool, 10> Bookmarks{};

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ReportStatus();

    QPlainTextEdit* FEdit;
};

} // namespace korvid
