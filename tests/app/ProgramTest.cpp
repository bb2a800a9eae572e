#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program keeps its settings and history across the run.
TEST_F(TProgramTest, OpensEditsSavesAndKeepsItsSettings) {
    WriteFileBytes(Dir / "doc.txt", "hello\r\n");
    Run(Dir / "doc.txt", "type Hi \nkey Ctrl+S\nclose\n");

    // The edit was saved, with the file's final line end.
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "Hi hello\r\n");
    {
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKeyReadOnly(RootKeys[CurrentKeyIndex]));
        EXPECT_GT(Reg.ReadIntegerDefault("Window Width", 0), 0);
        Reg.CloseKey();
        ASSERT_TRUE(Reg.OpenKeyReadOnly(OptionsKeys[CurrentKeyIndex]));
        EXPECT_TRUE(Reg.ValueExists("Hide Extensions"));
    }
    // The history remembers the file.
    bool HistoryFound = false;
    for (const auto& Entry : fs::recursive_directory_iterator(Dir / "data"))
        if (Entry.is_regular_file() &&
            ReadFileBytes(Entry.path()).find((Dir / "doc.txt").string()) != std::string::npos)
            HistoryFound = true;
    EXPECT_TRUE(HistoryFound);
}

// Format and insert commands reach the text from their keys.
TEST_F(TProgramTest, CaseChangeAndFileNameFromTheKeyboard) {
    WriteFileBytes(Dir / "doc.txt", "hello world");
    Run(Dir / "doc.txt", "key Ctrl+Alt+P\nkey Ctrl+Alt+P\nkey End\ntype  \nkey Ctrl+Alt+I\n"
                         "key Ctrl+S\nclose\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "Hello World doc.txt");
}

// Organize Files saves the open files as a tab set; the history keeps both files on top.
TEST_F(TProgramTest, OrganizeFilesWritesATabSetAndTheHistoryKeepsItsOrder) {
    const std::vector<std::string> Old = {"/old/one.txt", "/old/two.txt", "/old/three.txt"};
    WriteFileBytes(Dir / "history.txt", Old[0] + "\r\n" + Old[1] + "\r\n" + Old[2] + "\r\n");
    {
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("History Filename", (Dir / "history.txt").string());
    }
    const fs::path A = Dir / "a.txt", B = Dir / "b.txt", Set = Dir / "set.korvidtabs";
    WriteFileBytes(A, "a\r\n");
    WriteFileBytes(B, "b\r\n");
    Run({A, B}, "key Shift+Ctrl+G\n"
                "key Home\n"
                "click Move &Down\n"
                "click &Mark as Main Compile File\n"
                "click &Save As...\n"
                "choose " +
                    Set.string() +
                    "\n"
                    "click OK\n"
                    "close\n");
    EXPECT_EQ(ReadFileBytes(Set), B.string() + "\r\n*" + A.string() + "\r\n");
    EXPECT_EQ(ReadFileBytes(Dir / "history.txt"), B.string() + "\r\n" + A.string() + "\r\n" +
                                                      Old[0] + "\r\n" + Old[1] + "\r\n" + Old[2] +
                                                      "\r\n");
}

} // namespace
} // namespace korvid::test
