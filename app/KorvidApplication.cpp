#include "app/KorvidApplication.h"

#include "platform/KeyState.h"
#include "ui/MessagesUnit.h"
#include "ui/ShellImageList.h"

namespace korvid {

TKorvidApplication::TKorvidApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
    setApplicationName("Korvid");
    installEventFilter(new TKeyStateFilter(this));
    UseInstalledIconTheme();
}

bool TKorvidApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ShowException(Error);
    } catch (...) {
        ShowOkMessage("Korvid", "An unexpected error occurred.");
    }
    return false;
}

void ShowException(const std::exception& Error) {
    ShowOkMessage("Korvid", Error.what());
}

} // namespace korvid
