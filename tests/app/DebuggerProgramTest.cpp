#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/StandInProcess.h"

#include <fstream>

namespace korvid::test {
namespace {

using TDebuggerProgramTest = TProgramTest;

// Ctrl+F2 in the built program connects to the module running beside it; closing the window
// disconnects.
TEST_F(TDebuggerProgramTest, CtrlF2ConnectsToTheRunningModule) {
    const auto Map = Dir / "demo.map";
    std::ofstream(Map) << "|L3| x\r\n#   DEMO     d.vp\r\n5     1:0 begin\r\n";
    {
        const auto Settings = Dir / "config" / "korvid" / "registry";
        std::filesystem::create_directories(Settings.parent_path());
        TScopedRegistryStore Store(Settings);
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("Map File", Map.string());
        Reg.WriteBool("Open Source On Connect", false);
    }
    const TScopedWindowFolder Windows(Q(Dir / "runtime" / "korvid-windows"));
    TStandInProcess Module(Dir.Path(), "Demo");
    ASSERT_TRUE(Module.Started());
    WriteFileBytes(Dir / "doc.txt", "hello\r\n");
    Run(Dir / "doc.txt", "key Ctrl+F2\nclose\n");

    const auto Frames = Module.Frames();
    ASSERT_EQ(Frames.size(), 4u);
    EXPECT_EQ(Frames[0], "query");
    ASSERT_TRUE(Frames[1].starts_with("command 1 0 lparam="));
    EXPECT_NE(Frames[1], "command 1 0 lparam=0");
    EXPECT_EQ(Frames[2], "command 4 0 lparam=0 request=");
    EXPECT_EQ(Frames[3], "command 2 0 lparam=0 request=");
    EXPECT_EQ(Module.Quit(), 0);
}

} // namespace
} // namespace korvid::test
