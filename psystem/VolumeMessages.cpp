#include "psystem/VolumeMessages.h"

#include <string>
#include <utility>

namespace korvid {

namespace {

TVolumeWarningHandler& Handler() {
    static TVolumeWarningHandler Instance;
    return Instance;
}

void Warn(std::string_view Caption, const std::string& Text) {
    if (Handler())
        Handler()(Caption, Text);
}

} // namespace

TVolumeWarningHandler SetVolumeWarningHandler(TVolumeWarningHandler NewHandler) {
    return std::exchange(Handler(), std::move(NewHandler));
}

void ShowVolumeFullMessage(std::string_view Caption, std::string_view VolumeName) {
    Warn(Caption,
         "Volume " + std::string(VolumeName) + " contains the maximum number of files (77).");
}

void ShowNotEnoughRoomMessage(std::string_view Caption, std::string_view VolumeName) {
    Warn(Caption, "There is not enough room in volume " + std::string(VolumeName) + ".");
}

} // namespace korvid
