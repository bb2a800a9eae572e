#include "tests/app/ProgramProcess.h"

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program: a folder search, then Ctrl+R on its results replaces throughout the files
// it lists and leaves the file without a match as it was.
class TReplaceAcrossFilesProgram : public TProgramTest {};

TEST_F(TReplaceAcrossFilesProgram, AKeyScriptReplacesThroughoutTheListedFiles) {
    fs::create_directories(Dir / "T/sub");
    WriteFileBytes(Dir / "T/a.txt", "foo bar\r\nx foo\r\n");
    WriteFileBytes(Dir / "T/b.txt", "nothing\r\n");
    WriteFileBytes(Dir / "T/sub/c.txt", "foo\n");
    // Listed only because the folder search ignores underscores; its blanks and line ends would
    // change if it were saved.
    WriteFileBytes(Dir / "T/d.txt", "f_oo  \n");
    const auto Before = TreeSnapshot(Dir / "T");

    Run("key Shift+Ctrl+F\n"
        "set Find text => foo\n"
        "set Folder => " +
        (Dir / "T").string() +
        "\n"
        "set Extensions => txt\n"
        "set Ignore underscores => on\n"
        "click Find\n"
        "key Ctrl+R\n"
        "set Find what => foo\n"
        "set Replace with => quux\n"
        "click OK\n"
        "click Yes\n"
        "click OK\n"
        "close\n");

    const auto After = TreeSnapshot(Dir / "T");
    EXPECT_EQ(After.at((Dir / "T/a.txt").string()).first, "quux bar\r\nx quux\r\n");
    EXPECT_EQ(After.at((Dir / "T/sub/c.txt").string()).first, "quux\n");
    for (const char* Same : {"T/b.txt", "T/d.txt"})
        EXPECT_EQ(After.at((Dir / Same).string()), Before.at((Dir / Same).string())) << Same;
}

} // namespace
} // namespace korvid::test
