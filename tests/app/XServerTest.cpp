#include "tests/app/XServer.h"
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

    // Whether a visible window whose name matches Pattern goes within ten seconds.
    bool WindowGoes(const QString& Pattern) {
        const QDeadlineTimer Deadline(10000);
        while (!Xdo({"search", "--onlyvisible", "--name", Pattern}).empty())
            if (Deadline.hasExpired())
                return false;
            else
                QThread::msleep(50);
        return true;
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

// The keys reach the dialogs as the keyboard sends them: nothing is clicked first.
TEST_F(TXServerTest, F2WithAPlainFileSaysWhatTheFilerNeedsAndThePickerTakesReturn) {
    WriteFileBytes(Dir / "a.txt", "alpha\n");
    WriteFileBytes(Dir / "b.txt", "beta\n");
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {Q(Dir / "a.txt"), Q(Dir / "b.txt")});
    ASSERT_TRUE(Program.waitForStarted(10000));
    ASSERT_FALSE(Xdo({"search", "--sync", "--onlyvisible", "--name", "^Korvid - "}).empty())
        << Program.readAllStandardError().toStdString();

    Xdo({"key", "F2"});
    const std::string Message =
        Xdo({"search", "--sync", "--onlyvisible", "--name", "^p-System Filer$"});
    ASSERT_FALSE(Message.empty());
    Xdo({"key", "Return"});
    EXPECT_TRUE(WindowGoes("^p-System Filer$"));

    // Compare Files picks both files from the tabs: each picker opens on its first tab.
    Xdo({"key", "F4"});
    ASSERT_FALSE(
        Xdo({"search", "--sync", "--onlyvisible", "--name", "^Compare Files - First File$"})
            .empty());
    Xdo({"key", "Return"});
    ASSERT_FALSE(
        Xdo({"search", "--sync", "--onlyvisible", "--name", "^Compare Files - Second File$"})
            .empty());
    Xdo({"key", "End", "Return"});
    // Both picked, the comparison runs: here it says that no utility is set.
    EXPECT_FALSE(Xdo({"search", "--sync", "--onlyvisible", "--name", "^Compare Files$"}).empty());
    StopProcess(Program);
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
