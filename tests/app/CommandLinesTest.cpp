#include "FormFixture.h"

#include "tests/app/RecordingLauncher.h"
#include "tests/support/HangGuard.h"
#include "workspace/CommandLinesForm.h"
#include "workspace/ToolIndexes.h"

#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace korvid::test {
namespace {

namespace T = ToolIndex;
namespace fs = std::filesystem;

class TCommandLinesTest : public TProgramFormTest {
protected:
    // A shell script that can be run.
    std::string Script(const std::string& Name, const std::string& Body) {
        const fs::path Path = Dir / Name;
        fs::create_directories(Path.parent_path());
        WriteFileBytes(Path, "#!/bin/sh\n" + Body + "\n");
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add);
        return Path.string();
    }
    void RunActive(const std::string& Line) {
        Form->Macros().CommandLines() = {Line};
        Form->Macros().SetActiveCommandLine(0);
        Form->UpdateCommandStates();
        const THangGuard Guard("running " + Line);
        ToolList().Items(T::ViewRunCommandLine)->Execute();
    }
    std::string Joined() const {
        std::string Text;
        for (const auto& Line : Form->ActiveEditor()->Paragraphs())
            Text += Line + "\n";
        return Text;
    }
};

TEST_F(TCommandLinesTest, CapturedOutputReplacesTheSelectionWholeAndInOrder) {
    const auto Both = Script("both.sh", "i=0\n"
                                        "while [ $i -lt 700 ]; do\n"
                                        "  printf 'out%04d\\n' $i\n"
                                        "  printf 'err%04d\\n' $i >&2\n"
                                        "  i=$((i+1))\n"
                                        "done\n"
                                        "printf 'x\\000y'");
    MakeProgramForm();
    Form->OpenFile(File("doc.txt", "<selected>tail"), false, {});
    Form->ActiveEditor()->SelectAll();
    Form->ActiveEditor()->MoveCaretTo(1, 1);
    TScriptedModals Dialogs;
    Form->Macros().RunCommandLine(Both, Form->ActiveEditor(), true);
    std::string Expected;
    for (int I = 0; I < 700; ++I) {
        char Line[32];
        std::snprintf(Line, sizeof Line, "out%04d\nerr%04d\n", I, I);
        Expected += Line;
    }
    EXPECT_EQ(Joined(), Expected + "xy<selected>tail\n");
    EXPECT_TRUE(Dialogs.Shown().empty());
}

TEST_F(TCommandLinesTest, CaptureDecodesUtf8AndClosesTheInput) {
    const auto Accent = Script("accent.sh", "printf 'caf\\303\\251 \\351'");
    const auto Reader = Script("reader.sh", "read Line\necho \"read:$Line.\"");
    MakeProgramForm();
    Form->NewTab("File 1");
    Form->Macros().RunCommandLine(Accent, Form->ActiveEditor(), true);
    // Valid UTF-8 is decoded; a lone byte is taken as it stands.
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs(), (std::vector<std::string>{"caf\xE9 \xE9"}));
    Form->ActiveEditor()->SelectAll();
    const THangGuard Guard("a script reading its input");
    Form->Macros().RunCommandLine(Reader, Form->ActiveEditor(), true);
    EXPECT_EQ(Joined(), "read:.\n\n");
}

