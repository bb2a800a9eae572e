#pragma once

#include <QDialog>

class QLabel;

namespace korvid {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* Parent = nullptr);

    QLabel* NameLabel = nullptr;
    QLabel* TextLabel = nullptr;
    QLabel* VersionLabel = nullptr;
};

// The About box, shown modally.
void ShowAboutBox(QWidget* Parent);

} // namespace korvid
