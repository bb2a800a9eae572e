#include "app/EditorDocument.h"

#include "app/KorvidForm.h"

#include "editor/Editor.h"
#include "editor/engine/EngCommand.h"
#include "foundation/TextFileWriter.h"
#include "views/View.h"
#include "views/ViewList.h"

#include <QDateTime>

#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace korvid {

// ---- Views --------------------------------------------------------------------------------------

TViewListCatalogue::TViewListCatalogue() : FList(std::make_unique<TViewList>()) {}

TViewListCatalogue::~TViewListCatalogue() = default;

const TDocumentView* TViewListCatalogue::Mirror(TView& View) {
    auto& Slot = FMirrors[&View];
    if (!Slot)
        Slot = std::make_unique<TDocumentView>();
    TDocumentView& M = *Slot;
    M.Name = View.Name();
    M.Wildcards = View.Wildcards;
    M.OpenAsReadOnly = View.OpenAsReadOnly;
    M.FinalLineFeed = View.FinalLineFeed;
    M.Utf8 = View.Utf8;
    M.SaveAsUnix = View.SaveAsUnix;
    M.PreserveSpaces = View.PreserveSpaces;
    M.PreserveSolitarySpaces = View.PreserveSolitarySpaces;
    M.PSystemPascal = View.PSystemPascal;
    M.PSystemReportWriter = View.PSystemReportWriter;
    M.PSystemLorvanta = View.PSystemLorvanta;
    M.AutoTextCount = View.AutoText.Count();
    M.ShortCut = View.ShortCut;
    M.AutoText.clear();
    for (int Index = 0; Index < View.AutoText.Count(); ++Index) {
        const TAutoTextEntry& Entry = View.AutoText.GetEntry(Index);
        M.AutoText.push_back({Entry.Abbreviation, Entry.Description, Entry.ShortCut});
    }
    M.HelpFile = View.HelpFile;
    M.CommentMarker = View.CommentMarker;
    M.WordDelimiters = View.WordDelimiters;
    M.Source = &View;
    return &M;
}

const TDocumentView* TViewListCatalogue::DefaultView() {
    return Mirror(FList->GetDefaultView());
}

const TDocumentView* TViewListCatalogue::FindForFileName(std::string_view FileName) {
    return Mirror(FList->FindForFileName(FileName));
}

const TDocumentView* TViewListCatalogue::FindForPSystemFile(const std::vector<std::string>& Lines,
                                                            const TDocumentView* Fallback) {
    TView& Other = Fallback && Fallback->Source ? *Fallback->Source : FList->GetDefaultView();
    return Mirror(FList->FindForPSystemFile({}, Lines, Other));
}

void TViewListCatalogue::LoadFromRegistry() {
    FMirrors.clear();
    FList->LoadFromRegistry();
}

void TViewListCatalogue::SaveToRegistry() {
    FList->SaveToRegistry();
}

void TViewListCatalogue::ViewChanged(TView& View, int Kind) {
    if (Kind == vcDeleted)
        FMirrors.erase(&View);
    else
        Mirror(View);
}

int TViewListCatalogue::Count() {
    return FList->Count();
}

const TDocumentView* TViewListCatalogue::Item(int Index) {
    return Mirror(FList->GetView(Index));
}

// ---- The document editor ------------------------------------------------------------------------

TEditorDocument::TEditorDocument(QWidget* Parent, TViewListCatalogue& Views)
    : TDocumentEditor(Parent), FViews(Views), FEditor(new TEditor(this, this)) {
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FEditor);
    setFocusProxy(FEditor);
    FEditor->installEventFilter(this);
    FEditor->Initialise();
    FEditor->Editor().OnShowStatus = [this](TEngCustomEditor&, int Line, int Column) {
        if (OnShowStatus)
            OnShowStatus(*this, Line, Column);
    };
}

bool TEditorDocument::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FEditor && Event->type() == QEvent::KeyPress && OnKeyDown) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        bool Handled = false;
        OnKeyDown(*this, Key->key(), Key->modifiers(), Handled);
        if (Handled)
            return true;
    }
    return TDocumentEditor::eventFilter(Watched, Event);
}

