#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace korvid {

// Where a form was last left on the screen, kept by the main window's settings.
struct TFormPlace {
    int Left = 0;
    int Top = 0;
};

// The small modeless box, on top of other windows, that shows what a long compile or a VBat run
// is doing and lets the user stop it after the current step.
class TCompilerProgressForm : public QWidget {
    Q_OBJECT

public:
    // Starts at Place and writes its last position back there when it goes.
    explicit TCompilerProgressForm(TFormPlace* Place = nullptr, QWidget* Parent = nullptr);
    ~TCompilerProgressForm() override;

    QLabel* ProgressLabel;
    QPushButton* CancelButton;
    bool Cancelled() const { return FCancelled; }
    void CancelButtonClick();

private:
    TFormPlace* FPlace;
    bool FCancelled = false;
};

} // namespace korvid
