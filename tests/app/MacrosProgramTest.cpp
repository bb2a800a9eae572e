#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program with the experimental tools shown (the command-line tools are among them)
// and its command lines kept in the test's folder.
class TMacrosProgramTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        TScopedRegistryStore Store{Dir / "config" / "korvid" / "registry"};
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteBool("Show Experimental Features", true);
        Reg.WriteString("Command Lines Filename", CommandLines().string());
    }
    fs::path CommandLines() const { return Dir / "commandlines.txt"; }
};

TEST_F(TMacrosProgramTest, ARecordedMacroPlaysBack) {
    WriteFileBytes(Dir / "doc.txt", "");
    Run(Dir / "doc.txt", "key Shift+Ctrl+R\n"
                         "type ab\n"
                         "key Return\n"
                         "key Shift+Ctrl+R\n"
                         "key Shift+Ctrl+P\n"
                         "key Ctrl+S\n"
                         "close\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "ab\r\nab\r\n");
}

TEST_F(TMacrosProgramTest, ACommandLineFromTheDialogIsCapturedIntoTheDocument) {
    WriteFileBytes(Dir / "doc.txt", "");
    Run(Dir / "doc.txt", "key Shift+Ctrl+L\n"
                         "click &New\n"
                         "type echo captured*\n"
                         "key Return\n"
                         "click OK\n"
                         "key Ctrl+Alt+F9\n"
                         "key Ctrl+S\n"
                         "close\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "captured\r\n");
    EXPECT_EQ(ReadFileBytes(CommandLines()), "echo captured*\r\n");
}

} // namespace
} // namespace korvid::test