TView& TEditorDocument::DefaultView() {
    return FViews.List().GetDefaultView();
}

// The editor changed its own view: the window's view menus follow.
void TEditorDocument::BuildViewsMenu() {
    if (TKorvidForm* Form = KorvidForm())
        Form->BuildViewsMenu();
}

bool TEditorDocument::InsertAutoText(int Index) {
    const TView* Current = FEditor->View();
    if (!Current || Index < 0 || Index >= Current->AutoText.Count())
        return false;
    FEditor->InsertAutoText(Current->AutoText.GetEntry(Index));
    return true;
}

void TEditorDocument::OpenDroppedFiles(const std::vector<std::string>& FileNames) {
    if (OnDropFiles)
        OnDropFiles(FileNames, false);
}

// Alt-click on a word: the window searches the debugger's sources.
void TEditorDocument::FindInCurrentSources(const std::string& Name) {
    if (TKorvidForm* Form = KorvidForm())
        Form->DebuggerWindow().FindInCurrentSources(Name);
}

void TEditorDocument::SetView(const TDocumentView* View) {
    TDocumentEditor::SetView(View);
    FEditor->SetView(View ? View->Source : nullptr);
}

void TEditorDocument::ViewChanged(TView& View, int Kind) {
    FEditor->ViewChanged(&View, Kind);
    // The control may have switched to the default view; the window's mirror follows it.
    if (FEditor->View() != nullptr &&
        (this->View() == nullptr || this->View()->Source != FEditor->View()))
        TDocumentEditor::SetView(FViews.Mirror(*FEditor->View()));
}

std::vector<std::string> TEditorDocument::Paragraphs() const {
    return FEditor->Paragraphs();
}

void TEditorDocument::SetParagraphs(const std::vector<std::string>& Lines) {
    std::string Text;
    for (std::size_t Index = 0; Index < Lines.size(); ++Index) {
        if (Index > 0)
            Text += "\r\n";
        Text += Lines[Index];
    }
    FEditor->Editor().SetEditorText(Text);
}

void TEditorDocument::SetLoadedLines(const TBinaryStrings& Lines) {
    TLineCursor Cursor = Lines.Cursor();
    FEditor->Editor().SetEditorLines(
        Lines.CountEstimate(), Lines.TextBytesEstimate(),
        [&Cursor](std::string_view& Line) { return Cursor.Next(Line); }, Lines.TextToKeep());
}

void TEditorDocument::ClearAll() {
    FEditor->Editor().ClearAll();
    FEditor->ClearUndo();
}

void TEditorDocument::ClearUndo() {
    FEditor->ClearUndo();
}

bool TEditorDocument::CanUndo() const {
    return FEditor->Editor().CanUndo();
}

bool TEditorDocument::CanRedo() const {
    return FEditor->Editor().CanRedo();
}

void TEditorDocument::Undo() {
    FEditor->Editor().ProcessCommand(ccUndo, 0);
}

void TEditorDocument::Redo() {
    FEditor->Editor().ProcessCommand(ccRedo, 0);
}

bool TEditorDocument::Modified() const {
    return FEditor->Editor().GetModified();
}

void TEditorDocument::SetModified(bool Value) {
    FEditor->Editor().SetModified(Value);
}

bool TEditorDocument::ReadOnly() const {
    return FEditor->Editor().ReadOnly;
}

void TEditorDocument::SetReadOnly(bool Value) {
    FEditor->Editor().ReadOnly = Value;
}

bool TEditorDocument::HasSelection() const {
    return FEditor->Editor().HasSelection();
}

int TEditorDocument::GetSelTextLen() const {
    return FEditor->Editor().GetSelTextLen();
}

void TEditorDocument::InsertTextAtCaret(std::string_view Text) {
    FEditor->Editor().InsertText(Text);
}

void TEditorDocument::ExecuteCommand(std::uint16_t Command, std::uint16_t Data) {
    FEditor->Editor().ProcessCommand(Command, Data);
}

