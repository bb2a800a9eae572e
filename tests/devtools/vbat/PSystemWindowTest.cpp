#include "VBatTestSupport.h"
#include "XvfbServer.h"

#include "devtools/vbat/VBatKeys.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "platform/X11WindowKeys.h"
#include "tests/app/ProgramProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

// Last: Xlib's macros clash with the names above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace korvid::test {

namespace {

using namespace std::chrono_literals;

constexpr std::string_view RunGo = "QXI=VP:GO\r";

TEnvironmentLookup Environment(std::map<std::string, std::string> Values) {
    return [Values = std::move(Values)](std::string_view Name) -> std::optional<std::string> {
        const auto Found = Values.find(std::string(Name));
        return Found == Values.end() ? std::nullopt : std::optional<std::string>(Found->second);
    };
}

// Real waits that count how often each length was waited.
class TCountingWait : public TWaitService {
public:
    void Wait(int Milliseconds) override {
        Waits.push_back(Milliseconds);
        EventPumpingWait().Wait(Milliseconds);
    }
    std::vector<int> Waits;
};

// The events and the typed text of a stand-in's log.
struct TStandInLog {
    std::vector<std::string> Lines;
    std::string Typed;
    // For each typed character, whether Shift was held.
    std::vector<bool> Shifted;
    bool Has(std::string_view Line) const {
        return std::find(Lines.begin(), Lines.end(), Line) != Lines.end();
    }
};

TStandInLog ReadStandInLog(const std::filesystem::path& File) {
    TStandInLog Log;
    if (!std::filesystem::exists(File))
        return Log;
    std::string Text = ReadFileBytes(File);
    bool Shift = false;
    std::size_t Start = 0;
    for (std::size_t End; (End = Text.find('\n', Start)) != std::string::npos; Start = End + 1) {
        const std::string Line = Text.substr(Start, End - Start);
        Log.Lines.push_back(Line);
        if (Line == "press Shift_L")
            Shift = true;
        else if (Line == "release Shift_L")
            Shift = false;
        else if (Line.starts_with("char ")) {
            Log.Typed += char(std::stoi(Line.substr(5), nullptr, 16));
            Log.Shifted.push_back(Shift);
        }
    }
    return Log;
}

class PSystemWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Launch commands start with the program's own environment.
        if (const char* Old = std::getenv("DISPLAY"))
            FOldDisplay = Old;
        setenv("DISPLAY", Server.Display().c_str(), 1);
        Desktop = OpenDesktopKeys(Environment({{"DISPLAY", Server.Display()}}));
        ASSERT_TRUE(Desktop.Keys) << Desktop.WhyNot;
        Keys = Desktop.Keys.get();
        Connection = XOpenDisplay(Server.Display().c_str());
        ASSERT_NE(Connection, nullptr);
    }
    void TearDown() override {
        for (auto& Process : Processes) {
            Process->kill();
            Process->waitForFinished(5000);
        }
        if (Connection)
            XCloseDisplay(Connection);
        if (FOldDisplay)
            setenv("DISPLAY", FOldDisplay->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }

    // The stand-in's command line (for a launch command).
    std::string StandInCommand(const std::string& Title, const std::string& LogName,
                               const std::string& Options = {}) const {
        return std::string(PSYSTEM_WINDOW_STANDIN) + " \"" + Title + "\" " +
               (Folder.Dir / LogName).string() + " " + Folder.Volume.string() + " " + Options;
    }

    // Starts a stand-in and waits until its window is up.
    void StartStandIn(const std::string& Title, const std::string& LogName,
                      const QStringList& Options = {}) {
        auto Process = std::make_unique<QProcess>();
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("DISPLAY", QString::fromStdString(Server.Display()));
        Process->setProcessEnvironment(Env);
        Process->start(PSYSTEM_WINDOW_STANDIN,
                       QStringList{QString::fromStdString(Title),
                                   QString::fromStdString((Folder.Dir / LogName).string()),
                                   QString::fromStdString(Folder.Volume.string())} +
                           Options);
        ASSERT_TRUE(Process->waitForStarted(5000));
        Processes.push_back(std::move(Process));
        ASSERT_TRUE(WaitFor([&] { return Log(LogName).Has("ready"); }));
    }

    TStandInLog Log(const std::string& LogName) const {
        return ReadStandInLog(Folder.Dir / LogName);
    }

    static bool WaitFor(const std::function<bool()>& Condition, int Milliseconds = 5000) {
        for (int Waited = 0; Waited < Milliseconds; Waited += 20) {
            if (Condition())
                return true;
            std::this_thread::sleep_for(20ms);
        }
        return Condition();
    }

    TWindowId Raise(const std::string& Title) {
        const TWindowId W = Keys->FindTopWindow(Title);
        if (W != NoWindow) {
            Keys->BringToTop(W);
            WaitFor([&] { return Keys->HasFocus(W); });
        }
        return W;
    }

    void TypeInto(TWindowId W, std::string_view Text, bool Slow = false) {
        TCountingWait Waits;
        ASSERT_TRUE(SendKeys(*Keys, Waits, W, Text, Slow));
    }

    TVBatSettings Settings(const std::string& LaunchCommand) {
        TVBatSettings S;
        S.VolumeFile = Folder.Volume;
        S.LaunchCommand = LaunchCommand;
        S.WindowTitle = "p-System";
        S.Keys = Keys;
        S.Waits = &Waits;
        return S;
    }

    TXvfbServer Server;
    TDesktopKeys Desktop;
    TWindowKeys* Keys = nullptr;
    Display* Connection = nullptr;
    TVBatFolder Folder;
    TCountingWait Waits;
    TRecordingReporter Reporter;
    std::vector<std::unique_ptr<QProcess>> Processes;

private:
    std::optional<std::string> FOldDisplay;
};

