#include "app/KorvidForm.h"

#include <QTabWidget>

namespace korvid {

void TKorvidForm::ViewPSystemFiler() {
    FVolumeTools->ShowFiler();
}

void TKorvidForm::FileBrowseVolume() {
    FVolumeTools->BrowseActiveVolume();
}

void TKorvidForm::RestoreStartupTab(QWidget* Kept) {
    if (FStartupTab != Kept)
        FStartupTab = Kept && FTabs->indexOf(Kept) >= 0 ? Kept : nullptr;
}

void TKorvidForm::FindInVolumes(const std::vector<TVolume*>& Volumes,
                                const TFindSettings& Settings) {
    FindInFiles(Volumes, {}, Settings);
}

} // namespace korvid