void TEditorDocument::PerformEnter(bool AutoIndent) {
    FEditor->Editor().PerformEnterIndenting(AutoIndent);
}

void TEditorDocument::PerformTab() {
    FEditor->Editor().PerformTab();
}

bool TEditorDocument::CaretOnLastLine() const {
    const TEngCustomEditor& E = FEditor->Editor();
    return E.CaretLine() >= E.LineCount();
}

std::uint64_t TEditorDocument::ChangeSerial() const {
    return FEditor->Editor().Lines().ChangeSerial();
}

int TEditorDocument::CaretPosInPara() const {
    return FEditor->Editor().CaretPos();
}

void TEditorDocument::CutToClipboard() {
    FEditor->Editor().ProcessCommand(ccCut, 0);
}

void TEditorDocument::CopyToClipboard() {
    FEditor->Editor().ProcessCommand(ccCopy, 0);
}

void TEditorDocument::PasteFromClipboard() {
    FEditor->Editor().ProcessCommand(ccPaste, 0);
}

void TEditorDocument::SelectAll() {
    FEditor->Editor().SelectAll(true);
}

void TEditorDocument::MoveCaretTo(int Line, int Column) {
    auto& E = FEditor->Editor();
    E.SetCaretPosition(std::clamp(Line, 1, std::max(E.LineCount(), 1)), std::max(Column, 1));
}

int TEditorDocument::LineCount() const {
    return FEditor->Editor().LineCount();
}

int TEditorDocument::ParaCount() const {
    return FEditor->Editor().ParaCount();
}

int TEditorDocument::LineToPara(int Line) const {
    int Column = 1;
    FEditor->Editor().LineToPara(Line, Column);
    return Line;
}

bool TEditorDocument::InsertMode() const {
    return FEditor->Editor().InsertMode();
}

bool TEditorDocument::WordWrap() const {
    return FEditor->Editor().WordWrap();
}

bool TEditorDocument::ShowsParagraphMarks() const {
    return FEditor->Editor().ShowParaMarks();
}

void TEditorDocument::SetShowParagraphMarks(bool Value) {
    FEditor->Editor().SetShowParaMarks(Value);
}

QFont TEditorDocument::PrintFont() const {
    return FEditor->FixedFont().Font();
}

bool TEditorDocument::PrintColouredLine(QPainter& Painter, int Para, std::string_view Text,
                                        const QRect& Row) {
    return FEditor->PrintLine(Painter, Para, Text, Row);
}

bool TEditorDocument::IsBookmarkSet(int Number) const {
    int Column = 0;
    return FEditor->Editor().GetMarkerPosition(Number, Column) >= 0;
}

bool TEditorDocument::BeginEdit() {
    return FEditor->BeginEdit();
}

void TEditorDocument::EndEdit(bool State) {
    FEditor->EndEdit(State);
}

std::string TEditorDocument::SelectedText() const {
    return FEditor->Editor().GetSelText();
}

void TEditorDocument::SelectWordAtCaret(bool FirstCharOnly) {
    FEditor->SelectWordAtCaret(FirstCharOnly);
}

bool TEditorDocument::MoveToNextWord() {
    return FEditor->MoveToNextWord();
}

bool TEditorDocument::GetSelectionAndCaretEnd(int& StartLine, int& StartCol, int& EndLine,
                                              int& EndCol, bool& CaretAtEnd) const {
    return FEditor->GetSelectionAndCaretEnd(StartLine, StartCol, EndLine, EndCol, CaretAtEnd);
}

void TEditorDocument::SetSelection(int Line1, int Col1, int Line2, int Col2, bool CaretAtEnd) {
    FEditor->Editor().SetSelection(Line1, Col1, Line2, Col2, CaretAtEnd);
}

int TEditorDocument::GetCaretLine() const {
    return FEditor->GetCaretLine();
}

int TEditorDocument::CaretPosInLine() const {
    return FEditor->Editor().CaretPosInLine();
}

std::string TEditorDocument::GetCurrentLineText() const {
    return FEditor->GetCurrentLineText();
}

