#include "app/KeyScript.h"

#include "app/KorvidForm.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>

#include <cstdlib>
#include <fstream>

// Qt's own first step of delivering a key: the shortcut override, then the shortcut map.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods,
                                               const QString& text = QString(),
                                               bool autorep = false, ushort count = 1);

namespace korvid {
namespace {

// Where the window system sends a key: the open popup, else the widget with the keyboard
// focus, else the active window; nowhere when no window of the program is active.
QWidget* KeyTarget() {
    if (QWidget* Popup = QApplication::activePopupWidget())
        return Popup->focusWidget() ? Popup->focusWidget() : Popup;
    if (QWidget* Focus = QApplication::focusWidget())
        return Focus;
    return QApplication::activeWindow();
}

void Press(int Key, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    QPointer<QWidget> Target = KeyTarget();
    if (!Target)
        return;
    if (!qt_sendShortcutOverrideEvent(Target, 0, Key, Modifiers, Text)) {
        QKeyEvent Down(QEvent::KeyPress, Key, Modifiers, Text);
        QApplication::sendEvent(Target, &Down);
    }
    // The key may have moved the focus or closed the window it was typed into.
    Target = KeyTarget();
    if (!Target)
        return;
    QKeyEvent Up(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(Target, &Up);
}

// A user types once the window is up; the window system makes it active first.
void WaitUntilActive(QWidget& Window) {
    const QDeadlineTimer Deadline(5000);
    while (!Window.isActiveWindow() && !Deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

// The active document's lines, each ended by a line feed, for the script's caller to compare.
void WriteActiveDocument(const TKorvidForm& Form, const std::string& Path) {
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    if (const TDocumentEditor* Editor = Form.ActiveEditor())
        for (const std::string& Line : Editor->Paragraphs())
            File << Line << '\n';
}

} // namespace

void RunKeyScript(TKorvidForm& Form, const std::string& FileName) {
    std::ifstream File(FileName);
    WaitUntilActive(Form);
    std::string Line;
    while (std::getline(File, Line)) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (Line.rfind("type ", 0) == 0) {
            for (const QChar Char : QString::fromStdString(Line.substr(5)))
                Press(Char.toUpper().unicode(), Qt::NoModifier, QString(Char));
        } else if (Line.rfind("key ", 0) == 0) {
            const QKeySequence Sequence(QString::fromStdString(Line.substr(4)));
            if (!Sequence.isEmpty())
                Press(Sequence[0].key(), Sequence[0].keyboardModifiers(), {});
        } else if (Line.rfind("write ", 0) == 0) {
            WriteActiveDocument(Form, Line.substr(6));
        } else if (Line == "close") {
            Form.close();
        }
        QApplication::processEvents();
    }
}

void RunKeyScriptFromEnvironment(TKorvidForm& Form) {
    if (const char* Script = std::getenv("KORVID_KEY_SCRIPT"); Script && *Script)
        RunKeyScript(Form, Script);
}

} // namespace korvid
