#include "app/KeyScript.h"

#include "app/KorvidForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>

#include <cstdlib>
#include <fstream>

namespace korvid {
namespace {

void Press(QWidget* Target, int Key, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    QKeyEvent Down(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(Target, &Down);
    QKeyEvent Up(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(Target, &Up);
}

QWidget* KeyTarget(TKorvidForm& Form) {
    TDocumentEditor* Editor = Form.ActiveEditor();
    if (!Editor)
        return &Form;
    return Editor->focusProxy() ? Editor->focusProxy() : Editor;
}

} // namespace

void RunKeyScript(TKorvidForm& Form, const std::string& FileName) {
    std::ifstream File(FileName);
    std::string Line;
    while (std::getline(File, Line)) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (Line.rfind("type ", 0) == 0) {
            for (const QChar Char : QString::fromStdString(Line.substr(5)))
                Press(KeyTarget(Form), Char.toUpper().unicode(), Qt::NoModifier, QString(Char));
        } else if (Line.rfind("key ", 0) == 0) {
            const QKeySequence Sequence(QString::fromStdString(Line.substr(4)));
            if (!Sequence.isEmpty())
                Press(KeyTarget(Form), Sequence[0].key(), Sequence[0].keyboardModifiers(), {});
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
