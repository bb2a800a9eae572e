#pragma once

#include "psystem/Volume.h"

#include <memory>

namespace korvid {

// A volume held as a kind-9 file "<NAME>.SVOL" inside another volume, sharing its file.
class TSubvolume : public TVolume {
public:
    // Opens the major volume at Path (owned) and the subvolume Name in it.
    TSubvolume(const std::filesystem::path& Path, bool Writable, std::string_view Name);
    // The subvolume Name of an already open Parent, which must outlive it.
    TSubvolume(TVolume& Parent, std::string_view Name);
    static std::unique_ptr<TSubvolume> CreateInParent(TVolume& Parent, std::string_view Name);

    std::string GetVersion() override { return FParent->GetVersion(); }
    bool IsWritable() const override;
    void SetVersion(const std::string& Text) override { FParent->SetVersion(Text); }
    void Expand(int Blocks) override;
    void Shrink(int Delta) override;

    TVolume& Parent() const { return *FParent; }
    const std::string& SubvolumeName() const { return FSubvolumeName; }
    int NestingDepth() const override { return FParent->NestingDepth() + 1; }
    bool IsSubvolume() const override { return true; }

    void Reread() override;
    void RequireWritable() const override;

protected:
    std::int64_t AvailableBlocks() const override { return FExtentBlocks; }
    std::string Describe() const override;

private:
    void Attach();
    // Follows the entry in the parent's directory (another object may have moved it).
    void Locate();

    std::unique_ptr<TVolume> FOwnedParent;
    TVolume* FParent;
    std::string FSubvolumeName;
    int FExtentBlocks = 0;
};

} // namespace korvid
