#include "devtools/DebuggerMessages.h"

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
    ShowOkMessage(ConnectCaption, std::string(Text) + ":\r" + std::string(Reason));
}

void ShowRequestTooLongMessage() {
    ShowOkMessage(ConnectCaption, "The request is too long for the shared memory buffer.");
}

} // namespace korvid
