#include "devtools/compiler/CompileServer.h"

#include "devtools/compiler/CompilerMessages.h"
#include "platform/Registry.h"
#include "tests/devtools/compiler/CompilerTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <filesystem>
#include <sstream>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> LinesOf(const std::string& Text) {
    std::vector<std::string> Lines;
    std::istringstream Stream(Text);
    for (std::string Line; std::getline(Stream, Line);)
        Lines.push_back(Line);
    return Lines;
}

// Registers the server in the store the stand-in writes to.
void RegisterServer(const std::string& Path) {
    TRegistry Registry;
    Registry.OpenKey("\\Software\\Classes\\Wyx.WyxApplication\\CLSID", true);
    Registry.WriteString("", WyxClassId);
    Registry.CloseKey();
    Registry.OpenKey(std::string("\\Software\\Classes\\CLSID\\") + WyxClassId + "\\LocalServer32",
                     true);
    Registry.WriteString("", Path);
    Registry.CloseKey();
}

// A private settings store that the stand-in server shares through XDG_CONFIG_HOME.
class TCompileServerTest : public ::testing::Test {
protected:
    TCompileServerTest() : Store(Dir.Path() / "config" / "korvid" / "registry") {}

    void SetUp() override {
        fs::create_directories(Dir.Path() / "config" / "korvid");
        SavedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((Dir.Path() / "config").string()));
        qputenv("WYX_STANDIN_LOG", QByteArray::fromStdString(Log().string()));
        qputenv("TESSEL_STANDIN_LOG", QByteArray::fromStdString((Dir.Path() / "t.log").string()));
        Options.LorvantaCOMServer = WYX_STANDIN;
        Options.EMSFilename = "E.EMS";
        Options.EMSGroup = "G";
        Options.EMSApplication = "A";
        Source = (Dir.Path() / "r.vl2").string();
        Context.TargetName = "\"" + Source + "\"";
        Context.TargetFile = Source;
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", SavedConfig);
        for (const char* Name : {"WYX_STANDIN_LOG", "TESSEL_STANDIN_LOG", "WYX_STANDIN_REGISTER",
                                 "WYX_STANDIN_SCENARIO", "TESSEL_STANDIN_FAULT"})
            qunsetenv(Name);
    }

    fs::path Log() const { return Dir.Path() / "wyx.log"; }
    std::vector<std::string> Logged() const {
        return fs::exists(Log()) ? LinesOf(ReadFileBytes(Log())) : std::vector<std::string>();
    }
    bool Compile() {
        TPipeAutomationFactory Factory(Wait);
        return CompileThroughServer(
            Context, Options, Host,
            {Factory, [this](auto) { ++Polls; }, std::chrono::seconds(30), {TESSEL_HELPER, Wait}});
    }
    // A Vosk Pascal set-up: the JSON file names the stand-in library, whose simulated
    // configuration is Ems.
    void UseVoskPascal(const std::string& Ems) {
        Options.VoskPascal = true;
        Options.TesselJson = Dir.Path().string();
        Host.Json = "m.json";
        WriteFileBytes(Dir.Path() / "m.json",
                       "{\ntessel: '" + std::string(TESSEL_STANDIN) + "'\n}");
        WriteFileBytes(Dir.Path() / "m.json.ems", Ems);
    }

    TTempDir Dir;
    TScopedRegistryStore Store;
    QByteArray SavedConfig;
    // How the server's and the library's answers are awaited.
    TAnswerWait Wait;
    TKorvidOptions Options = DefaultCompilerOptions();
    TCompileContext Context;
    TRecordingCompilerHost Host;
    std::string Source;
    int Polls = 0;
};

TEST_F(TCompileServerTest, DefinesTheSettingsInOrderAndRunsTheCompile) {
    EXPECT_TRUE(Compile());
    const std::vector<std::string> Expected = {
        "Define wyx-ems=E.EMS",
        "Define wyx-ems-group=G",
        "Define wyx-ems-application=A",
        "Define wyx-lorvanta-map=WORK:MAP",
        "Define wyx-lorvanta-script=",
        "Define wyx-tessel-dll=",
        "Define wyx-tessel-json=",
        "Define wyx-lorvanta-source=\"" + Source + "\"",
        "Define wyx-ide=1",
        "Define wyx-modules-root=",
        "Define wyx-modules-api=",
        "RunProcess",
    };
    EXPECT_EQ(Logged(), Expected);
    ASSERT_EQ(Host.Boxes.size(), 1u);
    EXPECT_EQ(Host.Boxes[0].Title, "Report Compiled");
    EXPECT_EQ(Host.Boxes[0].Text, "Report compiled\r\rusing:\r" + std::string(WYX_STANDIN));
    EXPECT_EQ(RegisteredCompilerServer(), WYX_STANDIN);
    EXPECT_FALSE(Host.Busy);
}

