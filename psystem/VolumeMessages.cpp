#include "psystem/VolumeMessages.h"

#include "ui/MessageBoxUnit.h"
#include "ui/MessagesUnit.h"

#include <QGuiApplication>

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

// The handler, or else the catalogue's own message.
template <class TShow> void Tell(std::string_view Caption, std::string_view Text, TShow Show) {
    if (Handler())
        Handler()(Caption, Text);
    else
        Show();
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

void ShowCantSaveFileKindMessage(std::string_view Extension) {
    std::string What = "p-System code files";
    if (Extension == ".DEFS")
        What = "database definition files";
    else if (Extension == ".SCRN")
        What = "database screen files";
    Warn(UnableToSaveFileCaption, "Korvid can't save " + What + ".");
}

void ShowPSystemLinesTruncatedMessage() {
    Tell(SavePSystemFileCaption,
         "One or more lines contain more than 255 characters, and will be truncated.",
         [] { ShowLinesTruncatedMessage(); });
}

void ShowPackFilesMessage(std::string_view Text) {
    Tell(PackFilesCaption, Text, [Text] { ShowOkMessage(PackFilesCaption, Text); });
}

bool AskOverwriteFile(std::string_view Caption, std::string_view Path) {
    return AskOkCancel(Caption, "File " + std::string(Path) + " already exists. Overwrite it?");
}

int HeldDefsListingMode() {
    if (!QGuiApplication::instance())
        return 0;
    const Qt::KeyboardModifiers Held = QGuiApplication::queryKeyboardModifiers();
    if (Held & Qt::ShiftModifier)
        return 1;
    if (Held & Qt::ControlModifier)
        return 2;
    return 0;
}

TBusyCursor::TBusyCursor() {
    if (qobject_cast<QGuiApplication*>(QGuiApplication::instance())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        FShown = true;
    }
}

TBusyCursor::~TBusyCursor() {
    if (FShown)
        QGuiApplication::restoreOverrideCursor();
}

bool ConfirmOverwriteVolumeFile(std::string_view Name) {
    return AskYesNo("Copy " + std::string(Name), "Do you want to overwrite the existing file?");
}

bool ConfirmDeleteVolumeFiles(std::string_view What) {
    return AskYesNo("Delete File", "Are you sure you want to delete " + std::string(What) + "?");
}

bool ConfirmFlushVolume(std::string_view VolumeName) {
    // Users know this wording, the missing "you" included.
    return AskYesNo("Flush Volume", "Are you sure want to delete all files in \"" +
                                        std::string(VolumeName) + "\"?");
}

bool ConfirmKrunchVolume(std::string_view VolumeName) {
    return AskYesNo(
        "Krunch Volume",
        FormatMessageText("Are you sure you want to krunch volume '%1'?", {VolumeName}));
}

bool ConfirmShrinkVolume(std::string_view VolumeName) {
    return AskYesNo(
        "Shrink Volume",
        FormatMessageText("Are you sure you want to shrink volume '%1'?", {VolumeName}));
}

void ShowVolumeShrunkMessage() {
    ShowOkMessage("Shrink Volume", "The volume has been shrunk to the smallest possible size.");
}

void ShowFilerNeedsVolumeMessage() {
    ShowOkMessage("p-System Filer",
                  "Open a p-System volume, or add one to Favourites, to use the filer.");
}

void ShowDamagedVolumeMessage(std::string_view Text) {
    Warn("Damaged Volume", std::string(Text));
}

void ShowCantExpandVolumeMessage(int MaxBlocks) {
    ShowWarningMessage("Unable to expand", "This volume can't be expanded to more than " +
                                               std::to_string(MaxBlocks) + " blocks.");
}

void ShowCantShrinkVolumeMessage(int MinBlocks) {
    ShowWarningMessage("Unable to expand", "This volume can't be shrunk to less than " +
                                               std::to_string(MinBlocks) + " blocks.");
}

} // namespace korvid
