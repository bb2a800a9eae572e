#include "app/KorvidForm.h"

#include "app/MacrosAndCommandLines.h"
#include "platform/Cp1252.h"

#include <QStatusBar>

namespace korvid {

void TKorvidForm::EditRecordKeystrokes() {
    FMacros->RecordKeystrokes();
}

void TKorvidForm::EditPlayKeystrokes(bool Repeat) {
    FMacros->PlayRecorded(Repeat);
}

void TKorvidForm::EditCopyRecordedKeystrokes() {
    FMacros->CopyRecordedKeystrokes();
}

void TKorvidForm::EditPickRecordedKeystrokes() {
    FMacros->PickRecordedKeystrokes();
}

void TKorvidForm::ViewCommandLines() {
    FMacros->EditCommandLines();
}

void TKorvidForm::ViewRunCommandLine() {
    FMacros->RunActiveCommandLine();
}

void TKorvidForm::ShowStatusMessage(const std::string& Text) {
    statusBar()->showMessage(ToQString(Text));
}

void TKorvidForm::ClearStatusMessage() {
    statusBar()->clearMessage();
}

} // namespace korvid
