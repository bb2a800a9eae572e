#include "FormFixture.h"
#include "platform/WindowEndpoint.h"
#include "workspace/ToolIndexes.h"

#include <QGuiApplication>
#include <QTabWidget>

#include <fstream>

namespace korvid::test {
namespace {

class DebuggerMap : public TFormTest {};

// The Options dialog's "Reload Now" hands the edit's text to the window's one debugger, which
// reads the map by the window's open-file rules without opening a tab for it.
TEST_F(DebuggerMap, ReloadReadsTheMapThroughTheWindow) {
    TKorvidForm& Window = MakeForm();
    const std::string MapName = (Dir / "MAP.txt").string();
    std::ofstream(MapName)
        << "|L3| \"C:\\x\\Demo.vp\"\r\n#   DEMO     d.vp\r\n5     1:0 begin\r\n-\r\n";
    EXPECT_TRUE(std::filesystem::exists(MapName));
    const int Tabs = Window.TabCount();
    EXPECT_FALSE(Window.Debugger().MapLoaded());
    Window.Debugger().ReloadMapFile(MapName);
    EXPECT_EQ(Window.TabCount(), Tabs);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the hourglass went
    EXPECT_TRUE(Window.Debugger().MapLoaded());
    EXPECT_EQ(Window.Debugger().MapTitle(), "Demo");
    ASSERT_NE(Window.Debugger().FindProcOffset("DEMO", 1, 0), nullptr);
    EXPECT_EQ(Window.Debugger().FindProcOffset("DEMO", 1, 0)->SourceText(), "begin");
}

TEST_F(DebuggerMap, ShowsTheParsedMapInANewTab) {
    TKorvidForm& Window = MakeForm();
    const std::string MapName = (Dir / "MAP.txt").string();
    std::ofstream(MapName) << "|L3| x\n#   DEMO     d.vp\n5     1:0 begin\n";
    Window.Debugger().LoadMapFile(MapName);
    Window.Debugger().ShowParsedMap();
    ASSERT_NE(Window.ActiveEditor(), nullptr);
    EXPECT_EQ(Window.Tabs()->tabText(Window.Tabs()->currentIndex()).toStdString(),
              "Parsed Map File");
    EXPECT_EQ(Window.ActiveEditor()->Paragraphs(),
              (std::vector<std::string>{"# Source: d.vp", "5 DEMO 1:0", "begin", ""}));
}

// Loading a map shows nothing, whatever its name names: the status and title tell what went wrong.
TEST_F(DebuggerMap, AMapThatCannotBeReadShowsNothing) {
    TKorvidForm& Window = MakeForm();
    const int Tabs = Window.TabCount();
    for (const std::string& Name : {(Dir / "none.map").string(), Dir.Path().string()}) {
        SCOPED_TRACE(Name);
        Window.Debugger().ReloadMapFile(Name);
        EXPECT_FALSE(Window.Debugger().MapLoaded());
        EXPECT_EQ(Window.Debugger().MapStatus(), "The map file could not be opened");
        EXPECT_EQ(Window.Debugger().MapTitle(), "** No such map **");
    }
    EXPECT_EQ(Window.TabCount(), Tabs);
}

// With "open the map's first source" on, a source that is there opens in a tab; one that is not
// is passed over without a message.
TEST_F(DebuggerMap, OpensTheFirstSourceOnlyWhenItIsThere) {
    TKorvidForm& Window = MakeForm();
    Window.Options().OpenSourceOnConnect = true;
    const std::string Source = File("demo.vp", "program Demo;\nbegin\nend.\n");
    const std::string MapName =
        File("MAP.txt", "|L3| demo\n#   DEMO     " + Source + "\n2     1:0 begin\n-\n");
    const int Tabs = Window.TabCount();

    Window.Debugger().ReloadMapFile(MapName);
    ASSERT_TRUE(Window.Debugger().MapLoaded());
    EXPECT_EQ(Window.TabCount(), Tabs + 1);
    EXPECT_EQ(Window.ActiveEditor()->FileName, Source);

    // Already open: no second tab.
    Window.Debugger().ReloadMapFile(MapName);
    EXPECT_EQ(Window.TabCount(), Tabs + 1);

    std::filesystem::remove(Source);
    Window.CloseTab();
    Window.Debugger().ReloadMapFile(MapName);
    EXPECT_TRUE(Window.Debugger().MapLoaded());
    EXPECT_EQ(Window.TabCount(), Tabs);
}

// The debugger's state reaches the tools and the status bar.
TEST_F(DebuggerMap, TheDebuggingToolsFollowTheControls) {
    namespace T = ToolIndex;
    TKorvidForm& Window = MakeForm();
    struct TCase {
        TDebuggingControls Controls;
        bool Bar, Connection, ConnectionDown, Pause, PauseDown, Resume;
    };
    const std::vector<TCase> Cases = {
        {{clBtnShadow, false, false, false, false, false, clBtnFace, "", ""},
         false,
         false,
         false,
         false,
         false,
         false},
        {{clWindow, true, true, true, false, false, clBtnFace, "", "Running"},
         true,
         true,
         true,
         true,
         false,
         false},
        {{clWindow, true, true, true, true, true, clYellow, "", "Paused"},
         true,
         true,
         true,
         true,
         true,
         true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Controls.StatusText);
        Window.DebuggerWindow().RefreshDebuggingControls(Case.Controls);
        EXPECT_EQ(ToolList().Items(T::ViewDebuggingBar)->Enabled(), Case.Bar);
        EXPECT_EQ(ToolList().Items(T::DebugFindDeclaration)->Enabled(), Case.Bar);
        EXPECT_EQ(ToolList().Items(T::DebugConnection)->Enabled(), Case.Connection);
        EXPECT_EQ(ToolList().Items(T::DebugConnection)->Down(), Case.ConnectionDown);
        EXPECT_EQ(ToolList().Items(T::DebugPause)->Enabled(), Case.Pause);
        EXPECT_EQ(ToolList().Items(T::DebugPause)->Down(), Case.PauseDown);
        for (const int Tool :
             {T::DebugResume, T::DebugStepOut, T::DebugAbort, T::DebugShowTableViewer})
            EXPECT_EQ(ToolList().Items(Tool)->Enabled(), Case.Resume);
    }
}

// The window's endpoint hands the module's notices to the debugger and answers the rest 0.
TEST_F(DebuggerMap, TheWindowAnswersTheModulesMessages) {
    TKorvidForm& Window = MakeForm();
    const TWindowHandle Handle = Window.DebuggerWindow().MainWindowHandle();
    ASSERT_NE(Handle, 0u);
    EXPECT_EQ(FindWindows("TKorvidForm"), std::vector<TWindowHandle>{Handle});
    EXPECT_EQ(SendWindowMessage(Handle, {0x462, 0, 10}), 1); // a stop while disconnected
    EXPECT_EQ(SendWindowMessage(Handle, {0x461, 0, 0}), 0);
    EXPECT_EQ(SendWindowMessage(Handle, {0x400, 1, 2}), 0);
    EXPECT_FALSE(Window.Debugger().IsConnected());
}

} // namespace
} // namespace korvid::test
