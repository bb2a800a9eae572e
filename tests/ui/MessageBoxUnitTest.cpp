#include "ui/MessageBoxUnit.h"

#include "ui/ModalRunner.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace korvid {
namespace {

// Fixed metrics: every character is 5 pixels wide, so "OK" needs 10 and gets the 75 minimum.
int FiveEach(std::string_view S) {
    return static_cast<int>(S.size()) * 5;
}

constexpr int LineHeight = 13;

TMessageLayout LayOut(std::string_view Text, bool HasIcon, std::vector<int> Buttons,
                      bool CheckBox = false) {
    return LayOutMessage(Text, HasIcon, LineHeight, FiveEach, std::move(Buttons), CheckBox, 17);
}

TEST(MessageLayoutTest, OneLineBesideTheIconWithOneOkButton) {
    const std::string Line(40, 'x'); // 200 pixels
    ASSERT_EQ(MessageButtonWidth("OK", FiveEach), 75);
    const TMessageLayout L = LayOut(Line, true, {75});
    EXPECT_EQ(L.TextLeft, 56);
    EXPECT_EQ(L.TextTop, (32 - 13) / 3 + 12);
    EXPECT_EQ(L.TextWidth, 200);
    EXPECT_EQ(L.ClientWidth, 268);
    EXPECT_EQ(L.ButtonsLeft, 96);
    EXPECT_EQ(L.ButtonsTop, 62);
    EXPECT_EQ(L.ClientHeight, 99);
}

TEST(MessageLayoutTest, TextTopByLineCountAndIcon) {
    struct TCase {
        std::string Text;
        bool HasIcon;
        int TextTop;
        int ButtonsTop;
    };
    const TCase Cases[] = {
        {"one", true, 18, 62},         // level with the icon
        {"one\rtwo", true, 14, 62},    // 26 high: (32 - 26) / 3 + 12
        {"a\rb\rc", true, 12, 69},     // 39 high: taller than the icon
        {"one", false, 12, 62},        // no icon: the margin
        {"a\rb\rc\rd", false, 12, 82}, // 52 high
        {"", true, 18, 62},            // an empty text is one empty line
        {"a\r\nb\nc", true, 12, 69},   // CR LF and LF break lines too
        {"a\r\rb", true, 12, 69},      // two CRs give an empty line
    };
    for (const TCase& C : Cases) {
        const TMessageLayout L = LayOut(C.Text, C.HasIcon, {75});
        EXPECT_EQ(L.TextTop, C.TextTop) << C.Text;
        EXPECT_EQ(L.ButtonsTop, C.ButtonsTop) << C.Text;
        EXPECT_EQ(L.TextLeft, C.HasIcon ? 56 : 12);
    }
    EXPECT_EQ(LayOut("a\r\rb", true, {75}).Lines, (std::vector<std::string>{"a", "", "b"}));
}

TEST(MessageLayoutTest, WrapsAtBlanksWithinTheWidth) {
    // With the icon the text may be 450 - 68 = 382 pixels wide: 76 characters.
    const std::string Word(30, 'w');
    const std::string Text = Word + " " + Word + " " + Word; // 92 characters
    const TMessageLayout L = LayOut(Text, true, {75});
    ASSERT_EQ(L.Lines.size(), 2u);
    EXPECT_EQ(L.Lines[0], Word + " " + Word);
    EXPECT_EQ(L.Lines[1], Word);
    EXPECT_EQ(L.TextWidth, 61 * 5);
    EXPECT_EQ(L.ClientWidth, 56 + 12 + 305);
}

TEST(MessageLayoutTest, AWordWiderThanTheBoxIsBrokenNotClipped) {
    const std::string Path = "C:\\" + std::string(100, 'p'); // 515 pixels in one word
    const TMessageLayout L = LayOut("Cannot open " + Path, true, {75});
    ASSERT_EQ(L.Lines.size(), 3u);
    EXPECT_EQ(L.Lines[0], "Cannot open");
    EXPECT_EQ(L.Lines[1].size(), 76u); // as many characters as fit in 382 pixels
    EXPECT_EQ(L.Lines[1] + L.Lines[2], Path);
    EXPECT_LE(L.TextWidth, 382);
    EXPECT_LE(L.ClientWidth, 450);
}

TEST(MessageLayoutTest, WideButtonRowsNarrowAllButtonsAlike) {
    const TMessageLayout L = LayOut("Which?", true, {120, 120, 120, 120});
    EXPECT_EQ(L.ButtonWidths, (std::vector<int>{97, 97, 97, 97}));
    EXPECT_LE(ButtonRowWidth(L.ButtonWidths), 426);
    EXPECT_EQ(L.ClientWidth, 4 * 97 + 36 + 24);
    EXPECT_EQ(L.ButtonsLeft, 12);

    std::vector<int> Fitting = {75, 75};
    NarrowMessageButtons(Fitting);
    EXPECT_EQ(Fitting, (std::vector<int>{75, 75}));
}

TEST(MessageLayoutTest, NarrowingEndsEvenWhenTheRowCannotFit) {
    std::vector<int> Many(40, 75); // 39 gaps alone are wider than the limit
    NarrowMessageButtons(Many);
    EXPECT_EQ(Many, std::vector<int>(40, MessageButtonNarrowest));
}

TEST(MessageLayoutTest, CheckBoxGoesBelowTheButtons) {
    const TMessageLayout L = LayOut("Text", true, {75, 75}, true);
    EXPECT_EQ(L.CheckBoxTop, L.ButtonsTop + 37);
    EXPECT_EQ(L.ClientHeight, L.ButtonsTop + 37 + 17 + 12);
}

// ---- The form ----------------------------------------------------------------------------

class MessageFormTest : public ::testing::Test {
protected:
    MessageFormTest() {
        Form.Text = "Save the list?";
        Form.SetMessageIcon(TMessageIcon::Question);
        Form.AddMessageButton(
            "&Save As...", true, [this] { return HookAnswer; }, 1, false);
        Form.AddMessageButton("&Discard", false, {}, 0, true);
    }

