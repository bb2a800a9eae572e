#include "FormFixture.h"

#include <QTabWidget>

#include <fstream>

namespace korvid::test {
namespace {

class DebuggerMap : public TFormTest {};

// The Options dialog's "Reload Now" hands the edit's text to the window's one debugger, which
// reads the map by the window's open-file rules without opening a tab for it.
TEST_F(DebuggerMap, DISABLED_ReloadReadsTheMapThroughTheWindow) {
    TKorvidForm& Window = MakeForm();
    const std::string MapName = (Dir / "MAP.txt").string();
    std::ofstream(MapName)
        << "|L3| \"C:\\x\\Demo.vp\"\r\n#   DEMO     d.vp\r\n5     1:0 begin\r\n-\r\n";
    EXPECT_TRUE(std::filesystem::exists(MapName));
    const int Tabs = Window.TabCount();
    EXPECT_FALSE(Window.Debugger().MapLoaded());
    Window.Debugger().ReloadMapFile(MapName);
    EXPECT_EQ(Window.TabCount(), Tabs);
    EXPECT_TRUE(Window.Debugger().MapLoaded());
    EXPECT_EQ(Window.Debugger().MapTitle(), "Demo");
    ASSERT_NE(Window.Debugger().FindProcOffset("DEMO", 1, 0), nullptr);
    EXPECT_EQ(Window.Debugger().FindProcOffset("DEMO", 1, 0)->SourceText(), "begin");
}

TEST_F(DebuggerMap, DISABLED_ShowsTheParsedMapInANewTab) {
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

} // namespace
} // namespace korvid::test
