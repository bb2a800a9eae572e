#include "app/SingleInstanceUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/WaitUntil.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// Real instances of the built program sharing one user's folders.
class SecondStartTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::vector<std::unique_ptr<QProcess>> Programs;

    void SetUp() override {
        MakeUserFolders(Dir.Path());
        // Settings must exist for a hand-over to take place.
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey("\\" + std::string(RootKeys[CurrentKeyIndex]), true));
        Reg.WriteInteger("Window Width", 800);
    }

    void TearDown() override {
        for (auto& Program : Programs)
            if (Program->state() != QProcess::NotRunning) {
                Program->kill();
                Program->waitForFinished(5000);
            }
    }

    QString EndpointPath() const { return Q(Dir / "runtime" / "korvid-instance"); }

    // The report file where the program shows its modal dialogs (see DialogText).
    fs::path DialogReport() const { return Dir / "dialog.txt"; }

    QProcess& Launch(const QStringList& Arguments, const std::string& KeyScript = {}) {
        QProcessEnvironment Environment = UserEnvironment(Dir.Path());
        Environment.insert("KORVID_DIALOG_REPORT", Q(DialogReport()));
        if (!KeyScript.empty()) {
            const fs::path Script = Dir / ("keys" + std::to_string(Programs.size()) + ".txt");
            WriteFileBytes(Script, KeyScript);
            Environment.insert("KORVID_KEY_SCRIPT", Q(Script));
        }
        auto Program = std::make_unique<QProcess>();
        Program->setProcessEnvironment(Environment);
        Program->start(KORVID_PROGRAM, Arguments);
        Programs.push_back(std::move(Program));
        return *Programs.back();
    }

    QProcess& Start(const QStringList& Arguments, const std::string& KeyScript = {}) {
        QProcess& Program = Launch(Arguments, KeyScript);
        EXPECT_TRUE(Program.waitForStarted(10000));
        return Program;
    }

    // Caption and text of the modal dialog a program shows, once it shows one; empty when none
    // came up in time. The dialog stays open until AnswerDialog.
    std::string DialogText() {
        return WaitFor([&] { return fs::exists(DialogReport()); }) ? ReadFileBytes(DialogReport())
                                                                   : std::string{};
    }

    // Presses Enter in the dialog on the screen and waits until it has gone.
    bool AnswerDialog() {
        WriteFileBytes(Q(DialogReport()).append(".enter").toStdString(), "");
        return WaitFor([&] { return !fs::exists(DialogReport()); });
    }

    template <class TCondition> static bool WaitFor(TCondition Condition) {
        return WaitUntil(Condition);
    }

    bool WaitUntilListening() {
        return WaitFor([&] { return EndpointIsAlive(EndpointPath()); });
    }

    static void ExpectCleanExit(QProcess& Program) {
        const bool Finished =
            Program.state() == QProcess::NotRunning || Program.waitForFinished(30000);
        ASSERT_TRUE(Finished) << Program.arguments().join(' ').toStdString() << '\n'
                              << Program.readAllStandardError().toStdString();
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();
    }

    void CloseThroughTheEndpoint(QProcess& Program) {
        EXPECT_EQ(SendEndpointMessage({WM_CLOSE, 0, 0}, EndpointPath()), 0);
        ExpectCleanExit(Program);
    }

    // Every file the running instances remembered in their history.
    std::string HistoryText() {
        std::string Text;
        for (const auto& Entry : fs::recursive_directory_iterator(Dir / "data"))
            if (Entry.is_regular_file())
                Text += ReadFileBytes(Entry.path());
        return Text;
    }

    std::vector<std::string> InternalValues() {
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        return Reg.OpenKey("\\" + std::string(InternalKey), false) ? Reg.GetValueNames()
                                                                   : std::vector<std::string>{};
    }
};

TEST_F(SecondStartTest, ASecondStartHandsEachOfItsFilesToTheRunningInstance) {
    WriteFileBytes(Dir / "first.txt", "one");
    WriteFileBytes(Dir / "second file.txt", "two");
    WriteFileBytes(Dir / "third.txt", "three");
    QProcess& First = Start({Q(Dir / "first.txt")});
    ASSERT_TRUE(WaitUntilListening());
    QProcess& Second = Start({Q(Dir / "second file.txt"), Q(Dir / "third.txt")});
    ExpectCleanExit(Second);
    EXPECT_EQ(First.state(), QProcess::Running);
    EXPECT_TRUE(InternalValues().empty());
    CloseThroughTheEndpoint(First);
    const std::string History = HistoryText();
    EXPECT_NE(History.find((Dir / "second file.txt").string()), std::string::npos);
    EXPECT_NE(History.find((Dir / "third.txt").string()), std::string::npos);
    EXPECT_FALSE(fs::exists(DialogReport())) << ReadFileBytes(DialogReport());
}

TEST_F(SecondStartTest, EveryArgumentOfAStartIsAFileOfItsOwn) {
    WriteFileBytes(Dir / "a.txt", "a");
    WriteFileBytes(Dir / "b c.txt", "b");
    QProcess& Program = Start({Q(Dir / "a.txt"), Q(Dir / "b c.txt")});
    ASSERT_TRUE(WaitUntilListening());
    CloseThroughTheEndpoint(Program);
    const std::string History = HistoryText();
    EXPECT_NE(History.find((Dir / "a.txt").string()), std::string::npos) << History;
    EXPECT_NE(History.find((Dir / "b c.txt").string()), std::string::npos) << History;
    EXPECT_FALSE(fs::exists(DialogReport())) << ReadFileBytes(DialogReport());
}

