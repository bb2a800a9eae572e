#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "psystem/MajorVolume.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XServer.h"
#include "workspace/ToolbarSettings.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

#include <array>
#include <filesystem>
#include <memory>
#include <ostream>
#include <vector>

namespace korvid {

// The stored values by name, for the failure messages.
void PrintTo(const TToolbarLayout& L, std::ostream* Out) {
    *Out << "{" << L.Name << " Visible=" << L.Visible << " Docked=" << L.Docked
         << " Dock=" << L.Dock << " Lane=" << L.Lane << " Offset=" << L.Offset
         << " Float=" << L.FloatLeft << "," << L.FloatTop << "," << L.FloatRight
         << " FloatRightX=" << (L.FloatRightX ? std::to_string(*L.FloatRightX) : "none")
         << " Buttons=" << L.Buttons.size() << "}";
}

} // namespace korvid

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

// The built program's toolbars as they stand in its user's settings.
class TToolbarsProgramTest : public TProgramTest {
protected:
    fs::path Settings() const { return Dir / "config" / "korvid" / "registry"; }

    std::vector<TToolbarLayout> Stored() const {
        TScopedRegistryStore Store(Settings());
        return LoadToolbarLayouts();
    }

    void Plant(const std::vector<TToolbarLayout>& Layouts) const {
        fs::create_directories(Settings().parent_path());
        TScopedRegistryStore Store(Settings());
        SaveToolbarLayouts(Layouts);
    }

    // The five defaults as a first start writes them, read from a store of their own.
    std::vector<TToolbarLayout> Defaults() const {
        TScopedRegistryStore Store(Dir / "defaults");
        return LoadToolbarLayouts();
    }

    void RunAndClose() {
        WriteFileBytes(Dir / "doc.txt", "hello\r\n");
        Run(Dir / "doc.txt", "close\n");
    }
};

TToolbarLayout* Named(std::vector<TToolbarLayout>& Layouts, std::string_view Name) {
    for (TToolbarLayout& Layout : Layouts)
        if (Layout.Name == Name)
            return &Layout;
    return nullptr;
}

TEST_F(TToolbarsProgramTest, AFirstRunLeavesTheFiveDefaults) {
    RunAndClose();
    std::vector<TToolbarLayout> Expected = Defaults();
    ASSERT_EQ(Expected.size(), 5u);
    for (TToolbarLayout& Layout : Expected) {
        // Saving names each bar's one-line width and leaves the right edge to it.
        Layout.FloatRightX = 0;
        Layout.FloatRight = -1;
    }
    // "Command Lines" stands past "Standard", whatever its stored offset asked.
    std::vector<TToolbarLayout> Saved = Stored();
    const TToolbarLayout* Standard = Named(Saved, "Standard");
    ASSERT_NE(Standard, nullptr);
    ASSERT_NE(Named(Expected, "Command Lines"), nullptr);
    ASSERT_NE(Named(Saved, "Command Lines"), nullptr);
    EXPECT_GT(Named(Saved, "Command Lines")->Offset, Named(Expected, "Command Lines")->Offset);
    Named(Expected, "Command Lines")->Offset = Named(Saved, "Command Lines")->Offset;
    EXPECT_EQ(Saved, Expected);
}

TEST_F(TToolbarsProgramTest, APlantedLayoutIsStoredAgainAsItWas) {
    std::vector<TToolbarLayout> Planted = Defaults();
    TToolbarLayout* Formatting = Named(Planted, "Formatting");
    TToolbarLayout* Bookmarks = Named(Planted, "Bookmarks");
    ASSERT_TRUE(Formatting && Bookmarks);
    Formatting->Docked = false;
    Formatting->FloatLeft = 150;
    Formatting->FloatTop = 120;
    Formatting->FloatRightX = 200; // wraps its buttons on several lines
    Bookmarks->Visible = true;
    Bookmarks->Dock = tdLeft;
    Bookmarks->Lane = 0;
    Bookmarks->Offset = 0;
    RunAndClose();
    const std::vector<TToolbarLayout> FirstRun = Stored();
    Plant(Planted);
    RunAndClose();

    std::vector<TToolbarLayout> Saved = Stored();
    ASSERT_EQ(Saved.size(), Planted.size());
    // Only what a save works out anew may differ: the one-line widths, the floating window's
    // right edge, and the docked bars' offsets as a first run placed them.
    for (std::size_t Index = 0; Index < Saved.size(); ++Index) {
        TToolbarLayout& Layout = Planted[Index];
        if (!Layout.FloatRightX)
            Layout.FloatRightX = 0;
        if (Layout.Docked && Layout.Dock == tdTop)
            Layout.Offset = FirstRun[Index].Offset;
        Layout.FloatRight = Saved[Index].FloatRight;
    }
    EXPECT_EQ(Saved, Planted);
    const TToolbarLayout* Floating = Named(Saved, "Formatting");
    ASSERT_NE(Floating, nullptr);
    EXPECT_GT(Floating->FloatRight, Floating->FloatLeft);
    EXPECT_LE(Floating->FloatRight - Floating->FloatLeft, 200 + 20); // the wrap width and frame
}

