#pragma once

#include "foundation/UtilitiesUnit.h"

#include <QDialog>
#include <QPushButton>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QLabel;

namespace korvid {

// Set whenever a message box is shown; the keystroke player clears it before a repeated replay
// and stops when it finds it set.
extern bool MessageBoxShown;

enum class TMessageIcon { None, Information, Question, Warning };

// ---- Layout --------------------------------------------------------------------------------

inline constexpr int MessageMargin = 12;
inline constexpr int MessageIconSize = 32;
inline constexpr int MessageWrapLimit = 450;   // text and margins never grow wider than this
inline constexpr int MessageButtonLimit = 426; // widest button row before buttons shrink
inline constexpr int MessageButtonHeight = 25;
inline constexpr int MessageButtonMinimumWidth = 75;
// Shrinking stops here, so a row that can never fit still ends up laid out.
inline constexpr int MessageButtonNarrowest = 24;

struct TMessageLayout {
    std::vector<std::string> Lines;
    int LineHeight = 0;
    int TextLeft = 0;
    int TextTop = 0;
    int TextWidth = 0;
    int TextHeight = 0;
    std::vector<int> ButtonWidths; // after narrowing
    int ButtonsLeft = 0;
    int ButtonsTop = 0;
    int ClientWidth = 0;
    int ClientHeight = 0;
    int CheckBoxTop = 0; // meaningful only with a visible check box
};

// max(75, caption width + 24).
int MessageButtonWidth(std::string_view Caption, const TMeasureText& Measure);
// Breaks Text at CR (CR LF and LF too) and word-wraps each piece to MaxWidth; Width receives the
// widest line's width.
std::vector<std::string> WrapMessageText(std::string_view Text, int MaxWidth,
                                         const TMeasureText& Measure, int& Width);
// Makes every button one pixel narrower at a time until the row fits the limit or no button
// can shrink any further.
void NarrowMessageButtons(std::vector<int>& Widths);
int ButtonRowWidth(const std::vector<int>& Widths);
TMessageLayout LayOutMessage(std::string_view Text, bool HasIcon, int LineHeight,
                             const TMeasureText& Measure, std::vector<int> ButtonWidths,
                             bool CheckBoxVisible, int CheckBoxHeight);

// ---- The form ------------------------------------------------------------------------------

// What a message box shows, for scripts and tests.
struct TMessageFormState {
    std::string Caption;
    std::string Text;
    TMessageIcon Icon = TMessageIcon::None;
    std::vector<std::string> Buttons;
    std::vector<int> Values;
    int DefaultButton = -1; // index into Buttons
    int CancelButton = -1;
    int FocusButton = -1; // the button that has the focus when the box opens
    bool CheckBoxVisible = false;
    std::string CheckBoxCaption;
    bool CheckBoxChecked = false;
};

class TMessageForm;

class TMessageButton : public QPushButton {
public:
    // Answers false to keep the form open.
    using TCheckHook = std::function<bool()>;

    TMessageButton(TMessageForm& Form, std::string_view Caption, int Value);

    int Value() const { return FValue; }
    TCheckHook Hook;
    bool Cancel = false;

    void Click();

private:
    TMessageForm& FForm;
    int FValue;
};

class TMessageForm : public QDialog {
    Q_OBJECT

public:
    explicit TMessageForm(QWidget* Parent = nullptr);
    ~TMessageForm() override;

    TMessageButton* AddMessageButton(std::string_view Caption, bool IsDefault,
                                     TMessageButton::TCheckHook Hook, int Value, bool IsCancel);
    void SetMessageIcon(TMessageIcon Icon);
    void ShowCheckBox(bool Visible);
    void SetCheckBoxCaption(std::string_view Caption);
    bool CheckBoxChecked() const;
    void SetCheckBoxChecked(bool Checked);
    void SetCaption(std::string_view Caption);
    // The button that has the focus when the form opens (the default one unless changed).
    void SetActiveButton(TMessageButton* Button) { FActiveButton = Button; }

    // Sizes and places the parts and centres the form on the main window's monitor.
    void LayOut();
    // The value of the button that closed the form, or -1 when it was closed without one.
    int ShowMessageForm();

    TMessageFormState State() const;
    const TMessageLayout& Layout() const { return FLayout; }
    bool LaidOut() const { return FLaidOut; }
    const std::vector<TMessageButton*>& Buttons() const { return FButtons; }

    std::string Text;
    int Result = -1;

    void reject() override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    friend class TMessageButton;
    void Finish(int Value);
    TMessageButton* CancelButton() const;
    TMessageButton* EnterButton() const;
    // Presses the button or toggles the check box whose accelerator is Letter (lower case).
    bool PressAccelerator(QChar Letter);

    QLabel* FImage;
    QCheckBox* FCheckBox;
    TMessageIcon FIcon = TMessageIcon::None;
    std::vector<TMessageButton*> FButtons;
    TMessageButton* FActiveButton = nullptr;
    TMessageLayout FLayout;
    bool FLaidOut = false;
};

} // namespace korvid
