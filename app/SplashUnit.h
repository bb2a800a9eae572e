#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace korvid {

inline constexpr const char* VersionText = "Version 3.02";
inline constexpr int SplashMilliseconds = 3000;

// The borderless picture shown while the main window is created; it closes itself after three
// seconds, or earlier on a key press or a click.
class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* Parent = nullptr);

    QLabel* Image = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* TextLabel = nullptr;
    QTimer* Timer = nullptr;

    void TimerTimer();

protected:
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    void CloseSplash();
};

// The one splash while it exists, else null.
TSplashForm* SplashForm();

// Shows the splash unless this is the first run (no options saved yet) or the user turned it
// off. Answers the splash shown, if any.
TSplashForm* ShowSplashScreen();

// The picture of the splash and the About box, drawn by the program.
QPixmap KorvidPicture(int Width, int Height);

} // namespace korvid
