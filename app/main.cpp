#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    QApplication::setApplicationName("Korvid");
    QMainWindow Window;
    Window.setWindowTitle("Korvid");
    Window.resize(800, 600);
    Window.show();
    return QApplication::exec();
}
