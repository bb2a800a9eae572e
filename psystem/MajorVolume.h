#pragma once

#include "psystem/Volume.h"

namespace korvid {

// A whole volume file on the Windows disk.
class TMajorVolume : public TVolume {
public:
    // Raises "Can't open major volume '<Path>'" when the file cannot be opened.
    TMajorVolume(const std::filesystem::path& Path, bool Writable);

    // The text before the first blank of the first line of a VERSION.TEXT file, searched
    // once; "unversioned" when there is none.
    std::string GetVersion() override;
    bool IsWritable() const override;
    void SetVersion(const std::string& Text) override { FVersion = Text; }
    void Expand(int Blocks) override;
    void Shrink(int Delta) override;

    // Grows or (Blocks < 0) shrinks the file and the usable area by Blocks blocks. Word
    // ("expand" or "shrink") names the failure.
    void Resize(int Blocks, std::string_view Word);
    // Searches V and its subvolumes for VERSION.TEXT and keeps what it finds.
    void FindVersionText(TVolume& V);

    int NestingDepth() const override { return 0; }

protected:
    std::int64_t AvailableBlocks() const override;

private:
    std::string FVersion;
    bool FWritable;
};

} // namespace korvid
