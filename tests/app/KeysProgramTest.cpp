#include "tests/app/ProgramProcess.h"

#include <filesystem>
#include <string>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

using TKeysProgramTest = TProgramTest;

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
