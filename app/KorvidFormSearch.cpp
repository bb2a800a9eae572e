// Find in files and the search-result tools, handed to TSearchResults, and the results tab
// itself.
#include "app/KorvidForm.h"

#include <QTabWidget>

namespace korvid {

void TKorvidForm::FindInFiles(const std::vector<TVolume*>& Volumes,
                              const std::vector<std::string>& Files,
                              const TFindSettings& Settings) {
    FSearchResults->FindInFiles(Volumes, Files, Settings);
}

void TKorvidForm::ShowSearchFolderDialog(const std::string& Folder) {
    FSearchResults->ShowSearchFolderDialog(Folder);
}

void TKorvidForm::ShowLocateFileDialog(const std::string& Folder) {
    FSearchResults->ShowLocateFileDialog(Folder);
}

void TKorvidForm::OpenResultsTab(const std::string& Caption, const std::vector<std::string>& Lines,
                                 const std::vector<std::pair<std::string, int>>& Sections,
                                 bool ReadOnly) {
    NewTab(Caption);
    TDocumentEditor* Editor = ActiveEditor();
    Editor->SetParagraphs(Lines);
    Editor->MoveCaretTo(1, 1);
    Editor->SetModified(false);
    Editor->SearchResults = true;
    SetFileReadOnly(Editor, ReadOnly);
    for (const auto& [Name, Line] : Sections)
        Editor->AddSectionName(Name, Line);
    UpdateCaption(Caption);
    UpdateCommandStates();
}

void TKorvidForm::EditFindInFolder() {
    FSearchResults->ShowSearchFolderDialog({});
}

void TKorvidForm::EditGoToSearchResult(bool Straight) {
    FSearchResults->GoToSearchResult(Straight);
}

void TKorvidForm::EditGoToAdjacentSearchResult(bool Next) {
    FSearchResults->GoToAdjacentSearchResult(Next);
}

void TKorvidForm::EditGoBack() {
    FSearchResults->GoBack();
}

void TKorvidForm::EditApplyChanges() {
    FSearchResults->ApplyChanges();
}

void TKorvidForm::ActivateTab(QWidget* Tab) {
    if (FTabs->indexOf(Tab) >= 0)
        FTabs->setCurrentWidget(Tab);
}

} // namespace korvid
