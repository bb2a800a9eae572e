#include "tests/app/ProgramProcess.h"
#include "workspace/FavouritesTree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QToolTip>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

void Stop(QProcess& Process) {
    if (Process.state() == QProcess::NotRunning)
        return;
    Process.terminate();
    if (!Process.waitForFinished(5000)) {
        Process.kill();
        Process.waitForFinished(5000);
    }
}

// A private X server on the first free display, gone with the object.
class TXServer {
public:
    TXServer(const QString& Program) {
        const int First = 100 + int(QCoreApplication::applicationPid() % 400);
        for (int Number = First; Number < First + 50 && FDisplay.isEmpty(); ++Number) {
            const std::string Socket = "/tmp/.X11-unix/X" + std::to_string(Number);
            const std::string Lock = "/tmp/.X" + std::to_string(Number) + "-lock";
            if (fs::exists(Socket) || fs::exists(Lock))
                continue;
            FServer = std::make_unique<QProcess>();
            FServer->start(Program, {":" + QString::number(Number), "-nolisten", "tcp", "-screen",
                                     "0", "1280x1024x24"});
            if (!FServer->waitForStarted(5000))
                continue;
            // Ready once its socket is there; gone at once when another server took the number.
            const QDeadlineTimer Deadline(10000);
            while (!fs::exists(Socket) && FServer->state() == QProcess::Running &&
                   !Deadline.hasExpired())
                FServer->waitForFinished(50);
            if (fs::exists(Socket) && FServer->state() == QProcess::Running)
                FDisplay = ":" + QString::number(Number);
            else
                Stop(*FServer);
        }
    }
    ~TXServer() {
        if (FServer)
            Stop(*FServer);
    }
    const QString& Display() const { return FDisplay; }

private:
    std::unique_ptr<QProcess> FServer;
    QString FDisplay;
};

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
            Stop(Tool);
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
    Stop(Program);

    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "hello world");
}

// Run by the test below inside an X server of its own, where the pointer is the server's and the
// tooltip a window of its own over the caption.
TEST(TreeTipUnderX, ACutCaptionShowsItsTipUntilThePointerLeavesIt) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "run under an X server by TXServerTest.HoveringACutFavouritesCaption";
    const QString XdoTool = QStandardPaths::findExecutable("xdotool");
    const auto MovePointer = [&](const QPoint& Global) {
        QProcess::execute(XdoTool,
                          {"mousemove", QString::number(Global.x()), QString::number(Global.y())});
    };
    TFavouritesTreeView Tree;
    const QString Caption =
        "A favourites folder whose caption is far too long for the bar it is in, "
        "so that it is cut off";
    TTreeNode* Node = Tree.AddFolder(nullptr, Caption);
    Tree.AddFolder(nullptr, "Short");
    Tree.setGeometry(100, 100, 160, 200);
    Tree.show();
    Tree.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Tree));
    const QRect Label = Tree.LabelRect(Node);
    const QPoint Over = Tree.viewport()->mapToGlobal(Label.topLeft() + QPoint(60, 4));
    MovePointer(Over - QPoint(20, 0));
    MovePointer(Over);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), Caption.left(TreeTipLength));
    QTest::qWait(1000);
    EXPECT_TRUE(QToolTip::isVisible()) << "the tip stays while the pointer rests on the caption";
    // Off the caption, the tip goes.
    MovePointer(
        Tree.viewport()->mapToGlobal(QPoint(Label.left() + 4, Tree.viewport()->height() - 6)));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}

TEST_F(TXServerTest, HoveringACutFavouritesCaptionShowsItsTip) {
    QProcess Tests;
    Tests.setProcessEnvironment(Environment);
    Tests.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=TreeTipUnderX.ACutCaptionShowsItsTipUntilThePointerLeavesIt"});
    ASSERT_TRUE(Tests.waitForFinished(60000));
    const std::string Output = Tests.readAllStandardOutput().toStdString();
    EXPECT_EQ(Tests.exitCode(), 0) << Output;
    EXPECT_NE(Output.find("[  PASSED  ] 1 test"), std::string::npos) << Output;
}

} // namespace
} // namespace korvid::test
