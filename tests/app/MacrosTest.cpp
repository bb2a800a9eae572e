#include "FormFixture.h"

#include "editor/Editor.h"
#include "editor/engine/EngCommand.h"
#include "platform/VirtualKeyCodes.h"
#include "tests/support/HangGuard.h"
#include "workspace/Keystroke.h"
#include "workspace/PickKeystrokesForm.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

// Macros recorded and played in the window with the program's editor control.
class TMacrosTest : public TProgramFormTest {
protected:
    void SetUp() override {
        TProgramFormTest::SetUp();
        ClearKeystrokes();
        MakeProgramForm();
    }
    void TearDown() override {
        TProgramFormTest::TearDown();
        ClearKeystrokes();
    }

    TEditor& Control() { return static_cast<TEditorDocument*>(Form->ActiveEditor())->Control(); }
    void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(&Control(), K, Modifiers);
    }
    void Type(const QString& Text) { QTest::keyClicks(&Control(), Text); }
    std::string Clipboard() const { return QApplication::clipboard()->text().toStdString(); }
    void Open(const std::string& Name, const std::string& Text) {
        Form->OpenFile(File(Name, Text), false, {});
    }
    void Play(bool Repeat) {
        const THangGuard Guard("playing the macro");
        ToolList()
            .Items(Repeat ? T::EditPlayKeystrokesRepeatedly : T::EditPlayKeystrokes)
            ->Execute();
    }
    std::vector<std::string> Text() const { return Form->ActiveEditor()->Paragraphs(); }
};

TEST_F(TMacrosTest, ARecordingCopiesAsItsSteps) {
    Open("a.txt", "");
    Key(Qt::Key_R, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(ToolDown(T::EditRecordKeystrokes));
    EXPECT_EQ(Form->StatusPanelText(6), "Recording");
    Key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(Form->TabCount(), 2);
    Control().Editor().AutoIndent = true;
    Type("ab");
    Key(Qt::Key_Return);
    Key(Qt::Key_R, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(ToolDown(T::EditRecordKeystrokes));
    EXPECT_EQ(Form->StatusPanelText(6), "");
    Key(Qt::Key_N, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "FileNew\r\nChar(97)\r\nChar(98)\r\nReturn(1)\r\n");

    Key(Qt::Key_R, Qt::ShiftModifier | Qt::ControlModifier);
    Key(Qt::Key_Return, Qt::ShiftModifier);
    Key(Qt::Key_R, Qt::ShiftModifier | Qt::ControlModifier);
    Key(Qt::Key_N, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "Return(0)\r\n");
}

TEST_F(TMacrosTest, PlayingGivesTheTextThatTypingGave) {
    Open("typed.txt", "one\r\ntwo");
    Control().Editor().AutoIndent = true;
    ToolList().Items(T::EditRecordKeystrokes)->Execute();
    Type("  ab");
    Key(Qt::Key_Return);
    Type("cd");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Down);
    Key(Qt::Key_End);
    Type("!");
    ToolList().Items(T::EditRecordKeystrokes)->Execute();
    const auto Typed = Text();
    EXPECT_EQ(Typed.back(), "two!");

    Open("played.txt", "one\r\ntwo");
    Control().Editor().AutoIndent = false; // the step keeps the auto-indent it was typed with
    Play(false);
    EXPECT_EQ(Text(), Typed);
}

// Each pass puts a dash before a line and moves one line down.
TEST_F(TMacrosTest, RepeatedPlayEndsOnTheLastLine) {
    Open("lines.txt", "a\r\nb\r\nc\r\nd");
    ToolList().Items(T::EditRecordKeystrokes)->Execute();
    Type("-");
    Key(Qt::Key_Down);
    Key(Qt::Key_Home);
    ToolList().Items(T::EditRecordKeystrokes)->Execute();
    Play(true);
    EXPECT_EQ(Text(), (std::vector<std::string>{"-a", "-b", "-c", "d"}));
}

TEST_F(TMacrosTest, RepeatedPlayEndsOnAMessageBox) {
    Open("lines.txt", "a\r\nb\r\nc");
    Form->Macros().CommandLines() = {"*"}; // blank once the "*" is gone: a message
    Form->Macros().SetActiveCommandLine(0);
    AddKeystroke(ksChar, nullptr, '-', 0);
    AddKeystroke(ksTool, ToolList().Items(T::ViewRunCommandLine), 0, 0);
    Form->UpdateCommandStates();
    TScriptedModals Dialogs;
    Dialogs.Press("OK");
    Play(true);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Caption, "Run Command Line");
    EXPECT_EQ(Text().front(), "-a");
}

