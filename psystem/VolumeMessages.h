#pragma once

#include <functional>
#include <string_view>

namespace korvid {

inline constexpr std::string_view UnableToSaveFileCaption = "Unable to save file";
inline constexpr std::string_view UnableToCopyFileCaption = "Unable to copy file";
inline constexpr std::string_view SavePSystemFileCaption = "Save p-System File";
inline constexpr std::string_view PackFilesCaption = "Pack Files";

// Where the volume operations send the warnings they show instead of raising (a full
// directory, no room). The program routes them to a warning message box; tests record them.
using TVolumeWarningHandler = std::function<void(std::string_view Caption, std::string_view Text)>;

// Installs Handler and answers the one it replaces; an empty Handler restores the message box.
TVolumeWarningHandler SetVolumeWarningHandler(TVolumeWarningHandler Handler);

// "Volume <NAME> contains the maximum number of files (77)."
void ShowVolumeFullMessage(std::string_view Caption, std::string_view VolumeName);
// "There is not enough room in volume <NAME>."
void ShowNotEnoughRoomMessage(std::string_view Caption, std::string_view VolumeName);
// The refusal to save a file of a kind the program only lists (Extension ".DEFS", ".SCRN" or
// ".CODE"), under "Unable to save file".
void ShowCantSaveFileKindMessage(std::string_view Extension);
// Lines over 255 characters were cut; shown once per save.
void ShowPSystemLinesTruncatedMessage();
// A refusal of packing, with the information icon under "Pack Files".
void ShowPackFilesMessage(std::string_view Text);

// "File <path> already exists. Overwrite it?" with OK and Cancel; true for OK.
bool AskOverwriteFile(std::string_view Caption, std::string_view Path);

// The filer's questions and reports.
bool ConfirmOverwriteVolumeFile(std::string_view Name);
// What is "'<caption>'" or "these files".
bool ConfirmDeleteVolumeFiles(std::string_view What);
bool ConfirmFlushVolume(std::string_view VolumeName);
bool ConfirmKrunchVolume(std::string_view VolumeName);
bool ConfirmShrinkVolume(std::string_view VolumeName);
void ShowVolumeShrunkMessage();
// F2 without a volume to show: what the filer needs.
void ShowFilerNeedsVolumeMessage();
// A damaged directory (TVolume::DamageText), as a warning under "Damaged Volume".
void ShowDamagedVolumeMessage(std::string_view Text);
// The resize dialog's refusals, under "Unable to expand".
void ShowCantExpandVolumeMessage(int MaxBlocks);
void ShowCantShrinkVolumeMessage(int MinBlocks);

// The definitions listing mode the held keys ask for: 1 with Shift, else 2 with Ctrl, else 0.
int HeldDefsListingMode();

// Shows the hourglass cursor while it lives.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    bool FShown = false;
};

} // namespace korvid