TEST_F(TCommandLinesTest, EscapeStopsACaptureAndKeepsWhatItWrote) {
    const fs::path Marker = Dir / "started";
    const auto Sleeper =
        Script("sleeper.sh", "echo before\ntouch '" + Marker.string() + "'\nsleep 60\necho after");
    MakeProgramForm();
    Form->NewTab("File 1");
    std::string Status;
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, [&] {
        if (!fs::exists(Marker))
            return;
        Poll.stop();
        Status = Form->statusBar()->currentMessage().toStdString();
        // Other input is held back while the command runs.
        QTest::keyClick(Form->ActiveEditor(), Qt::Key_Q);
        QCoreApplication::postEvent(
            Form->ActiveEditor(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    Poll.start(10);
    const THangGuard Guard("stopping a sleeping script");
    Form->Macros().RunCommandLine(Sleeper, Form->ActiveEditor(), true);
    EXPECT_EQ(Status, "Running: " + Sleeper + ". Press Esc to stop.");
    EXPECT_EQ(Joined(), "before\n\n");
    EXPECT_TRUE(Form->statusBar()->currentMessage().isEmpty());
}

TEST_F(TCommandLinesTest, ADetachedRunStartsInItsProgramsFolder) {
    const auto Where = Script("tools/where.sh", "pwd > \"$1\"");
    fs::create_directory(Dir / "out");
    const fs::path Result = Dir / "out" / "result.txt";
    MakeProgramForm();
    const QString Before = QDir::currentPath();
    TScriptedModals Dialogs;
    Form->Macros().RunCommandLine(Where + " " + Result.string(), nullptr, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(Result) && fs::file_size(Result) > 0; }));
    EXPECT_EQ(ReadFileBytes(Result), (Dir / "tools").string() + "\n");
    EXPECT_EQ(QDir::currentPath(), Before);
    EXPECT_TRUE(Dialogs.Shown().empty());
}

TEST_F(TCommandLinesTest, ALineThatCannotRunSaysWhy) {
    Script("plain.txt", "");
    fs::permissions(Dir / "plain.txt",
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::remove);
    const auto Folder = Dir.Path().string();
    const struct {
        std::string Line;
        std::string Text;
    } Cases[] = {
        {"   ", "The currently selected command line is blank."},
        {"no-such-program-anywhere -x",
         "no-such-program-anywhere -x\r\rKorvid was unable to find this file."},
        {Folder + "/missing.sh", Folder + "/missing.sh\r\rKorvid was unable to find this file."},
        {Folder + "/nowhere/x.sh a",
         Folder + "/nowhere/x.sh a\r\rKorvid was unable to find this path."},
        {Folder + "/plain.txt", Folder + "/plain.txt\r\rThis is not an executable file."},
        {Folder, Folder + "\r\rThis is not an executable file."},
    };
    TRecordingLauncher* Launcher = nullptr;
    Services.Launcher = MakeRecordingLauncher(Launcher);
    MakeProgramForm();
    for (const auto& C : Cases) {
        TScriptedModals Dialogs;
        Dialogs.Press("OK");
        Form->Macros().RunCommandLine(C.Line, nullptr, false);
        ASSERT_EQ(Dialogs.Shown().size(), 1u) << C.Line;
        EXPECT_EQ(Dialogs.Last().Caption, "Run Command Line");
        EXPECT_EQ(Dialogs.Last().Message->Text, C.Text);
    }
    EXPECT_TRUE(Launcher->Starts.empty());

    Launcher->Succeeds = false;
    TScriptedModals Dialogs;
    Dialogs.Press("OK");
    Form->Macros().RunCommandLine("sh -c true", nullptr, false);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Message->Text,
              "sh -c true\r\rKorvid was unable to run this command line.");
}

TEST_F(TCommandLinesTest, APlainLineSavesEveryDocumentFirstACapturedOneNothing) {
    TRecordingLauncher* Launcher = nullptr;
    Services.Launcher = MakeRecordingLauncher(Launcher);
    MakeProgramForm();
    const auto First = File("first.txt", "1");
    const auto Second = File("second.txt", "2");
    for (const auto& Name : {First, Second}) {
        Form->OpenFile(Name, false, {});
        Form->ActiveEditor()->InsertTextAtCaret("+");
    }
    RunActive("no-such-program-anywhere*");
    EXPECT_EQ(ReadFileBytes(First), "1");
    EXPECT_EQ(ReadFileBytes(Second), "2");
    EXPECT_EQ(Form->ActiveEditor()->Paragraphs(), (std::vector<std::string>{"+2"}));

    RunActive("sh -c \"echo 'a b'\" second");
    EXPECT_EQ(ReadFileBytes(First), "+1");
    EXPECT_EQ(ReadFileBytes(Second), "+2");
    ASSERT_EQ(Launcher->Starts.size(), 1u);
    EXPECT_TRUE(Launcher->Starts[0].Program.endsWith("/sh"));
    EXPECT_EQ(Launcher->Starts[0].Arguments, (QStringList{"-c", "echo 'a b'", "second"}));
    EXPECT_TRUE(Launcher->Starts[0].Folder.isEmpty());
}

// ---- The dialog ----

class TCommandLinesFormTest : public ::testing::Test {
protected:
    TCommandLinesForm Dialog;

    bool Enabled() const {
        const bool Modify = Dialog.ModifyButton()->isEnabled();
        EXPECT_EQ(Dialog.DeleteButton()->isEnabled(), Modify);
        EXPECT_EQ(Dialog.RunButton()->isEnabled(), Modify);
        return Modify;
    }
};

