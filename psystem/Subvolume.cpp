#include "psystem/Subvolume.h"

#include "psystem/MajorVolume.h"

namespace korvid {

TSubvolume::TSubvolume(const std::filesystem::path& Path, bool Writable, std::string_view Name)
    : FOwnedParent(std::make_unique<TMajorVolume>(Path, Writable)), FParent(FOwnedParent.get()),
      FSubvolumeName(Name) {
    Attach();
}

TSubvolume::TSubvolume(TVolume& Parent, std::string_view Name)
    : FParent(&Parent), FSubvolumeName(Name) {
    Attach();
}

std::unique_ptr<TSubvolume> TSubvolume::CreateInParent(TVolume& Parent, std::string_view Name) {
    return std::make_unique<TSubvolume>(Parent, Name);
}

void TSubvolume::Attach() {
    FFile = FParent->FileHandle();
    FPath = FParent->VolumeFilePath();
    Locate();
    ReadDirectory();
}

void TSubvolume::Locate() {
    const TFileInfo Info = FParent->FileInfo(0, FSubvolumeName);
    FSubvolumeName = Info.Name;
    FBase = FParent->Base() + std::int64_t(Info.FirstBlock) * BlockSize;
    FExtentBlocks = Info.Blocks;
}

bool TSubvolume::IsWritable() const {
    return FParent->IsWritable() && !IsDamaged();
}

std::string TSubvolume::Describe() const {
    return FPath.string() + ">" + FSubvolumeName;
}

void TSubvolume::Reread() {
    FParent->Reread();
    Locate();
    ReadDirectory();
}

void TSubvolume::RequireWritable() const {
    FParent->RequireWritable();
    TVolume::RequireWritable();
}

void TSubvolume::Expand(int Blocks) {
    if (Blocks <= 0)
        return;
    PrepareChange();
    // Parent first, so that every block the directories name exists.
    FParent->Expand(Blocks);
    FParent->GrowSubvolume(FSubvolumeName, Blocks);
    Reread();
    CommitEndOfVolume(EndOfVolume() + Blocks);
}

void TSubvolume::Shrink(int Delta) {
    if (Delta >= 0)
        return;
    PrepareChange();
    const int NewEnd = EndOfVolume() + Delta;
    if (NewEnd < LastFileEnd())
        throw EVolumeError("Subvolume " + FSubvolumeName + " can't be shrunk below block " +
                           std::to_string(LastFileEnd()));
    // Own end first, so the directory never names blocks that the parent gives away.
    CommitEndOfVolume(NewEnd);
    FParent->ShrinkSubvolume(FSubvolumeName, -Delta);
    Reread();
}

} // namespace korvid
