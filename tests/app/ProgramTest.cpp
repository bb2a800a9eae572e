#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& Path) {
    return QString::fromStdString(Path.string());
}

// The built program, started as a user would, with its own configuration and data folders.
TEST(ProgramTest, OpensEditsSavesAndKeepsItsSettings) {
    TTempDir Dir;
    for (const char* Folder : {"config", "data", "runtime"})
        fs::create_directory(Dir / Folder);
    fs::permissions(Dir / "runtime", fs::perms::owner_all);
    WriteFileBytes(Dir / "doc.txt", "hello\r\n");
    WriteFileBytes(Dir / "keys.txt", "type Hi \nkey Ctrl+S\nclose\n");

    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("QT_QPA_PLATFORM", "offscreen");
    Environment.insert("XDG_CONFIG_HOME", Q(Dir / "config"));
    Environment.insert("XDG_DATA_HOME", Q(Dir / "data"));
    Environment.insert("XDG_RUNTIME_DIR", Q(Dir / "runtime"));
    Environment.insert("KORVID_KEY_SCRIPT", Q(Dir / "keys.txt"));
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {Q(Dir / "doc.txt")});
    ASSERT_TRUE(Program.waitForStarted(10000));
    const bool Finished = Program.waitForFinished(60000);
    if (!Finished)
        Program.kill();
    ASSERT_TRUE(Finished) << Program.readAllStandardError().toStdString();
    EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();

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

} // namespace
} // namespace korvid::test