std::string TEditorDocument::GetCurrentWord() const {
    return FEditor->Editor().GetCurrentWord();
}

void TEditorDocument::MoveCaretByColumns(int Count, bool Extend) {
    FEditor->MoveCaretByColumns(Count, Extend);
}

int TEditorDocument::ParaToLine(int Para) const {
    return FEditor->ParaToLine(Para);
}

int TEditorDocument::ParaToLastLine(int Para) const {
    return FEditor->ParaToLastLine(Para);
}

int TEditorDocument::LineLength(int Line) const {
    return FEditor->Editor().LineLength(Line);
}

int TEditorDocument::GetMarkerPosition(int Number, int& Col) const {
    return FEditor->Editor().GetMarkerPosition(Number, Col);
}

void TEditorDocument::SetMarker(int Number) {
    FEditor->Editor().SetMarker(Number);
}

void TEditorDocument::ClearMarker(int Number) {
    FEditor->Editor().ClearMarker(Number);
}

void TEditorDocument::GotoMarker(int Number) {
    FEditor->Editor().GotoMarker(Number);
}

void TEditorDocument::FormatIndent() {
    FEditor->FormatIndent();
}

void TEditorDocument::FormatUnindent() {
    FEditor->FormatUnindent();
}

void TEditorDocument::FormatAsComment() {
    FEditor->FormatAsComment();
}

void TEditorDocument::FormatCentre() {
    FEditor->FormatCentre();
}

void TEditorDocument::FormatAsOneParagraph() {
    FEditor->FormatAsOneParagraph();
}

void TEditorDocument::FormatAsSeparateParagraphs() {
    FEditor->FormatAsSeparateParagraphs();
}

void TEditorDocument::AnchorSelection() {
    FEditor->AnchorSelection();
}

void TEditorDocument::SelectDelimitedText() {
    FEditor->SelectDelimitedText();
}

void TEditorDocument::GoToLastEdit() {
    FEditor->GoToLastEdit();
}

void TEditorDocument::DeleteWordLeft() {
    FEditor->DeleteWordLeft();
}

bool TEditorDocument::HasSectionNames() const {
    return FEditor->HasSectionNames();
}

void TEditorDocument::AddSectionName(const std::string& Name, int Line) {
    FEditor->AddSectionName(Name, Line);
}

std::string TEditorDocument::GetSectionNameForLine(int Line) const {
    return FEditor->GetSectionNameForLine(Line);
}

int TEditorDocument::CaretLine() const {
    int Column = 0;
    return LineToPara(FEditor->Editor().GetCaretPosition(Column));
}

TSearchResult TEditorDocument::SearchReplace(std::string_view Find, std::string_view Replacement,
                                             std::uint16_t Options) {
    return FEditor->Editor().SearchReplace(Find, Replacement, Options);
}

std::string TEditorDocument::GetCurrentWord() {
    return FEditor->Editor().GetCurrentWord();
}

std::string TEditorDocument::GetSelText() {
    return FEditor->GetSelText();
}

bool TEditorDocument::GetSelection(int& StartLine, int& StartCol, int& EndLine, int& EndCol) {
    return FEditor->Editor().GetSelection(StartLine, StartCol, EndLine, EndCol);
}

QPoint TEditorDocument::GetSelectionScreenPoint() {
    return FEditor->GetSelectionScreenPoint();
}

int TEditorDocument::LineHeight() const {
    return FEditor->Editor().LineHeight();
}

std::string TEditorDocument::CaretParagraphText() {
    auto& E = FEditor->Editor();
    return std::string(E.GetPara(E.CaretPara()));
}

void TEditorDocument::CentreCaretLine() {
    FEditor->CentreCaretLine();
}

namespace {

// A map may name lines the document no longer has: those stay as they are.
int DisplayLineOf(const TDocumentEditor& Editor, int Para) {
    return Para >= 1 && Para <= Editor.ParaCount() ? Editor.ParaToLine(Para) : Para;
}

int ParaOf(const TDocumentEditor& Editor, int Line) {
    return Line >= 1 && Line <= Editor.LineCount() ? Editor.LineToPara(Line) : Line;
}

} // namespace

