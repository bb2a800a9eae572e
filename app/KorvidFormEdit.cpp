#include "app/KorvidForm.h"

#include "foundation/DateTimeUnit.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QTabWidget>

#include <algorithm>
#include <array>
#include <filesystem>

namespace korvid {
namespace {

// Extra clipboards and the automated bookmark count as the number keys run.
constexpr std::array<int, 10> KeyOrder{1, 2, 3, 4, 5, 6, 7, 8, 9, 0};

// The document a command may change; none while it is read-only.
TDocumentEditor* Writable(TDocumentEditor* Editor) {
    return Editor && !Editor->ReadOnly() ? Editor : nullptr;
}

bool IsBookmarkNumber(int Number) {
    return Number >= 0 && Number <= 9;
}

bool BookmarkOnCaretLine(const TDocumentEditor& Editor, int Number) {
    int Col = 0;
    const int Line = Editor.GetMarkerPosition(Number, Col);
    return Line >= 0 && Line == Editor.GetCaretLine();
}

// A file inside a volume is named by what follows ">" and a subvolume's ":".
std::string FileNameWithoutFolder(const std::string& Name) {
    if (const auto Volume = Name.find('>'); Volume != std::string::npos) {
        const std::string Inner = Name.substr(Volume + 1);
        const auto Subvolume = Inner.find(':');
        return Subvolume == std::string::npos ? Inner : Inner.substr(Subvolume + 1);
    }
    return std::filesystem::path(Name).filename().string();
}

TDateTimeValue DateTimeValue(const QDateTime& Time) {
    const QDate Date = Time.date();
    const QTime Clock = Time.time();
    return {Date.year(),    Date.month(),   Date.day(),  Clock.hour(),
            Clock.minute(), Clock.second(), Clock.msec()};
}

// A command of the document's editor; the command states follow what it did.
void RunOn(TKorvidForm& Form, TDocumentEditor* Editor, void (TDocumentEditor::*Command)()) {
    if (Editor)
        (Editor->*Command)();
    Form.UpdateCommandStates();
}

} // namespace

// ---- Clipboards ---------------------------------------------------------------------------------

void TKorvidForm::AppendSelectionToClipboard(bool Cut) {
    TDocumentEditor* Editor = Cut ? Writable(ActiveEditor()) : ActiveEditor();
    if (!Editor || !Editor->HasSelection())
        return;
    QClipboard& Clipboard = *QApplication::clipboard();
    const QString Earlier = Clipboard.text();
    if (Cut)
        Editor->CutToClipboard();
    else
        Editor->CopyToClipboard();
    Clipboard.setText(Earlier + Clipboard.text());
    UpdateCommandStates();
}

void TKorvidForm::EditCutAppend() {
    AppendSelectionToClipboard(true);
}

void TKorvidForm::EditCopyAppend() {
    AppendSelectionToClipboard(false);
}

void TKorvidForm::EditNewClipboard() {
    for (const int Number : KeyOrder)
        if (!FClipboardTabs[Number]) {
            FClipboardTabs[Number] = NewTab("Clipboard " + std::to_string(Number));
            UpdateCommandStates();
            return;
        }
}

void TKorvidForm::EditPasteClipboard(int Number) {
    TDocumentEditor* Editor = Writable(ActiveEditor());
    QWidget* Tab = IsBookmarkNumber(Number) ? FClipboardTabs[Number] : nullptr;
    const TDocumentEditor* Source = Tab ? EditorOfTab(Tab) : nullptr;
    if (!Editor || !Source)
        return;
    Editor->InsertTextAtCaret(JoinParagraphs(Source->Paragraphs()));
    UpdateCommandStates();
}

// ---- Bookmarks ----------------------------------------------------------------------------------

TDocumentEditor* TKorvidForm::EditorWithBookmark(int Number) const {
    for (int Index = 0; Index < TabCount(); ++Index)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index)))
            if (Editor->IsBookmarkSet(Number))
                return Editor;
    return nullptr;
}

