// The peer of the open benchmark: a minimal editor on the QScintilla widget, built for the
// benchmark only. It opens one file the way such an editor does (the widget reads the device),
// types at its end and saves it, and prints its figures as one line of key=value pairs:
//   qscintilla_peer FILE SAVE_AS
#include "bench/app/ProcessFigures.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace korvid::bench;

void SendKey(QWidget& Target, int Key, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    QKeyEvent Press(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(&Target, &Press);
    QKeyEvent Release(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(&Target, &Release);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qscintilla_peer FILE SAVE_AS\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    QsciScintilla Editor;
    Editor.setUtf8(true);
    Editor.resize(1200, 800);
    Editor.show();
    QApplication::processEvents();
    const auto Empty = ResidentBytes();
    ResetPeakResident();

    const auto Start = Clock::now();
    QFile File(QString::fromLocal8Bit(argv[1]));
    if (!File.open(QIODevice::ReadOnly) || !Editor.read(&File))
        return 1;
    File.close();
    QApplication::processEvents();
    Editor.viewport()->repaint();
    const double Open = SecondsSince(Start);
    const double Whole = SecondsSinceLaunch();
    const auto Resident = ResidentBytes();
    const auto Peak = PeakResidentBytes();

    Editor.setFocus();
    SendKey(Editor, Qt::Key_End, Qt::ControlModifier, {});
    QApplication::processEvents();
    std::vector<double> Keys;
    for (int I = 0; I < 21; ++I) {
        const auto KeyStart = Clock::now();
        SendKey(Editor, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::processEvents();
        Editor.viewport()->repaint();
        Keys.push_back(SecondsSince(KeyStart));
    }
    std::sort(Keys.begin(), Keys.end());

    const auto SaveStart = Clock::now();
    QFile Out(QString::fromLocal8Bit(argv[2]));
    if (!Out.open(QIODevice::WriteOnly) || !Editor.write(&Out))
        return 1;
    Out.close();
    const double Save = SecondsSince(SaveStart);

    std::printf("open=%.6f whole=%.6f empty=%lld resident=%lld peak=%lld key=%.6f save=%.6f\n",
                Open, Whole, static_cast<long long>(Empty), static_cast<long long>(Resident),
                static_cast<long long>(Peak), Keys[Keys.size() / 2], Save);
    return 0;
}
