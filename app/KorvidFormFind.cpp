// The find and replace tools, Go To and Sort, handed to TFindReplace.
#include "app/KorvidForm.h"

namespace korvid {

void TKorvidForm::EditFind() {
    FFindReplace->ShowFindDialog(false, false);
}

void TKorvidForm::EditReplace() {
    FFindReplace->ShowFindDialog(true, false);
}

void TKorvidForm::EditFindInAllOpenDocuments() {
    FFindReplace->ShowFindDialog(false, true);
}

void TKorvidForm::EditFindNext() {
    FFindReplace->FindNext();
}

void TKorvidForm::SetSearchTermToSelection() {
    FFindReplace->SetSearchTermToSelection();
}

void TKorvidForm::EditGoTo() {
    FFindReplace->GoTo();
}

void TKorvidForm::FormatSort() {
    FFindReplace->Sort();
}

void TKorvidForm::OpenFileQuietly(const std::string& Name, bool ReadOnly) {
    const bool WasQuiet = FQuietOpen;
    FQuietOpen = true;
    OpenFile(Name, ReadOnly, {});
    FQuietOpen = WasQuiet;
}

} // namespace korvid
