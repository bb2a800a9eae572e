#include "editor/EditorHooks.h"

#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"

namespace korvid {

namespace {

TEditorDebugger* GDebugger = nullptr;

class TVolumeTextStore : public TPSystemTextStore {
public:
    bool SaveTextFile(const std::string& VolumeFile, const std::string& Subvolume,
                      const std::string& FileName, const std::vector<std::string>& Lines,
                      bool MakeBackup, const TPSystemHeaderPage* HeaderPage) override {
        std::unique_ptr<TVolume> Volume;
        if (Subvolume.empty())
            Volume = std::make_unique<TMajorVolume>(VolumeFile, true);
        else
            Volume = std::make_unique<TSubvolume>(VolumeFile, true, Subvolume);
        return Volume->SaveTextFile(FileName, Lines, MakeBackup, HeaderPage);
    }
};

} // namespace

TEditorDebugger* EditorDebugger() {
    return GDebugger;
}

void SetEditorDebugger(TEditorDebugger* Debugger) {
    GDebugger = Debugger;
}

std::unique_ptr<TPSystemTextStore> MakeVolumeTextStore() {
    return std::make_unique<TVolumeTextStore>();
}

} // namespace korvid
