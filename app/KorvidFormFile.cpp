#include "app/KorvidForm.h"

#include "app/FileTools.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "ui/SetPasswordUnit.h"

#include <QCheckBox>
#include <QLineEdit>

namespace korvid {

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
    FFileTools->Print();
}

void TKorvidForm::FileSendMail() {
    FFileTools->SendMail();
}

void TKorvidForm::FileOpenRandom() {
    FFileTools->OpenRandom();
}

void TKorvidForm::FileExploreFolder() {
    FFileTools->ExploreFolder();
}

void TKorvidForm::FileMarkForComparison() {
    FFileTools->MarkActiveForComparison();
}

void TKorvidForm::CompareFiles(bool TheseFiles) {
    FFileTools->CompareFiles(TheseFiles);
}

std::string TKorvidForm::SelectedFavouritePath() const {
    return FavouritesTree().SelectedPath();
}

void TKorvidForm::SubversionDiff(TSubversionTarget Target) {
    FFileTools->SubversionDiff(Target);
}

void TKorvidForm::SubversionLog(TSubversionTarget Target) {
    FFileTools->SubversionLog(Target);
}

void TKorvidForm::SubversionBrowse() {
    FFileTools->SubversionBrowse();
}

void TKorvidForm::SubversionCommit() {
    FFileTools->SubversionCommit();
}

void TKorvidForm::SubversionUpdate() {
    FFileTools->SubversionUpdate();
}

} // namespace korvid
