#include "platform/RegistryStore.h"
#include "platform/VirtualKeyCodes.h"
#include "tests/app/ProgramProcess.h"
#include "views/ViewList.h"
#include "workspace/KorvidTool.h"

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program with views planted in its user's settings.
class TViewsProgramTest : public TProgramTest {
protected:
    fs::path Settings() const { return Dir / "config" / "korvid" / "registry"; }
};

// A view's own shortcut applies it, and its save rules then decide how the file is written.
TEST_F(TViewsProgramTest, AViewsShortcutAppliesItsSaveRules) {
    const std::uint16_t CtrlAltU = ShortCutOf('U', {false, true, true});
    BuildTools();
    for (int Index = 0; Index < ToolList().Count(); ++Index)
        ASSERT_NE(ToolList().Items(Index)->ShortCut(), CtrlAltU) << ToolList().Items(Index)->Name();

    fs::create_directories(Settings().parent_path());
    {
        TScopedRegistryStore Store(Settings());
        TViewList Views;
        Views.GetDefaultView();
        auto Unix = std::make_unique<TView>();
        Unix->SetName("Unix Text");
        Unix->SaveAsUnix = true;
        Unix->ShortCut = CtrlAltU;
        Views.Add(std::move(Unix));
        Views.SaveToRegistry();
    }
    WriteFileBytes(Dir / "doc.txt", "one\r\ntwo\r\n");
    Run(Dir / "doc.txt", "key Ctrl+Alt+U\nkey Ctrl+S\nclose\n");
    EXPECT_EQ(ReadFileBytes(Dir / "doc.txt"), "one\ntwo\n");

    TScopedRegistryStore Store(Settings());
    TViewList Stored;
    Stored.LoadFromRegistry();
    ASSERT_EQ(Stored.Count(), 2);
    EXPECT_EQ(Stored.GetView(0).Name(), "Plain Text");
    EXPECT_EQ(Stored.GetView(1).Name(), "Unix Text");
    EXPECT_EQ(Stored.GetView(1).ShortCut, CtrlAltU);
    EXPECT_TRUE(Stored.GetView(1).SaveAsUnix);
    EXPECT_EQ(Stored.DefaultView, &Stored.GetView(0));
}

} // namespace
} // namespace korvid::test
