#pragma once

#include "devtools/debugger/DebuggerHost.h"
#include "editor/engine/EngSearch.h"
#include "foundation/BinaryStrings.h"
#include "foundation/TextFileWriter.h"
#include "platform/Paths.h"
#include "psystem/PSystemText.h"
#include "views/ColouredLinePainter.h"
#include "views/View.h"
#include "workspace/SortOptions.h"

#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace korvid {

class TViewList;

// What the main window needs of a view: how it opens and saves documents and what it adds
// to them.
struct TDocumentView {
    std::string Name = "Plain Text";
    std::string Wildcards; // ";"-separated, such as "*.pas;*.inc"
    bool OpenAsReadOnly = false;
    bool FinalLineFeed = false;
    bool Utf8 = false;
    bool SaveAsUnix = false;
    bool PreserveSpaces = true;
    bool PreserveSolitarySpaces = false;
    bool PSystemPascal = false;
    bool PSystemReportWriter = false;
    bool PSystemLorvanta = false;
    int AutoTextCount = 0;
    std::uint16_t ShortCut = 0; // 0 = none
    // The auto-text entries as menus show them, in list order.
    struct TAutoTextItem {
        std::string Abbreviation;
        std::string Description;
        std::uint16_t ShortCut = 0;
    };
    std::vector<TAutoTextItem> AutoText;
    std::string HelpFile;
    std::string CommentMarker;
    // What ends a word besides blanks and line ends.
    std::string WordDelimiters{TView::DefaultWordDelimiters};
    // The program's view this one mirrors, when there is one.
    TView* Source = nullptr;

    bool MatchesFileName(std::string_view FileName) const;
    // The first wildcard's extension with its dot ("*.pas" gives ".pas"); empty without one.
    std::string DefaultExtension() const;
};

// The views the main window chooses from; it owns them.
class TViewCatalogue {
public:
    virtual ~TViewCatalogue() = default;
    virtual const TDocumentView* DefaultView() = 0;
    // The first view matching the name, else the default view.
    virtual const TDocumentView* FindForFileName(std::string_view FileName) = 0;
    // By the text kind of a file read from a volume; Fallback for a kind no view claims.
    virtual const TDocumentView* FindForPSystemFile(const std::vector<std::string>& Lines,
                                                    const TDocumentView* Fallback) = 0;
    virtual void LoadFromRegistry() = 0;
    virtual void SaveToRegistry() = 0;
    // Every view by its index in the list.
    virtual int Count() = 0;
    virtual const TDocumentView* Item(int Index) = 0;
    // The program's own views, which the Define Views dialog edits; null when there are none.
    virtual TViewList* EditableList() { return nullptr; }
    // The mirror of one of those views.
    virtual const TDocumentView* MirrorOf(TView& /*View*/) { return nullptr; }
    // The view changed (kind 0) or is about to be freed (kind 1); its mirror follows.
    virtual void ViewChanged(TView& /*View*/, int /*Kind*/) {}
};

// A catalogue that keeps the views it is given in memory; the default view is the first.
class TListedViewCatalogue : public TViewCatalogue {
public:
    TListedViewCatalogue();
    explicit TListedViewCatalogue(std::vector<TDocumentView> Views);
    const TDocumentView* DefaultView() override { return &FViews.front(); }
    const TDocumentView* FindForFileName(std::string_view FileName) override;
    const TDocumentView* FindForPSystemFile(const std::vector<std::string>& Lines,
                                            const TDocumentView* Fallback) override;
    void LoadFromRegistry() override {}
    void SaveToRegistry() override {}
    int Count() override { return static_cast<int>(FViews.size()); }
    const TDocumentView* Item(int Index) override { return &FViews.at(Index); }

private:
    std::vector<TDocumentView> FViews;
};

// How a plain document is written.
struct TDocumentSaveOptions {
    bool FinalLineEnd = false;
    bool Utf8 = false;
    TLineBreak LineBreak = TLineBreak::CrLf;
    bool PreserveSolitarySpaces = false;
    bool PreserveSpaces = true;
    bool ByteOrderMark = true; // UTF-8 text begins with EF BB BF
};

// The editor of one document tab as the main window drives it. Text is Windows-1252.
class TDocumentEditor : public QWidget, public TSourceEditor {
public:
    using QWidget::QWidget;

