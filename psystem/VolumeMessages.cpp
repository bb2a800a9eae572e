#include "psystem/VolumeMessages.h"

#include "ui/MessageBoxUnit.h"

#include <string>
#include <utility>

namespace korvid {

namespace {

TVolumeWarningHandler& Handler() {
    static TVolumeWarningHandler Instance;
    return Instance;
}

// A message box with the warning icon and one OK button.
void ShowWarningMessage(std::string_view Caption, std::string_view Text) {
    TMessageForm Form;
    Form.SetCaption(Caption);
    Form.Text = std::string(Text);
    Form.SetMessageIcon(TMessageIcon::Warning);
    Form.AddMessageButton("OK", true, {}, 0, true);
    Form.ShowMessageForm();
}

void Warn(std::string_view Caption, const std::string& Text) {
    if (Handler())
        Handler()(Caption, Text);
    else
        ShowWarningMessage(Caption, Text);
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
