#include "app/KorvidForm.h"

#include "foundation/UtilitiesUnit.h"
#include "psystem/FilerForm.h"
#include "psystem/VolumePath.h"
#include "workspace/FavouritesTree.h"

namespace korvid {

void TKorvidForm::PrepareFiler() {
    FFilerForm = std::make_unique<TFilerForm>(*this, this);
    const TWindowPlacement& Place = FSettings.Filer;
    if (Place.Width > 0 && Place.Height > 0)
        FFilerForm->resize(Place.Width, Place.Height);
    FFilerForm->move(Place.Left, Place.Top);
    if (Place.Maximized)
        FFilerForm->setWindowState(Qt::WindowMaximized);
    FFilerForm->EqualisePanes();
}

void TKorvidForm::StoreFilerWindow() {
    if (!FFilerForm)
        return;
    const QRect Normal = FFilerForm->normalGeometry().isValid() ? FFilerForm->normalGeometry()
                                                                : FFilerForm->geometry();
    FSettings.Filer = {Normal.x(), Normal.y(), Normal.width(), Normal.height(),
                       FFilerForm->isMaximized()};
}

void TKorvidForm::ViewPSystemFiler() {
    std::string VolumeFile;
    if (const TDocumentEditor* Editor = ActiveEditor())
        if (const auto Inside = ParseVolumePath(Editor->FileName))
            VolumeFile = Inside->VolumeFile;
    FFilerForm->Execute(VolumeFile);
}

void TKorvidForm::OpenFilerFile(const std::string& Name, bool ReadOnly) {
    OpenFile(Name, ReadOnly, {});
}

void TKorvidForm::ForEachFavouriteVolume(
    const std::function<void(const std::string& Path)>& Callback) {
    if (const TFavouritesTreeView* Tree = FavouritesTree().Tree())
        Tree->ForEachVolume(Callback);
}

bool TKorvidForm::IsReadOnlyVolumeFile(const std::string& Path) {
    return IsReadOnlyFile(Path);
}

} // namespace korvid
