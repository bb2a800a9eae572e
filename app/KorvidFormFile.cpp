#include "app/KorvidForm.h"

#include "app/ComparisonFiles.h"
#include "app/DocumentPrint.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "psystem/VolumePath.h"
#include "ui/HackedDialogs.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "ui/SetPasswordUnit.h"
#include "workspace/PickTabForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace korvid {
namespace fs = std::filesystem;

namespace {

// The folder a document lives in; a document inside a volume lives in the volume file's.
fs::path DocumentFolder(const std::string& FileName) {
    if (const auto Volume = ParseVolumePath(FileName))
        return fs::path(Volume->VolumeFile).parent_path();
    return fs::path(FileName).parent_path();
}

std::string ReadFileText(const fs::path& Name) {
    std::ifstream In(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

} // namespace

void TKorvidForm::FileRefresh() {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor || !Editor->HasFileName())
        return;
    if (Editor->Modified() && !Editor->ReadOnly() &&
        !ConfirmRefresh(Editor->GetDisplayName(), Editor->ConfirmRefresh))
        return;
    FRefreshing = true;
    struct TEndRefresh {
        bool& Refreshing;
        ~TEndRefresh() { Refreshing = false; }
    } End{FRefreshing};
    OpenDocument(Editor->FileName, Editor->ReadOnly(), {}, nullptr);
    FocusActiveEditor();
}

void TKorvidForm::FileSetPassword() {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    TSetPasswordForm Dialog(this);
    Dialog.PasswordEdit->setText(ToQString(Editor->Password));
    Dialog.RepeatEdit->setText(ToQString(Editor->Password));
    Dialog.AsterisksCheckBox->setChecked(FSettings.PasswordAsAsterisks);
    Dialog.UpdateControls();
    if (RunModal(Dialog) != QDialog::Accepted)
        return;
    FSettings.PasswordAsAsterisks = Dialog.AsterisksCheckBox->isChecked();
    StoreSettings();
    const std::string Password =
        Dialog.UsePasswordCheckBox->isChecked() ? Dialog.Password() : std::string();
    // The file on disk still has the old protection until the document is saved.
    if (Password != Editor->Password) {
        Editor->Password = Password;
        Editor->SetModified(true);
    }
    UpdateCommandStates();
}

void TKorvidForm::FilePrint() {
    TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    TPrintDialog Dialog;
    if (!Dialog.Execute())
        return;
    Printer().setDocName(ToQString(Editor->GetDisplayName()));
    const std::unique_ptr<TPrintCanvas> Canvas = FPrintCanvas();
    PrintDocument(*Editor, *Canvas, MaximumLineLength);
}

void TKorvidForm::FileSendMail() {
    const TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool Sent = MailClient().Send("Hello", JoinParagraphs(Editor->Paragraphs()));
    QApplication::restoreOverrideCursor();
    if (!Sent)
        ShowSendMailFailedMessage();
}

void TKorvidForm::FileOpenRandom() {
    const TDocumentEditor* Editor = ActiveEditor();
    if (!Editor || !Editor->HasFileName())
        return;
    std::vector<fs::path> Files;
    std::error_code Error;
    for (fs::directory_iterator It(DocumentFolder(Editor->FileName), Error), End;
         !Error && It != End; It.increment(Error))
        if (It->is_regular_file(Error))
            Files.push_back(It->path());
    if (Files.empty())
        return;
    // The listing's order is the file system's; sorted, an injected pick means the same file.
    std::sort(Files.begin(), Files.end());
    OpenFile(Files[std::min(FRandomIndex(Files.size()), Files.size() - 1)].string(), false, {});
}

void TKorvidForm::FileExploreFolder() {
    const TDocumentEditor* Editor = ActiveEditor();
    if (!Editor || !Editor->HasFileName())
        return;
    const std::string Folder = DocumentFolder(Editor->FileName).string();
    if (!DesktopOpener().Open(Folder))
        ShowExploreFolderFailedMessage(Folder);
}

// ---- Comparing ----------------------------------------------------------------------------------

bool TKorvidForm::MarkForComparison(TDocumentEditor& Editor) {
    std::array<std::string, 2> Slots{FComparisonSlots[1], Editor.FileName};
    if (IsVolumePath(Editor.FileName)) {
        const fs::path Earlier = ComparisonCopy(0);
        const fs::path Later = ComparisonCopy(1);
        try {
            std::error_code Error;
            if (fs::is_regular_file(Later, Error)) {
                WriteFileAtomically(Earlier, ReadFileText(Later));
                if (Slots[0] == Later.string())
                    Slots[0] = Earlier.string();
            }
            WriteFileAtomically(Later, ComparisonText(Editor.Paragraphs()));
        } catch (const EFileWriteError& Error) {
            ShowUnableToSaveFileMessage(Error.what());
            return false;
        }
        Slots[1] = Later.string();
    }
    FComparisonSlots = Slots;
    return true;
}

void TKorvidForm::FileMarkForComparison() {
    if (TDocumentEditor* Editor = ActiveEditor())
        MarkForComparison(*Editor);
}

bool TKorvidForm::OfferSaveBeforeCompare(TDocumentEditor& Editor) {
    if (!Editor.Modified() || !AskSaveBeforeCompare(Editor.GetDisplayName()))
        return true;
    return SaveEditor(&Editor);
}

bool TKorvidForm::MarkPickedFile(bool First) {
    TPickTabForm Picker(this);
    Picker.setWindowTitle(First ? "Compare Files - First File" : "Compare Files - Second File");
    Picker.SetPrompt(First ? "&Pick the first file to compare:"
                           : "&Pick the second file to compare:");
    for (int Index = 0; Index < TabCount(); ++Index)
        if (const TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Index)))
            Picker.AddTab(Editor->GetShortDisplayName(), Editor->FileName, Index);
    if (RunModal(Picker) != QDialog::Accepted || Picker.SelectedTag() < 0)
        return false;
    TDocumentEditor* Editor = EditorOfTab(FTabs->widget(Picker.SelectedTag()));
    return Editor && OfferSaveBeforeCompare(*Editor) && MarkForComparison(*Editor);
}

