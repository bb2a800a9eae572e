#include "ui/ModalRunner.h"

#include "platform/Cp1252.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>

namespace korvid {

namespace {

int RealModalRunner(QDialog& Dialog) {
    return Dialog.exec();
}

TModalRunner& InstalledRunner() {
    static TModalRunner Runner;
    return Runner;
}

void SendKey(QDialog& Dialog, int Key) {
    QKeyEvent Press(QEvent::KeyPress, Key, Qt::NoModifier);
    QCoreApplication::sendEvent(&Dialog, &Press);
}

} // namespace

int RunModal(QDialog& Dialog) {
    const TModalRunner& Runner = InstalledRunner();
    return Runner ? Runner(Dialog) : RealModalRunner(Dialog);
}

TModalRunner InstallModalRunner(TModalRunner Runner) {
    TModalRunner Previous = std::move(InstalledRunner());
    InstalledRunner() = std::move(Runner);
    return Previous;
}

TModalStep PressButton(std::string Caption) {
    return [Caption = std::move(Caption)](QDialog& Dialog) {
        const QString Wanted = ToQString(Caption);
        for (QAbstractButton* Button : Dialog.findChildren<QAbstractButton*>())
            if (Button->text() == Wanted) {
                Button->click();
                return;
            }
    };
}

TModalStep PressEscape() {
    return [](QDialog& Dialog) { SendKey(Dialog, Qt::Key_Escape); };
}

TModalStep PressEnter() {
    return [](QDialog& Dialog) { SendKey(Dialog, Qt::Key_Return); };
}

TModalStep CloseBox() {
    // A hidden dialog ignores close(); the close box ends in reject() either way.
    return [](QDialog& Dialog) { Dialog.reject(); };
}

TModalStep TickCheckBox(bool Checked) {
    return ActOn<TMessageForm>([Checked](TMessageForm& Form) { Form.SetCheckBoxChecked(Checked); });
}

TScriptedModals::TScriptedModals()
    : FPrevious(InstallModalRunner([this](QDialog& Dialog) { return Run(Dialog); })) {}

TScriptedModals::~TScriptedModals() {
    InstallModalRunner(std::move(FPrevious));
}

TScriptedModals& TScriptedModals::Then(TModalStep Step) {
    FSteps.push_back(std::move(Step));
    return *this;
}

TScriptedModals& TScriptedModals::Press(std::string Caption) {
    return Then(PressButton(std::move(Caption)));
}

int TScriptedModals::Run(QDialog& Dialog) {
    TShownDialog Shown;
    Shown.ClassName = Dialog.metaObject()->className();
    Shown.Caption = FromQString(Dialog.windowTitle());
    if (const auto* Form = dynamic_cast<const TMessageForm*>(&Dialog))
        Shown.Message = Form->State();
    FShown.push_back(std::move(Shown));

    bool Finished = false;
    const QMetaObject::Connection Watch =
        QObject::connect(&Dialog, &QDialog::finished, [&Finished] { Finished = true; });
    Dialog.setResult(QDialog::Rejected);
    while (!Finished && FNext < static_cast<int>(FSteps.size())) {
        // Copied: a step that adds steps may move the queue.
        const TModalStep Step = FSteps[static_cast<std::size_t>(FNext++)];
        Step(Dialog);
    }
    if (!Finished) {
        ++FUnanswered;
        Dialog.reject();
    }
    QObject::disconnect(Watch);
    return Dialog.result();
}

} // namespace korvid
