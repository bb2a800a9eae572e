#include "devtools/debugger/DebugTexts.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/StandInProcess.h"

#include <fstream>

namespace korvid::test {
namespace {

class TDebuggerProgramTest : public TProgramTest {
protected:
    // The options the debugger reads: the map, and no source opened on connecting.
    void SetMapFile(const std::filesystem::path& Map) {
        const auto Settings = Dir / "config" / "korvid" / "registry";
        std::filesystem::create_directories(Settings.parent_path());
        TScopedRegistryStore Store(Settings);
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("Map File", Map.string());
        Reg.WriteBool("Open Source On Connect", false);
    }

    // A three-line source whose lines have code at offsets 0, 10 and 20 of procedure 1 of DEMO,
    // its map set for the debugger; returns the source.
    std::filesystem::path WriteDemo() {
        const auto Source = Dir / "demo.vp";
        WriteFileBytes(Source, "begin\r\n  x := 1;\r\nend;\r\n");
        const auto Map = Dir / "demo.map";
        std::ofstream(Map) << "|L3| demo\r\n#   DEMO     " << Source.string()
                           << "\r\n1     1:0 begin\r\n2     1:10 x := 1;\r\n3     1:20 end;\r\n";
        SetMapFile(Map);
        return Source;
    }
};

// Whether Wanted appear in Frames in that order, each the start of a frame.
bool InOrder(const std::vector<std::string>& Frames, const std::vector<std::string>& Wanted) {
    auto Next = Wanted.begin();
    for (const std::string& Frame : Frames)
        if (Next != Wanted.end() && Frame.starts_with(*Next))
            ++Next;
    return Next == Wanted.end();
}

// Ctrl+F2 in the built program connects to the module running beside it; closing the window
// disconnects.
TEST_F(TDebuggerProgramTest, CtrlF2ConnectsToTheRunningModule) {
    const auto Map = Dir / "demo.map";
    std::ofstream(Map) << "|L3| x\r\n#   DEMO     d.vp\r\n5     1:0 begin\r\n";
    SetMapFile(Map);
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

// F11 sets a breakpoint on the caret line; the module stops there and F8 steps over it.
TEST_F(TDebuggerProgramTest, AStopAtABreakpointIsSteppedOver) {
    const auto Source = WriteDemo();
    const TScopedWindowFolder Windows(Q(Dir / "runtime" / "korvid-windows"));
    TStandInProcess Module(Dir.Path(), "Demo", {"stop-on-set=300"});
    ASSERT_TRUE(Module.Started());
    Run(Source, "key Ctrl+F2\nkey F11\nwait 3000\nkey F8\nclose\n");

    const auto Frames = Module.Frames();
    const std::string Stop = "command 3 1 lparam=18 request=s=DEMO\\r\\np=1\\r\\no=0\\r\\n";
    EXPECT_TRUE(InOrder(Frames, {"command 1 0", "command 4 0", Stop, "command 4 0", "stopped 1",
                                 "command 3 2 lparam=19 request=s=DEMO\\r\\np=1\\r\\no=10",
                                 "command 3 2 lparam=19 request=s=DEMO\\r\\np=1\\r\\no=20",
                                 "command 5 0", "command 2 0"}))
        << ::testing::PrintToString(Frames);
    EXPECT_EQ(Module.Quit(), 0);
}

// The module vanishes while F8 waits for it: the program says so, keeps the unsaved typing and
// ends normally.
TEST_F(TDebuggerProgramTest, AModuleThatVanishesDuringAStepLeavesTheDocumentAlone) {
    const auto Source = WriteDemo();
    const TScopedWindowFolder Windows(Q(Dir / "runtime" / "korvid-windows"));
    TStandInProcess Module(Dir.Path(), "Demo", {"stop-on-set=300", "fail=vanish 3/2"});
    ASSERT_TRUE(Module.Started());
    const auto Kept = Dir / "kept.txt";
    Run(Source, "type hello \nkey Ctrl+F2\nkey F11\nwait 3000\nkey F8\nwait 500\nclick OK\nwrite " +
                    Kept.string() + "\nclose\nclick No\n");

    EXPECT_TRUE(
        InOrder(Module.Frames(), {"command 1 0", "stopped 1", "command 3 2", "fail vanish"}))
        << ::testing::PrintToString(Module.Frames());
    EXPECT_EQ(ReadFileBytes(Kept), "hello begin\r\n  x := 1;\r\nend;\r\n");
    EXPECT_EQ(ReadFileBytes(Source), "begin\r\n  x := 1;\r\nend;\r\n");
}

// Connecting shows the debugging bar; after a stop Shift+Ctrl+F12 dumps the memory into a
// "Memory" tab and Ctrl+Alt+W turns to the Watches page, which the settings keep.
TEST_F(TDebuggerProgramTest, TheBarShowsTheStoppedModule) {
    const auto Source = WriteDemo();
    const TScopedWindowFolder Windows(Q(Dir / "runtime" / "korvid-windows"));
    TStandInProcess Module(Dir.Path(), "Demo", {"stop-on-set=300"});
    ASSERT_TRUE(Module.Started());
    const auto Dump = Dir / "dump.txt";
    Run(Source, "key Ctrl+F2\nkey F11\nwait 3000\nkey Shift+Ctrl+F12\nwrite " + Dump.string() +
                    "\nkey Ctrl+Alt+W\nclose\n");

    const auto Frames = Module.Frames();
    EXPECT_TRUE(InOrder(Frames, {"command 1 0", "stopped 1", "command 9 0", "command 2 0"}))
        << ::testing::PrintToString(Frames);
    EXPECT_EQ(Module.Quit(), 0);
    const std::string Dumped = ReadFileBytes(Dump);
    EXPECT_TRUE(Dumped.starts_with(MemoryDumpHeader(true, true) + "\r\n0000  "))
        << Dumped.substr(0, 200);

    TScopedRegistryStore Store(Dir / "config" / "korvid" / "registry");
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly(RootKeys[CurrentKeyIndex]));
    EXPECT_TRUE(Reg.ReadBoolDefault("View Debugging Bar", false));
    EXPECT_EQ(Reg.ReadIntegerDefault("Debugging Bar Tab", 0), 3);
}

} // namespace
} // namespace korvid::test