TEST_F(TCompileServerTest, VoskPascalSendsTheSimulatedConfiguration) {
    const std::string Ems = "AppMap=M:MAP\r\nAppModulesRoot=/mods\r\nAppApi=/api\r\n";
    UseVoskPascal(Ems);
    Options.EMSFilename = "ignored";
    EXPECT_TRUE(Compile());
    const std::vector<std::string> Log = Logged();
    const std::string Json = (Dir.Path() / "m.json").string();
    const std::vector<std::string> Head(Log.begin(), Log.begin() + 11);
    EXPECT_EQ(
        Head,
        (std::vector<std::string>{
            "Define wyx-ems=-", "Define wyx-ems-group=Compiler",
            "Define wyx-ems-application=Compiler", "Define wyx-lorvanta-map=M:MAP",
            "Define wyx-lorvanta-script=", "Define wyx-tessel-dll=" + std::string(TESSEL_STANDIN),
            "Define wyx-tessel-json=" + Json, "Define wyx-lorvanta-source=\"" + Source + "\"",
            "Define wyx-ide=1", "Define wyx-modules-root=/mods", "Define wyx-modules-api=/api"}));
    EXPECT_NE(ReadFileBytes(this->Log()).find("InputText " + Ems), std::string::npos);
    ASSERT_EQ(Host.Boxes.size(), 1u);
    EXPECT_EQ(Host.Boxes[0].Text,
              "Report compiled\r\rusing:\r" + Json + "\r" + std::string(WYX_STANDIN));
}

TEST_F(TCompileServerTest, ModulesRootOptionSplitsIntoRootAndApi) {
    Options.LorvantaModulesRoot = "C:\\M|C:\\A";
    Compile();
    const std::vector<std::string> Log = Logged();
    EXPECT_NE(std::find(Log.begin(), Log.end(), "Define wyx-modules-root=C:\\M"), Log.end());
    EXPECT_NE(std::find(Log.begin(), Log.end(), "Define wyx-modules-api=C:\\A"), Log.end());
}

TEST_F(TCompileServerTest, SourceSettingFollowsTheKindOfSource) {
    struct TCase {
        const char* Name;
        std::string Target;
        TForcedSourceKind Forced;
        bool InsideVolume;
        bool Wincode;
        bool ReportWriter;
        std::string Expected;
        bool DebugSettings;
    };
    const TCase Cases[] = {
        {"Pascal", "\"/p/x.vp\"", TForcedSourceKind::Pascal, false, false, false,
         "wyx-lorvanta-pascal=/p/x.vp", false},
        {"ReportWriterSource", "\"/p/x.t\"", TForcedSourceKind::ReportWriterSource, false, false,
         false, "wyx-lorvanta-rw-source=\"/p/x.t\"", true},
        {"LorvantaSource", "\"/p/x.t\"", TForcedSourceKind::LorvantaSource, false, false, false,
         "wyx-lorvanta-source=\"/p/x.t\"", false},
        {"LorvantaText", "\"/p/x.vl2\"", TForcedSourceKind::LorvantaText, false, false, false,
         "wyx-lorvanta-text=\"/p/x.vl2\"", false},
        {"ReportWriterFile", "\"/p/x.VR\"", TForcedSourceKind::None, false, false, false,
         "wyx-lorvanta-rw-source=\"/p/x.VR\"", true},
        {"VolumeWincode", "WORK:U.TEXT", TForcedSourceKind::None, true, true, false,
         "wyx-lorvanta-source=WORK:U.TEXT", false},
        {"VolumeReportWriter", "WORK:U.TEXT", TForcedSourceKind::None, true, false, true,
         "wyx-lorvanta-rw-source=WORK:U.TEXT", true},
        {"VolumeText", "WORK:U.TEXT", TForcedSourceKind::None, true, false, false,
         "wyx-lorvanta-text=WORK:U.TEXT", false},
    };
    RegisterServer(WYX_STANDIN);
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        fs::remove(Log());
        Context = {};
        Context.TargetName = Case.Target;
        Context.ForcedKind = Case.Forced;
        Context.InsideVolume = Case.InsideVolume;
        Options.LorvantaWincode = Case.Wincode;
        Options.LorvantaReportWriter = Case.ReportWriter;
        Compile();
        const std::vector<std::string> Log = Logged();
        ASSERT_GT(Log.size(), 8u);
        EXPECT_EQ(Log[7], "Define " + Case.Expected);
        const bool HasDebug =
            std::find(Log.begin(), Log.end(), "Define wyx-debug-to-output-text=Y") != Log.end() &&
            std::find(Log.begin(), Log.end(), "Define wyx-debug-hide-time=Y") != Log.end();
        EXPECT_EQ(HasDebug, Case.DebugSettings);
    }
}

