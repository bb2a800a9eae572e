#include "app/SingleInstanceUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/MessageEndpoint.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/SmallDisk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program on a settings folder of its own disk, with the modal dialogs it shows
// written to a report file that the test answers.
class TSettingsStoreProgramTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::unique_ptr<TSmallDisk> Disk;
    fs::path Settings;
    QProcess Program;

    void SetUp() override {
        MakeUserFolders(Dir.Path());
        Disk = std::make_unique<TSmallDisk>(Dir / "config");
        Settings = Dir / "config" / "korvid" / "registry";
        TScopedRegistryStore Store{Settings};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(RootKeys));
        Reg.WriteInteger("Window Width", 700);
    }
    void TearDown() override {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(5000);
        }
    }

    fs::path DialogReport() const { return Dir / "dialog.txt"; }

    // Starts the program; the time until its window is up (it listens just before it shows).
    qint64 Start() {
        QProcessEnvironment Environment = UserEnvironment(Dir.Path());
        Environment.insert("KORVID_DIALOG_REPORT", Q(DialogReport()));
        Program.setProcessEnvironment(Environment);
        QElapsedTimer Clock;
        Clock.start();
        Program.start(KORVID_PROGRAM, {});
        EXPECT_TRUE(Program.waitForStarted(10000));
        const bool Up =
            WaitFor([&] { return EndpointIsAlive(Q(Dir / "runtime" / "korvid-instance")); }, 30000);
        EXPECT_TRUE(Up) << Program.readAllStandardError().toStdString();
        return Clock.elapsed();
    }

    template <class TCondition> bool WaitFor(TCondition Condition, int Ms) {
        QElapsedTimer Clock;
        Clock.start();
        while (Clock.elapsed() < Ms) {
            if (Condition())
                return true;
            if (Program.state() == QProcess::NotRunning)
                return Condition();
            QThread::msleep(20);
        }
        return false;
    }

    // Every dialog shown within Ms, or within ThenMs after the first one, each answered with
    // Enter; stops early once the program ended.
    std::vector<std::string> AnswerDialogs(int Ms, int ThenMs = 1500) {
        std::vector<std::string> Texts;
        QElapsedTimer Clock;
        Clock.start();
        while (Clock.elapsed() < Ms && Program.state() != QProcess::NotRunning) {
            if (fs::exists(DialogReport())) {
                if (Texts.empty())
                    Ms = int(Clock.elapsed()) + ThenMs;
                Texts.push_back(ReadFileBytes(DialogReport()));
                WriteFileBytes(Q(DialogReport()).append(".enter").toStdString(), "");
                WaitFor([&] { return !fs::exists(DialogReport()); }, 10000);
            }
            Program.waitForFinished(20);
        }
        return Texts;
    }

    // Closes the window as the desktop would; every dialog on the way is answered and returned.
    std::vector<std::string> Close() {
        SendEndpointMessage({WM_CLOSE, 0, 0}, Q(Dir / "runtime" / "korvid-instance"));
        std::vector<std::string> Texts = AnswerDialogs(20000);
        EXPECT_EQ(Program.state(), QProcess::NotRunning) << "the program did not end";
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();
        return Texts;
    }
};

TEST_F(TSettingsStoreProgramTest, ASettingsFolderThatCannotBeKeptIsToldOnceAfterAQuickStart) {
    std::unique_ptr<QLockFile> Held;
    struct TCase {
        const char* Name;
        std::function<bool()> Break;
        std::string Told;
    };
    const TCase Cases[] = {
        {"read-only folder", [&] { return Disk->MakeReadOnly(); },
         "the folder \"" + Settings.parent_path().string() + "\" is read-only"},
        {"full disk", [&] { return Disk->Fill(); }, "no space left on the disk"},
        {"lock held by another process",
         [&] {
             Held = std::make_unique<QLockFile>(Q(Settings) + ".lock");
             return Held->tryLock(0);
         },
         "is locked by another process (process id " +
             std::to_string(QCoreApplication::applicationPid()) + ")"},
        {"damaged settings file",
         [&] {
             WriteFileBytes(Settings, "not a settings file\n");
             return true;
         },
         "damaged at line 1"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TearDown();
        Held.reset();
        Disk.reset();
        fs::remove_all(Dir / "config");
        SetUp();
        if (!Case.Break()) {
            std::cout << "[  SKIPPED ] " << Case.Name << ": needs a tmpfs mount (the superuser)\n";
            continue;
        }
        EXPECT_LT(Start(), 3000);
        const std::vector<std::string> Shown = AnswerDialogs(10000);
        ASSERT_EQ(Shown.size(), 1u) << Program.readAllStandardError().toStdString();
        EXPECT_NE(Shown[0].find(Case.Told), std::string::npos) << Shown[0];
        EXPECT_TRUE(Close().empty());
    }
}

TEST_F(TSettingsStoreProgramTest, ALockFileLeftByAProcessThatIsGoneIsTakenOver) {
    WriteFileBytes(Settings.string() + ".lock", "");
    EXPECT_LT(Start(), 3000);
    EXPECT_TRUE(AnswerDialogs(2000).empty());
    EXPECT_TRUE(Close().empty());
    EXPECT_FALSE(fs::exists(Settings.string() + ".lock"));
    TScopedRegistryStore Store{Settings};
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenSettingsKeyForRead(RootKeys));
    EXPECT_TRUE(Reg.ValueExists("View Status Bar")); // written at the close
}

TEST_F(TSettingsStoreProgramTest, ADiskThatFillsWhileTheProgramRunsIsToldOnceAtTheClose) {
    if (!Disk->Mounted())
        GTEST_SKIP() << "a full disk needs a tmpfs mount, which only the superuser may make";
    Start();
    EXPECT_TRUE(AnswerDialogs(1000).empty());
    const std::string Before = ReadFileBytes(Settings);
    ASSERT_TRUE(Disk->Fill());
    QElapsedTimer Clock;
    Clock.start();
    const std::vector<std::string> Shown = Close();
    EXPECT_LT(Clock.elapsed(), 10000);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_NE(Shown[0].find("no space left on the disk"), std::string::npos) << Shown[0];
    EXPECT_EQ(ReadFileBytes(Settings), Before);
}

} // namespace
} // namespace korvid::test