void TKorvidForm::ToggleBookmark(TDocumentEditor& Editor, int Number) {
    if (BookmarkOnCaretLine(Editor, Number)) {
        Editor.ClearMarker(Number);
        return;
    }
    // A number marks one place among all the documents.
    TDocumentEditor* Holder = EditorWithBookmark(Number);
    if (Holder && Holder != &Editor) {
        if (!ConfirmMoveBookmark(Number, FOptions.MoveBookmarkMessage))
            return;
        Holder->ClearMarker(Number);
    }
    Editor.SetMarker(Number);
}

void TKorvidForm::ToggleAutomatedBookmark(TDocumentEditor& Editor) {
    int Free = -1;
    for (int Number = 1; Number <= 9; ++Number) {
        if (BookmarkOnCaretLine(Editor, Number)) {
            Editor.ClearMarker(Number);
            return;
        }
        if (Free < 0 && !EditorWithBookmark(Number))
            Free = Number;
    }
    if (Free < 0)
        ShowAllBookmarksInUseMessage();
    else
        Editor.SetMarker(Free);
}

void TKorvidForm::EditToggleBookmark(int Number) {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor || !IsBookmarkNumber(Number))
        return;
    if (Number == 0 && FOptions.BookmarkZero)
        ToggleAutomatedBookmark(*Editor);
    else
        ToggleBookmark(*Editor, Number);
    UpdateCommandStates();
}

void TKorvidForm::EditGoToBookmark(int Number) {
    if (!ActiveEditor() || !IsBookmarkNumber(Number))
        return;
    TDocumentEditor* Holder = EditorWithBookmark(Number);
    if (!Holder)
        return;
    if (Holder != ActiveEditor())
        FTabs->setCurrentWidget(TabOfEditor(Holder));
    Holder->GotoMarker(Number);
    UpdateCommandStates();
}

// ---- Selections and changes ---------------------------------------------------------------------

void TKorvidForm::EditSelectDelimitedText() {
    RunOn(*this, ActiveEditor(), &TDocumentEditor::SelectDelimitedText);
}

void TKorvidForm::EditAnchorSelection() {
    RunOn(*this, ActiveEditor(), &TDocumentEditor::AnchorSelection);
}

void TKorvidForm::EditGoToLastEdit() {
    RunOn(*this, ActiveEditor(), &TDocumentEditor::GoToLastEdit);
}

void TKorvidForm::EditDeleteWord() {
    RunOn(*this, Writable(ActiveEditor()), &TDocumentEditor::DeleteWordLeft);
}

// ---- Format -------------------------------------------------------------------------------------

void TKorvidForm::ApplyCaseChange(TCaseRoutine Routine) {
    TDocumentEditor* Editor = Writable(ActiveEditor());
    if (!Editor)
        return;
    Editor->SetUpdatesSuspended(true);
    const bool HadSelection = Editor->HasSelection();
    Editor->SelectWordAtCaret(true);
    int StartLine = 0;
    int StartCol = 0;
    int EndLine = 0;
    int EndCol = 0;
    bool CaretAtEnd = false;
    if (Editor->GetSelectionAndCaretEnd(StartLine, StartCol, EndLine, EndCol, CaretAtEnd)) {
        std::string Text = Editor->SelectedText();
        Routine(Text.data(), static_cast<int>(Text.size()));
        Editor->InsertTextAtCaret(Text);
        if (HadSelection)
            Editor->SetSelection(StartLine, StartCol, EndLine, EndCol, CaretAtEnd);
        else
            Editor->MoveToNextWord();
    }
    Editor->SetUpdatesSuspended(false);
    UpdateCommandStates();
}

void TKorvidForm::FormatUpperCase() {
    ApplyCaseChange(UpperCaseBuffer);
}

void TKorvidForm::FormatLowerCase() {
    ApplyCaseChange(LowerCaseBuffer);
}

