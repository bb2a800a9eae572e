#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program as a user meets it: text typed, a backup tick (a real minute), a crash
// (SIGKILL), and a start after it that offers the text back.
class TBackupProgramTest : public ::testing::Test {
protected:
    TTempDir Dir;
    QProcess Program;

    void SetUp() override { MakeUserFolders(Dir.Path()); }
    void TearDown() override { Kill(); }

    void Kill() {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(5000);
        }
    }

    fs::path DialogReport() const { return Dir / "dialog.txt"; }

    void Start(const std::string& Script) {
        WriteFileBytes(Dir / "keys.txt", Script);
        QProcessEnvironment Environment = UserEnvironment(Dir.Path());
        Environment.insert("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
        Environment.insert("KORVID_DIALOG_REPORT", Q(DialogReport()));
        Program.setProcessEnvironment(Environment);
        Program.start(KORVID_PROGRAM, {});
        ASSERT_TRUE(Program.waitForStarted(10000));
    }

    template <class TCondition> bool WaitFor(TCondition Condition, int Ms) {
        QElapsedTimer Clock;
        Clock.start();
        while (Clock.elapsed() < Ms && Program.state() != QProcess::NotRunning) {
            if (Condition())
                return true;
            QThread::msleep(50);
        }
        return Condition();
    }

    // The text of every complete backup set's copies in the user's data folder.
    std::string BackedUpText() {
        std::string Text;
        std::error_code Error;
        for (const auto& Entry : fs::recursive_directory_iterator(Dir / "data", Error))
            if (Entry.path().filename() == "Index.txt")
                for (const auto& Copy : fs::directory_iterator(Entry.path().parent_path()))
                    if (Copy.path().filename() != "Index.txt")
                        Text += ReadFileBytes(Copy.path());
        return Text;
    }

    // Types Text after Before, waits for the backup tick, crashes; the next start must offer
    // the text back.
    void TypeCrashAndRecover(const std::string& Before, const std::string& Text) {
        Start(Before + "type " + Text + "\n");
        ASSERT_TRUE(WaitFor([&] { return BackedUpText().find(Text) != std::string::npos; }, 90000))
            << "no backup was written\n"
            << Program.readAllStandardError().toStdString();
        Kill();

        const fs::path Written = Dir / "recovered.txt";
        Start("wait 2000\nwrite " + Written.string() + "\n");
        ASSERT_TRUE(WaitFor([&] { return fs::exists(DialogReport()); }, 20000))
            << "nothing was offered\n"
            << Program.readAllStandardError().toStdString();
        EXPECT_EQ(ReadFileBytes(DialogReport()).substr(0, 18), "Backup Files Exist");
        WriteFileBytes(DialogReport().string() + ".enter", "");
        ASSERT_TRUE(WaitFor([&] { return fs::exists(Written); }, 20000));
        EXPECT_EQ(ReadFileBytes(Written), Text);
        Kill();
    }
};

TEST_F(TBackupProgramTest, BackupsTurnedOnInOptionsSurviveACrash) {
    {
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteInteger("Backup Minutes", 0);
    }
    // Options, its Storage page, the check box and the minutes beside it.
    std::string Options = "key Shift+Ctrl+O\n";
    for (int Page = 0; Page < 7; ++Page)
        Options += "key Ctrl+Tab\n";
    Options += "set Backup all open files every => on\nset Backup Minutes Edit => 1\nclick OK\n";
    TypeCrashAndRecover(Options, "typed after the options");
}

TEST_F(TBackupProgramTest, AFirstDaysTextSurvivesACrash) {
    TypeCrashAndRecover("", "typed on the first day");
}

} // namespace
} // namespace korvid::test
