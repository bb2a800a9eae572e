#include "app/SingleInstanceUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "platform/RegistryStore.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
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

QString Q(const fs::path& Path) {
    return QString::fromStdString(Path.string());
}

// Real instances of the built program sharing one user's folders.
class SecondStartTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::vector<std::unique_ptr<QProcess>> Programs;

    void SetUp() override {
        for (const char* Folder : {"config", "data", "runtime"})
            fs::create_directory(Dir / Folder);
        fs::permissions(Dir / "runtime", fs::perms::owner_all);
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

    QProcess& Start(const QStringList& Arguments, const std::string& KeyScript = {}) {
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("QT_QPA_PLATFORM", "offscreen");
        Environment.insert("XDG_CONFIG_HOME", Q(Dir / "config"));
        Environment.insert("XDG_DATA_HOME", Q(Dir / "data"));
        Environment.insert("XDG_RUNTIME_DIR", Q(Dir / "runtime"));
        Environment.remove("KORVID_KEY_SCRIPT");
        if (!KeyScript.empty()) {
            const fs::path Script = Dir / ("keys" + std::to_string(Programs.size()) + ".txt");
            WriteFileBytes(Script, KeyScript);
            Environment.insert("KORVID_KEY_SCRIPT", Q(Script));
        }
        auto Program = std::make_unique<QProcess>();
        Program->setProcessEnvironment(Environment);
        Program->start(KORVID_PROGRAM, Arguments);
        EXPECT_TRUE(Program->waitForStarted(10000));
        Programs.push_back(std::move(Program));
        return *Programs.back();
    }

    bool WaitUntilListening() {
        QElapsedTimer Clock;
        Clock.start();
        while (Clock.elapsed() < 30000) {
            if (EndpointIsAlive(EndpointPath()))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    static void ExpectCleanExit(QProcess& Program) {
        const bool Finished = Program.waitForFinished(30000);
        ASSERT_TRUE(Finished) << Program.readAllStandardError().toStdString();
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

TEST_F(SecondStartTest, ASecondStartHandsItsFileToTheRunningInstance) {
    WriteFileBytes(Dir / "first.txt", "one");
    WriteFileBytes(Dir / "second file.txt", "two");
    QProcess& First = Start({Q(Dir / "first.txt")});
    ASSERT_TRUE(WaitUntilListening());
    // The name arrives split at its blank, as an unquoted path would.
    QProcess& Second = Start({Q(Dir / "second"), "file.txt"});
    ExpectCleanExit(Second);
    EXPECT_EQ(First.state(), QProcess::Running);
    EXPECT_TRUE(InternalValues().empty());
    CloseThroughTheEndpoint(First);
    EXPECT_NE(HistoryText().find((Dir / "second file.txt").string()), std::string::npos);
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