void TKorvidForm::CompareFiles(bool TheseFiles) {
    TDocumentEditor* Active = ActiveEditor();
    if (!Active)
        return;
    std::vector<TDocumentEditor*> Documents;
    const int Count = TabCount();
    // With exactly two tabs the walk starts at the first, so the left one is the earlier.
    const int Start = Count == 2 ? 0 : FTabs->currentIndex();
    for (int Step = 0; Step < Count && Documents.size() < 2; ++Step)
        if (TDocumentEditor* Editor = EditorOfTab(FTabs->widget((Start + Step) % Count)))
            Documents.push_back(Editor);

    bool Marked = false;
    if (TheseFiles && FOptions.NamesakePathsActive &&
        NamesakeCounterpart(Active->FileName, FOptions.NamesakePath1, FOptions.NamesakePath2)) {
        if (!MarkNamesakes(*Active))
            return;
        Marked = true;
    } else if (TheseFiles && Documents.size() == 2) {
        for (TDocumentEditor* Editor : Documents)
            if (!OfferSaveBeforeCompare(*Editor) || !MarkForComparison(*Editor))
                return;
        Marked = true;
    }
    if (!Marked && (!MarkPickedFile(true) || !MarkPickedFile(false)))
        return;
    RunComparison();
    UpdateCommandStates();
}

void TKorvidForm::RunComparison() {
    const auto& [Earlier, Later] = FComparisonSlots;
    if (Earlier.empty() || Later.empty())
        return;
    if (Earlier == Later) {
        ShowComparingFileWithItselfMessage();
        return;
    }
    const std::string& Program = FOptions.ComparisonUtility;
    if (Program.empty()) {
        ShowNoComparisonUtilityMessage();
        return;
    }
    if (!Launcher().StartDetached(PathToQString(Program),
                                  {PathToQString(Earlier), PathToQString(Later)}, {}))
        ShowComparisonUtilityFailedMessage(Program);
}

bool TKorvidForm::MarkNamesakes(TDocumentEditor& Editor) {
    const auto Counterpart =
        NamesakeCounterpart(Editor.FileName, FOptions.NamesakePath1, FOptions.NamesakePath2);
    std::error_code Error;
    if (!Counterpart || !fs::is_regular_file(*Counterpart, Error)) {
        ShowNamesakeMissingMessage(Counterpart ? Counterpart->string() : Editor.FileName);
        return false;
    }
    if (!OfferSaveBeforeCompare(Editor) || !MarkForComparison(Editor))
        return false;
    FComparisonSlots = {FComparisonSlots[1], Counterpart->string()};
    return true;
}

// ---- Subversion ---------------------------------------------------------------------------------

void TKorvidForm::StartSubversion(const std::string& Command, const std::string& Path) {
    const QStringList Arguments{"/command:" + QString::fromStdString(Command),
                                "/path:" + PathToQString(Path)};
    if (!Launcher().StartDetached("tortoiseproc", Arguments, {}))
        ShowSubversionNotStartedMessage();
}

std::string TKorvidForm::SubversionPath(TSubversionTarget Target) const {
    if (Target != TSubversionTarget::ActiveFile)
        return FavouritesTree().SelectedPath();
    const TDocumentEditor* Editor = ActiveEditor();
    return Editor ? Editor->FileName : std::string();
}

void TKorvidForm::SubversionDiff(TSubversionTarget Target) {
    if (const std::string Path = SubversionPath(Target); !Path.empty())
        StartSubversion("diff", Path);
}

void TKorvidForm::SubversionLog(TSubversionTarget Target) {
    if (const std::string Path = SubversionPath(Target); !Path.empty())
        StartSubversion("log", Path);
}

void TKorvidForm::SubversionBrowse() {
    StartSubversion("repobrowser", FavouritesTree().SelectedPath());
}

void TKorvidForm::SubversionCommit() {
    StartSubversion("commit", FavouritesTree().SelectedPath());
}

void TKorvidForm::SubversionUpdate() {
    StartSubversion("update", FavouritesTree().SelectedPath());
}

} // namespace korvid
