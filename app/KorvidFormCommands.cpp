#include "app/KorvidForm.h"

#include "app/AboutUnit.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/HackedDialogs.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

#include <filesystem>

namespace korvid {

// ---- File ---------------------------------------------------------------------------------------

void TKorvidForm::FileNew() {
    NewTab("File " + std::to_string(NextNewFileNumber()));
    UpdateCommandStates();
}

void TKorvidForm::FileOpen() {
    TOpenDialog& Dialog = *FOpenDialog;
    Dialog.Title = "Open";
    Dialog.Filter = "All Files (*.*)|*.*";
    Dialog.Options = {ofHideReadOnly, ofAllowMultiSelect, ofFileMustExist};
    if (Dialog.InitialDir().empty())
        Dialog.SetInitialDir(FSettings.OpenFolder);
    if (!Dialog.Execute())
        return;
    FSettings.OpenFolder = Dialog.FileName.parent_path().string();
    const auto Names =
        Dialog.Files.empty() ? std::vector<std::filesystem::path>{Dialog.FileName} : Dialog.Files;
    for (const auto& Name : Names)
        OpenFile(Name.string(), false, {});
}

void TKorvidForm::FileSave() {
    SaveActiveFile();
}

void TKorvidForm::FileSaveAs() {
    SaveEditorAs(ActiveEditor());
}

void TKorvidForm::FileSaveAll() {
    SaveAllModified();
    UpdateCommandStates();
}

void TKorvidForm::FileClose() {
    CloseTab();
}

void TKorvidForm::FileCloseAll() {
    while (TabCount() > 0)
        if (!CloseTab())
            return;
}

void TKorvidForm::FileExit() {
    FExiting = true;
    if (!close())
        FExiting = false;
}

void TKorvidForm::FileReadOnly() {
    if (TDocumentEditor* Editor = ActiveEditor())
        SetFileReadOnly(Editor, !Editor->ReadOnly());
    UpdateCommandStates();
}

void TKorvidForm::InsertFile() {
    TOpenDialog Dialog;
    Dialog.Title = "Insert File";
    Dialog.Filter = "All Files (*.*)|*.*";
    Dialog.SetInitialDir(FSettings.OpenFolder);
    if (Dialog.Execute())
        InsertFileAtCaret(Dialog.FileName.string());
}

// ---- Edit ---------------------------------------------------------------------------------------

void TKorvidForm::EditUndo() {
    if (TDocumentEditor* Editor = ActiveEditor(); Editor && Editor->CanUndo())
        Editor->Undo();
    UpdateCommandStates();
}

void TKorvidForm::EditRedo() {
    if (TDocumentEditor* Editor = ActiveEditor(); Editor && Editor->CanRedo())
        Editor->Redo();
    UpdateCommandStates();
}

void TKorvidForm::EditCut() {
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->CutToClipboard();
    UpdateCommandStates();
}

void TKorvidForm::EditCopy() {
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->CopyToClipboard();
    UpdateCommandStates();
}

void TKorvidForm::EditPaste() {
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->PasteFromClipboard();
    UpdateCommandStates();
}

void TKorvidForm::EditSelectAll() {
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->SelectAll();
    UpdateCommandStates();
}

// ---- Help ---------------------------------------------------------------------------------------

void TKorvidForm::HelpAbout() {
    ShowAboutBox(this);
}

// ---- View ---------------------------------------------------------------------------------------

void TKorvidForm::ViewStatusBar() {
    statusBar()->setVisible(statusBar()->isHidden());
    ToolList().Items(ToolIndex::ViewStatusBar)->SetDown(!statusBar()->isHidden());
}

void TKorvidForm::BuildHistoryMenu() {
    if (!FReopenMenu)
        return;
    FReopenMenu->clear();
    const QScreen* Screen = screen();
    const int Limit = Screen && Screen->geometry().height() < 768 ? 16 : 36;
    for (int Rank = 0; Rank < History().Count() && Rank < Limit; ++Rank) {
        const char Accelerator = Rank < 9    ? char('1' + Rank)
                                 : Rank == 9 ? '0'
                                             : char('A' + Rank - 10);
        const std::string Caption =
            std::string("&") + Accelerator + "  " + DoubleChar('&', History().PathOfRank(Rank));
        QAction* Item = FReopenMenu->addAction(ToQString(Caption));
        Item->setData(Rank);
        connect(Item, &QAction::triggered, this, [this, Rank] { ReopenCommandClick(Rank); });
    }
    if (FReopenMenu->isEmpty())
        FReopenMenu->addAction("History")->setEnabled(false);
}

// ---- Commands that later work fills in
// ------------------------------------------------------------

void TKorvidForm::FilePrint() {}
void TKorvidForm::FileSetPassword() {}
void TKorvidForm::ViewHistory() {}
void TKorvidForm::EditCutAppend() {}
void TKorvidForm::EditCopyAppend() {}
void TKorvidForm::EditFind() {}
void TKorvidForm::EditFindNext() {}
void TKorvidForm::EditReplace() {}
void TKorvidForm::EditGoTo() {}
void TKorvidForm::EditNewClipboard() {}
void TKorvidForm::EditPasteClipboard(int) {}
void TKorvidForm::EditToggleBookmark(int) {}
void TKorvidForm::EditGoToBookmark(int) {}
void TKorvidForm::ViewOptions() {}
void TKorvidForm::ViewOrganizeFiles() {}
void TKorvidForm::InsertDate() {}
void TKorvidForm::InsertTime() {}
void TKorvidForm::InsertFilename() {}
void TKorvidForm::InsertPathname() {}
void TKorvidForm::FormatSort() {}
void TKorvidForm::FormatLowerCase() {}
void TKorvidForm::FormatUpperCase() {}
void TKorvidForm::FormatOppositeCase() {}
void TKorvidForm::FormatIndent() {}
void TKorvidForm::FormatUnindent() {}
void TKorvidForm::FavouritesAddFile() {}
void TKorvidForm::FavouritesNewFolder() {}
void TKorvidForm::FavouritesRemove() {}
void TKorvidForm::ViewFavouritesBar() {}
void TKorvidForm::HistoryRemove() {}
void TKorvidForm::FavouritesOpen() {}
void TKorvidForm::HistoryOpen() {}
void TKorvidForm::FileRefresh() {}
void TKorvidForm::ViewDefineViews() {}
void TKorvidForm::ViewParagraphMarks() {}
void TKorvidForm::FileSendMail() {}
void TKorvidForm::FormatAsOneParagraph() {}
void TKorvidForm::FormatAsSeparateParagraphs() {}
void TKorvidForm::EditSelectDelimitedText() {}
void TKorvidForm::ViewCommandLines() {}
void TKorvidForm::ViewRunCommandLine() {}
void TKorvidForm::FileExploreFolder() {}
void TKorvidForm::HelpOnCurrentWord() {}
void TKorvidForm::EditRecordKeystrokes() {}
void TKorvidForm::EditPlayKeystrokes(bool) {}
void TKorvidForm::ViewResetToolbars() {}
void TKorvidForm::FormatAutoText() {}
void TKorvidForm::FavouritesAddVolume() {}
void TKorvidForm::CompareFiles(bool) {}
void TKorvidForm::FileMarkForComparison() {}
void TKorvidForm::FavouritesNewPSystemTextFile() {}
void TKorvidForm::ViewPSystemFiler() {}
void TKorvidForm::CompileSource(bool, bool) {}
void TKorvidForm::EditGoToLastEdit() {}
void TKorvidForm::EditGoToSearchResult(bool) {}
void TKorvidForm::EditGoBack() {}
void TKorvidForm::EditApplyChanges() {}
void TKorvidForm::EditDeleteWord() {}
void TKorvidForm::EditFindInFolder() {}
void TKorvidForm::FileBrowseVolume() {}
void TKorvidForm::FileOpenRandom() {}
void TKorvidForm::FormatCentre() {}
void TKorvidForm::FilePrepareDefsHelp() {}
void TKorvidForm::ViewDebuggingBar() {}
void TKorvidForm::DebugConnection() {}
void TKorvidForm::ViewBringLineToMiddle() {}
void TKorvidForm::DebugGoToTab(TDebuggingTab) {}
void TKorvidForm::DebugGoToAdjacentTab(bool) {}
void TKorvidForm::HelpKorvidHelp() {}
void TKorvidForm::ViewDefsEditor() {}
void TKorvidForm::FormatLintrel() {}
void TKorvidForm::EditFindInAllOpenDocuments() {}
void TKorvidForm::FavouritesLocateFile() {}
void TKorvidForm::SubversionUpdate() {}
void TKorvidForm::SubversionCommit() {}
void TKorvidForm::SubversionLog(TSubversionTarget) {}
void TKorvidForm::SubversionBrowse() {}
void TKorvidForm::DebugFindInCurrentSources() {}
void TKorvidForm::EditGoToAdjacentSearchResult(bool) {}
void TKorvidForm::FormatAsComment() {}
void TKorvidForm::SetSearchTermToSelection() {}
void TKorvidForm::EditAnchorSelection() {}
void TKorvidForm::EditCopyRecordedKeystrokes() {}
void TKorvidForm::EditPickRecordedKeystrokes() {}
void TKorvidForm::FavouritesOpenExternally() {}
void TKorvidForm::SubversionDiff(TSubversionTarget) {}
void TKorvidForm::EditGoToLastError() {}

} // namespace korvid
