#include "app/KorvidForm.h"

#include "app/AboutUnit.h"
#include "devtools/definitions/DefsFile.h"
#include "devtools/definitions/DefsHelp.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>

#include <filesystem>

namespace korvid {
namespace T = ToolIndex;

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
    for (const auto& Name : Names) {
        if (IsBrowsedVolume(Name.string()))
            OpenByKind(Name.string());
        else
            OpenFile(Name.string(), false, {});
    }
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

void TKorvidForm::ViewParagraphMarks() {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    Editor->SetShowParagraphMarks(!Editor->ShowsParagraphMarks());
    ToolList().Items(ToolIndex::ViewParagraphMarks)->SetDown(Editor->ShowsParagraphMarks());
}

void TKorvidForm::ViewBringLineToMiddle() {
    if (TDocumentEditor* Editor = ActiveEditor())
        Editor->CentreCaretLine();
}

void TKorvidForm::ViewResetToolbars() {
    FBarsAndMenus->ResetToolbars();
}

void TKorvidForm::ViewDefineViews() {
    FBarsAndMenus->DefineViews();
}

void TKorvidForm::FilePrepareDefsHelp() {
    std::vector<std::unique_ptr<TDefsList>> Lists;
    std::vector<TDefsHelpDocument> Documents;
    for (int I = 0; I < TabCount(); ++I) {
        const TDocumentEditor* Editor = EditorOfTab(FTabs->widget(I));
        if (!Editor || !UpperCase1252(Editor->FileName).ends_with(".DEFS"))
            continue;
        Lists.push_back(std::make_unique<TDefsList>());
        LoadDefsFromVolume(*Lists.back(), Editor->FileName);
        Documents.push_back({Editor->FileName, Lists.back().get()});
    }
    std::string Text;
    for (const std::string& Line : DefsHelpSource(Documents))
        Text += Line + "\r\n";
    OpenTextInNewTab("File " + std::to_string(NextNewFileNumber()), Text);
}

void TKorvidForm::DebugConnection() {
    Debugger().ToggleConnection();
}

void TKorvidForm::ViewDebuggingBar() {
    FDebuggerWindow->ViewDebuggingBar();
}

void TKorvidForm::DebugGoToTab(TDebuggingTab Tab) {
    FDebuggerWindow->GoToTab(Tab);
}

void TKorvidForm::DebugGoToAdjacentTab(bool Next) {
    FDebuggerWindow->GoToAdjacentTab(Next);
}

void TKorvidForm::DebugFindInCurrentSources() {
    FDebuggerWindow->FindIdentifierAtCaret();
}

namespace {

// The window's own search dialogs.
class TWindowSearchDialogs : public TSearchService {
public:
    explicit TWindowSearchDialogs(TKorvidForm& Form) : FForm(Form) {}
    bool CanRepeatSearch() const override { return FForm.FindReplace().CanRepeatSearch(); }
    void ShowSearchFolderDialog(const std::string& Folder) override {
        FForm.ShowSearchFolderDialog(Folder);
    }

private:
    TKorvidForm& FForm;
};

} // namespace

std::unique_ptr<TSearchService> MakeSearchDialogs(TKorvidForm& Form) {
    return std::make_unique<TWindowSearchDialogs>(Form);
}

} // namespace korvid
