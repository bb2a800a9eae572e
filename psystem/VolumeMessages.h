#pragma once

#include <functional>
#include <string_view>

namespace korvid {

inline constexpr std::string_view UnableToSaveFileCaption = "Unable to save file";
inline constexpr std::string_view UnableToCopyFileCaption = "Unable to copy file";

// Where the volume operations send the warnings they show instead of raising (a full
// directory, no room). The program routes them to a warning message box; tests record them.
using TVolumeWarningHandler = std::function<void(std::string_view Caption, std::string_view Text)>;

// Installs Handler and answers the one it replaces; an empty Handler restores the message box.
TVolumeWarningHandler SetVolumeWarningHandler(TVolumeWarningHandler Handler);

// "Volume <NAME> contains the maximum number of files (77)."
void ShowVolumeFullMessage(std::string_view Caption, std::string_view VolumeName);
// "There is not enough room in volume <NAME>."
void ShowNotEnoughRoomMessage(std::string_view Caption, std::string_view VolumeName);

} // namespace korvid
