#pragma once

#include <QApplication>

namespace korvid {

// The application object: an exception escaping an event handler is shown in a message box
// instead of passing through Qt's event loop.
class TKorvidApplication : public QApplication {
public:
    TKorvidApplication(int& Argc, char** Argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
};

// Shows the text of an exception that reached the top of an event.
void ShowException(const std::exception& Error);

} // namespace korvid
