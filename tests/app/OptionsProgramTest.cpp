#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"

#include <algorithm>
#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program with its history kept in the test's folder.
class TOptionsProgramTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("History Filename", History().string());
    }
    fs::path History() const { return Dir / "history.txt"; }
};

TEST_F(TOptionsProgramTest, LintrelMarkupAndAnOptionReachTheDocumentAndTheSettings) {
    WriteFileBytes(Dir / "doc.txt", "hello");
    WriteFileBytes(Dir / "other.txt", "");
    // A history of two files, so that a maximum of one shows.
    WriteFileBytes(History(),
                   (Dir / "other.txt").string() + "\r\n" + (Dir / "third.txt").string() + "\r\n");
    Run(Dir / "doc.txt", "key Ctrl+J\n"
                         "click OK\n"
                         "key Ctrl+S\n"
                         "key Shift+Ctrl+O\n"
                         "set &Maximum number of history files: => 1\n"
                         "click OK\n"
                         "close\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "''''''hello");
    TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
    EXPECT_EQ(Reg.ReadIntegerDefault("Maximum History", 0), 1);
    const std::string Lines = ReadFileBytes(History());
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), '\n'), 1) << Lines;
}

} // namespace
} // namespace korvid::test