TEST_F(TCompileServerTest, SuppressedRunSkipsRunProcessAndReportsPascal) {
    Context.RunSuppressed = true;
    EXPECT_FALSE(Compile());
    const std::vector<std::string> Log = Logged();
    EXPECT_EQ(std::find(Log.begin(), Log.end(), "RunProcess"), Log.end());
    ASSERT_EQ(Host.Boxes.size(), 1u);
    EXPECT_EQ(Host.Boxes[0].Title, "Error");
    EXPECT_EQ(Host.Boxes[0].Text.find("Pascal is not supported in .vrep scripts"), 0u);
    EXPECT_EQ(Context.Severity, TCompileSeverity::Error);
}

TEST_F(TCompileServerTest, ServerPathEqualButForCaseRunsNoRegistration) {
    RegisterServer("/Opt/Wyx/WYX");
    EXPECT_EQ(EnsureServerRegistered("/opt/wyx/wyx", Context, [](auto) {}), "/Opt/Wyx/WYX");
    EXPECT_EQ(RegisteredCompilerServer(), "/Opt/Wyx/WYX");
}

TEST_F(TCompileServerTest, TheWow6432NodeRegistrationIsReadFirst) {
    RegisterServer("/plain/wyx");
    EXPECT_EQ(RegisteredCompilerServer(), "/plain/wyx");
    TRegistry Registry;
    Registry.OpenKey(std::string("\\Software\\Classes\\Wow6432Node\\CLSID\\") + WyxClassId +
                         "\\LocalServer32",
                     true);
    Registry.WriteString("", "/wow/wyx");
    Registry.CloseKey();
    EXPECT_EQ(RegisteredCompilerServer(), "/wow/wyx");
}

TEST_F(TCompileServerTest, RegistrationThatNeverShowsFailsAfterTheLastPoll) {
    qputenv("WYX_STANDIN_REGISTER", "never");
    EXPECT_FALSE(Compile());
    EXPECT_EQ(Polls, 100);
    ASSERT_EQ(Host.Errors.size(), 1u);
    EXPECT_EQ(Host.Errors[0].Text, "Failed to register " + std::string(WYX_STANDIN) + " for COM");
    EXPECT_EQ(Context.Severity, TCompileSeverity::NotRun);
    EXPECT_TRUE(Logged().empty());
}

TEST_F(TCompileServerTest, RegistrationThatHangsIsKilledAtTheLimit) {
    qputenv("WYX_STANDIN_REGISTER", "hang");
    try {
        EnsureServerRegistered(
            WYX_STANDIN, Context, [](auto) {}, std::chrono::milliseconds(200));
        ADD_FAILURE() << "registration passed";
    } catch (const ECompileError& Error) {
        EXPECT_EQ(std::string(Error.what()),
                  "Failed to register " + std::string(WYX_STANDIN) + " for COM");
    }
}

TEST_F(TCompileServerTest, LateRegistrationSucceedsWhileTheRealClockPolls) {
    qputenv("WYX_STANDIN_REGISTER", "late");
    EXPECT_EQ(EnsureServerRegistered(WYX_STANDIN, Context, RealSleeper()), WYX_STANDIN);
    EXPECT_EQ(Context.RegisteredServer, WYX_STANDIN);
}