// The second start hands over a missing file, so the first shows its "unable to open" message;
// the second start never waits on that message, and may even be killed while it is open.
TEST_F(SecondStartTest, TheRunningInstanceSurvivesASecondStartThatGoesAway) {
    for (const bool Kill : {false, true}) {
        SCOPED_TRACE(Kill ? "killed" : "left to end");
        WriteFileBytes(Dir / "doc.txt", "hello");
        const fs::path Typed = Dir / (Kill ? "typed-killed.txt" : "typed.txt");
        QProcess& First = Start({Q(Dir / "doc.txt")}, "type X\nwrite " + Typed.string() + "\n");
        ASSERT_TRUE(WaitUntilListening());
        // The edit is in before the second start, whose message would otherwise take the key.
        ASSERT_TRUE(WaitFor([&] { return fs::exists(Typed); }));
        QProcess& Second = Start({Q(Dir / "missing.txt")});
        const std::string Shown = DialogText();
        EXPECT_NE(Shown.find("unable to open"), std::string::npos) << Shown;
        EXPECT_NE(Shown.find("missing.txt"), std::string::npos) << Shown;
        if (Kill) {
            Second.kill();
            Second.waitForFinished(10000);
        } else {
            // It has its answer while the message is still open.
            ExpectCleanExit(Second);
        }
        ASSERT_TRUE(AnswerDialog());

        // The first still holds its unsaved edit: closing asks to save it, and Yes saves.
        EXPECT_EQ(SendEndpointMessage({WM_CLOSE, 0, 0}, EndpointPath()), 0);
        const std::string Question = DialogText();
        EXPECT_NE(Question.find("save changes"), std::string::npos) << Question;
        ASSERT_TRUE(AnswerDialog());
        ExpectCleanExit(First);
        EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "Xhello");
    }
}

TEST_F(SecondStartTest, OnAFirstDayASecondStartHandsItsFileOver) {
    fs::remove_all(Dir / "config");
    fs::create_directory(Dir / "config");
    WriteFileBytes(Dir / "later.txt", "later");
    QProcess& First = Start({});
    ASSERT_TRUE(WaitUntilListening());
    QProcess& Second = Start({Q(Dir / "later.txt")});
    ExpectCleanExit(Second);
    EXPECT_EQ(First.state(), QProcess::Running);
    CloseThroughTheEndpoint(First);
    EXPECT_NE(HistoryText().find((Dir / "later.txt").string()), std::string::npos);
}

// Two starts at the same moment: one window takes both files, the other start ends.
TEST_F(SecondStartTest, TwoStartsAtOnceGiveOneWindow) {
    for (int Round = 0; Round < 10; ++Round) {
        SCOPED_TRACE("round " + std::to_string(Round));
        const fs::path A = Dir / ("a" + std::to_string(Round) + ".txt");
        const fs::path B = Dir / ("b" + std::to_string(Round) + ".txt");
        WriteFileBytes(A, "a");
        WriteFileBytes(B, "b");
        QProcess& One = Launch({Q(A)});
        QProcess& Other = Launch({Q(B)});
        ASSERT_TRUE(One.waitForStarted(10000));
        ASSERT_TRUE(Other.waitForStarted(10000));

        // Exactly one of them ends, having handed its file over.
        WaitFor([&] {
            // Waiting is what updates a QProcess's state.
            return !One.waitForFinished(10) && !Other.waitForFinished(10) &&
                   (One.state() != QProcess::Running || Other.state() != QProcess::Running);
        });
        QProcess& Ended = One.state() == QProcess::Running ? Other : One;
        QProcess& Running = &Ended == &One ? Other : One;
        ExpectCleanExit(Ended);
        ASSERT_EQ(Running.state(), QProcess::Running);
        CloseThroughTheEndpoint(Running);
        const std::string History = HistoryText();
        EXPECT_NE(History.find(A.string()), std::string::npos);
        EXPECT_NE(History.find(B.string()), std::string::npos);
    }
}

TEST_F(SecondStartTest, NewInstanceRunsAWindowOfItsOwn) {
    WriteFileBytes(Dir / "own.txt", "text");
    QProcess& First = Start({});
    ASSERT_TRUE(WaitUntilListening());
    QProcess& Second = Start({"/newinstance", Q(Dir / "own.txt")}, "type X\nkey Ctrl+S\nclose\n");
    ExpectCleanExit(Second);
    EXPECT_EQ(ReadFileBytes(Dir / "own.txt"), "Xtext");
    EXPECT_EQ(First.state(), QProcess::Running);
    CloseThroughTheEndpoint(First);
}

TEST_F(SecondStartTest, ASocketLeftByACrashedInstanceIsTakenOver) {
    const int Fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(Fd, 0);
    sockaddr_un Address{};
    Address.sun_family = AF_UNIX;
    const std::string File = EndpointPath().toStdString();
    std::strncpy(Address.sun_path, File.c_str(), sizeof(Address.sun_path) - 1);
    ASSERT_EQ(::bind(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)), 0);
    ::close(Fd);
    QProcess& Program = Start({});
    ASSERT_TRUE(WaitUntilListening());
    CloseThroughTheEndpoint(Program);
}

TEST_F(SecondStartTest, ABatchRunIsNeverHandedOver) {
    QProcess& First = Start({});
    ASSERT_TRUE(WaitUntilListening());
    QProcess& Batch = Start({"COMPILE:" + Q(Dir / "request.txt")});
    ASSERT_TRUE(Batch.waitForFinished(30000));
    EXPECT_NE(Batch.exitCode(), 0); // it ran (and could not compile here) instead of handing over
    EXPECT_TRUE(InternalValues().empty());
    CloseThroughTheEndpoint(First);
}

} // namespace
} // namespace korvid::test