TEST_F(PSystemWindowTest, WindowsAreFoundByTheirExactTitle) {
    StartStandIn("p-System", "a.log");
    const TWindowId W = Keys->FindTopWindow("p-System");
    ASSERT_NE(W, NoWindow);
    EXPECT_TRUE(Keys->IsWindow(W));
    EXPECT_EQ(Keys->FindTopWindow("p-Sys"), NoWindow);
    EXPECT_EQ(Keys->FindTopWindow("P-SYSTEM"), NoWindow);
    EXPECT_EQ(Keys->FindTopWindow("p-System window"), NoWindow);
    Processes.back()->kill();
    Processes.back()->waitForFinished(5000);
    EXPECT_TRUE(WaitFor([&] { return !Keys->IsWindow(W); }));
    EXPECT_EQ(Keys->FindTopWindow("p-System"), NoWindow);
}

TEST_F(PSystemWindowTest, AnIconicWindowIsRestoredAndFocused) {
    StartStandIn("p-System", "a.log", {"--iconic"});
    const TWindowId W = Keys->FindTopWindow("p-System");
    ASSERT_NE(W, NoWindow);
    EXPECT_TRUE(Keys->IsMinimised(W));
    EXPECT_FALSE(Keys->HasFocus(W));
    Keys->Restore(W);
    EXPECT_TRUE(WaitFor([&] { return Keys->HasFocus(W) && !Keys->IsMinimised(W); }));
}

TEST_F(PSystemWindowTest, TypingGivesTheTextWithShiftForCapitalsAndColonOnly) {
    StartStandIn("p-System", "a.log");
    TypeInto(Raise("p-System"), RunGo);
    ASSERT_TRUE(WaitFor([&] { return Log("a.log").Typed.size() == RunGo.size(); }));
    const TStandInLog Typed = Log("a.log");
    EXPECT_EQ(Typed.Typed, RunGo);
    for (std::size_t I = 0; I < RunGo.size(); ++I) {
        const char C = RunGo[I];
        EXPECT_EQ(Typed.Shifted[I], (C >= 'A' && C <= 'Z') || C == ':') << I;
    }
}

