#include "tests/support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& Path) {
    return QString::fromStdString(Path.string());
}

// The built program with its own configuration and data folders, driven by a key script
// whose keys reach whatever has the keyboard focus, as a user's would.
class TKeysProgramTest : public ::testing::Test {
protected:
    TTempDir Dir;

    void SetUp() override {
        for (const char* Folder : {"config", "data", "runtime"})
            fs::create_directory(Dir / Folder);
        fs::permissions(Dir / "runtime", fs::perms::owner_all);
    }

    // Runs the program on File with the script; the program must end by itself.
    void Run(const fs::path& File, std::string_view Script) {
        WriteFileBytes(Dir / "keys.txt", Script);
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("QT_QPA_PLATFORM", "offscreen");
        Environment.insert("XDG_CONFIG_HOME", Q(Dir / "config"));
        Environment.insert("XDG_DATA_HOME", Q(Dir / "data"));
        Environment.insert("XDG_RUNTIME_DIR", Q(Dir / "runtime"));
        Environment.insert("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
        QProcess Program;
        Program.setProcessEnvironment(Environment);
        Program.start(KORVID_PROGRAM, {Q(File)});
        ASSERT_TRUE(Program.waitForStarted(10000));
        const bool Finished = Program.waitForFinished(60000);
        if (!Finished)
            Program.kill();
        ASSERT_TRUE(Finished) << Program.readAllStandardError().toStdString();
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();
    }
};

TEST_F(TKeysProgramTest, CopyAndPasteWithTheClipboardKeys) {
    WriteFileBytes(Dir / "doc.txt", "hello");
    Run(Dir / "doc.txt", "key Shift+End\nkey Ctrl+C\nkey End\nkey Ctrl+V\nkey Ctrl+S\nclose\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "hellohello");
}

TEST_F(TKeysProgramTest, CutSelectAllAndPaste) {
    WriteFileBytes(Dir / "doc.txt", "one two");
    // Cut "one ", select everything, paste it over: only the cut text is left.
    Run(Dir / "doc.txt", "key Ctrl+Shift+Right\nkey Ctrl+X\nkey Ctrl+A\nkey Ctrl+V\n"
                         "key Ctrl+S\nclose\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "one ");
}

// Typing goes into the document at once: no click is needed to give it the keyboard.
TEST_F(TKeysProgramTest, TypingAtOnceChangesTheText) {
    WriteFileBytes(Dir / "doc.txt", "world");
    Run(Dir / "doc.txt", "type hello \nkey Ctrl+S\nclose\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "hello world");
}

} // namespace
} // namespace korvid::test
