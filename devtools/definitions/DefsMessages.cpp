#include "devtools/definitions/DefsMessages.h"

#include "devtools/definitions/DefsFile.h"
#include "ui/MessagesUnit.h"

#include <utility>

namespace korvid {

namespace {

TDefsMessageHandler& Handler() {
    static TDefsMessageHandler Instance;
    return Instance;
}

void Show(std::string_view Caption, std::string_view Text) {
    if (Handler())
        Handler()(Caption, Text);
    else
        ShowOkMessage(Caption, Text);
}

} // namespace

TDefsMessageHandler SetDefsMessageHandler(TDefsMessageHandler NewHandler) {
    return std::exchange(Handler(), std::move(NewHandler));
}

void ShowNotInVolumeMessage(std::string_view Path) {
    Show(DefsEditorCaption,
         "The file \"" + std::string(Path) + "\" is not part of a p-System volume.");
}

void ShowDefsEditorError(std::string_view Text) {
    Show(DefsEditorCaption, Text);
}

std::string DefsLayoutTooLargeText(std::string_view FileName, int Words) {
    return "The records of file " + std::string(FileName) + " need " + std::to_string(Words) +
           " words; at most " + std::to_string(MaxDefsLayoutWords) + " fit.";
}

void ShowUnsupportedCalculationMessage(std::string_view FieldName, int Mode) {
    Show(JsonDefsCaption, "Calculated field " + std::string(FieldName) + " has unsupported mode " +
                              std::to_string(Mode));
}

std::string CantReadDefsText(std::string_view FileName, std::int64_t Offset) {
    return "Can't read file '" + std::string(FileName) + "' at byte " + std::to_string(Offset);
}

void ShowReservedWordMessage(std::string_view Name) {
    Show(DefsEditorCaption, "\"" + std::string(Name) + "\" is a reserved word in Pascal.");
}

void ShowDefsOutOfRangeMessage(std::string_view What, int Low, int High) {
    Show(DefsEditorCaption, std::string(What) + " must be between " + std::to_string(Low) +
                                " and " + std::to_string(High));
}

void ShowDefsSavedMessage() {
    Show(DefsEditorCaption, "Defs saved.");
}

bool AskDiscardDefsChanges() {
    return AskYesNo(DefsEditorCaption, "Do you want to discard the changes you've made?");
}

bool AskClearBlankDefsFile(int Index) {
    return AskYesNo(DefsEditorCaption, "File " + std::to_string(Index) +
                                           "\r\rThe file's name is blank: do you want to clear "
                                           "the file's definitions altogether?");
}

bool AskVoidBlankDefsField() {
    return AskYesNo(DefsEditorCaption,
                    "The field's name is blank: do you want to set the field's type to void?");
}

bool AskSaveDespiteDefsTarget(std::string_view FileName, std::string_view FieldName,
                              bool WantsChain) {
    return AskYesNo(DefsEditorCaption,
                    "Target field of " + std::string(FileName) + "." + std::string(FieldName) +
                        (WantsChain ? " is not a chain." : " is not an attach.") +
                        " Do you want to save anyway?");
}

} // namespace korvid