    // ---- State the main window keeps on the document ----
    std::string FileName;
    std::string Password; // empty for a document that is not encrypted
    bool SaveAsUtf8 = false;
    // Kept from the file the document was read from, so that saving it changes only what was
    // edited: the kind of its first line end (none when it had none: the view decides, as for a
    // new document) and, for a UTF-8 file, whether it began with the byte-order mark.
    std::optional<TLineBreak> FileLineBreak;
    bool WriteByteOrderMark = true;
    // Never read from a file: written as git and the shell expect, LF and a final line end,
    // and still so once it has a file of its own.
    bool NewDocument = true;
    // The text is not its file as it stands (cut at a NUL, read up to damage, or its long
    // paragraphs split), so it is never saved over that file.
    bool TextWasCut = false;
    // Of those, the text is whole but its long paragraphs were split; the refusal says so.
    bool ParagraphsSplit = false;
    bool ViewChosenByUser = false;
    // "Show this next time for this file" of the refresh question.
    bool ConfirmRefresh = true;
    std::string UntitledCaption; // the tab-caption text
    std::int64_t FileTime = 0;   // milliseconds since 1970
    std::int64_t SaveTime = 0;
    std::string PSystemTextKind;
    // The header page of a document read from a volume, handed back when it is saved there.
    std::optional<TPSystemHeaderPage> PSystemHeader;

    bool HasFileName() const { return !FileName.empty(); }
    const std::string& GetDisplayName() const {
        return FileName.empty() ? UntitledCaption : FileName;
    }
    std::string GetShortDisplayName() const;
    // The name for the window's caption: the file's name as text, else the tab's caption.
    std::string CaptionName() const {
        return FileName.empty() ? UntitledCaption : PathDisplayText(FileName);
    }

    const TDocumentView* View() const { return FView; }
    virtual void SetView(const TDocumentView* View) { FView = View; }
    // The program's view changed (kind 0: shown again) or is going (kind 1: the default view
    // takes its place). Only an editor that shows program views has anything to do.
    virtual void ViewChanged(TView& /*View*/, int /*Kind*/) {}

    // ---- Events ----
    // The caret moved or the text changed: display line and column, 1-based.
    std::function<void(TDocumentEditor&, int Line, int Column)> OnShowStatus;
    // A key reached the editor; set Handled to keep it from the editor.
    std::function<void(TDocumentEditor&, int Key, Qt::KeyboardModifiers Shift, bool& Handled)>
        OnKeyDown;
    std::function<void(const std::vector<std::string>& Names, bool Ctrl)> OnDropFiles;
    // A double-click on a search-results document; answers false when the caret's line names
    // no result.
    std::function<bool(TDocumentEditor&)> OnGoToSearchResult;

