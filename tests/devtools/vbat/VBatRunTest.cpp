#include "VBatTestSupport.h"

#include "devtools/vbat/VBatKeys.h"
#include "devtools/vbat/VBatReporter.h"
#include "devtools/vbat/VBatScriptRun.h"
#include "platform/VirtualKeyCodes.h"
#include "psystem/MajorVolume.h"
#include "tests/support/CurrentFolder.h"
#include "ui/ModalRunner.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

namespace korvid::test {

namespace {

constexpr std::string_view Start = "FUIPVP\r";

class VBatRunTest : public ::testing::Test {
protected:
    // Parses and runs Text; answers the run's result.
    bool Run(std::string_view Text, bool Wait = false) {
        Script = Folder.Write("S.vbat", Text);
        VBat = std::make_unique<TVBat>(Folder.Settings(Desktop));
        if (!VBat->LoadScript(Script, "", Reporter))
            return false;
        return VBat->ExecuteScript(Saved, Force, KeyLog, Wait, Reporter);
    }
    // The keys of the run: those sent and those still in the buffer.
    std::string Keys() const { return VBat->KeyLog() + VBat->Keys(); }

    TVBatFolder Folder;
    TFakeDesktop Desktop;
    TRecordingReporter Reporter;
    std::unique_ptr<TVBat> VBat;
    std::string Script;
    TVBatValues Saved;
    bool Force = false;
    std::filesystem::path KeyLog;
};

TEST_F(VBatRunTest, KeysOfTheCommands) {
    Folder.Write("vols/disk.vol", "x");
    const struct {
        std::string Script;
        std::string Keys;
    } Cases[] = {
        {"copy A to B\ncompile X to Y\n", "FUIPVP\rTA\rB\rYQCX\rY\r\r"},
        {"compile X to Y and Z\n", "FUIPVP\rQCX\rY\rZ\r"},
        {"flag DEBUG on in MYFILE\n", "FUIPVP\rQEMYFILE\rR/DEBUG-//DEBUG+/ QU"},
        {"flag DEBUG off in MYFILE\n", "FUIPVP\rQEMYFILE\rR/DEBUG+//DEBUG-/ QU"},
        {"delete X\n", "FUIPVP\rRX\r\r\r\r\rY"},
        {"announce 'Hello there'\n", "FUIPVP\rQXSYS:OK\rHello there\r"},
        {"krunch VP:\n", "FUIPVP\rKVP:\rY"},
        {"mount V:\n", "FUIPVP\rDV:\r O"},
        {"mount {_VBatPath_}vols\\disk.vol\n",
         "FUIPVP\rD" + Folder.Dir.Path().string() + "/vols\\disk.vol\r O"},
        {"generate LIB as OUT standalone\nadd A\nadd B\nend\n",
         "FUIPVP\rQXSYS:LIBRARY\rLIB\rA\rTENB\rEFQOUT\r"},
        {"generate LIB as OUT interfaced\nadd A\nend\n", "FUIPVP\rQXSYS:LIBRARY\rLIB\rA\rEQOUT\r"},
        {"link A to B\n", "FUIPVP\rQLA\rB\r\r\r\r"},
        {"confirm\n", "FUIPVP\rQX*CONFIRM PI=\"(next section of VBat script)\"\r"},
        {"rename A to B\n", "FUIPVP\rCA\rB\r"},
        {"execute P with 'a b'\n", "FUIPVP\rQXP\ra b\r"},
        {"initialise\nprefix W:\n", "FUIPVP\rUIPW:\r"},
        {"announce 'a\xAC"
         "b'\n",
         "FUIPVP\rQXSYS:OK\ra\rb\r"},
        {"x = 1\nX! copy A to B\nX? copy C to D\n", "FUIPVP\rQFTC\rD\rY"},
        {"Y! copy A to B\nX? begin\ncopy C to D\nend\n", "FUIPVP\rQFTA\rB\rYQ"},
        {"x = v\nX! begin\ncopy C to D\nend\nX? begin\ndelete {x}\nend\n",
         "FUIPVP\rQFRv\r\r\r\r\rY"},
        {"Y!\nbegin\nannounce y\nend\n", "FUIPVP\rQXSYS:OK\ry\r"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Script);
        Reporter.Errors.clear();
        EXPECT_TRUE(Run(Case.Script));
        EXPECT_TRUE(Reporter.Errors.empty());
        EXPECT_EQ(Keys(), Case.Keys);
    }
}

TEST_F(VBatRunTest, RunErrorsHoldOnlyTheMessage) {
    const struct {
        std::string Script;
        std::string Message;
    } Cases[] = {
        {"mount /no/such.vol\n", "Volume to be mounted does not exist:\r\r/no/such.vol"},
        {"template A to B\n", "Template file 'A' does not exist"},
        {"store missing.txt\n", "Unable to store 'missing.txt' as 'VP:MISSING.TEXT'"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Script);
        Reporter.Errors.clear();
        EXPECT_FALSE(Run(Case.Script));
        EXPECT_EQ(Reporter.Errors, std::vector<std::string>{Case.Message});
    }
}

TEST_F(VBatRunTest, PauseCancelEndsQuietly) {
    Reporter.PauseAnswer = false;
    EXPECT_FALSE(Run("x = 2\npause 'Now {x}'\nannounce later\n"));
    EXPECT_EQ(Reporter.Pauses, std::vector<std::string>{"Now 2"});
    EXPECT_TRUE(Reporter.Errors.empty());
    EXPECT_EQ(Keys(), std::string(Start) + "Q");

    TScriptedModals Modals;
    Modals.Press("Cancel");
    TVBatBoxReporter Boxes;
    TVBat Boxed(Folder.Settings(Desktop));
    ASSERT_TRUE(Boxed.LoadScript(Folder.Write("P.vbat", "pause\n"), "", Boxes));
    EXPECT_FALSE(Boxed.ExecuteScript(Saved, false, {}, false, Boxes));
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "VBat Script Paused");
    EXPECT_EQ(Modals.Last().Message->Text, "Paused");
}

TEST_F(VBatRunTest, StoreAsAndTo) {
    Folder.Write("src/My Unit.txt", "line one\nline two\n");
    ASSERT_TRUE(Run("store 'src\\My Unit.txt' as MINE.TEXT\n"
                    "store 'src/My Unit.txt' to VOL:X\n"));
    EXPECT_EQ(Keys(), std::string(Start) + "QFTMY UNIT.TEXT\rVOL:X\rYQ");
    TMajorVolume V(Folder.Volume, false);
    EXPECT_EQ(V.ReadFileLines(V.FindFile("MINE.TEXT"), "MINE.TEXT"),
              (std::vector<std::string>{"line one", "line two"}));
    EXPECT_GT(V.FindFile("MY UNIT.TEXT"), 0);
}

TEST_F(VBatRunTest, TemplateFillsVariables) {
    Folder.Write("t.txt", "unit {_PSystemName_} of {_YearNum_}\n{who}\n");
    ASSERT_TRUE(Run("who = me\ntemplate {_VBatPath_}t.txt to {_VBatPath_}out.txt\n"));
    EXPECT_EQ(ReadFileBytes(Folder.Dir / "out.txt"), "unit UNIT.TEXT of 2024\r\nme\r\n");
}

TEST_F(VBatRunTest, RelativeNamesAreTakenFromTheScriptsFolder) {
    Folder.Write("sub/Default.vbat", "announce dflt\n");
    Folder.Write("inc.vbat", "announce inc\n");
    Folder.Write("tpl.txt", "made by {who}\n");
    Folder.Write("src.txt", "stored\n");
    // The same names in the current folder would hide the fault.
    TTempDir Elsewhere;
    const TCurrentFolder Current(Elsewhere.Path());
    const struct {
        std::string Script;
        std::string Announced; // the keys' announcement, when the row makes one
        std::string Written;   // a file that the row writes beside the script
        std::string Contents;
    } Cases[] = {
        {"default sub/\n", "XSYS:OK\rdflt\r", "", ""},
        {"default sub\n", "XSYS:OK\rdflt\r", "", ""},
        {"include inc.vbat\n", "XSYS:OK\rinc\r", "", ""},
        {"who = me\ntemplate tpl.txt to out.txt\n", "", "out.txt", "made by me\r\n"},
        {"who = you\ntemplate 'tpl.txt' to 'sub\\made.txt'\n", "", "sub/made.txt",
         "made by you\r\n"},
        {"store src.txt as SRC.TEXT\n", "", "", ""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Script);
        Reporter.Errors.clear();
        EXPECT_TRUE(Run(Case.Script));
        EXPECT_EQ(Reporter.Errors, std::vector<std::string>{});
        if (!Case.Announced.empty()) {
            EXPECT_NE(Keys().find(Case.Announced), std::string::npos) << Keys();
        }
        if (!Case.Written.empty()) {
            EXPECT_EQ(ReadFileBytes(Folder.Dir / Case.Written), Case.Contents);
            EXPECT_FALSE(std::filesystem::exists(Elsewhere / Case.Written));
        }
    }
    TMajorVolume V(Folder.Volume, false);
    EXPECT_EQ(V.ReadFileLines(V.FindFile("SRC.TEXT"), "SRC.TEXT"),
              std::vector<std::string>{"stored"});
}

// ---- send keys ---------------------------------------------------------------------------------

TEST_F(VBatRunTest, SendKeysStoresGoTextAndReusesTheWindow) {
    KeyLog = Folder.Dir / "keys.log";
    Desktop.AppearAfter = 2000;
    Desktop.CloseAfter = 1500;
    ASSERT_TRUE(Run("send keys tidily so far\nannounce x\nsend keys\n", true))
        << (Reporter.Errors.empty() ? "" : Reporter.Errors[0]);
    EXPECT_EQ(Desktop.Started, std::vector<std::string>{"psystem --run"});
    EXPECT_EQ(Folder.GoText(),
              (std::vector<std::string>{"FPVP", "QXSYS:OK", "x", "X*CLOSEPSYS.CODE"}));
    EXPECT_EQ(VBat->KeyLog(), "FUIPVP\rRVP:=\r\r\r\r\rYQFPVP\rQXSYS:OK\rx\rX*CLOSEPSYS.CODE\r");
    EXPECT_EQ(ReadFileBytes(KeyLog),
              "FUIPVP\r\nRVP:=\r\n\r\n\r\n\r\n\r\nYQFPVP\r\nQXSYS:OK\r\nx\r\nX*CLOSEPSYS.CODE\r\n");
    // Found on the second poll, then 500 ms steps until it closed.
    EXPECT_EQ(Desktop.Waits, (std::vector<int>{1000, 1000, 500, 500, 500}));
    EXPECT_EQ(Reporter.ProgressShown, std::vector<std::string>{"Running VBat Script..."});
}

TEST_F(VBatRunTest, CloseCommandOnlyForEmptyOptionOrWaitingRun) {
    const struct {
        std::string Script;
        bool Wait;
        bool Close;
    } Cases[] = {
        {"send keys\n", false, true},         {"send keys and wait\n", false, false},
        {"send keys and wait\n", true, true}, {"send keys so far\n", true, false},
        {"send keys so far\n", false, false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Script + (Case.Wait ? " waiting" : ""));
        TFakeDesktop Fresh;
        Fresh.AppearAfter = 1000;
        Fresh.CloseAfter = 0;
        TVBat Run(Folder.Settings(Fresh));
        ASSERT_TRUE(Run.LoadScript(Folder.Write("S.vbat", Case.Script), "", Reporter));
        EXPECT_TRUE(Run.ExecuteScript(Saved, false, {}, Case.Wait, Reporter));
        const std::string Close = "X*CLOSEPSYS.CODE\r";
        const std::string& Log = Run.KeyLog();
        EXPECT_EQ(Log.size() >= Close.size() && Log.ends_with(Close), Case.Close) << Log;
        EXPECT_EQ(Folder.GoText().back().ends_with("X*CLOSEPSYS.CODE"), Case.Close);
    }
}

TEST_F(VBatRunTest, SendKeysFailures) {
    const struct {
        std::string Name;
        std::function<void(TVBatSettings&, TFakeDesktop&)> Set;
        std::string Message;
        int Starts;
    } Cases[] = {
        {"no volume", [](auto& S, auto&) { S.VolumeFile.clear(); },
         "Unable to save keystrokes to 'VP:GO.TEXT'", 0},
        {"bad volume", [](auto& S, auto&) { S.VolumeFile = "/no/such/vp.vol"; },
         "Unable to save keystrokes to 'VP:GO.TEXT'", 0},
        {"no command", [](auto& S, auto&) { S.LaunchCommand.clear(); },
         "The p-System launch command is not configured.", 0},
        {"no title", [](auto& S, auto&) { S.WindowTitle.clear(); },
         "The p-System window title is not configured.", 0},
        {"already open", [](auto&, auto& D) { D.Open = true; },
         "There is already a p-System window open.", 0},
        {"cannot start", [](auto&, auto& D) { D.CanStart = false; },
         "Unable to start the p-System window: psystem --run", 1},
        {"never appears", [](auto&, auto& D) { D.AppearAfter = -1; },
         "Unable to find p-System window 'p-System'", 1},
        {"loses focus", [](auto&, auto& D) { D.FocusForKeys = 3; },
         "The p-System window lost the keyboard focus; typing stopped.", 1},
        {"never gets the focus", [](auto&, auto& D) { D.FocusFrom = 1000000; },
         "The p-System window lost the keyboard focus; typing stopped.", 1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TFakeDesktop Fresh;
        Fresh.AppearAfter = 1000;
        TVBatSettings Settings = Folder.Settings(Fresh);
        Case.Set(Settings, Fresh);
        TVBat Run(Settings);
        TRecordingReporter Errors;
        ASSERT_TRUE(Run.LoadScript(Folder.Write("S.vbat", "send keys\n"), "", Errors));
        EXPECT_FALSE(Run.ExecuteScript(Saved, false, {}, false, Errors));
        EXPECT_EQ(Errors.Errors, std::vector<std::string>{Case.Message});
        EXPECT_EQ(static_cast<int>(Fresh.Started.size()), Case.Starts);
        if (Case.Name == "never appears") {
            EXPECT_EQ(Fresh.Waits, (std::vector<int>{1000, 1000, 1000, 1000, 1000}));
        }
        if (Case.Name == "loses focus") {
            EXPECT_EQ(Fresh.KeyPresses(), 3);
        }
        if (Case.Name == "never gets the focus") {
            EXPECT_EQ(Fresh.KeyPresses(), 0);
            std::vector<int> Expected{1000};
            Expected.insert(Expected.end(), 20, 100); // two seconds in 100 ms steps
            EXPECT_EQ(Fresh.Waits, Expected);
        }
    }
}

TEST_F(VBatRunTest, TypingWaitsForTheFocusToArrive) {
    Desktop.AppearAfter = 1000;
    Desktop.FocusFrom = 1300;
    ASSERT_TRUE(Run("send keys so far\n")) << Reporter.Errors.at(0);
    EXPECT_EQ(Desktop.Waits, (std::vector<int>{1000, 100, 100, 100}));
    EXPECT_EQ(Desktop.KeyPresses(), 10); // every key of "QXI=VP:GO\r"
}

TEST_F(VBatRunTest, IconicWindowRestoredAndDelays) {
    Desktop.AppearAfter = 1000;
    Desktop.Minimised = true;
    TVBatSettings Settings = Folder.Settings(Desktop);
    Settings.DelayKeys = true;
    TVBat Run(Settings);
    ASSERT_TRUE(Run.LoadScript(Folder.Write("S.vbat", "send keys\n"), "", Reporter));
    ASSERT_TRUE(Run.ExecuteScript(Saved, false, {}, false, Reporter));
    EXPECT_EQ(Desktop.Events.front(), "restore");
    std::vector<int> Expected{1000, 5000, 500};
    Expected.insert(Expected.end(), 9, 100); // "QXI=VP:GO\r" has ten keys
    EXPECT_EQ(Desktop.Waits, Expected);
}

TEST_F(VBatRunTest, CancelInTheProgressBoxFails) {
    Desktop.AppearAfter = 1000;
    int Polls = 0;
    Desktop.OnWait = [&] {
        if (Desktop.KeyPresses() > 0 && ++Polls == 3)
            *Reporter.CancelProgress = true;
    };
    EXPECT_FALSE(Run("send keys\n", true));
    EXPECT_TRUE(Reporter.Errors.empty());
    EXPECT_EQ(Polls, 3);
}

TEST_F(VBatRunTest, RealProgressFormCancels) {
    Desktop.AppearAfter = 1000;
    TFormPlace Place{40, 50};
    TVBatBoxReporter Boxes(&Place);
    Desktop.OnWait = [&] {
        for (QWidget* Widget : QApplication::topLevelWidgets())
            if (auto* Form = qobject_cast<TCompilerProgressForm*>(Widget);
                Form && Form->isVisible()) {
                EXPECT_EQ(Form->windowTitle(), "Running VBat Script...");
                Form->CancelButton->click();
            }
    };
    TVBat Run(Folder.Settings(Desktop));
    ASSERT_TRUE(Run.LoadScript(Folder.Write("S.vbat", "send keys and wait\n"), "", Boxes));
    EXPECT_FALSE(Run.ExecuteScript(Saved, false, {}, true, Boxes));
}

TEST(VBatSendKeys, ShiftAndCapsLock) {
    for (const bool Caps : {false, true}) {
        SCOPED_TRACE(Caps);
        TFakeDesktop Desktop;
        Desktop.Open = true;
        Desktop.CapsLock = Caps;
        ASSERT_TRUE(SendKeys(Desktop, Desktop, TFakeDesktop::PSystemWindow, "QXI=VP:GO\r", false));
        const std::string Shift = std::to_string(VK_SHIFT);
        auto Shifted = [&](char C) {
            const std::string K = std::to_string(VK_A + (C - 'A'));
            return std::vector<std::string>{"+" + Shift, "+" + K, "-" + K, "-" + Shift};
        };
        std::vector<std::string> Expected;
        const std::string CapsKey = std::to_string(VK_CAPITAL);
        if (Caps)
            Expected.insert(Expected.end(), {"+" + CapsKey, "-" + CapsKey});
        for (char C : std::string("QXI")) {
            const auto Keys = Shifted(C);
            Expected.insert(Expected.end(), Keys.begin(), Keys.end());
        }
        const std::string Equals = std::to_string(VK_OEM_PLUS);
        const std::string Colon = std::to_string(VK_OEM_1);
        Expected.insert(Expected.end(), {"+" + Equals, "-" + Equals});
        for (char C : std::string("VP")) {
            const auto Keys = Shifted(C);
            Expected.insert(Expected.end(), Keys.begin(), Keys.end());
        }
        Expected.insert(Expected.end(), {"+" + Shift, "+" + Colon, "-" + Colon, "-" + Shift});
        for (char C : std::string("GO")) {
            const auto Keys = Shifted(C);
            Expected.insert(Expected.end(), Keys.begin(), Keys.end());
        }
        const std::string Return = std::to_string(VK_RETURN);
        Expected.insert(Expected.end(), {"+" + Return, "-" + Return});
        if (Caps)
            Expected.insert(Expected.end(), {"+" + CapsKey, "-" + CapsKey});
        EXPECT_EQ(Desktop.Events, Expected);
    }
}

// ---- input -------------------------------------------------------------------------------------

TEST_F(VBatRunTest, InputDialogIsReadBack) {
    TScriptedModals Modals;
    Modals.Then(ActOn<TVBatInputDialog>([](TVBatInputDialog& Dialog) {
        ASSERT_EQ(Dialog.CheckBoxes().size(), 1u);
        EXPECT_EQ(Dialog.CheckBoxes()[0]->text(), "Debug build");
        Dialog.CheckBoxes()[0]->setChecked(true);
        ASSERT_EQ(Dialog.DropDowns().size(), 1u);
        EXPECT_EQ(Dialog.DropDowns()[0]->count(), 3);
        Dialog.DropDowns()[0]->setCurrentIndex(1);
    }));
    Modals.Press("OK");
    TVBatBoxReporter Boxes;
    TVBat Run(Folder.Settings(Desktop));
    ASSERT_TRUE(Run.LoadScript(
        Folder.Write("S.vbat", "input dbg as 'Debug build'\ninput red or green or blue\n"), "",
        Boxes));
    ASSERT_TRUE(Run.ExecuteScript(Saved, false, {}, false, Boxes));
    EXPECT_EQ(Modals.Shown().at(0).Caption, "VBat Script Parameters");
    EXPECT_EQ(Saved, (TVBatValues{{"DBG", "Y"}, {"RED", ""}, {"GREEN", "Y"}, {"BLUE", ""}}));
    EXPECT_EQ(Run.Variable("green"), "Y");
    EXPECT_EQ(Run.Variable("dbg"), "Y");
}

TEST_F(VBatRunTest, SavedInputsSkipTheDialogUnlessForcedOrMissing) {
    const std::string Text = "input dbg as Debug\nDBG? announce on\n";
    Saved = {{"DBG", "Y"}};
    ASSERT_TRUE(Run(Text));
    EXPECT_EQ(Reporter.InputsAsked, 0);
    EXPECT_EQ(Keys(), std::string(Start) + "QXSYS:OK\ron\r");

    Force = true;
    Reporter.Answer = [](const auto&, TVBatValues& Values) {
        Values["DBG"] = "";
        return true;
    };
    ASSERT_TRUE(Run(Text));
    EXPECT_EQ(Reporter.InputsAsked, 1);
    EXPECT_EQ(Keys(), std::string(Start) + "Q");

    Force = false;
    Saved.clear();
    ASSERT_TRUE(Run(Text));
    EXPECT_EQ(Reporter.InputsAsked, 2);

    Reporter.Answer = nullptr; // Cancel
    Saved.clear();
    KeyLog = Folder.Dir / "never.log";
    EXPECT_FALSE(Run(Text));
    EXPECT_TRUE(Reporter.Errors.empty());
    EXPECT_FALSE(std::filesystem::exists(KeyLog));
}

TEST_F(VBatRunTest, KeyLogWrittenAfterAFailedRun) {
    KeyLog = Folder.Dir / "keys.log";
    EXPECT_FALSE(Run("template none to x\n"));
    EXPECT_TRUE(std::filesystem::exists(KeyLog));
}

// The main window's run: the compile panel shows it while it runs and is cleared after, whatever
// the outcome; Override forces the input dialog.
class VBatScriptRunTest : public VBatRunTest {
protected:
    bool RunScript(std::string_view Text, bool Override = false) {
        Script = Folder.Write("build.vbat", Text);
        Context.Settings = Folder.Settings(Desktop);
        Context.UserScript = "user.vbat";
        Context.SavedInputs = &Saved;
        Context.ShowStatus = [this](const std::string& Status) {
            Statuses.push_back(Status);
            if (!Status.empty())
                DuringRun = Status;
        };
        return RunVBatScript(Script, "", "", false, Override, Context, Reporter);
    }

    TVBatScriptContext Context;
    std::vector<std::string> Statuses;
    std::string DuringRun;
};

TEST_F(VBatScriptRunTest, ThePanelShowsTheRunAndIsClearedAfter) {
    Desktop.AppearAfter = 1000;
    Desktop.OnWait = [this] { EXPECT_EQ(Statuses.size(), 1u); };
    EXPECT_TRUE(RunScript("announce hi\nsend keys so far\n"));
    EXPECT_EQ(DuringRun, "Running build.vbat with user.vbat");
    EXPECT_EQ(Statuses.back(), "");
}

TEST_F(VBatScriptRunTest, ParseErrorsAndFailedRunsClearThePanelToo) {
    EXPECT_FALSE(RunScript("no such statement\n"));
    ASSERT_EQ(Reporter.Errors.size(), 1u);
    EXPECT_EQ(Statuses, (std::vector<std::string>{"Running build.vbat with user.vbat", ""}));
    Statuses.clear();
    Reporter.Errors.clear();
    Desktop.CanStart = false;
    EXPECT_FALSE(RunScript("send keys\n"));
    EXPECT_EQ(Reporter.Errors,
              std::vector<std::string>{"Unable to start the p-System window: psystem --run"});
    EXPECT_EQ(Statuses.back(), "");
}

TEST_F(VBatScriptRunTest, OverrideForcesTheInputDialog) {
    Saved["DEBUG"] = "Y";
    Reporter.Answer = [](const std::vector<TVBatInput>&, TVBatValues&) { return true; };
    const std::string Text = "input debug as Debug\n";
    EXPECT_TRUE(RunScript(Text));
    EXPECT_EQ(Reporter.InputsAsked, 0);
    EXPECT_TRUE(RunScript(Text, true));
    EXPECT_EQ(Reporter.InputsAsked, 1);
    Context.WantInput = true;
    EXPECT_TRUE(RunScript(Text));
    EXPECT_EQ(Reporter.InputsAsked, 2);
}

} // namespace

} // namespace korvid::test