TEST_F(TMacrosTest, RepeatedPlayEndsOnEscape) {
    Open("lines.txt", "a\r\nb");
    AddKeystroke(ksChar, nullptr, 'x', 0); // never reaches the last line
    Form->UpdateCommandStates();
    QCoreApplication::postEvent(&Control(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    Play(true);
    EXPECT_EQ(Text(), (std::vector<std::string>{"xa", "b"}));
}

TEST_F(TMacrosTest, RepeatedPlayEndsAfterAPassThatChangesNothing) {
    Open("lines.txt", "abc\r\nd");
    Form->ActiveEditor()->MoveCaretTo(1, 3);
    const int Before = Form->ActiveEditor()->CaretPosInPara();
    AddKeystroke(ksCommand, nullptr, VK_HOME, ccHome);
    Form->UpdateCommandStates();
    Play(true);
    EXPECT_EQ(Form->ActiveEditor()->CaretPosInPara(), Before - 2);
    EXPECT_EQ(Form->ActiveEditor()->CaretLine(), 1);
}

// Tab switches by key are steps of the macro: played, they switch again, and what was typed
// after a switch goes into the tab switched to.
TEST_F(TMacrosTest, TabSwitchesByKeyPlayBackAsSwitches) {
    for (const char* Name : {"a.txt", "b.txt", "c.txt"})
        Open(Name, "");
    Form->Tabs()->setCurrentIndex(0);
    ToolList().Items(T::EditRecordKeystrokes)->Execute();
    Key(Qt::Key_Tab, Qt::ControlModifier);
    Key(Qt::Key_Tab, Qt::ControlModifier);
    Type("x");
    Key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    ToolList().Items(T::EditRecordKeystrokes)->Execute();
    Key(Qt::Key_N, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "Key(9, Ctrl)\r\nKey(9, Ctrl)\r\nChar(120)\r\nKey(9, Shift, Ctrl)\r\n");
    ASSERT_EQ(Form->ActiveTabIndex(), 1);

    Play(false);
    EXPECT_EQ(Form->ActiveTabIndex(), 2);
    const auto TextOf = [this](int Index) { return Form->EditorAt(Index)->Paragraphs(); };
    EXPECT_EQ(TextOf(0), (std::vector<std::string>{"x"}));
    EXPECT_EQ(TextOf(1), (std::vector<std::string>{""}));
    EXPECT_EQ(TextOf(2), (std::vector<std::string>{"x"}));
}

TEST_F(TMacrosTest, AToolStepClosingTheDocumentEndsThePass) {
    Open("first.txt", "first");
    Open("second.txt", "second");
    AddKeystroke(ksTool, ToolList().Items(T::FileClose), 0, 0);
    AddKeystroke(ksChar, nullptr, 'z', 0);
    AddKeystroke(ksCommand, nullptr, VK_END, ccEnd);
    Form->UpdateCommandStates();
    for (const bool Repeat : {false, true}) {
        Play(Repeat);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(Form->TabCount(), 0);
}

TEST_F(TMacrosTest, PickingDuringPlayIsRefused) {
    File("keys.txt", "[Other]\r\nChar(113)\r\n");
    Form->Options().KeystrokesFilename = (Dir / "keys.txt").string();
    Open("doc.txt", "a\r\nb");
    AddKeystroke(ksChar, nullptr, 'p', 0);
    AddKeystroke(ksTool, ToolList().Items(T::EditPickRecordedKeystrokes), 0, 0);
    AddKeystroke(ksChar, nullptr, 'q', 0);
    Form->UpdateCommandStates();
    Play(false);
    EXPECT_EQ(Text().front(), "pqa");
    EXPECT_EQ(KeystrokesText(Keystrokes()),
              "Char(112)\r\nEditPickRecordedKeystrokes\r\nChar(113)\r\n");
}

TEST_F(TMacrosTest, APickedSetReplacesTheMacro) {
    File("keys.txt", "[First]\r\nChar(49)\r\n[Second]\r\nFileSave\r\nChar(50)\r\n");
    Form->Options().KeystrokesFilename = (Dir / "keys.txt").string();
    Open("doc.txt", "");
    AddKeystroke(ksChar, nullptr, 'x', 0);
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TPickKeystrokesForm>([](TPickKeystrokesForm& Picker) {
        EXPECT_EQ(Picker.windowTitle(), "Pick Recorded Keystrokes");
        ASSERT_EQ(Picker.List()->count(), 2);
        EXPECT_EQ(Picker.Selected(), "First");
        Picker.List()->setCurrentRow(1);
    }));
    Dialogs.Press("OK");
    ToolList().Items(T::EditPickRecordedKeystrokes)->Execute();
    EXPECT_EQ(KeystrokesText(Keystrokes()), "FileSave\r\nChar(50)\r\n");

    TScriptedModals Cancelled;
    Cancelled.Press("Cancel");
    ToolList().Items(T::EditPickRecordedKeystrokes)->Execute();
    EXPECT_EQ(KeystrokesText(Keystrokes()), "FileSave\r\nChar(50)\r\n");

    Form->Options().KeystrokesFilename = (Dir / "missing.txt").string();
    ToolList().Items(T::EditPickRecordedKeystrokes)->Execute(); // no dialog at all
}

} // namespace
} // namespace korvid::test
