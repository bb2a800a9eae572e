#pragma once

#include "app/DocumentEditor.h"
#include "editor/EditorHooks.h"

#include <map>
#include <memory>

namespace korvid {

class TEditor;
class TViewList;

// The program's view list as the main window chooses from it; each view is shown to the
// window as a mirror of its fields, refreshed on every look-up.
class TViewListCatalogue : public TViewCatalogue {
public:
    TViewListCatalogue();
    ~TViewListCatalogue() override;

    TViewList& List() { return *FList; }
    const TDocumentView* Mirror(TView& View);

    const TDocumentView* DefaultView() override;
    const TDocumentView* FindForFileName(std::string_view FileName) override;
    const TDocumentView* FindForPSystemFile(const std::vector<std::string>& Lines,
                                            const TDocumentView* Fallback) override;
    void LoadFromRegistry() override;
    void SaveToRegistry() override;
    int Count() override;
    const TDocumentView* Item(int Index) override;
    TViewList* EditableList() override { return FList.get(); }
    const TDocumentView* MirrorOf(TView& View) override { return Mirror(View); }
    void ViewChanged(TView& View, int Kind) override;

private:
    std::unique_ptr<TViewList> FList;
    std::map<const TView*, std::unique_ptr<TDocumentView>> FMirrors;
};

// A document tab's editor on the program's editor control.
class TEditorDocument : public TDocumentEditor, private TEditorOwner {
public:
    TEditorDocument(QWidget* Parent, TViewListCatalogue& Views);

    TEditor& Control() const { return *FEditor; }

    void SetView(const TDocumentView* View) override;
    void ViewChanged(TView& View, int Kind) override;
    std::vector<std::string> Paragraphs() const override;
    void SetParagraphs(const std::vector<std::string>& Lines) override;
    void SetLoadedLines(const TBinaryStrings& Lines) override;
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
    bool InsertAutoText(int Index) override;
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void PasteFromClipboard() override;
    void SelectAll() override;
    void MoveCaretTo(int Line, int Column) override;
    int LineCount() const override;
    int ParaCount() const override;
    int LineToPara(int Line) const override;
    bool InsertMode() const override;
    bool WordWrap() const override;
    bool ShowsParagraphMarks() const override;
    void SetShowParagraphMarks(bool Value) override;
    QFont PrintFont() const override;
    bool PrintColouredLine(QPainter& Painter, int Para, std::string_view Text,
                           const QRect& Row) override;
    bool IsBookmarkSet(int Number) const override;
    bool BeginEdit() override;
    void EndEdit(bool State) override;
    std::string SelectedText() const override;
    void SelectWordAtCaret(bool FirstCharOnly) override;
    bool MoveToNextWord() override;
    bool GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine, int& EndCol,
                                 bool& CaretAtEnd) const override;
    void SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd) override;
    int GetCaretLine() const override;
    int CaretPosInLine() const override;
    std::string GetCurrentLineText() const override;
    std::string GetCurrentWord() const override;
    void MoveCaretByColumns(int Count, bool Extend) override;
    int ParaToLine(int Para) const override;
    int ParaToLastLine(int Para) const override;
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
    void FormatAsSeparateParagraphs() override;
    void AnchorSelection() override;
    void SelectDelimitedText() override;
    void GoToLastEdit() override;
    void DeleteWordLeft() override;
    void AddSectionName(const std::string& Name, int Line) override;
    bool HasSectionNames() const override;
    std::string GetSectionNameForLine(int Line) const override;
    int CaretLine() const override;
    int TabSize() const override;
    void ExecuteCommand(std::uint16_t Command, std::uint16_t Data) override;
    void PerformEnter(bool AutoIndent) override;
    void PerformTab() override;
    bool CaretOnLastLine() const override;
    std::uint64_t ChangeSerial() const override;
    int CaretPosInPara() const override;
    void SetExtraLineSpacing(int Pixels) override;
    void SetUpdatesSuspended(bool Suspended) override;
    TSearchResult SearchReplace(std::string_view Find, std::string_view Replacement,
                                std::uint16_t Options) override;
    std::string GetCurrentWord() override;
    std::string GetSelText() override;
    bool GetSelection(int& StartLine, int& StartCol, int& EndLine, int& EndCol) override;
    QPoint GetSelectionScreenPoint() override;
    int LineHeight() const override;
    std::string CaretParagraphText() override;
    void CentreCaretLine() override;
    int GetVisibleColumns() override;
    void ScrollToLeftEdge() override;
    int ParaToLine(int Para) override;
    std::vector<std::pair<std::string, int>> SectionNames() const override;
    void FormatSort(const TKorvidSortOptions& Options) override;
    // The control keeps the marks by its display lines, which its painter reads.
    void AddLineMarker(int Line, bool IsExecutionPoint) override;
    void ClearLineMarkers() override;
    void ClearExecutionPoint(bool MakeBreakpoint) override;
    std::vector<int> LineMarkers() const override;
    void MoveCaretToLine(int Line) override;
    void FocusEditor() override;
    void RepaintEditor() override;
    std::string IdentifierAtCaret() const override;
    void SaveToFile(const std::string& Name, const TDocumentSaveOptions& Options) override;
    void SaveEncrypted(const std::string& Name) override;
    bool SaveToPSystemVolume(const std::string& Name, bool MakeBackup, bool PreserveSpaces,
                             bool PreserveSolitary) override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // What the editor control asks of its owner.
    TView& DefaultView() override;
    void BuildViewsMenu() override;
    void OpenDroppedFiles(const std::vector<std::string>& FileNames) override;
    void FindInCurrentSources(const std::string& Name) override;
    bool RecentreOnFind() const override { return false; }
    bool GoToSearchResult() override { return OnGoToSearchResult && OnGoToSearchResult(*this); }
    // The document's own fields reach the control before it saves.
    void PushDocumentFields();

    TViewListCatalogue& FViews;
    TEditor* FEditor;
};

// Makes every new tab's editor an editor control choosing from Views.
TDocumentEditorFactory EditorDocumentFactory(TViewListCatalogue& Views);

} // namespace korvid