    TMessageForm Form;
    bool HookAnswer = false;
};

TEST_F(MessageFormTest, AButtonWhoseHookAnswersFalseLeavesTheFormOpen) {
    TScriptedModals Script;
    Script.Press("&Save As...");
    EXPECT_EQ(Form.ShowMessageForm(), -1); // still open when the script ran out
    EXPECT_EQ(Script.Unanswered(), 1);

    HookAnswer = true;
    TScriptedModals Again;
    Again.Press("&Save As...");
    EXPECT_EQ(Form.ShowMessageForm(), 1);
    EXPECT_EQ(Again.Unanswered(), 0);
}

TEST_F(MessageFormTest, EscPressesTheCancelButtonAndTheCloseBoxAnswersMinusOne) {
    {
        TScriptedModals Script;
        Script.Then(PressEscape());
        EXPECT_EQ(Form.ShowMessageForm(), 0);
    }
    {
        TScriptedModals Script;
        Script.Then(CloseBox());
        EXPECT_EQ(Form.ShowMessageForm(), -1);
    }
}

// A key typed into the box, as the keyboard delivers it: to the button with the focus first.
TModalStep TypeKey(int Key, const QString& Text, Qt::KeyboardModifiers Modifiers = {}) {
    return [=](QDialog& Dialog) {
        QKeyEvent Press(QEvent::KeyPress, Key, Modifiers, Text);
        QWidget* Target = Dialog.focusWidget() ? Dialog.focusWidget() : &Dialog;
        QCoreApplication::sendEvent(Target, &Press);
    };
}

TEST_F(MessageFormTest, TheAcceleratorLetterAlonePressesItsButton) {
    struct TCase {
        int Key;
        QString Text;
        Qt::KeyboardModifiers Modifiers;
        int Result; // -1: the box stayed open
    };
    HookAnswer = true;
    const std::vector<TCase> Cases = {
        {Qt::Key_D, "d", Qt::NoModifier, 0},
        {Qt::Key_D, "D", Qt::ShiftModifier, 0},
        {Qt::Key_S, "s", Qt::NoModifier, 1},
        {Qt::Key_A, "a", Qt::NoModifier, -1}, // no button has it
        {Qt::Key_D, "d", Qt::ControlModifier, -1},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Text.toStdString());
        TScriptedModals Script;
        Script.Then(TypeKey(Case.Key, Case.Text, Case.Modifiers));
        EXPECT_EQ(Form.ShowMessageForm(), Case.Result);
    }
}

