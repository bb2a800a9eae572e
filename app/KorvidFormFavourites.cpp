#include "app/KorvidForm.h"

namespace korvid {

void TKorvidForm::ViewFavouritesBar() {
    FFavourites->ToggleBar();
}

void TKorvidForm::FavouritesAddFile() {
    FFavourites->AddFile();
}

void TKorvidForm::FavouritesAddVolume() {
    FFavourites->AddVolume();
}

void TKorvidForm::FavouritesNewFolder() {
    FFavourites->NewFolder();
}

void TKorvidForm::FavouritesNewPSystemTextFile() {
    FFavourites->NewPSystemTextFile();
}

void TKorvidForm::FavouritesRemove() {
    FFavourites->Remove();
}

void TKorvidForm::FavouritesOpen() {
    FFavourites->Open();
}

void TKorvidForm::FavouritesOpenExternally() {
    FFavourites->OpenExternally();
}

void TKorvidForm::FavouritesLocateFile() {
    FFavourites->LocateFile();
}

} // namespace korvid
