#include "psystem/MajorVolume.h"

#include "platform/Cp1252.h"
#include "psystem/Subvolume.h"

namespace korvid {

TMajorVolume::TMajorVolume(const std::filesystem::path& Path, bool Writable) : FWritable(Writable) {
    FPath = Path;
    FFile = std::make_shared<TVolumeFile>(Path, Writable ? TVolumeFile::TMode::ReadWrite
                                                         : TVolumeFile::TMode::Read);
    if (!FFile->IsOpen())
        throw EVolumeError("Can't open major volume '" + Path.string() + "'");
    ReadDirectory();
}

bool TMajorVolume::IsWritable() const {
    return FWritable && FFile->IsWritable() && !IsDamaged();
}

std::int64_t TMajorVolume::AvailableBlocks() const {
    return std::max<std::int64_t>(0, FFile->Size()) / BlockSize;
}

std::string TMajorVolume::GetVersion() {
    if (FVersion.empty()) {
        FindVersionText(*this);
        if (FVersion.empty())
            FVersion = "unversioned";
    }
    return FVersion;
}

void TMajorVolume::FindVersionText(TVolume& V) {
    V.Enumerate(false, [&](const TFileInfo& Info) {
        const std::string Name = UpperCase1252(Info.Name);
        if (Name == "VERSION.TEXT") {
            std::vector<std::string> Lines;
            try {
                Lines = V.ReadFileLines(Info.Index, {});
            } catch (const EVolumeError&) {
                // An unreadable file has no version to give.
            }
            if (!Lines.empty() && Lines.front().find(' ') != std::string::npos) {
                FVersion = Lines.front().substr(0, Lines.front().find(' '));
                return false;
            }
        } else if (Name.ends_with(SubvolumeExtension) && V.NestingDepth() == 0) {
            // A subvolume that cannot be read has no version to give.
            try {
                TSubvolume Sub(V, Info.Name);
                FindVersionText(Sub);
            } catch (const EVolumeError&) {
            }
        }
        return true;
    });
}

void TMajorVolume::Expand(int Blocks) {
    Resize(Blocks, "expand");
}

void TMajorVolume::Shrink(int Delta) {
    if (Delta < 0)
        Resize(Delta, "shrink");
}

void TMajorVolume::Resize(int Blocks, std::string_view Word) {
    if (Blocks == 0)
        return;
    PrepareChange();
    const std::string Failure =
        "Unable to " + std::string(Word) + " major volume '" + FPath.string() + "'";
    const int NewEnd = EndOfVolume() + Blocks;
    if ((Blocks > 0 && NewEnd > MaxVolumeBlocks) || (Blocks < 0 && NewEnd < LastFileEnd()))
        throw EVolumeError(Failure);
    const std::int64_t OldSize = FFile->Size();
    const std::int64_t NewSize = OldSize + std::int64_t(Blocks) * BlockSize;
    if (OldSize < 0)
        throw EVolumeError(Failure);
    const int OldEnd = EndOfVolume();
    // The directory never names blocks the file does not have: grow first, shrink last.
    if (Blocks > 0) {
        if (!FFile->SetSize(NewSize)) {
            FFile->SetSize(OldSize);
            throw EVolumeError(Failure);
        }
        try {
            CommitEndOfVolume(NewEnd);
        } catch (const EVolumeError&) {
            FFile->SetSize(OldSize);
            throw EVolumeError(Failure);
        }
    } else {
        try {
            CommitEndOfVolume(NewEnd);
        } catch (const EVolumeError&) {
            throw EVolumeError(Failure);
        }
        if (!FFile->SetSize(NewSize)) {
            try {
                CommitEndOfVolume(OldEnd);
            } catch (const EVolumeError&) {
                // The smaller end is consistent too; the failure is reported either way.
            }
            throw EVolumeError(Failure);
        }
    }
}

} // namespace korvid