TEST_F(PSystemWindowTest, CapsLockIsTurnedOffForTypingAndOnAgain) {
    StartStandIn("p-System", "a.log");
    XkbLockModifiers(Connection, XkbUseCoreKbd, LockMask, LockMask);
    XSync(Connection, False);
    ASSERT_TRUE(Keys->CapsLockOn());
    TypeInto(Raise("p-System"), RunGo);
    ASSERT_TRUE(WaitFor([&] { return Log("a.log").Lines.back() == "release Caps_Lock"; }));
    const TStandInLog Typed = Log("a.log");
    EXPECT_EQ(Typed.Typed, RunGo);
    std::vector<std::string> KeyLines;
    for (const std::string& Line : Typed.Lines)
        if (Line.starts_with("press ") || Line.starts_with("release "))
            KeyLines.push_back(Line);
    ASSERT_GE(KeyLines.size(), 4u);
    EXPECT_EQ(KeyLines[0], "press Caps_Lock");
    EXPECT_EQ(KeyLines[KeyLines.size() - 2], "press Caps_Lock");
    XkbStateRec State{};
    XkbGetState(Connection, XkbUseCoreKbd, &State);
    EXPECT_NE(State.locked_mods & LockMask, 0);
}

TEST_F(PSystemWindowTest, ACharacterWithoutAKeyIsSkipped) {
    StartStandIn("p-System", "a.log");
    TypeInto(Raise("p-System"), "A\xE9\x80"
                                "b\r");
    ASSERT_TRUE(WaitFor([&] { return Log("a.log").Typed.size() == 3; }));
    EXPECT_EQ(Log("a.log").Typed, "Ab\r");
}

TEST_F(PSystemWindowTest, FocusTakenAwayStopsTheTyping) {
    StartStandIn("Plain", "plain.log");
    StartStandIn("p-System", "a.log", {"--focus-to", "Plain", "--after-keys", "3"});
    const TWindowId W = Raise("p-System");
    TCountingWait Slow;
    EXPECT_FALSE(SendKeys(*Keys, Slow, W, RunGo, true));
    EXPECT_TRUE(Log("a.log").Has("focus given away"));
    EXPECT_EQ(Log("a.log").Typed, "QXI");
    for (const std::string& Line : Log("plain.log").Lines)
        EXPECT_FALSE(Line.starts_with("press ") && Line != "press Shift_L") << Line;
}

TEST_F(PSystemWindowTest, ARunStartsTheWindowAndWaitsForItToClose) {
    Folder.Write("S.vbat", "announce hello\nsend keys\n");
    TVBat VBat(Settings(StandInCommand("p-System", "a.log", "--appear-after 1500")));
    ASSERT_TRUE(VBat.LoadScript(Folder.Path("S.vbat"), "", Reporter));
    TVBatValues Saved;
    EXPECT_TRUE(VBat.ExecuteScript(Saved, false, {}, true, Reporter))
        << (Reporter.Errors.empty() ? "" : Reporter.Errors[0]);
    // Found at the second poll.
    EXPECT_EQ(std::count(Waits.Waits.begin(), Waits.Waits.end(), 1000), 2);
    const TStandInLog Typed = Log("a.log");
    EXPECT_EQ(Typed.Typed, RunGo);
    std::vector<std::string> Lines;
    for (const std::string& Line : Typed.Lines)
        if (Line.starts_with("line "))
            Lines.push_back(Line.substr(5));
    EXPECT_EQ(Lines, Folder.GoText());
    EXPECT_TRUE(Typed.Has("closing"));
}

