#include "psystem/CustomFileHelper.h"

#include <algorithm>

namespace korvid {

bool ReadWholeFile(TCustomFileHelper& Source, std::string& Buffer) {
    const std::int64_t Size = std::max<std::int64_t>(0, Source.GetSize());
    Buffer.assign(static_cast<std::size_t>(Size), '\0');
    return Source.Read(0, Size, Buffer.data());
}

} // namespace korvid