TEST_F(TCompileServerTest, EmptyServerOptionUsesTheRegisteredServer) {
    Options.LorvantaCOMServer.clear();
    Compile();
    ASSERT_EQ(Host.Errors.size(), 1u);
    EXPECT_EQ(Host.Errors[0].Text, "No compiler automation server is set or registered.");
    Host.Errors.clear();
    RegisterServer(WYX_STANDIN);
    EXPECT_TRUE(Compile());
    EXPECT_TRUE(Host.Errors.empty());
}

TEST_F(TCompileServerTest, RouteFailuresEndTheCompile) {
    struct TCase {
        const char* Name;
        std::function<void()> Arrange;
        std::string Text;
    };
    const TCase Cases[] = {
        {"ModulesRootMissing", [&] { UseVoskPascal("AppMap=M\r\nAppApi=/api\r\nOther=1\r\n"); },
         "appModulesRoot is not defined in the JSON configuration"},
        {"ShortSimulatedConfiguration", [&] { UseVoskPascal("first line\r\nsecond line"); },
         "first line\rsecond line"},
        {"ServerCannotStart",
         [&] {
             RegisterServer("/nowhere/wyx");
             Options.LorvantaCOMServer.clear();
         },
         "Unable to start the compiler's automation server: "},
        {"UnknownMember", [&] { qputenv("WYX_STANDIN_SCENARIO", "unknown-member"); },
         "Unknown name: RunProcess"},
        {"ServerEndsBeforeItsOutput",
         [&] { qputenv("WYX_STANDIN_SCENARIO", "exit-before-output"); },
         "Unable to access the compiler.  Check your EMS settings in View > Options > Compiler."},
    };
    for (const bool Unattended : {false, true})
        for (const TCase& Case : Cases) {
            SCOPED_TRACE(std::string(Case.Name) + (Unattended ? " unattended" : ""));
            TearDown();
            Options = DefaultCompilerOptions();
            Host = {};
            Context = {};
            SetUp();
            Context.Unattended = Host.NoBoxes = Unattended;
            Case.Arrange();
            EXPECT_FALSE(Compile());
            EXPECT_EQ(Context.Severity, TCompileSeverity::NotRun);
            std::string Shown;
            if (Unattended) {
                ASSERT_EQ(Context.Messages.size(), 1u);
                Shown = Context.Messages[0].Text;
                EXPECT_EQ(Shown.find("Compiler: "), 0u);
                Shown.erase(0, 10);
            } else {
                const auto& Boxes = Host.Errors.empty() ? Host.Boxes : Host.Errors;
                ASSERT_EQ(Boxes.size(), 1u);
                Shown = Boxes[0].Text;
            }
            EXPECT_EQ(Shown.substr(0, Case.Text.size()), Case.Text);
        }
}

TEST_F(TCompileServerTest, ProjectRouteParsesTheLibrarysReply) {
    UseVoskPascal("");
    const std::string Project = (Dir.Path() / "p.vpj").string();
    WriteFileBytes(Project, "project");
    WriteFileBytes(Project + ".reply", ">W>" + Project + "|>|2|>|unused");
    Context.TargetName = Context.TargetFile = Project;
    Context.ProjectRoute = true;
    Host.Reachable.insert(Project);
    EXPECT_FALSE(Compile());
    EXPECT_TRUE(Logged().empty());
    ASSERT_EQ(Host.Boxes.size(), 1u);
    EXPECT_EQ(Host.Boxes[0].Title, "Warning");
    EXPECT_EQ(Host.Places, (std::vector<TRecordedPlace>{{Project, 2, 0}}));
    EXPECT_EQ(Context.Severity, TCompileSeverity::Warning);
    EXPECT_EQ(ReadFileBytes(Dir.Path() / "t.log").find("command"), 0u);
}

TEST_F(TCompileServerTest, UnattendedProjectWithoutAReplyCouldNotRun) {
    UseVoskPascal("");
    WriteFileBytes(Dir.Path() / "m.json",
                   "{\ntessel: '" + std::string(TESSEL_STANDIN_NULL) + "'\n}");
    Context.TargetName = Context.TargetFile = (Dir.Path() / "p.vp").string();
    Context.ProjectRoute = true;
    Context.Unattended = Host.NoBoxes = true;
    EXPECT_FALSE(Compile());
    EXPECT_EQ(Context.Severity, TCompileSeverity::NotRun);
    ASSERT_EQ(Context.Messages.size(), 1u);
    EXPECT_EQ(Context.Messages[0].Text, "Compiler: Unable to access the compiler.");
}

} // namespace
} // namespace korvid::test

