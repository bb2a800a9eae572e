#include "tests/app/XServer.h"
#include "tests/app/ProgramProcess.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace korvid::test {
namespace {

// The built program under a real X server, typed into by the X server's own test keyboard.
class TXServerTest : public ::testing::Test {
protected:
    TTempDir Dir;
    QString XdoTool;
    std::unique_ptr<TXServer> Server;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();

    void SetUp() override {
        const QString Xvfb = QStandardPaths::findExecutable("Xvfb");
        XdoTool = QStandardPaths::findExecutable("xdotool");
        if (Xvfb.isEmpty() || XdoTool.isEmpty())
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        Server = std::make_unique<TXServer>(Xvfb);
        ASSERT_FALSE(Server->Display().isEmpty()) << "no X server could be started";
        MakeUserFolders(Dir.Path());
        Environment = UserEnvironment(Dir.Path(), "xcb");
        Environment.insert("DISPLAY", Server->Display());
    }

    // Runs xdotool to its end; its output without the final line end.
    std::string Xdo(const QStringList& Arguments) {
        QProcess Tool;
        Tool.setProcessEnvironment(Environment);
        Tool.start(XdoTool, Arguments);
        if (!Tool.waitForFinished(30000))
            StopProcess(Tool);
        return Tool.readAllStandardOutput().trimmed().toStdString();
    }
};

TEST_F(TXServerTest, TypingRightAfterStartGoesIntoTheDocumentUnderItsExactCaption) {
    WriteFileBytes(Dir / "doc.txt", "world");
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {Q(Dir / "doc.txt")});
    ASSERT_TRUE(Program.waitForStarted(10000));

    // As soon as the window is there, with no click into it.
    const std::string Window = Xdo({"search", "--sync", "--onlyvisible", "--name", "^Korvid - "});
    ASSERT_FALSE(Window.empty()) << Program.readAllStandardError().toStdString();
    Xdo({"type", "--delay", "20", "hello "});
    Xdo({"key", "ctrl+s"});
    EXPECT_EQ(Xdo({"getwindowname", QString::fromStdString(Window)}),
              "Korvid - " + (Dir / "doc.txt").string());
    // Closing the saved document asks nothing.
    Xdo({"key", "ctrl+F4"});
    const QDeadlineTimer Deadline(10000);
    while (Xdo({"getwindowname", QString::fromStdString(Window)}) != "Korvid" &&
           !Deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(Xdo({"getwindowname", QString::fromStdString(Window)}), "Korvid");
    StopProcess(Program);

    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "hello world");
}

} // namespace
} // namespace korvid::test