void TEditorDocument::AddLineMarker(int Line, bool IsExecutionPoint) {
    FEditor->AddLineMarker(DisplayLineOf(*this, Line), IsExecutionPoint);
}

void TEditorDocument::ClearLineMarkers() {
    FEditor->ClearLineMarkers();
}

void TEditorDocument::ClearExecutionPoint(bool MakeBreakpoint) {
    FEditor->ClearExecutionPoint(MakeBreakpoint);
}

std::vector<int> TEditorDocument::LineMarkers() const {
    std::vector<int> Lines;
    for (const int Marker : FEditor->LineMarkers)
        Lines.push_back(Marker < 0 ? -ParaOf(*this, -Marker) : ParaOf(*this, Marker));
    return Lines;
}

void TEditorDocument::MoveCaretToLine(int Line) {
    FEditor->MoveCaretToLine(DisplayLineOf(*this, std::clamp(Line, 1, std::max(1, ParaCount()))));
}

void TEditorDocument::FocusEditor() {
    FEditor->setFocus();
}

void TEditorDocument::RepaintEditor() {
    FEditor->viewport()->update();
}

std::string TEditorDocument::IdentifierAtCaret() const {
    return FEditor->IdentifierAtCaret();
}

int TEditorDocument::GetVisibleColumns() {
    return FEditor->GetVisibleColumns();
}

void TEditorDocument::ScrollToLeftEdge() {
    FEditor->ScrollToLeftEdge();
}

int TEditorDocument::ParaToLine(int Para) {
    return FEditor->ParaToLine(Para);
}

std::vector<std::pair<std::string, int>> TEditorDocument::SectionNames() const {
    return FEditor->SectionNames();
}

void TEditorDocument::FormatSort(const TKorvidSortOptions& Options) {
    FEditor->FormatSort(Options);
}

int TEditorDocument::TabSize() const {
    return FEditor->Editor().TabSize();
}

void TEditorDocument::SetExtraLineSpacing(int Pixels) {
    FEditor->Editor().SetLineSpacing(Pixels);
}

void TEditorDocument::SetUpdatesSuspended(bool Suspended) {
    if (Suspended)
        FEditor->BeginUpdate();
    else
        FEditor->EndUpdate();
}

void TEditorDocument::PushDocumentFields() {
    FEditor->SetFileName(FileName);
    FEditor->Password = Password;
    FEditor->SaveAsUtf8 = SaveAsUtf8;
    FEditor->UntitledCaption = UntitledCaption;
    FEditor->ViewChosenByUser = ViewChosenByUser;
    FEditor->PSystemHeader = PSystemHeader;
}

void TEditorDocument::SaveToFile(const std::string& Name, const TDocumentSaveOptions& Options) {
    PushDocumentFields();
    FEditor->SaveToFile(Name, TTextSaveOptions{Options.FinalLineEnd, Options.Utf8,
                                               Options.LineBreak, Options.PreserveSolitarySpaces,
                                               Options.PreserveSpaces, Options.ByteOrderMark});
    SaveTime = FEditor->SaveTime.toMSecsSinceEpoch();
}

void TEditorDocument::SaveEncrypted(const std::string& Name) {
    PushDocumentFields();
    if (!FEditor->SaveEncrypted(Name))
        throw EFileSaveError(Name, "The encrypted file could not be written.");
    SaveTime = FEditor->SaveTime.toMSecsSinceEpoch();
}

bool TEditorDocument::SaveToPSystemVolume(const std::string& Name, bool MakeBackup,
                                          bool PreserveSpaces, bool PreserveSolitary) {
    PushDocumentFields();
    if (!FEditor->SaveToPSystemVolume(Name, MakeBackup, PreserveSpaces, PreserveSolitary))
        return false;
    SaveTime = FEditor->SaveTime.toMSecsSinceEpoch();
    return true;
}

TDocumentEditorFactory EditorDocumentFactory(TViewListCatalogue& Views) {
    return [&Views](QWidget* Parent) { return new TEditorDocument(Parent, Views); };
}

} // namespace korvid
