#include "tests/app/ProgramProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program, driven by a key script through Shift+Ctrl+F and the Find in Folder dialog.
TEST(FindInFilesProgram, AKeyScriptSearchesAFolderAndWritesTheResults) {
    TTempDir Dir;
    for (const char* Folder : {"config", "data", "runtime", "T/sub"})
        fs::create_directories(Dir / Folder);
    fs::permissions(Dir / "runtime", fs::perms::owner_all);
    WriteFileBytes(Dir / "T/a.txt", "1\r\n2\r\nfoo bar\r\n4\r\n5\r\n6\r\n7\r\n8\r\nx foo\r\n");
    WriteFileBytes(Dir / "T/b.txt", "nothing\r\n");
    WriteFileBytes(Dir / "T/sub/c.txt", "foo\nb\nc\n");
    const auto Before = TreeSnapshot(Dir / "T");

    const fs::path Out = Dir / "results.txt";
    const std::string Script = "key Shift+Ctrl+F\n"
                               "set Find text => foo\n"
                               "set Folder => " +
                               (Dir / "T").string() +
                               "\n"
                               "set Extensions => txt\n"
                               "set Context => 1\n"
                               "click Find\n"
                               "write " +
                               Out.string() +
                               "\n"
                               "close\n";
    WriteFileBytes(Dir / "keys.txt", Script);

    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("QT_QPA_PLATFORM", "offscreen");
    Environment.insert("XDG_CONFIG_HOME", Q(Dir / "config"));
    Environment.insert("XDG_DATA_HOME", Q(Dir / "data"));
    Environment.insert("XDG_RUNTIME_DIR", Q(Dir / "runtime"));
    Environment.insert("KORVID_DIALOG_REPORT", Q(Dir / "dialog.txt"));
    Environment.insert("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {});
    ASSERT_TRUE(Program.waitForStarted(10000));
    const bool Ended = Program.waitForFinished(30000);
    if (!Ended) {
        Program.kill();
        Program.waitForFinished(5000);
    }
    ASSERT_TRUE(Ended) << "the program did not close";
    ASSERT_TRUE(fs::exists(Out));

    // The walk's order is the file system's: either file may come first.
    const std::string Header = "3 matches for \"foo\" in " + (Dir / "T").string() + "/\r\n\r\n\r\n";
    const std::string A = "\r\na.txt  (2 matches)\r\n------\r\n     2 2\r\n     3 foo bar\r\n"
                          "     4 4\r\n------\r\n     8 8\r\n     9 x foo\r\n------";
    const std::string C = "\r\nsub/c.txt  (1 match)\r\n------\r\n     1 foo\r\n     2 b\r\n------";
    const std::string Text = ReadFileBytes(Out);
    EXPECT_TRUE(Text == Header + A + "\r\n" + C || Text == Header + C + "\r\n" + A) << Text;
    EXPECT_EQ(TreeSnapshot(Dir / "T"), Before) << "no file of the tree changed";
}

} // namespace
} // namespace korvid::test
