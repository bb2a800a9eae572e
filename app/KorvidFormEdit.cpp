#include "app/KorvidForm.h"

#include "app/Bookmarks.h"
#include "app/Clipboards.h"
#include "app/ManualIndex.h"
#include "foundation/DateTimeUnit.h"
#include "platform/Cp1252.h"
#include "platform/DesktopOpener.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"

#include <QDateTime>
#include <QTabWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace korvid {
namespace {

// The document a command may change; none while it is read-only.
TDocumentEditor* Writable(TDocumentEditor* Editor) {
    return Editor && !Editor->ReadOnly() ? Editor : nullptr;
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

// ---- Clipboards and bookmarks -------------------------------------------------------------------

void TKorvidForm::EditCutAppend() {
    FClipboards->AppendSelection(true);
}

void TKorvidForm::EditCopyAppend() {
    FClipboards->AppendSelection(false);
}

void TKorvidForm::EditNewClipboard() {
    FClipboards->NewClipboard();
}

void TKorvidForm::EditPasteClipboard(int Number) {
    FClipboards->Paste(Number);
}

void TKorvidForm::EditToggleBookmark(int Number) {
    FBookmarks->Toggle(Number);
}

void TKorvidForm::EditGoToBookmark(int Number) {
    FBookmarks->GoTo(Number);
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

namespace {

// The manual's index page, or why there is none.
std::optional<std::filesystem::path> FindManualIndex(const std::filesystem::path& ProgramFolder) {
    const auto Places = ManualIndexPlaces(ProgramFolder);
    std::error_code Error;
    for (const auto& Place : Places)
        if (std::filesystem::is_regular_file(Place, Error))
            return Place;
    ShowManualNotFoundMessage(Places[0].string(), Places[1].string());
    return std::nullopt;
}

void ShowManualPage(TDesktopOpener& Opener, const std::string& Page, const std::string& Anchor) {
    const bool Shown = Anchor.empty() ? Opener.Open(Page) : Opener.OpenAt(Page, Anchor);
    if (!Shown)
        ShowNoHelpViewerMessage(Page);
}

std::string ReadText(const std::filesystem::path& File) {
    std::ifstream Stream(File, std::ios::binary);
    std::ostringstream Text;
    Text << Stream.rdbuf();
    return Text.str();
}

} // namespace

void TKorvidForm::HelpKorvidHelp() {
    if (const auto Index = FindManualIndex(FHelpFolder))
        ShowManualPage(DesktopOpener(), Index->string(), {});
}

void TKorvidForm::HelpOnCurrentWord() {
    const TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    const TDocumentView* View = Editor->View();
    std::error_code Error;
    if (View && !View->HelpFile.empty() && std::filesystem::exists(View->HelpFile, Error)) {
        const std::string& File = View->HelpFile;
        // A compiled help file opens whole: it cannot be handed the word.
        if (UpperCase1252(std::filesystem::path(File).extension().string()) == ".CHM") {
            ShowHelpFile(File, nullptr);
            return;
        }
        const std::string Word = Editor->GetCurrentWord();
        ShowHelpFile(File, &Word);
        return;
    }
    const auto Index = FindManualIndex(FHelpFolder);
    if (!Index)
        return;
    const std::string Target = ManualTargetOfWord(ReadText(*Index), Editor->GetCurrentWord());
    if (Target.empty()) {
        ShowManualPage(DesktopOpener(), Index->string(), {});
        return;
    }
    const auto Hash = Target.find('#');
    const std::string Page = (Index->parent_path() / Target.substr(0, Hash)).string();
    ShowManualPage(DesktopOpener(), Page,
                   Hash == std::string::npos ? std::string() : Target.substr(Hash + 1));
}

} // namespace korvid