// The built program under a real X server, with the window manager the row names or none:
// toolbars and windows come back where they were.
class TPlacesXServerTest : public TToolbarsProgramTest,
                           public ::testing::WithParamInterface<const char*> {
protected:
    std::unique_ptr<TXServer> Server;
    QProcess WindowManager;

    void SetUp() override {
        TToolbarsProgramTest::SetUp();
        const QString Xvfb = QStandardPaths::findExecutable("Xvfb");
        if (Xvfb.isEmpty())
            GTEST_SKIP() << "Xvfb is needed";
        const QString Manager = *GetParam() ? QStandardPaths::findExecutable(GetParam()) : "";
        if (*GetParam() && Manager.isEmpty())
            GTEST_SKIP() << "the window manager " << GetParam()
                         << " is not installed (scripts/setup.sh installs it)";
        Server = std::make_unique<TXServer>(Xvfb);
        ASSERT_FALSE(Server->Display().isEmpty()) << "no X server could be started";
        ExtraEnvironment = {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", Server->Display()}};
        if (!Manager.isEmpty())
            StartWindowManager(Manager);
    }
    void TearDown() override {
        StopProcess(WindowManager);
        TToolbarsProgramTest::TearDown();
    }

    // Returns once the manager has taken the screen, which it says by running its start-up
    // command.
    void StartWindowManager(const QString& Manager) {
        const fs::path Ready = Dir / "wm-ready";
        QProcessEnvironment Environment = UserEnvironment(Dir.Path(), "xcb");
        Environment.insert("DISPLAY", Server->Display());
        WindowManager.setProcessEnvironment(Environment);
        WindowManager.start(Manager, {"--sm-disable", "--startup", "touch " + Q(Ready)});
        ASSERT_TRUE(WindowManager.waitForStarted(10000));
        const QDeadlineTimer Deadline(20000);
        while (!fs::exists(Ready) && WindowManager.state() == QProcess::Running &&
               !Deadline.hasExpired())
            WindowManager.waitForFinished(50);
        ASSERT_TRUE(fs::exists(Ready)) << WindowManager.readAllStandardError().toStdString();
    }
};

// A layout moved onto all four docks, with one bar floating, comes back the same from every
// start, whether a window manager places the window or not.
TEST_P(TPlacesXServerTest, AMovedLayoutComesBackUnchangedFromThreeRestarts) {
    std::vector<TToolbarLayout> Planted = Defaults();
    struct TRow {
        const char* Name;
        bool Docked;
        int Dock, Offset;
    };
    const TRow Rows[] = {
        {"Standard", true, tdLeft, 260},     {"Formatting", true, tdBottom, 619},
        {"Command Lines", true, tdTop, 900}, {"Extra Clipboards", true, tdRight, 300},
        {"Bookmarks", false, tdRight, 0}, // floats, and docks on the right when double-clicked
    };
    for (const TRow& R : Rows) {
        TToolbarLayout* Layout = Named(Planted, R.Name);
        ASSERT_NE(Layout, nullptr) << R.Name;
        Layout->Visible = true;
        Layout->Docked = R.Docked;
        Layout->Dock = R.Dock;
        Layout->Lane = 0;
        Layout->Offset = R.Offset;
        Layout->FloatLeft = 100;
        Layout->FloatTop = 300;
        // As a save writes a bar that floats on one line.
        Layout->FloatRightX = 0;
        Layout->FloatRight = -1;
    }
    Plant(Planted);
    for (int Start = 1; Start <= 3; ++Start) {
        SCOPED_TRACE("start " + std::to_string(Start));
        WriteFileBytes(Dir / "doc.txt", "hello\r\n");
        Run(Dir / "doc.txt", "wait 500\nclose\n");
        EXPECT_EQ(Stored(), Planted);
    }
}

// A window stored maximized is laid out at its normal size before the window manager maximizes
// it: the bars beyond the normal size must not be pulled back and stored there.
TEST_P(TPlacesXServerTest, AMaximizedWindowsBarsComeBackWhereTheyWere) {
    if (!*GetParam())
        GTEST_SKIP() << "without a window manager nothing maximizes the window";
    {
        fs::create_directories(Settings().parent_path());
        TScopedRegistryStore Store(Settings());
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(RootKeys[CurrentKeyIndex], true));
        Reg.WriteInteger("Window Left", 40);
        Reg.WriteInteger("Window Top", 40);
        Reg.WriteInteger("Window Width", 640);
        Reg.WriteInteger("Window Height", 480);
        Reg.WriteBool("Window Maximized", true);
    }
    std::vector<TToolbarLayout> Planted = Defaults();
    struct TRow {
        const char* Name;
        int Dock, Offset;
    };
    // Each offset lies past the normal window's side and within the maximized one's.
    const TRow Rows[] = {
        {"Command Lines", tdTop, 760},
        {"Extra Clipboards", tdBottom, 700},
        {"Standard", tdLeft, 250},
        {"Bookmarks", tdRight, 400},
    };
    for (const TRow& R : Rows) {
        TToolbarLayout* Layout = Named(Planted, R.Name);
        ASSERT_NE(Layout, nullptr) << R.Name;
        Layout->Visible = true;
        Layout->Docked = true;
        Layout->Dock = R.Dock;
        Layout->Lane = 0;
        Layout->Offset = R.Offset;
        Layout->FloatRightX = 0;
        Layout->FloatRight = -1;
    }
    TToolbarLayout* Formatting = Named(Planted, "Formatting");
    ASSERT_NE(Formatting, nullptr);
    Formatting->Visible = false;
    Plant(Planted);
    for (int Start = 1; Start <= 2; ++Start) {
        SCOPED_TRACE("start " + std::to_string(Start));
        WriteFileBytes(Dir / "doc.txt", "hello\r\n");
        Run(Dir / "doc.txt", "wait 500\nclose\n");
        const std::vector<TToolbarLayout> Saved = Stored();
        for (const TRow& R : Rows) {
            std::vector<TToolbarLayout> Copy = Saved;
            const TToolbarLayout* Layout = Named(Copy, R.Name);
            ASSERT_NE(Layout, nullptr) << R.Name;
            EXPECT_EQ(Layout->Offset, R.Offset) << R.Name;
            EXPECT_EQ(Layout->Dock, R.Dock) << R.Name;
        }
    }
}

