#pragma once

#include "psystem/CustomFileHelper.h"

namespace korvid {

class TVolume;

// The bytes of one file inside a volume. Reads outside the file fail, so that a damaged entry
// never hands out its neighbours' blocks.
class TVolumeFileHelper : public TCustomFileHelper {
public:
    // Position is the file's absolute byte position in the volume file (volume base + first
    // block x 512); Size its length in bytes.
    TVolumeFileHelper(const TVolume& Volume, std::int64_t Position, std::int64_t Size);

    std::int64_t GetSize() const override { return FSize; }
    bool Read(std::int64_t Offset, std::int64_t Count, void* Buffer) override;

private:
    const TVolume& FVolume;
    std::int64_t FPosition;
    std::int64_t FSize;
};

} // namespace korvid