    // ---- Text ----
    virtual std::vector<std::string> Paragraphs() const = 0;
    virtual void SetParagraphs(const std::vector<std::string>& Lines) = 0;
    // The lines of a file read, as SetParagraphs sets them; an editor that can take them one at
    // a time, without a string for each, does so.
    virtual void SetLoadedLines(const TBinaryStrings& Lines) { SetParagraphs(Lines.Lines()); }
    // Empties the text and its undo history.
    virtual void ClearAll() = 0;
    virtual void ClearUndo() = 0;
    virtual bool CanUndo() const = 0;
    virtual bool CanRedo() const = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    virtual bool Modified() const = 0;
    virtual void SetModified(bool Value) = 0;
    virtual bool ReadOnly() const = 0;
    virtual void SetReadOnly(bool Value) = 0;
    virtual bool HasSelection() const = 0;
    // Paragraph ends count two.
    virtual int GetSelTextLen() const = 0;
    virtual void InsertTextAtCaret(std::string_view Text) = 0;
    // Inserts the view's auto-text entry of that index; false when there is none.
    virtual bool InsertAutoText(int /*Index*/) { return false; }
    // The clipboard operations of the editor; cut and paste do nothing while read-only.
    virtual void CutToClipboard() = 0;
    virtual void CopyToClipboard() = 0;
    virtual void PasteFromClipboard() = 0;
    virtual void SelectAll() = 0;
    virtual void MoveCaretTo(int Line, int Column) = 0;
    virtual int LineCount() const = 0;
    virtual int ParaCount() const = 0;
    virtual int LineToPara(int Line) const = 0;
    virtual bool InsertMode() const = 0;
    virtual bool WordWrap() const = 0;
    virtual bool ShowsParagraphMarks() const = 0;
    virtual bool IsBookmarkSet(int Number) const = 0;
    // ---- Edit, format and insert commands ----
    // An undo group with repainting held back; EndEdit takes what BeginEdit answered.
    virtual bool BeginEdit() = 0;
    virtual void EndEdit(bool State) = 0;
    // The selected text exactly, line ends included; empty without a selection.
    virtual std::string SelectedText() const = 0;
    // Without a selection, selects the word at the caret, or only its first character.
    virtual void SelectWordAtCaret(bool FirstCharOnly) = 0;
    // One word right, else on to the next line; true when it stopped on a letter or digit.
    virtual bool MoveToNextWord() = 0;
    // Display lines and positions in them, start first; false without a selection.
    virtual bool GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine, int& EndCol,
                                         bool& CaretAtEnd) const = 0;
    virtual void SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd) = 0;
    // The caret's display line and its position in that line, 1-based.
    virtual int GetCaretLine() const = 0;
    virtual int CaretPosInLine() const = 0;
    virtual std::string GetCurrentLineText() const = 0;
    // The word at the caret; empty when there is none.
    virtual std::string GetCurrentWord() const = 0;
    virtual void MoveCaretByColumns(int Count, bool Extend) = 0;
    // The first and the last display line of a paragraph, and the length of a display line.
    virtual int ParaToLine(int Para) const = 0;
    virtual int ParaToLastLine(int Para) const = 0;
    virtual int LineLength(int Line) const = 0;
    // Bookmarks 0 to 9: the display line (Col the position in it), -1 when it is not set.
    virtual int GetMarkerPosition(int Number, int& Col) const = 0;
    // Sets a bookmark at the caret.
    virtual void SetMarker(int Number) = 0;
    virtual void ClearMarker(int Number) = 0;
    virtual void GotoMarker(int Number) = 0;
    // The view's formats, on the selected paragraphs or the caret's, each one undo step.
    virtual void FormatIndent() = 0;
    virtual void FormatUnindent() = 0;
    virtual void FormatAsComment() = 0;
    virtual void FormatCentre() = 0;
    virtual void FormatAsOneParagraph() = 0;
    virtual void FormatAsSeparateParagraphs() = 0;
    // Anchors the caret, or selects from the anchor to the caret.
    virtual void AnchorSelection() = 0;
    virtual void SelectDelimitedText() = 0;
    virtual void GoToLastEdit() = 0;
    virtual void DeleteWordLeft() = 0;
    // ---- Search results ----
    // A results document's section entries: Name (the file that opens) from the line after Line.
    virtual void AddSectionName(const std::string& Name, int Line) = 0;
    virtual bool HasSectionNames() const = 0;
    // The name of the last entry before Line; empty when there is none.
    virtual std::string GetSectionNameForLine(int Line) const = 0;
    // The caret's paragraph, 1-based.
    virtual int CaretLine() const = 0;
    // Set by the writers of a search-results document.
    bool SearchResults = false;
    virtual int TabSize() const = 0;
    // ---- Playing recorded keystrokes ----
    // An editor command with its data, as a key gives it (a typed character is command 249).
    virtual void ExecuteCommand(std::uint16_t /*Command*/, std::uint16_t /*Data*/) {}
    // The editor's own Enter with this auto-indent, and its own Tab.
    virtual void PerformEnter(bool /*AutoIndent*/) {}
    virtual void PerformTab() {}
    virtual bool CaretOnLastLine() const { return true; }
    // Grows with every change of the text.
    virtual std::uint64_t ChangeSerial() const { return 0; }
    // The caret's place in its paragraph, 1 at its start.
    virtual int CaretPosInPara() const { return 0; }
    virtual void SetExtraLineSpacing(int Pixels) = 0;
    virtual void SetUpdatesSuspended(bool Suspended) = 0;

    // ---- View and printing ----
    virtual void SetShowParagraphMarks(bool Value) = 0;
    // The font the document is shown in; printing uses its face and size.
    virtual QFont PrintFont() const { return font(); }
    // Draws paragraph Para (1-based), cut to Text, coloured by the view into Row; false when
    // the view colours nothing, so that the caller writes it plainly.
    virtual bool PrintColouredLine(QPainter& /*Painter*/, int /*Para*/, std::string_view /*Text*/,
                                   const QRect& /*Row*/) {
        return false;
    }
    // ---- Find, replace, go to and sort ----
    // The editor's search from the caret with the option bits of EngSearch.h; a match is
    // selected, replacements are made as the bits ask.
    virtual TSearchResult SearchReplace(std::string_view Find, std::string_view Replacement,
                                        std::uint16_t Options) = 0;
    // The word at the caret; empty when there is none.
    virtual std::string GetCurrentWord() = 0;
    // The selected text, without a final line end; empty without a selection.
    virtual std::string GetSelText() = 0;
    // The selection's ends as display line and position, start first; false without one.
    virtual bool GetSelection(int& StartLine, int& StartCol, int& EndLine, int& EndCol) = 0;
    // The selection's top-left corner on the screen, and the height of a text line there.
    virtual QPoint GetSelectionScreenPoint() = 0;
    virtual int LineHeight() const = 0;
    // The whole paragraph that holds the caret.
    virtual std::string CaretParagraphText() = 0;
    virtual void CentreCaretLine() = 0;
    virtual int GetVisibleColumns() = 0;
    virtual void ScrollToLeftEdge() = 0;
    // The first display line of a paragraph.
    virtual int ParaToLine(int Para) = 0;
    // A results document's section entries in order, as AddSectionName gave them.
    virtual std::vector<std::pair<std::string, int>> SectionNames() const = 0;
    // Sorts the selected paragraphs.
    virtual void FormatSort(const TKorvidSortOptions& Options) = 0;

    // ---- The debugger's marks and moves ----
    std::string SourceFileName() const override { return FileName; }
    void AddLineMarker(int Line, bool IsExecutionPoint) override {
        AddLineMarkerTo(FLineMarkers, Line, IsExecutionPoint);
    }
    void ClearLineMarkers() override { FLineMarkers.clear(); }
    void ClearExecutionPoint(bool MakeBreakpoint) override {
        ClearExecutionPointIn(FLineMarkers, MakeBreakpoint);
    }
    std::vector<int> LineMarkers() const override { return FLineMarkers; }
    void MoveCaretToLine(int Line) override {
        MoveCaretTo(std::clamp(Line, 1, std::max(1, ParaCount())), 1);
    }
    void FocusEditor() override { setFocus(); }
    void RepaintEditor() override { update(); }

    // ---- Saving ----
    // Raises EFileSaveError when the file cannot be written.
    virtual void SaveToFile(const std::string& Name, const TDocumentSaveOptions& Options) = 0;
    // Raises EFileSaveError when the file cannot be written.
    virtual void SaveEncrypted(const std::string& Name) = 0;
    // Stores the text as a p-System text file in a volume; false after the volume's message.
    virtual bool SaveToPSystemVolume(const std::string& Name, bool MakeBackup, bool PreserveSpaces,
                                     bool PreserveSolitary) = 0;

private:
    const TDocumentView* FView = nullptr;
    std::vector<int> FLineMarkers;
};

// Makes the editor of a new tab inside Parent.
using TDocumentEditorFactory = std::function<TDocumentEditor*(QWidget* Parent)>;

// The lines of a document as they go into a volume: tabs expanded to TabSize, trailing blanks
// stripped unless PreserveSpaces (a blank-only line keeps them with PreserveSolitary).
std::vector<std::string> PSystemVolumeLines(const std::vector<std::string>& Paragraphs, int TabSize,
                                            bool PreserveSpaces, bool PreserveSolitary);
// The paragraphs joined by CR LF, with none after the last.
std::string JoinParagraphs(const std::vector<std::string>& Lines);
// Removes trailing blanks and tabs; with PreserveSolitary a blank-only line keeps them.
void StripTrailingBlanks(std::vector<std::string>& Lines, bool PreserveSolitary);
// Writes Lines into the volume file named by a "volume>file" name; false after a message.
bool SaveLinesToVolume(const std::string& Name, const std::vector<std::string>& Lines,
                       bool MakeBackup, const TPSystemHeaderPage* Header);

} // namespace korvid
