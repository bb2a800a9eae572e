#pragma once

#include "ui/MessageBoxUnit.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QDialog;

namespace korvid {

// Shows a dialog modally and answers its result code (QDialog::Accepted, Rejected, ...).
using TModalRunner = std::function<int(QDialog& Dialog)>;

// Every modal dialog of the program goes through here, so that a test can answer it without an
// event loop.
int RunModal(QDialog& Dialog);
// Installs Runner and answers the one it replaces; an empty Runner restores the real one.
TModalRunner InstallModalRunner(TModalRunner Runner);

// ---- Scripting dialogs in tests ---------------------------------------------------------------

// One dialog as it came on the screen, read before any scripted step touched it.
struct TShownDialog {
    std::string ClassName; // such as "korvid::TMessageForm"
    std::string Caption;
    std::optional<TMessageFormState> Message; // set for message boxes
};

// What a script does to the dialog on the screen: fill it in, press a button, close it.
using TModalStep = std::function<void(QDialog& Dialog)>;

// Clicks the button (of any dialog) whose caption is exactly Caption, accelerator "&" included.
TModalStep PressButton(std::string Caption);
// Esc and Enter as the keyboard delivers them.
TModalStep PressEscape();
TModalStep PressEnter();
// The title bar's close box.
TModalStep CloseBox();
// Sets the check box of a message box.
TModalStep TickCheckBox(bool Checked);
// Runs Action on the dialog when it is a T (the step does nothing otherwise).
template <class T> TModalStep ActOn(std::function<void(T&)> Action) {
    return [Action = std::move(Action)](QDialog& Dialog) {
        if (auto* Typed = dynamic_cast<T*>(&Dialog))
            Action(*Typed);
    };
}

// While it lives, dialogs are not shown: each one is recorded and handed the next scripted steps
// in order until it closes. Dialogs opened from inside a step (a Save As dialog over a message
// box) take their steps from the same queue. A dialog still open when the steps run out is
// closed with its close box and counted as unanswered.
class TScriptedModals {
public:
    TScriptedModals();
    ~TScriptedModals();
    TScriptedModals(const TScriptedModals&) = delete;
    TScriptedModals& operator=(const TScriptedModals&) = delete;

    TScriptedModals& Then(TModalStep Step);
    // Shorthand for Then(PressButton(Caption)).
    TScriptedModals& Press(std::string Caption);

    const std::vector<TShownDialog>& Shown() const { return FShown; }
    const TShownDialog& Last() const { return FShown.back(); }
    int Unanswered() const { return FUnanswered; }
    int StepsLeft() const { return static_cast<int>(FSteps.size()) - FNext; }

private:
    int Run(QDialog& Dialog);

    TModalRunner FPrevious;
    std::vector<TModalStep> FSteps;
    int FNext = 0;
    std::vector<TShownDialog> FShown;
    int FUnanswered = 0;
};

} // namespace korvid
