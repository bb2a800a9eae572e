#pragma once

#include "platform/WindowEndpoint.h"

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace korvid {

// Asks which of several running Vosk modules to connect to.
class TConnectToVoskForm : public QDialog {
    Q_OBJECT
public:
    // Entries: the modules' texts (shown in this order) and their windows.
    explicit TConnectToVoskForm(const std::vector<std::pair<std::string, TWindowHandle>>& Entries,
                                QWidget* Parent = nullptr);

    // 0 when nothing is selected.
    TWindowHandle SelectedWindow() const;

    QLabel* IntroLabel1;
    QLabel* IntroLabel2;
    QListWidget* WindowList;
    QPushButton* ConnectButton;
    QPushButton* CancelButton;

private:
    void FormCreate();
    void WindowListClick();
};

} // namespace korvid