TEST_F(TCommandLinesFormTest, ModifyDeleteAndRunNeedASelection) {
    Dialog.SetLines({"make", "make test*"}, -1);
    EXPECT_FALSE(Enabled());
    Dialog.List()->setCurrentRow(1);
    EXPECT_TRUE(Enabled());
    std::vector<std::string> Ran;
    Dialog.OnRun = [&](const std::string& Line) { Ran.push_back(Line); };
    Dialog.RunButton()->click();
    EXPECT_EQ(Ran, (std::vector<std::string>{"make test*"}));
    Dialog.DeleteButton()->click();
    EXPECT_EQ(Dialog.Lines(), (std::vector<std::string>{"make"}));
    Dialog.List()->clearSelection();
    EXPECT_FALSE(Enabled());
}

TEST_F(TCommandLinesFormTest, EnterAndEscapeEndTheEditNotTheDialog) {
    Dialog.SetLines({"make"}, 0);
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    Dialog.NewButton()->click();
    ASSERT_TRUE(Dialog.Editing());
    EXPECT_FALSE(Dialog.OkButton()->isDefault());
    auto* Edit = Dialog.List()->findChild<QLineEdit*>();
    ASSERT_NE(Edit, nullptr);
    QTest::keyClicks(Edit, "ls -l");
    QTest::keyClick(Edit, Qt::Key_Return);
    QCoreApplication::processEvents(); // the edit ends once the key is handled
    EXPECT_TRUE(Dialog.isVisible());
    EXPECT_FALSE(Dialog.Editing());
    EXPECT_TRUE(Dialog.OkButton()->isDefault());
    EXPECT_EQ(Dialog.Lines(), (std::vector<std::string>{"make", "ls -l"}));

    Dialog.ModifyButton()->click();
    ASSERT_TRUE(Dialog.Editing());
    Edit = Dialog.List()->findChild<QLineEdit*>();
    ASSERT_NE(Edit, nullptr);
    QTest::keyClicks(Edit, "changed");
    QTest::keyClick(Edit, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Dialog.isVisible());
    EXPECT_EQ(Dialog.Lines(), (std::vector<std::string>{"make", "ls -l"}));
    EXPECT_EQ(Dialog.result(), 0);
}

TEST_F(TCommandLinesTest, CommandLinesAreSavedOrOfferedElsewhere) {
    MakeForm();
    Form->Macros().CommandLines() = {"make", "make test"};
    std::string Name = (Dir / "lines.txt").string();
    Form->Macros().SaveCommandLines(Name);
    EXPECT_EQ(ReadFileBytes(Name), "make\r\nmake test\r\n");
    std::string Bad = (Dir / "missing" / "lines.txt").string();
    TScriptedModals Modals;
    Modals.Press("&Discard");
    Form->Macros().SaveCommandLines(Bad);
    EXPECT_EQ(Modals.Shown().size(), 1u);
}

TEST_F(TCommandLinesTest, TheDialogsListAndChoiceSurviveARestart) {
    MakeProgramForm();
    Form->Macros().CommandLines() = {"make", "ls"};
    Form->Macros().SetActiveCommandLine(0);
    TScriptedModals Dialogs;
    Dialogs.Then(ActOn<TCommandLinesForm>([](TCommandLinesForm& D) {
        EXPECT_EQ(D.windowTitle(), "Command Lines");
        EXPECT_EQ(D.SelectedIndex(), 0);
        D.List()->item(1)->setText("ls -a");
        D.List()->setCurrentRow(1);
    }));
    Dialogs.Press("OK");
    ToolList().Items(T::ViewCommandLines)->Execute();
    EXPECT_EQ(Form->Macros().CommandLines(), (std::vector<std::string>{"make", "ls -a"}));
    EXPECT_EQ(Form->Macros().ActiveCommandLine(), 1);
    EXPECT_TRUE(ToolEnabled(T::ViewRunCommandLine));

    TScriptedModals Cancelled;
    Cancelled.Then(
        ActOn<TCommandLinesForm>([](TCommandLinesForm& D) { D.DeleteButton()->click(); }));
    Cancelled.Press("Cancel");
    ToolList().Items(T::ViewCommandLines)->Execute();
    EXPECT_EQ(Form->Macros().CommandLines(), (std::vector<std::string>{"make", "ls -a"}));

    ASSERT_TRUE(Form->FormCloseQuery());
    Form.reset();
    MakeProgramForm();
    EXPECT_EQ(Form->Macros().CommandLines(), (std::vector<std::string>{"make", "ls -a"}));
    EXPECT_EQ(Form->Macros().ActiveCommandLine(), 1);
}

} // namespace
} // namespace korvid::test