TEST_F(MessageFormTest, TheCheckBoxLetterTogglesIt) {
    TMessageForm Other;
    Other.AddMessageButton("OK", true, {}, 0, true);
    Other.ShowCheckBox(true);
    Other.SetCheckBoxCaption("S&how this next time");
    TScriptedModals Script;
    Script.Then(TypeKey(Qt::Key_H, "h")).Then(PressEnter());
    EXPECT_EQ(Other.ShowMessageForm(), 0);
    EXPECT_FALSE(Other.CheckBoxChecked());
}

TEST_F(MessageFormTest, EscWithoutACancelButtonClosesWithMinusOne) {
    TMessageForm Lone;
    Lone.AddMessageButton("OK", true, {}, 5, false);
    TScriptedModals Script;
    Script.Then(PressEscape());
    EXPECT_EQ(Lone.ShowMessageForm(), -1);
    TScriptedModals Again;
    Again.Then(PressEnter());
    EXPECT_EQ(Lone.ShowMessageForm(), 5);
}

TEST_F(MessageFormTest, ShowingLaysOutOnceAndPlacesTheParts) {
    TScriptedModals Script;
    Script.Then(CloseBox());
    Form.ShowMessageForm();
    ASSERT_TRUE(Form.LaidOut());
    const TMessageLayout& L = Form.Layout();
    EXPECT_EQ(Form.width(), L.ClientWidth);
    EXPECT_EQ(Form.height(), L.ClientHeight);
    const auto& Buttons = Form.Buttons();
    ASSERT_EQ(Buttons.size(), 2u);
    EXPECT_EQ(Buttons[0]->x(), L.ButtonsLeft);
    EXPECT_EQ(Buttons[0]->y(), L.ButtonsTop);
    EXPECT_EQ(Buttons[1]->x(), Buttons[0]->x() + Buttons[0]->width() + 12);
    EXPECT_GE(Buttons[0]->width(), 75);
    EXPECT_EQ(Buttons[0]->height(), 25);

    // Moved after laying out (as the replace question does): showing keeps the place.
    Form.move(7, 9);
    TScriptedModals Again;
    Again.Then(CloseBox());
    Form.ShowMessageForm();
    EXPECT_EQ(Form.pos(), QPoint(7, 9));
}

TEST_F(MessageFormTest, StateReportsWhatIsShown) {
    Form.SetCaption("Korvid");
    Form.ShowCheckBox(true);
    Form.SetCheckBoxCaption("&Show this next time");
    const TMessageFormState S = Form.State();
    EXPECT_EQ(S.Caption, "Korvid");
    EXPECT_EQ(S.Text, "Save the list?");
    EXPECT_EQ(S.Icon, TMessageIcon::Question);
    EXPECT_EQ(S.Buttons, (std::vector<std::string>{"&Save As...", "&Discard"}));
    EXPECT_EQ(S.Values, (std::vector<int>{1, 0}));
    EXPECT_EQ(S.DefaultButton, 0);
    EXPECT_EQ(S.CancelButton, 1);
    EXPECT_EQ(S.FocusButton, 0);
    EXPECT_TRUE(S.CheckBoxVisible);
    EXPECT_TRUE(S.CheckBoxChecked);
}

} // namespace
} // namespace korvid
