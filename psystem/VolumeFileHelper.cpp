#include "psystem/VolumeFileHelper.h"

#include "psystem/Volume.h"

namespace korvid {

TVolumeFileHelper::TVolumeFileHelper(const TVolume& Volume, std::int64_t Position,
                                     std::int64_t Size)
    : FVolume(Volume), FPosition(Position), FSize(Size) {}

bool TVolumeFileHelper::Read(std::int64_t Offset, std::int64_t Count, void* Buffer) {
    if (Offset < 0 || Count < 0 || Offset > FSize || Count > FSize - Offset)
        return false;
    return Count == 0 || FVolume.ReadBytes(Buffer, FPosition + Offset, Count);
}

} // namespace korvid
