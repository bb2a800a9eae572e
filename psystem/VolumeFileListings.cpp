#include "psystem/VolumeFileListings.h"

#include <utility>

namespace korvid {

namespace {

TVolumeFileListings& Installed() {
    static TVolumeFileListings Instance;
    return Instance;
}

} // namespace

TVolumeFileListings SetVolumeFileListings(TVolumeFileListings Listings) {
    return std::exchange(Installed(), std::move(Listings));
}

const TVolumeFileListings& VolumeFileListings() {
    return Installed();
}

} // namespace korvid