// The filer is stored where it stood and shown there again, frame and all.
TEST_P(TPlacesXServerTest, TheFilerComesBackWhereItStood) {
    const fs::path Volume = Dir / "w.vol";
    ASSERT_TRUE(CreateVolumeFile(Volume, "WORK", 100));
    {
        TMajorVolume V(Volume, true);
        ASSERT_TRUE(V.SaveTextFile("A.TEXT", {"alpha"}, false));
    }
    const auto Place = [this] {
        TScopedRegistryStore Store(Settings());
        TRegistryEx Reg;
        std::array<int, 4> Values{-1, -1, -1, -1};
        if (Reg.OpenKeyReadOnly(FilerKeys[CurrentKeyIndex])) {
            Values = {Reg.ReadIntegerDefault("Window Left", -1),
                      Reg.ReadIntegerDefault("Window Top", -1),
                      Reg.ReadIntegerDefault("Window Width", -1),
                      Reg.ReadIntegerDefault("Window Height", -1)};
        }
        return Values;
    };
    Run(Volume.string() + ">A.TEXT", "key F2\nwait 300\nkey Esc\nclose\n");
    const std::array<int, 4> First = Place();
    for (int Start = 2; Start <= 3; ++Start) {
        SCOPED_TRACE("start " + std::to_string(Start));
        Run(Volume.string() + ">A.TEXT", "key F2\nwait 300\nkey Esc\nclose\n");
        EXPECT_EQ(Place(), First);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, TPlacesXServerTest, ::testing::Values("", "openbox"),
                         [](const ::testing::TestParamInfo<const char*>& Info) {
                             return std::string(*Info.param ? Info.param : "NoWindowManager");
                         });

} // namespace
} // namespace korvid::test