TEST_F(PSystemWindowTest, RunFailures) {
    {
        SCOPED_TRACE("already open");
        StartStandIn("p-System", "open.log");
        Folder.Write("S.vbat", "send keys\n");
        TVBat VBat(Settings(StandInCommand("p-System", "second.log")));
        ASSERT_TRUE(VBat.LoadScript(Folder.Path("S.vbat"), "", Reporter));
        TVBatValues Saved;
        EXPECT_FALSE(VBat.ExecuteScript(Saved, false, {}, true, Reporter));
        EXPECT_EQ(Reporter.Errors,
                  std::vector<std::string>{"There is already a p-System window open."});
        EXPECT_FALSE(std::filesystem::exists(Folder.Dir / "second.log"));
        Processes.back()->kill();
        Processes.back()->waitForFinished(5000);
        WaitFor([&] { return Keys->FindTopWindow("p-System") == NoWindow; });
    }
    {
        SCOPED_TRACE("never appears");
        Reporter.Errors.clear();
        Folder.Write("S.vbat", "send keys\n");
        TVBat VBat(Settings(StandInCommand("p-System", "never.log", "--never-appear")));
        ASSERT_TRUE(VBat.LoadScript(Folder.Path("S.vbat"), "", Reporter));
        TVBatValues Saved;
        const auto Begin = std::chrono::steady_clock::now();
        EXPECT_FALSE(VBat.ExecuteScript(Saved, false, {}, true, Reporter));
        EXPECT_GE(std::chrono::steady_clock::now() - Begin, 4500ms);
        EXPECT_EQ(Reporter.Errors,
                  std::vector<std::string>{"Unable to find p-System window 'p-System'"});
    }
    {
        SCOPED_TRACE("missing program");
        Reporter.Errors.clear();
        Waits.Waits.clear();
        Folder.Write("S.vbat", "send keys\n");
        TVBat VBat(Settings((Folder.Dir / "no-such-program").string()));
        ASSERT_TRUE(VBat.LoadScript(Folder.Path("S.vbat"), "", Reporter));
        TVBatValues Saved;
        EXPECT_FALSE(VBat.ExecuteScript(Saved, false, {}, true, Reporter));
        EXPECT_TRUE(Waits.Waits.empty());
        ASSERT_EQ(Reporter.Errors.size(), 1u);
        EXPECT_TRUE(Reporter.Errors[0].starts_with("Unable to start the p-System window"));
    }
}

TEST_F(PSystemWindowTest, SoFarLeavesTheWindowOpenAndReturns) {
    Folder.Write("S.vbat", "announce hi\nsend keys so far\n");
    TVBat VBat(Settings(StandInCommand("p-System", "a.log")));
    ASSERT_TRUE(VBat.LoadScript(Folder.Path("S.vbat"), "", Reporter));
    TVBatValues Saved;
    EXPECT_TRUE(VBat.ExecuteScript(Saved, false, {}, true, Reporter))
        << (Reporter.Errors.empty() ? "" : Reporter.Errors[0]);
    EXPECT_TRUE(WaitFor([&] { return Log("a.log").Typed == RunGo; }));
    EXPECT_NE(Keys->FindTopWindow("p-System"), NoWindow);
    // Started detached: stop it by its window.
    const TWindowId W = Keys->FindTopWindow("p-System");
    XKillClient(Connection, Window(W));
    XSync(Connection, False);
}