namespace korvid::test {
namespace {

// The server or the library hangs or ends at each of its calls. Attended, the user stops a hang
// (here after 300 ms); unattended, a silence of 300 ms is the limit. Either way the compile ends
// with one message and could not run.
TEST_F(TCompileServerTest, AServerOrLibraryThatHangsOrEndsEndsTheCompileWithOneMessage) {
    const std::string Ems = "AppMap=M\r\nAppModulesRoot=/mods\r\nAppApi=/api\r\n";
    const auto Server = [&](bool Vosk) {
        return [this, Vosk, Ems] {
            if (Vosk)
                UseVoskPascal(Ems);
        };
    };
    const auto Project = [&](bool Debug) {
        return [this, Debug] {
            UseVoskPascal("");
            const std::string File = (Dir.Path() / "p.vp").string();
            WriteFileBytes(File, "program p;");
            Context.TargetName = Context.TargetFile = File;
            Context.ProjectRoute = true;
            Options.WyxDebugToOutputText = Debug;
        };
    };
    struct TCase {
        std::string Fault; // the stand-in's scenario
        std::function<void()> Arrange;
        bool Library;
    };
    const TCase Cases[] = {
        {"Define", Server(false), false},
        {"InputText", Server(true), false},
        {"RunProcess", Server(false), false},
        {"OutputText", Server(false), false},
        {"load", Project(false), true},
        {"simulate-ems", Server(true), true},
        {"dump-configuration", Project(true), true},
        {"compile-pascal", Project(false), true},
        {"release", Project(false), true},
    };
    const std::string Stopped = "The compile was stopped.";
    const std::string LibraryEnded = "The compiler library ended unexpectedly.";
    for (const bool Unattended : {false, true})
        for (const bool Hang : {false, true})
            for (const TCase& Case : Cases) {
                const std::string Scenario = (Hang           ? "hang-at-"
                                              : Case.Library ? "crash-at-"
                                                             : "exit-at-") +
                                             Case.Fault;
                SCOPED_TRACE(Scenario + (Unattended ? " unattended" : ""));
                TearDown();
                Options = DefaultCompilerOptions();
                Host = {};
                Context = {};
                SetUp();
                Case.Arrange();
                qputenv(Case.Library ? "TESSEL_STANDIN_FAULT" : "WYX_STANDIN_SCENARIO",
                        QByteArray::fromStdString(Scenario));
                Context.Unattended = Host.NoBoxes = Unattended;
                Wait = {};
                if (Unattended)
                    Wait.SilenceLimit = std::chrono::milliseconds(300);
                else
                    Wait.KeepWaiting = [](auto Silent) {
                        return Silent < std::chrono::milliseconds(300);
                    };
                std::string Expected;
                if (Hang && !Unattended)
                    Expected = Stopped;
                else if (Case.Library)
                    Expected = LibraryEnded;
                else if (Hang)
                    Expected = "The compiler's automation server stopped answering.";
                else if (Case.Fault == "OutputText")
                    Expected = UnableToAccessCompilerText(false);
                else
                    Expected = "The compiler's automation server ended unexpectedly.";
                const std::string Title = Case.Library ? "Compiling Pascal" : "Compiler";

                EXPECT_FALSE(Compile());
                EXPECT_EQ(Context.Severity, TCompileSeverity::NotRun);
                EXPECT_EQ(Context.Stopped, Expected == Stopped);
                std::vector<std::string> Shown;
                if (Unattended)
                    for (const TCompileLine& Line : Context.Messages)
                        Shown.push_back(Line.Text);
                else
                    for (const auto& Box : Host.Errors.empty() ? Host.Boxes : Host.Errors)
                        Shown.push_back(Box.Title + ": " + Box.Text);
                EXPECT_EQ(Shown, std::vector<std::string>{Title + ": " + Expected});
                EXPECT_FALSE(Host.Busy);
            }
}

} // namespace
} // namespace korvid::test
