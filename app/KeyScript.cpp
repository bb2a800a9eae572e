#include "app/KeyScript.h"

#include "app/KorvidForm.h"
#include "foundation/TextFileWriter.h"
#include "platform/Paths.h"
#include "ui/BrowseFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

// Qt's own first step of delivering a key: the shortcut override, then the shortcut map.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods,
                                               const QString& text = QString(),
                                               bool autorep = false, ushort count = 1);

namespace korvid {
namespace {

// Where the window system sends a key: the open popup, else the widget with the keyboard
// focus (in a modal dialog, its control), else the main window's focus child, else the active
// document or window.
QWidget* KeyTarget(TKorvidForm& Form) {
    if (QWidget* Popup = QApplication::activePopupWidget())
        return Popup->focusWidget() ? Popup->focusWidget() : Popup;
    if (QWidget* Modal = QApplication::activeModalWidget())
        return Modal->focusWidget() ? Modal->focusWidget() : Modal;
    if (QWidget* Focus = QApplication::focusWidget())
        return Focus;
    // No window is active (a dialog just closed): the main window's own focus child takes the
    // key, as it would once the window system activates the window again.
    if (QWidget* Focus = Form.focusWidget())
        return Focus;
    if (TDocumentEditor* Editor = Form.ActiveEditor())
        return Editor->focusWidget() ? Editor->focusWidget() : Editor;
    return QApplication::activeWindow();
}

void Press(TKorvidForm& Form, int Key, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    QPointer<QWidget> Target = KeyTarget(Form);
    if (!Target)
        return;
    if (!qt_sendShortcutOverrideEvent(Target, 0, Key, Modifiers, Text)) {
        QKeyEvent Down(QEvent::KeyPress, Key, Modifiers, Text);
        QApplication::sendEvent(Target, &Down);
    }
    // The key may have moved the focus or closed the window it was typed into.
    Target = KeyTarget(Form);
    if (!Target)
        return;
    QKeyEvent Up(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(Target, &Up);
}

// A user types once the window is up; the window system makes it active first.
// The window, or a dialog it shows, has the keyboard.
bool WindowOrDialogActive(const QWidget& Window) {
    const QWidget* Modal = QApplication::activeModalWidget();
    return Window.isActiveWindow() || (Modal && Modal->isActiveWindow());
}

QString PlainCaption(QString Caption) {
    Caption.remove('&');
    if (Caption.endsWith(':'))
        Caption.chop(1);
    return Caption.trimmed();
}

// The open dialog, else the main window.
QWidget& Surface(TKorvidForm& Form) {
    if (QWidget* Modal = QApplication::activeModalWidget())
        return *Modal;
    return Form;
}

QAbstractButton* FindButton(QWidget& Surface, const QString& Caption) {
    for (QAbstractButton* B : Surface.findChildren<QAbstractButton*>())
        if (B->isVisible() && PlainCaption(B->text()) == Caption)
            return B;
    return nullptr;
}

void Click(TKorvidForm& Form, const QString& Caption) {
    if (QAbstractButton* B = FindButton(Surface(Form), Caption))
        B->click();
}

void Set(TKorvidForm& Form, const QString& Caption, const QString& Value) {
    QWidget& Where = Surface(Form);
    if (QAbstractButton* B = FindButton(Where, Caption)) {
        if (B->isCheckable())
            B->setChecked(Value == "on");
        return;
    }
    // A caption may stand on several pages of a dialog; the one shown counts.
    QLabel* Found = nullptr;
    for (QLabel* Label : Where.findChildren<QLabel*>()) {
        if (PlainCaption(Label->text()) != Caption || !Label->buddy())
            continue;
        if (!Found || (Label->isVisible() && !Found->isVisible()))
            Found = Label;
    }
    // A control without a label of its own is named by its object name.
    QWidget* Named = nullptr;
    if (!Found)
        for (QWidget* Widget : Where.findChildren<QWidget*>())
            if (Widget->isVisible() && Widget->objectName() == Caption)
                Named = Widget;
    if (Found || Named) {
        QWidget* Control = Found ? Found->buddy() : Named;
        if (auto* Edit = qobject_cast<QLineEdit*>(Control)) {
            Edit->setText(Value);
        } else if (auto* Spin = qobject_cast<QSpinBox*>(Control)) {
            Spin->setValue(Value.toInt());
        } else if (auto* Combo = qobject_cast<QComboBox*>(Control)) {
            const int Index = Combo->findText(Value);
            if (Index >= 0)
                Combo->setCurrentIndex(Index);
            else if (Combo->isEditable())
                Combo->setEditText(Value);
        }
        return;
    }
}

void Choose(const QString& Path) {
    QWidget* Modal = QApplication::activeModalWidget();
    if (auto* Files = qobject_cast<QFileDialog*>(Modal)) {
        Files->selectFile(Path);
        static_cast<QDialog*>(Files)->accept();
    } else if (auto* Folders = dynamic_cast<TBrowseFolderDialog*>(Modal)) {
        Folders->SelectPath(PathFromQString(Path));
        Folders->accept();
    }
}

void Write(TKorvidForm& Form, const std::string& Path) {
    std::string Text;
    if (TDocumentEditor* Editor = Form.ActiveEditor()) {
        const std::vector<std::string> Lines = Editor->Paragraphs();
        for (std::size_t I = 0; I < Lines.size(); ++I)
            Text += (I ? "\r\n" : "") + Lines[I];
    }
    std::ofstream(Path, std::ios::binary) << Text;
}

// Runs the steps one per turn of the event loop; it deletes itself after the last.
class TScriptRunner : public QObject {
public:
    TScriptRunner(TKorvidForm& Form, std::vector<std::string> Steps)
        : QObject(&Form), FForm(&Form), FSteps(std::move(Steps)) {}

    void Schedule(int Delay = 0) {
        QTimer::singleShot(Delay, this, [this] { Step(); });
    }

private:
    void Step() {
        if (!FForm)
            return;
        // A search, a replace run, a captured command or a VBat run lets events run: the next
        // step waits until its work is done, unless it shows a message to answer.
        if ((FForm->Busy() || FForm->Macros().CapturingCommand() || FForm->VBatRunning()) &&
            !QApplication::activeModalWidget()) {
            Schedule(10);
            return;
        }
        // The first step waits until the start has opened the files named (unless one of them
        // opened a dialog), then until the window or that dialog has the keyboard.
        if (FNext == 0 && FForm->StartingUp() && !QApplication::activeModalWidget()) {
            Schedule(10);
            return;
        }
        if (FNext == 0 && !WindowOrDialogActive(*FForm) && FWaits++ < MaxActivationWaits) {
            Schedule(10);
            return;
        }
        if (FNext >= FSteps.size()) {
            deleteLater();
            return;
        }
        // A user types into a dialog once it is up: its shortcuts work only while it is the
        // active window.
        const QWidget* Modal = QApplication::activeModalWidget();
        if (FSteps[FNext].rfind("key ", 0) == 0 && Modal && !Modal->isActiveWindow() &&
            FWaits++ < MaxActivationWaits) {
            Schedule(10);
            return;
        }
        FWaits = 0;
        const std::string Line = FSteps[FNext++];
        // Scheduled first, so that the steps go on inside a dialog this one opens.
        int Delay = 0;
        if (Line.rfind("wait ", 0) == 0)
            Delay = std::atoi(Line.c_str() + 5);
        Schedule(Delay);
        Run(Line);
    }

    void Run(const std::string& Line) {
        TKorvidForm& Form = *FForm;
        const auto Argument = [&Line](std::size_t Skip) {
            // Names in a script are bytes, as on the command line.
            return PathToQString(Line.substr(Skip));
        };
        if (Line.rfind("type ", 0) == 0) {
            for (const QChar Char : Argument(5))
                Press(Form, Char.toUpper().unicode(), Qt::NoModifier, QString(Char));
        } else if (Line.rfind("key ", 0) == 0) {
            const QKeySequence Sequence(Argument(4));
            if (!Sequence.isEmpty())
                Press(Form, Sequence[0].key(), Sequence[0].keyboardModifiers(), {});
        } else if (Line.rfind("click ", 0) == 0) {
            Click(Form, PlainCaption(Argument(6)));
        } else if (Line.rfind("set ", 0) == 0) {
            const QString Rest = Argument(4);
            const int Arrow = Rest.indexOf(" => ");
            if (Arrow >= 0)
                Set(Form, PlainCaption(Rest.left(Arrow)), Rest.mid(Arrow + 4));
        } else if (Line.rfind("choose ", 0) == 0) {
            Choose(Argument(7));
        } else if (Line.rfind("write ", 0) == 0) {
            Write(Form, Line.substr(6));
        } else if (Line == "close") {
            Form.close();
        }
    }

    QPointer<TKorvidForm> FForm;
    std::vector<std::string> FSteps;
    std::size_t FNext = 0;
    static constexpr int MaxActivationWaits = 300;
    int FWaits = 0;
};

} // namespace

void RunKeyScript(TKorvidForm& Form, const std::string& FileName) {
    std::ifstream File(FileName);
    std::vector<std::string> Steps;
    for (std::string Line; std::getline(File, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        Steps.push_back(Line);
    }
    (new TScriptRunner(Form, std::move(Steps)))->Schedule();
}

void RunKeyScriptFromEnvironment(TKorvidForm& Form) {
    if (const char* Script = std::getenv("KORVID_KEY_SCRIPT"); Script && *Script)
        RunKeyScript(Form, Script);
}

} // namespace korvid