// F9 on a VBat script in the built program stores GO.TEXT, starts the p-System window, types
// the run command into it and waits until it closes.
TEST_F(PSystemWindowTest, TheProgramRunsAScriptOnF9) {
    const std::filesystem::path User = Folder.Dir / "user";
    std::filesystem::create_directory(User);
    MakeUserFolders(User);
    const std::filesystem::path Settings = User / "config" / "korvid" / "registry";
    std::filesystem::create_directories(Settings.parent_path());
    {
        TScopedRegistryStore Store(Settings);
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteString("Pascal Work Volume", Folder.Volume.string());
        Reg.WriteString("p-System Launch Command", StandInCommand("p-System", "a.log"));
        Reg.WriteString("p-System Window Title", "p-System");
        Reg.WriteString("VBat Key Log", (Folder.Dir / "keys.log").string());
    }
    const std::string Script = Folder.Write("build.vbat", "announce hello\nsend keys\n");
    WriteFileBytes(User / "keys.txt", "key F9\nclose\n");
    QProcessEnvironment Environment = UserEnvironment(User);
    Environment.insert("DISPLAY", QString::fromStdString(Server.Display()));
    Environment.remove("WAYLAND_DISPLAY");
    Environment.remove("XDG_SESSION_TYPE");
    Environment.insert("KORVID_KEY_SCRIPT", Q(User / "keys.txt"));
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {QString::fromStdString(Script)});
    ASSERT_TRUE(Program.waitForStarted(10000));
    const bool Finished = Program.waitForFinished(60000);
    if (!Finished)
        Program.kill();
    ASSERT_TRUE(Finished) << Program.readAllStandardError().toStdString();
    EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();
    EXPECT_EQ(Log("a.log").Typed, RunGo);
    const std::vector<std::string> Expected{"FUIPVP", "QXSYS:OK", "hello", "X*CLOSEPSYS.CODE"};
    EXPECT_EQ(Folder.GoText(), Expected);
    EXPECT_EQ(ReadFileBytes(Folder.Dir / "keys.log"),
              "FUIPVP\r\nQXSYS:OK\r\nhello\r\nX*CLOSEPSYS.CODE\r\n");
}

struct TChoiceCase {
    std::string Name;
    std::map<std::string, std::string> Variables;
    std::string Reason;
};

TEST(PSystemWindowChoice, DesktopsThatCannotTypeSaySoAfterStoringTheKeys) {
    TXvfbServer WithXTest;
    TXvfbServer WithoutXTest({"-extension", "XTEST"});
    const TChoiceCase Cases[] = {
        {"Wayland session",
         {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", WithXTest.Display()}},
         "this desktop (Wayland) does not allow synthesised keys"},
        {"Wayland display",
         {{"WAYLAND_DISPLAY", "wayland-0"}},
         "this desktop (Wayland) does not allow synthesised keys"},
        {"no display", {}, "there is no X display"},
        {"no XTEST", {{"DISPLAY", WithoutXTest.Display()}}, "the X server has no XTEST extension"},
        {"X11", {{"DISPLAY", WithXTest.Display()}, {"XDG_SESSION_TYPE", "x11"}}, ""},
    };
    for (const TChoiceCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TDesktopKeys Desktop = OpenDesktopKeys(Environment(Case.Variables));
        EXPECT_EQ(Desktop.WhyNot, Case.Reason);
        EXPECT_EQ(Desktop.Keys != nullptr, Case.Reason.empty());
        if (Case.Reason.empty())
            continue;
        TVBatFolder Folder;
        TFakeDesktop Fake;
        TRecordingReporter Reporter;
        TVBatSettings S = Folder.Settings(Fake);
        S.KeysUnavailable = Desktop.WhyNot;
        TVBat VBat(S);
        Folder.Write("S.vbat", "announce hi\nsend keys\n");
        ASSERT_TRUE(VBat.LoadScript(Folder.Path("S.vbat"), "", Reporter));
        TVBatValues Saved;
        EXPECT_FALSE(VBat.ExecuteScript(Saved, false, {}, true, Reporter));
        EXPECT_EQ(Reporter.Errors,
                  std::vector<std::string>{
                      "Korvid can't type into the p-System window here: " + Case.Reason +
                      "\r\rThe keystrokes are saved in VP:GO.TEXT. Type QXI=VP:GO and Return in "
                      "the p-System window."});
        EXPECT_NE(Folder.GoText(), std::vector<std::string>{"<no GO.TEXT>"});
        EXPECT_TRUE(Fake.Started.empty());
    }
}

} // namespace
} // namespace korvid::test
