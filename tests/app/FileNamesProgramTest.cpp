#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/WaitUntil.h"

#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// Written so that the shell's printf %b gives the bytes back whatever they are.
std::string OctalEscaped(std::string_view Bytes) {
    std::string Text;
    for (const char C : Bytes) {
        char Digits[8];
        std::snprintf(Digits, sizeof Digits, "\\0%03o", static_cast<unsigned char>(C));
        Text += Digits;
    }
    return Text;
}

// The built program started as a user would, with names that are not UTF-8 on its command line
// (a QString argument could not carry them) and, when asked, under a file-size limit.
class FileNamesProgramTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::unique_ptr<QProcess> Program;
    rlim_t FileSizeLimit = RLIM_INFINITY;

    void SetUp() override { MakeUserFolders(Dir.Path()); }

    void TearDown() override {
        if (Program && Program->state() != QProcess::NotRunning) {
            Program->kill();
            Program->waitForFinished(5000);
        }
    }

    fs::path DialogReport() const { return Dir / "dialog.txt"; }

    void UseHistory(const std::string& Lines) {
        WriteFileBytes(Dir / "history.txt", Lines);
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("History Filename", (Dir / "history.txt").string());
    }

    void Start(const std::vector<std::string>& Files, std::string_view Script) {
        WriteFileBytes(Dir / "keys.txt", Script);
        QProcessEnvironment Environment = UserEnvironment(Dir.Path());
        Environment.insert("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
        Environment.insert("KORVID_DIALOG_REPORT", Q(DialogReport()));
        QString Command = "exec \"$0\"";
        QStringList Arguments{KORVID_PROGRAM};
        for (std::size_t I = 0; I < Files.size(); ++I) {
            Command += QString(" \"$(printf %b \"$%1\")\"").arg(I + 1);
            Arguments << QString::fromStdString(OctalEscaped(Files[I]));
        }
        Program = std::make_unique<QProcess>();
        Program->setProcessEnvironment(Environment);
        // A user's shell leaves the signal at its default; the limit is the user's.
        Program->setChildProcessModifier([Limit = FileSizeLimit] {
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit Size{};
            ::getrlimit(RLIMIT_FSIZE, &Size);
            Size.rlim_cur = Limit;
            ::setrlimit(RLIMIT_FSIZE, &Size);
        });
        Program->start("/bin/sh", QStringList{"-c", Command} + Arguments);
        ASSERT_TRUE(Program->waitForStarted(10000));
    }

    void ExpectCleanExit() {
        const bool Finished = Program->waitForFinished(60000);
        ASSERT_TRUE(Finished) << Program->readAllStandardError().toStdString();
        EXPECT_EQ(Program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Program->exitCode(), 0) << Program->readAllStandardError().toStdString();
    }

    template <class TCondition> static bool WaitFor(TCondition Condition) {
        return WaitUntil(Condition);
    }

    std::string DialogText() {
        return WaitFor([&] { return fs::exists(DialogReport()); }) ? ReadFileBytes(DialogReport())
                                                                   : std::string{};
    }

    bool AnswerDialog() {
        WriteFileBytes(DialogReport().string() + ".enter", "");
        return WaitFor([&] { return !fs::exists(DialogReport()); });
    }
};

// Names written by a Windows-1252 tool: their icons are looked up on the icon thread at start.
TEST_F(FileNamesProgramTest, StartsWithAHistoryOfNamesThatAreNotUtf8) {
    const std::string Cafe = (Dir / "caf\xE9.txt").string();
    WriteFileBytes(Cafe, "x");
    UseHistory(Cafe + "\r\n\x86\r\n");
    Start({}, "wait 300\nclose\n");
    ExpectCleanExit();
    EXPECT_EQ(ReadFileBytes(Dir / "history.txt"), Cafe + "\r\n\x86\r\n");
}

TEST_F(FileNamesProgramTest, OpensAndSavesANameThatIsNotUtf8) {
    const std::string Cafe = (Dir / "caf\xE9.txt").string();
    WriteFileBytes(Cafe, "hello\r\n");
    UseHistory("\x86\r\n");
    Start({Cafe}, "type Hi \nkey Ctrl+S\nclose\n");
    ExpectCleanExit();
    EXPECT_EQ(ReadFileBytes(Cafe), "Hi hello\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), fs::directory_iterator()), 6)
        << "only the document, history, key script and the user's three folders";
    EXPECT_EQ(ReadFileBytes(Dir / "history.txt"), Cafe + "\r\n\x86\r\n");
}

// A save past the limit fails as a full disk does, and the program goes on.
TEST_F(FileNamesProgramTest, ASaveBeyondTheFileSizeLimitFailsAndTheProgramGoesOn) {
    std::string Old;
    for (int Line = 0; Line < 500; ++Line)
        Old += std::string(78, 'a') + "\r\n";
    WriteFileBytes(Dir / "doc.txt", Old);
    FileSizeLimit = 64 * 1024;
    Start({(Dir / "doc.txt").string()},
          "key Ctrl+A\nkey Ctrl+C\nkey Ctrl+End\nkey Ctrl+V\nkey Ctrl+S\nwait 600000\n");
    const std::string Shown = DialogText();
    EXPECT_NE(Shown.find("Korvid was unable to save the file."), std::string::npos)
        << Shown << Program->readAllStandardError().toStdString();
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), Old);
    std::vector<std::string> Files;
    for (const auto& Entry : fs::directory_iterator(Dir.Path()))
        if (Entry.is_regular_file())
            Files.push_back(Entry.path().filename().string());
    std::sort(Files.begin(), Files.end());
    EXPECT_EQ(Files, (std::vector<std::string>{"dialog.txt", "doc.txt", "keys.txt"}));
    EXPECT_TRUE(AnswerDialog());
    QThread::msleep(300);
    EXPECT_EQ(Program->state(), QProcess::Running);
}

} // namespace
} // namespace korvid::test
