#include "devtools/debugger/DebuggerMessages.h"

#include "ui/MessagesUnit.h"

namespace korvid {

void ShowNoModuleMessage() {
    ShowOkMessage(ConnectCaption, "Korvid was unable to find a Vosk module to connect to.");
}

void ShowModuleNotRespondingMessage() {
    ShowOkMessage(ConnectCaption, "The Vosk module is not responding. Check that it's not "
                                  "displaying an error message.");
}

void ShowBufferFailureMessage(std::string_view Text, std::string_view Reason) {
    ShowOkMessage(ConnectCaption, Reason.empty() ? std::string(Text)
                                                 : std::string(Text) + ":\r" + std::string(Reason));
}

void ShowRequestTooLongMessage() {
    ShowOkMessage(ConnectCaption, "The request is too long for the shared memory buffer.");
}

void ShowModuleStoppedAnsweringMessage() {
    ShowOkMessage(ConnectCaption, "The module stopped answering.");
}

void ShowModuleGoneMessage() {
    ShowOkMessage(ConnectCaption, "The module has gone.");
}

void ShowBreakpointRefusedMessage(std::string_view ModuleText) {
    ShowOkMessage("Add Breakpoint", "Can't add breakpoint:\r" + std::string(ModuleText) + ".");
}

void ShowCantStepMessage(std::string_view Title, std::string_view ModuleText) {
    ShowOkMessage(Title, "Can't step:\r" + std::string(ModuleText) + ".");
}

void ShowCodePositionNotFoundMessage(std::string_view Title) {
    ShowOkMessage(Title, "Can't step:\rCan't locate the current code position.");
}

namespace {
constexpr std::string_view RunUntilCaption = "Run Until Value Changes";
}

void ShowUnknownValueChangedMessage() {
    ShowOkMessage(RunUntilCaption, "An unknown value has changed.");
}

void ShowValueChangedMessage(std::string_view Name, std::string_view OldValue,
                             std::string_view NewValue, bool Located) {
    std::string Text = "The value of " + std::string(Name) + " has changed from " +
                       std::string(OldValue) + " to " + std::string(NewValue) + ".";
    if (!Located)
        Text += "\r\rThis is not the direct result of the program you are debugging. The program "
                "may simply have finished running, allowing the system to reuse its memory for "
                "other purposes.";
    ShowOkMessage(RunUntilCaption, Text);
}

} // namespace korvid