void TKorvidForm::FormatOppositeCase() {
    ApplyCaseChange(SwapCaseBuffer);
}

void TKorvidForm::FormatIndent() {
    RunOn(*this, Writable(ActiveEditor()), &TDocumentEditor::FormatIndent);
}

void TKorvidForm::FormatUnindent() {
    RunOn(*this, Writable(ActiveEditor()), &TDocumentEditor::FormatUnindent);
}

void TKorvidForm::FormatCentre() {
    RunOn(*this, Writable(ActiveEditor()), &TDocumentEditor::FormatCentre);
}

void TKorvidForm::FormatAsOneParagraph() {
    RunOn(*this, Writable(ActiveEditor()), &TDocumentEditor::FormatAsOneParagraph);
}

void TKorvidForm::FormatAsSeparateParagraphs() {
    RunOn(*this, Writable(ActiveEditor()), &TDocumentEditor::FormatAsSeparateParagraphs);
}

void TKorvidForm::FormatAsComment() {
    TDocumentEditor* Editor = Writable(ActiveEditor());
    if (!Editor)
        return;
    if (!Editor->View() || Editor->View()->CommentMarker.empty()) {
        ShowNoCommentMarkerMessage();
        return;
    }
    Editor->FormatAsComment();
    UpdateCommandStates();
}

void TKorvidForm::FormatAutoText() {
    FBarsAndMenus->ExpandAutoText();
}

// ---- Insert -------------------------------------------------------------------------------------

void TKorvidForm::InsertIntoActiveEditor(std::string_view Text) {
    TDocumentEditor* Editor = Writable(ActiveEditor());
    if (!Editor || Text.empty())
        return;
    Editor->InsertTextAtCaret(Text);
    UpdateCommandStates();
}

void TKorvidForm::InsertDate() {
    InsertIntoActiveEditor(ExpandDateTimeTemplate(FOptions.DateFormat, DateTimeValue(FClock())));
}

void TKorvidForm::InsertTime() {
    InsertIntoActiveEditor(ExpandDateTimeTemplate(FOptions.TimeFormat, DateTimeValue(FClock())));
}

void TKorvidForm::InsertFilename() {
    if (const TDocumentEditor* Editor = ActiveEditor(); Editor && Editor->HasFileName())
        InsertIntoActiveEditor(FileNameWithoutFolder(Editor->FileName));
}

void TKorvidForm::InsertPathname() {
    if (const TDocumentEditor* Editor = ActiveEditor(); Editor && Editor->HasFileName())
        InsertIntoActiveEditor(Editor->FileName);
}

// ---- Help ---------------------------------------------------------------------------------------

void TKorvidForm::ShowHelpFile(const std::string& Path, const std::string* Keyword) {
    const bool Shown = Keyword ? Help().ShowFileAtKeyword(Path, *Keyword) : Help().ShowFile(Path);
    if (!Shown)
        ShowNoHelpViewerMessage(Path);
}

void TKorvidForm::HelpKorvidHelp() {
    const std::string Path = (FHelpFolder / "Korvid.chm").string();
    std::error_code Error;
    if (!std::filesystem::is_regular_file(Path, Error)) {
        ShowHelpFileNotFoundMessage(Path);
        return;
    }
    ShowHelpFile(Path, nullptr);
}

void TKorvidForm::HelpOnCurrentWord() {
    const TDocumentEditor* Editor = ActiveEditor();
    const TDocumentView* View = Editor ? Editor->View() : nullptr;
    std::error_code Error;
    if (!View || View->HelpFile.empty() || !std::filesystem::exists(View->HelpFile, Error))
        return;
    const std::string& File = View->HelpFile;
    // A compiled help file opens whole: it cannot be handed the word.
    if (UpperCase1252(std::filesystem::path(File).extension().string()) == ".CHM") {
        ShowHelpFile(File, nullptr);
        return;
    }
    const std::string Word = Editor->GetCurrentWord();
    ShowHelpFile(File, &Word);
}

} // namespace korvid
