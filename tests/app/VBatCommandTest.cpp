#include "FormFixture.h"

#include "devtools/compiler/CompileServer.h"
#include "platform/Registry.h"
#include "platform/WindowKeys.h"
#include "psystem/MajorVolume.h"

#include <QApplication>

#include <set>

namespace korvid::test {
namespace {

// A p-System window that appears as soon as it is started and never closes by itself; each
// wait lets events run and then calls OnWait.
class TStayingWindow : public TWindowKeys, public TWaitService {
public:
    static constexpr TWindowId Window = 7;

    TWindowId FindTopWindow(std::string_view) override { return Started ? Window : NoWindow; }
    bool IsWindow(TWindowId W) override { return Started && W == Window; }
    bool IsMinimised(TWindowId) override { return false; }
    void Restore(TWindowId) override {}
    void BringToTop(TWindowId) override {}
    bool HasFocus(TWindowId W) override { return IsWindow(W); }
    bool CapsLockOn() override { return false; }
    void PressKey(int) override { ++Keys; }
    void ReleaseKey(int) override {}
    std::optional<TCharKey> KeyOfChar(char C) override { return UsKeyOfChar(C); }
    bool StartDetached(std::string_view, const std::filesystem::path&) override {
        Started = true;
        return true;
    }
    void Wait(int) override {
        ++Waits;
        QApplication::processEvents();
        if (OnWait)
            OnWait();
    }

    bool Started = false;
    int Keys = 0;
    int Waits = 0;
    std::function<void()> OnWait;
};

class TVBatCommandTest : public TProgramFormTest {
protected:
    void SetUp() override {
        TProgramFormTest::SetUp();
        MakeProgramForm();
        ASSERT_TRUE(CreateVolumeFile(Dir / "vp.vol", "VP", 200));
        Form->Options().PascalWorkVolume = (Dir / "vp.vol").string();
        Form->Options().PSystemLaunchCommand = "psystem";
        Form->Options().PSystemWindowTitle = "p-System";
        Form->VBatRuns().Keys = &Desktop;
        Form->VBatRuns().Waits = &Desktop;
        Form->show();
    }

    TStayingWindow Desktop;
};

TEST_F(TVBatCommandTest, ClosingTheWindowDuringARunCancelsItAndThenCloses) {
    Form->OpenFile(File("build.vbat", "announce hi\nsend keys\n"), false, {});
    bool CouldCloseTab = true;
    std::string PanelDuringRun;
    Desktop.OnWait = [&] {
        if (Desktop.Waits == 3) {
            PanelDuringRun = Form->StatusPanelText(TKorvidForm::CompileStatusPanel);
            CouldCloseTab = Form->CloseTab();
            Form->close();
            EXPECT_TRUE(Form->isVisible()); // not before the run has returned
        }
    };
    Form->CompileSource(false, false);
    EXPECT_FALSE(Form->VBatRunning());
    EXPECT_FALSE(CouldCloseTab);
    EXPECT_EQ(PanelDuringRun, "Running build.vbat with ");
    EXPECT_EQ(Form->StatusPanelText(TKorvidForm::CompileStatusPanel), "");
    EXPECT_GT(Desktop.Keys, 0);
    EXPECT_EQ(Desktop.Waits, 3);
    for (int Turn = 0; Turn < 10 && Form->isVisible(); ++Turn)
        QApplication::processEvents();
    EXPECT_FALSE(Form->isVisible());
}

// A report list of scripts, each waiting for the p-System window: a close during the first one
// cancels it and ends the list there, with no summary to answer, and then the window closes.
TEST_F(TVBatCommandTest, ClosingTheWindowDuringACompileListEndsItAfterTheEntryInHand) {
    TRegistry Registry;
    Registry.OpenKey(std::string("\\Software\\Classes\\CLSID\\") + WyxClassId + "\\LocalServer32",
                     true);
    Registry.WriteString("", (Dir / "server").string());
    Registry.CloseKey();
    Form->Options().PSystemAware = true;
    Form->Options().LorvantaCOMServer.clear();
    for (const char* Name : {"one.vbat", "two.vbat", "three.vbat"})
        File(Name, "announce hi\nsend keys\n");
    Form->OpenFile(File("list.vrep", "one.vbat\ntwo.vbat\nthree.vbat\n"), false, {});
    std::set<std::string> ScriptsRun;
    Desktop.OnWait = [&] {
        ScriptsRun.insert(Form->StatusPanelText(TKorvidForm::CompileStatusPanel));
        if (Desktop.Waits == 3)
            Form->close();
        // Should a run outlast the close, its window goes after a while so that the test ends.
        if (Desktop.Waits > 30)
            Desktop.Started = false;
    };
    Form->CompileSource(false, false);
    EXPECT_EQ(ScriptsRun, std::set<std::string>{"Running one.vbat with "});
    EXPECT_EQ(Desktop.Waits, 3);
    for (int Turn = 0; Turn < 10 && Form->isVisible(); ++Turn)
        QApplication::processEvents();
    EXPECT_FALSE(Form->isVisible());
}

// Without "Vosk Pascal" a Vosk source is built by the nearest Compile.vbat up the tree.
TEST_F(TVBatCommandTest, AVoskSourceIsBuiltByTheNearestCompileScript) {
    Form->Options().PSystemAware = true;
    Form->Options().VoskPascal = false;
    std::filesystem::create_directories(Dir / "Scripts");
    std::filesystem::create_directories(Dir / "src" / "deep");
    File("Scripts/COMPILE.VBAT", "announce hi\nsend keys\n");
    Form->OpenFile(File("src/deep/unit.vp", "program x;\n"), false, {});
    std::string PanelDuringRun;
    Desktop.OnWait = [&] {
        if (PanelDuringRun.empty())
            PanelDuringRun = Form->StatusPanelText(TKorvidForm::CompileStatusPanel);
    };
    Form->CompileSource(false, false);
    EXPECT_TRUE(Desktop.Started);
    EXPECT_GT(Desktop.Keys, 0);
    EXPECT_EQ(PanelDuringRun, "Running COMPILE.VBAT with ");
    EXPECT_FALSE(Form->VBatRunning());
}

} // namespace
} // namespace korvid::test
