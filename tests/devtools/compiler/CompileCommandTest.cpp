#include "devtools/compiler/CompileCommand.h"
#include "devtools/compiler/CompileResults.h"
#include "devtools/compiler/CompileServer.h"
#include "devtools/vbat/VBat.h"
#include "platform/KeyState.h"
#include "platform/VirtualKeyCodes.h"
#include "psystem/Volume.h"
#include "tests/devtools/compiler/CompilerTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

class TFakeProgress : public TCompileProgress {
public:
    explicit TFakeProgress(std::vector<std::string>& Texts, const bool& Cancel)
        : FTexts(Texts), FCancel(Cancel) {}
    void SetText(const std::string& Text) override { FTexts.push_back(Text); }
    bool Cancelled() const override { return FCancel; }

private:
    std::vector<std::string>& FTexts;
    const bool& FCancel;
};

class TNoBoxes : public TVBatReporter {
public:
    void Error(std::string_view) override {}
    bool Pause(std::string_view) override { return false; }
    bool AskInputs(const std::vector<TVBatInput>&, TVBatValues&) override { return false; }
    std::unique_ptr<TVBatProgress> ShowProgress(std::string_view) override { return nullptr; }
};

// The window as the Compile command sees it: every route it takes and every question it asks
// is written down as a line of Calls.
class TFakeCommandHost : public TCompileCommandHost {
public:
    TFakeCommandHost() { Options.ReloadMapAfterCompile = false; }

    // ---- The routes' own needs go to the recording host ----
    int ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                        bool CanIgnore) override {
        return Shown.ShowCompilerBox(Title, Text, OkOnly, CanIgnore);
    }
    void ShowCompilerError(const std::string& Title, const std::string& Text) override {
        Shown.ShowCompilerError(Title, Text);
    }
    bool CanReach(const std::string& File) const override { return Shown.CanReach(File); }
    void GoToError(const std::string& File, int Line, int Column) override {
        Shown.GoToError(File, Line, Column);
    }
    void GoToLastError() override { Shown.GoToLastError(); }
    void ShowCompileStatus(const std::string& Text) override { Shown.ShowCompileStatus(Text); }
    void OpenLinesTab(const std::string& Caption, const std::vector<TCompileLine>& Lines) override {
        Shown.OpenLinesTab(Caption, Lines);
    }
    void SetBusy(bool Busy) override { Shown.SetBusy(Busy); }
    std::string JsonName() const override { return Shown.JsonName(); }
    void SetJsonName(const std::string& Name) override { Shown.SetJsonName(Name); }
    std::optional<std::string> PickJsonFile(const std::string& Folder) override {
        return Shown.PickJsonFile(Folder);
    }

    // ---- The Compile command's ----
    const TKorvidOptions& CompileOptions() const override { return Options; }
    void RunCommandLine() override { Calls.push_back("command line"); }
    bool DebuggerPaused() const override { return Paused; }
    void ResumeDebugger() override { Calls.push_back("resume"); }
    void DeleteBreakpoints() override { Calls.push_back("delete breakpoints, remembered"); }
    void ReloadMap(const std::string& MapFile) override { Calls.push_back("reload " + MapFile); }
    bool AskCompileOrResume() override {
        Calls.push_back("ask compile or resume");
        return AnswerCompile;
    }
    bool AskCompileFolder() override {
        Calls.push_back("ask compile folder");
        return AnswerYes;
    }
    bool HasMainCompileFile() const override { return MainFile.has_value(); }
    void SaveAll() override {
        Calls.push_back("save all");
        if (MainFile)
            MainFile->Modified = false;
    }
    std::optional<TCompileTarget> Target() const override { return MainFile ? MainFile : Active; }
    bool SaveTarget() override {
        Calls.push_back("save");
        return SaveWorks;
    }
    std::optional<std::string> FocusedFavouritesFolder() const override { return Folder; }
    bool RunCompileRoutes(TCompileContext& Context) override {
        Calls.push_back("compile " + Context.TargetName + " kind " +
                        std::to_string(int(Context.ForcedKind)) +
                        (Context.ProjectRoute ? " project" : "") +
                        (Context.RunSuppressed ? " suppressed" : ""));
        Scripts.push_back(Context.ScriptName);
        if (OnCompile)
            return OnCompile(Context);
        return Succeeds;
    }
    void RegisterCompilerServer(TCompileContext&) override {
        Calls.push_back("register");
        if (!RegisterFailure.empty())
            throw ECompileError(RegisterFailure);
    }
    bool RunVBatScript(const std::string& Script, const std::string& Source,
                       const std::string& PSystemName, bool Wait, bool Override,
                       TVBatReporter& Reporter) override {
        Calls.push_back("vbat " + Script + " for '" + Source + "' as '" + PSystemName + "'" +
                        (Wait ? " wait" : "") + (Override ? " override" : ""));
        if (!VBatWorks)
            Reporter.Error("Unable to start the p-System window");
        return VBatWorks;
    }
    TVBatReporter& VBatBoxes() override { return Boxes; }
    std::unique_ptr<TCompileProgress> ShowCompileProgress() override {
        return std::make_unique<TFakeProgress>(ProgressTexts, Cancel);
    }
    void ProcessEvents() override {
        if (OnEvents)
            OnEvents();
    }
    TLongOperations& LongOperations() override { return Operations; }

    TRecordingCompilerHost Shown;
    TKorvidOptions Options = DefaultCompilerOptions();
    bool Paused = false;
    bool AnswerCompile = true;
    bool AnswerYes = true;
    bool SaveWorks = true;
    bool Succeeds = true;
    bool VBatWorks = true;
    bool Cancel = false;
    std::string RegisterFailure;
    std::optional<TCompileTarget> MainFile;
    std::optional<TCompileTarget> Active;
    std::optional<std::string> Folder;
    std::function<bool(TCompileContext&)> OnCompile;
    std::function<void()> OnEvents;
    TNoBoxes Boxes;
    TLongOperations Operations;

    std::vector<std::string> Calls;
    std::vector<std::string> Scripts;
    std::vector<std::string> ProgressTexts;
};

class TCompileCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        Host.Options.PSystemAware = true;
        Host.Options.VoskPascal = true;
    }
    void TearDown() override { ReleaseAllKeys(); }

    // A document of the given name under Dir.
    TCompileTarget Document(const std::string& Name, std::vector<std::string> Lines = {}) {
        return {Path(Name), false, std::move(Lines)};
    }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    std::string Q(const std::string& Name) const { return '"' + Path(Name) + '"'; }
    TCompileSeverity Compile(bool Override = false, bool WhenPaused = false,
                             bool Unattended = false) {
        return Command.CompileSource(Override, WhenPaused, Unattended);
    }

    TTempDir Dir;
    TFakeCommandHost Host;
    TCompileCommand Command{Host};
};

// One case of the decision order: how the window stands, the document, and what reaches the
// routes and the boxes.
struct TDecisionCase {
    std::string Name;
    std::function<void(TFakeCommandHost&, const TTempDir&)> Arrange;
    std::string Document;
    std::vector<std::string> Lines;
    bool WhenPaused = false;
    std::vector<std::string> Calls; // "@" stands for the test's folder
    std::vector<TRecordedBox> Errors = {};
};

std::string WithFolder(std::string Text, const fs::path& Folder) {
    for (std::size_t At = Text.find('@'); At != std::string::npos; At = Text.find('@', At))
        Text.replace(At, 1, Folder.string());
    return Text;
}

// A folder holding the volume WORK as VOL.vol, and a window that compiles with Vosk Pascal on.
struct TVolumeBench {
    TTempDir Folder;
    bool VolumeMade = CreateVolumeFile(Folder / "VOL.vol", "WORK", 100);
    TFakeCommandHost Fake;
    TVolumeBench() {
        Fake.Options.PSystemAware = true;
        Fake.Options.VoskPascal = true;
    }
};

TEST_F(TCompileCommandTest, DecidesTheRouteForTheDocumentInHand) {
    const auto Touch = [](const fs::path& File) {
        fs::create_directories(File.parent_path());
        WriteFileBytes(File, "announce x\n");
    };
    const std::vector<TDecisionCase> Cases = {
        {"without the p-System the command line runs",
         [](TFakeCommandHost& H, const TTempDir&) { H.Options.PSystemAware = false; },
         "a.vl2",
         {},
         false,
         {"command line"}},
        {"a Lorvanta source goes to the server quoted",
         nullptr,
         "a.vl2",
         {},
         false,
         {"compile \"@/a.vl2\" kind 0"}},
        {"paused: Compile When Paused compiles without asking",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.Paused = true;
             H.Options.CompileResumes = true;
         },
         "a.vl2",
         {},
         true,
         {"compile \"@/a.vl2\" kind 0"}},
        {"paused: the other commands ask, and Resume resumes",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.Paused = true;
             H.Options.CompileResumes = true;
             H.AnswerCompile = false;
         },
         "a.vl2",
         {},
         false,
         {"ask compile or resume", "resume"}},
        {"paused: Compile compiles",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.Paused = true;
             H.Options.CompileResumes = true;
         },
         "a.vl2",
         {},
         false,
         {"ask compile or resume", "compile \"@/a.vl2\" kind 0"}},
        {"paused without Compile Resumes compiles",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.Paused = true;
             H.Options.CompileResumes = false;
         },
         "a.vl2",
         {},
         false,
         {"compile \"@/a.vl2\" kind 0"}},
        {"the main compile file is compiled after saving everything",
         [](TFakeCommandHost& H, const TTempDir& D) {
             H.MainFile = TCompileTarget{(D / "main.vr").string(), true, {}};
         },
         "a.vl2",
         {},
         false,
         {"save all", "compile \"@/main.vr\" kind 0"}},
        {"an include file is refused",
         nullptr,
         "X.VLI",
         {},
         false,
         {},
         {{"Compiling an Include File",
           "This is an include file.\r\rYou need to compile the file into which this one is "
           "included.",
           true, false}}},
        {"Vosk Pascal off: a .vp goes through the nearest Compile.vbat",
         [&](TFakeCommandHost& H, const TTempDir& D) {
             H.Options.VoskPascal = false;
             Touch(D / "src" / "compile.VBAT");
             Touch(D / "Compile.vbat");
         },
         "src/deep/unit.vp",
         {},
         false,
         {"vbat @/src/compile.VBAT for '@/src/deep/unit.vp' as 'UNIT.TEXT'"}},
        {"Escape held: a .vp goes through a parent's Scripts/Compile.vbat",
         [&](TFakeCommandHost&, const TTempDir& D) {
             SetKeyHeld(VK_ESCAPE, true);
             Touch(D / "SCRIPTS" / "Compile.vbat");
             fs::create_directories(D / "src");
         },
         "src/LongUnitName.vp",
         {},
         false,
         {"vbat @/SCRIPTS/Compile.vbat for '@/src/LongUnitName.vp' as 'LONGUNITNA.TEXT'"}},
        {"a .vx goes through Compile.vbat",
         [&](TFakeCommandHost&, const TTempDir& D) { Touch(D / "Compile.vbat"); },
         "b.vx",
         {},
         false,
         {"vbat @/Compile.vbat for '@/b.vx' as 'B.TEXT'"}},
        {"a .vbat runs itself",
         nullptr,
         "build.vbat",
         {},
         false,
         {"vbat @/build.vbat for '' as '' wait"}},
        {"no Compile.vbat anywhere",
         nullptr,
         "b.vx",
         {},
         false,
         {},
         {{"Compiling b.vx", "Unable to find Compile.vbat", true, false}}},
        {"Vosk Pascal on: a .vp takes the project route unquoted",
         nullptr,
         "p.vp",
         {},
         false,
         {"compile @/p.vp kind 0 project"}},
        {"a base names the file compiled, quoted without Vosk Pascal",
         [](TFakeCommandHost& H, const TTempDir&) { H.Options.VoskPascal = false; },
         "inc.vr",
         {"; base= MAIN.VPP ", "x"},
         false,
         {"compile \"@/MAIN.VPP\" kind 0"}},
        {"a base with Vosk Pascal takes the project route",
         nullptr,
         "inc.vr",
         {".. base=MAIN.VPP"},
         false,
         {"compile @/MAIN.VPP kind 0 project"}},
        {"a base on a later line is no base",
         nullptr,
         "inc.vr",
         {"x", "; base=MAIN.VPP"},
         false,
         {"compile \"@/inc.vr\" kind 0"}},
        {"a file in a subvolume",
         nullptr,
         "VOL.vol>sub.svol:unit.text",
         {},
         false,
         {"compile SUB:UNIT.TEXT kind 0"}},
        {"a file in the volume takes the volume's name",
         nullptr,
         "VOL.vol>unit.text",
         {},
         false,
         {"compile WORK:UNIT.TEXT kind 0"}},
        {"a base replaces the file part in a subvolume",
         nullptr,
         "VOL.vol>SUB.SVOL:UNIT.TEXT",
         {"; base=MAIN.TEXT"},
         false,
         {"compile SUB:MAIN.TEXT kind 0"}},
        {"a base replaces the file part in the volume",
         nullptr,
         "VOL.vol>UNIT.TEXT",
         {"; base=MAIN.TEXT"},
         false,
         {"compile WORK:MAIN.TEXT kind 0"}},
        {"a failed save compiles nothing",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.SaveWorks = false;
             H.Options.ReloadMapAfterCompile = true;
         },
         "*a.vl2",
         {},
         false,
         {"save"}},
        {"after a success the breakpoints go and the map is read again",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.Options.ReloadMapAfterCompile = true;
             H.Options.MapFile = "WORK:MAP";
         },
         "*a.vl2",
         {},
         false,
         {"save", "compile \"@/a.vl2\" kind 0", "delete breakpoints, remembered",
          "reload WORK:MAP"}},
        {"no map reload after a failure",
         [](TFakeCommandHost& H, const TTempDir&) {
             H.Options.ReloadMapAfterCompile = true;
             H.Succeeds = false;
         },
         "a.vl2",
         {},
         false,
         {"compile \"@/a.vl2\" kind 0"}},
    };
    for (const TDecisionCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TVolumeBench Bench;
        ASSERT_TRUE(Bench.VolumeMade);
        const TTempDir& Folder = Bench.Folder;
        TFakeCommandHost& Fake = Bench.Fake;
        if (Case.Arrange)
            Case.Arrange(Fake, Folder);
        const bool Modified = Case.Document.starts_with('*');
        Fake.Active = TCompileTarget{(Folder / Case.Document.substr(Modified ? 1 : 0)).string(),
                                     Modified, Case.Lines};
        TCompileCommand Run(Fake);
        Run.CompileSource(false, Case.WhenPaused, false);
        std::vector<std::string> Expected;
        for (const std::string& Call : Case.Calls)
            Expected.push_back(WithFolder(Call, Folder.Path()));
        EXPECT_EQ(Fake.Calls, Expected);
        EXPECT_EQ(Fake.Shown.Errors, Case.Errors);
        ReleaseAllKeys();
    }
}

// A record may name the target the way the compiler was handed it; that is still the document
// in hand, and the caret goes there.
TEST_F(TCompileCommandTest, ARecordFindsTheTargetUnderEveryNameItWasHandedOver) {
    struct TNameCase {
        std::string Name;
        std::string Document;
        std::vector<std::string> Lines;
        std::string RecordFile; // "@" stands for the test's folder
        bool IsTarget;
    };
    const std::vector<TNameCase> Cases = {
        {"the editor's own name", "VOL.vol>UNIT.TEXT", {}, "@/VOL.vol>UNIT.TEXT", true},
        {"the volume name", "VOL.vol>UNIT.TEXT", {}, "WORK:UNIT.TEXT", true},
        {"the volume name in another case", "VOL.vol>unit.text", {}, "work:Unit.Text", true},
        {"a subvolume's name", "VOL.vol>SUB.SVOL:UNIT.TEXT", {}, "sub:unit.text", true},
        {"the quoted disk name", "u.vl2", {}, "\"@/u.vl2\"", true},
        {"the disk name the library is handed", "p.vp", {}, "@/p.vp", true},
        {"a disk name differing in case is another file", "u.vl2", {}, "\"@/U.VL2\"", false},
        {"another file in the volume", "VOL.vol>UNIT.TEXT", {}, "WORK:OTHER.TEXT", false},
        {"the base compiled in its place is another file",
         "VOL.vol>UNIT.TEXT",
         {"; base=MAIN.TEXT"},
         "WORK:MAIN.TEXT",
         false},
    };
    for (const TNameCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TVolumeBench Bench;
        ASSERT_TRUE(Bench.VolumeMade);
        const std::string Document = (Bench.Folder / Case.Document).string();
        const std::string RecordFile = WithFolder(Case.RecordFile, Bench.Folder.Path());
        Bench.Fake.Active = TCompileTarget{Document, false, Case.Lines};
        Bench.Fake.Shown.Answers = {1};
        Bench.Fake.OnCompile = [&](TCompileContext& Context) {
            return ShowCompileResults({">E>" + RecordFile + "|>|12,5|>|bad", false, ""}, Context,
                                      Bench.Fake.Options, Bench.Fake);
        };
        TCompileCommand(Bench.Fake).CompileSource(false, false, false);
        if (Case.IsTarget) {
            EXPECT_EQ(Bench.Fake.Shown.Places, (std::vector<TRecordedPlace>{{Document, 12, 5}}));
            EXPECT_EQ(Bench.Fake.Shown.Boxes,
                      (std::vector<TRecordedBox>{{"Error", "bad", false, false}}));
        } else {
            EXPECT_TRUE(Bench.Fake.Shown.Places.empty());
            EXPECT_EQ(Bench.Fake.Shown.Boxes,
                      (std::vector<TRecordedBox>{
                          {"Error", "bad\r\r" + RecordFile + "\rLine 12", false, false}}));
        }
        EXPECT_EQ(Bench.Fake.Shown.EditPresses, 1);
    }
}

TEST_F(TCompileCommandTest, NoDocumentCompilesNothing) {
    EXPECT_EQ(Compile(), TCompileSeverity::None);
    EXPECT_TRUE(Host.Calls.empty());
}

TEST_F(TCompileCommandTest, TheReportScriptTest) {
    WriteFileBytes(Dir / "list.vrep", "A.vr\n");
    struct TCase {
        std::string Name;
        std::string File;
        std::vector<std::string> Lines;
        bool Holds;
        std::string Target; // the list's name when it holds
        std::vector<std::string> ListLines = {};
    };
    const std::string Doc = (Dir / "doc.vr").string();
    const std::vector<TCase> Cases = {
        {"a .vrep file in any case",
         (Dir / "x.VREP").string(),
         {"A.vr"},
         true,
         (Dir / "x.VREP").string(),
         {"A.vr"}},
        {"a script line naming an existing file",
         Doc,
         {";;script=list.vrep", "[Lorvanta 2]"},
         true,
         (Dir / "list.vrep").string(),
         {"A.vr"}},
        {"the other script spelling",
         Doc,
         {"..script= list.vrep"},
         true,
         (Dir / "list.vrep").string(),
         {"A.vr"}},
        {"a script line naming a missing file",
         Doc,
         {";;script=none.vrep", "[Lorvanta 2]"},
         false,
         ""},
        {"a script line that is not the first line", Doc, {"", ";;script=list.vrep"}, false, ""},
        {"a Lorvanta section", Doc, {"[Lorvanta 3]", "A.vr"}, true, Doc, {"[Lorvanta 3]", "A.vr"}},
        {"a Report Writer section after comments",
         Doc,
         {"# notes", "  ", "  [Report Writer]"},
         true,
         Doc,
         {"# notes", "  ", "  [Report Writer]"}},
        {"ordinary source", Doc, {"# notes", "program x;", "[Lorvanta 2]"}, false, ""},
        {"nothing but comments", Doc, {"#", ""}, false, ""},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TReportScript Script = ReadReportScript(Case.File, Case.Lines);
        EXPECT_EQ(Script.Holds, Case.Holds);
        if (Case.Holds) {
            EXPECT_EQ(Script.TargetName, Case.Target);
            EXPECT_EQ(Script.Lines, Case.ListLines);
        }
    }
}

// A report list compiles each entry under its section's kind, with its messages in one tab.
TEST_F(TCompileCommandTest, AReportListCompilesEachEntryUnderItsKind) {
    Host.Options.VoskPascal = false;
    Host.Active =
        Document("list.vrep", {"[Lorvanta 3]", "A.vr", "", "[Pascal]", "B.vp", "skip.vpp"});
    Host.OnCompile = [&](TCompileContext& Context) {
        if (Context.TargetFile == Path("A.vr")) {
            Context.Messages.push_back({Path("A.vr") + ", line 2", Path("A.vr") + "|||2"});
            Context.Messages.push_back({"Warning: unused", {}});
            Context.Raise(TCompileSeverity::Warning);
        }
        return true;
    };
    EXPECT_EQ(Compile(), TCompileSeverity::Warning);
    EXPECT_EQ(Host.Calls, (std::vector<std::string>{"register", "compile " + Q("A.vr") + " kind 3",
                                                    "compile " + Q("B.vp") + " kind -3"}));
    EXPECT_EQ(Host.Scripts, std::vector<std::string>(2, Path("list.vrep")));
    EXPECT_EQ(Host.ProgressTexts, (std::vector<std::string>{"0%  A.vr", "50%  B.vp"}));
    EXPECT_EQ(Host.Shown.Status, (std::vector<std::string>{"0%  A.vr", "50%  B.vp", ""}));
    EXPECT_EQ(Host.Shown.Errors,
              (std::vector<TRecordedBox>{{"Script Complete", "There are warnings.", true, false}}));
    ASSERT_EQ(Host.Shown.Tabs.size(), 1u);
    EXPECT_EQ(Host.Shown.Tabs[0].Caption, "Compiler Messages");
    const std::vector<TCompileLine>& Lines = Host.Shown.Tabs[0].Lines;
    ASSERT_EQ(Lines.size(), 4u);
    EXPECT_EQ(Lines[0].Text, "---- A.vr ----");
    EXPECT_EQ(Lines[1].Text, Path("A.vr") + ", line 2");
    EXPECT_EQ(Lines[1].Data, Path("A.vr") + "|||2");
    EXPECT_EQ(Lines[2].Text, "Warning: unused");
    EXPECT_EQ(Lines[3].Text, "---- B.vp ----");
}

// A section whose number does not parse keeps the kind before it.
TEST_F(TCompileCommandTest, AnUnreadableSectionKeepsTheKind) {
    Host.Active = Document("list.vrep", {"[Report Writer]", "A.vr", "[Lorvanta x]", "B.vr",
                                         "[Lorvanta]", "C.vr", "[Lorvanta 3]", "D.vr"});
    Compile();
    EXPECT_EQ(Host.Calls, (std::vector<std::string>{"register", "compile " + Q("A.vr") + " kind -1",
                                                    "compile " + Q("B.vr") + " kind -1",
                                                    "compile " + Q("C.vr") + " kind -1",
                                                    "compile " + Q("D.vr") + " kind 3"}));
}

TEST_F(TCompileCommandTest, PascalInAListUnderVoskPascalIsNotRun) {
    Host.Active = Document("list.vrep", {"[Pascal]", "B.vp"});
    Compile();
    EXPECT_EQ(Host.Calls.back(), "compile " + Q("B.vp") + " kind -3 suppressed");
}

TEST_F(TCompileCommandTest, CancelEndsTheListAfterTheCurrentEntry) {
    Host.Active = Document("list.vrep", {"A.vr", "B.vr"});
    Host.OnCompile = [&](TCompileContext&) {
        Host.Cancel = true;
        return true;
    };
    Compile();
    EXPECT_EQ(Host.Calls,
              (std::vector<std::string>{"register", "compile " + Q("A.vr") + " kind 2"}));
    EXPECT_EQ(Host.Shown.Errors.size(), 1u); // the summary still comes
}

// The window closes while the first entry compiles: the list ends after it, registered with
// the window's operations for its whole run, and no summary holds the close up.
TEST_F(TCompileCommandTest, ClosingTheWindowEndsTheListAfterTheEntryInHand) {
    Host.Active = Document("list.vrep", {"A.vr", "B.vr", "C.vr"});
    bool Closed = false;
    Host.OnCompile = [&](TCompileContext&) {
        EXPECT_TRUE(Host.Operations.Running(TLongOperations::TKind::CompileList));
        Host.Operations.StopAll([&Closed] { Closed = true; });
        EXPECT_FALSE(Closed);
        return true;
    };
    Compile();
    EXPECT_EQ(Host.Calls,
              (std::vector<std::string>{"register", "compile " + Q("A.vr") + " kind 2"}));
    EXPECT_TRUE(Host.Shown.Errors.empty());
    EXPECT_TRUE(Host.Shown.Tabs.empty());
    EXPECT_TRUE(Closed);
    EXPECT_FALSE(Host.Operations.Any());
}

// A wait for the compiler that the user stopped ends the whole list, not just its entry.
TEST_F(TCompileCommandTest, AStoppedWaitEndsTheList) {
    Host.Active = Document("list.vrep", {"A.vr", "B.vr"});
    Host.OnCompile = [&](TCompileContext& Context) {
        Context.Stopped = true;
        Context.Raise(TCompileSeverity::NotRun);
        return false;
    };
    Compile();
    EXPECT_EQ(Host.Calls,
              (std::vector<std::string>{"register", "compile " + Q("A.vr") + " kind 2"}));
}

TEST_F(TCompileCommandTest, ASuccessfulListCanLeaveNoTab) {
    Host.Options.SuppressScriptSuccess = true;
    Host.Active = Document("list.vrep", {"A.vr"});
    EXPECT_EQ(Compile(), TCompileSeverity::None);
    EXPECT_EQ(Host.Shown.Errors,
              (std::vector<TRecordedBox>{
                  {"Script Complete", "All reports compiled successfully.", true, false}}));
    EXPECT_TRUE(Host.Shown.Tabs.empty());
}

TEST_F(TCompileCommandTest, ACompileCommandDuringAListIsIgnored) {
    Host.Active = Document("list.vrep", {"A.vr", "B.vr"});
    int Inner = 0;
    Host.OnEvents = [&] {
        ++Inner;
        EXPECT_TRUE(Command.Running());
        EXPECT_EQ(Command.CompileSource(false, false, false), TCompileSeverity::None);
    };
    Compile();
    EXPECT_EQ(Inner, 2);
    EXPECT_EQ(Host.Calls.size(), 3u); // register and the two entries
    EXPECT_FALSE(Command.Running());
}

TEST_F(TCompileCommandTest, AFailedRegistrationEndsTheListBeforeItStarts) {
    Host.Active = Document("list.vrep", {"A.vr"});
    Host.RegisterFailure = "Failed to register /x for COM";
    EXPECT_EQ(Compile(), TCompileSeverity::NotRun);
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"register"});
    EXPECT_EQ(Host.Shown.Errors, (std::vector<TRecordedBox>{
                                     {"Compiler", "Failed to register /x for COM", true, false}}));
}

// A Favourites folder: the question, then every report under it by name, files before folders;
// a link to a folder is not followed, so a loop of links ends.
TEST_F(TCompileCommandTest, AFavouritesFolderCompilesEveryReportUnderIt) {
    const fs::path Root = Dir / "reports";
    fs::create_directories(Root / "sub");
    for (const char* Name : {"b.VR", "A.vl2", "c.vl", "d.vpp", "e.txt", "run.vbat", "sub/f.vr"})
        WriteFileBytes(Root / Name, "x\n");
    fs::create_directory_symlink(Root, Root / "sub" / "loop");
    fs::create_directory_symlink(Root / "sub", Root / "alias");
    Host.Folder = Root.string();
    Host.Active = Document("ignored.vl2");
    Compile();
    const auto P = [&](const fs::path& File) { return File.string(); };
    EXPECT_EQ(Host.Calls,
              (std::vector<std::string>{"ask compile folder", "register",
                                        "compile \"" + P(Root / "A.vl2") + "\" kind 2",
                                        "compile \"" + P(Root / "b.VR") + "\" kind 2",
                                        "compile \"" + P(Root / "c.vl") + "\" kind 2",
                                        "vbat " + P(Root / "run.vbat") + " for '' as '' wait",
                                        "compile \"" + P(Root / "sub" / "f.vr") + "\" kind 2"}));
    EXPECT_EQ(Host.Scripts.front(), P(Root / "Temp.vrep"));
    EXPECT_EQ(Host.ProgressTexts.back(), "80%  " + P(Root / "sub" / "f.vr"));
}

TEST_F(TCompileCommandTest, NoToTheFolderQuestionCompilesNothing) {
    Host.Folder = Dir.Path().string();
    Host.AnswerYes = false;
    Host.Active = Document("a.vl2");
    Compile();
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"ask compile folder"});
}

// Unattended: what would have been a box is a line with severity 4, and nothing is asked.
TEST_F(TCompileCommandTest, AnUnattendedCompileNeverAsks) {
    struct TCase {
        std::string Name;
        std::function<void()> Arrange;
        std::string Document;
        std::vector<std::string> Messages;
        std::vector<std::string> Calls;
    };
    const std::vector<TCase> Cases = {
        {"an include file",
         nullptr,
         "x.vri",
         {"Compiling an Include File: This is an include file.\r\rYou need to compile the file "
          "into which this one is included."},
         {}},
        {"no Compile.vbat", nullptr, "b.vx", {"Compiling b.vx: Unable to find Compile.vbat"}, {}},
        {"a VBat run that fails",
         [&] { Host.VBatWorks = false; },
         "run.vbat",
         {"Error in VBat Script: Unable to start the p-System window"},
         {"vbat " + Path("run.vbat") + " for '' as '' wait"}},
        {"the debugger is paused",
         [&] {
             Host.Paused = true;
             Host.Options.CompileResumes = true;
             Host.Options.VoskPascal = false;
             Host.Succeeds = true;
         },
         "a.vl2",
         {},
         {"compile " + Q("a.vl2") + " kind 0"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Host.Calls.clear();
        Host.Shown.NoBoxes = true;
        if (Case.Arrange)
            Case.Arrange();
        Host.Active = Document(Case.Document);
        const TCompileSeverity Severity = Compile(true, false, true);
        std::vector<std::string> Texts;
        for (const TCompileLine& Line : Command.UnattendedResult().Messages)
            Texts.push_back(Line.Text);
        EXPECT_EQ(Texts, Case.Messages);
        EXPECT_EQ(Host.Calls, Case.Calls);
        EXPECT_EQ(Severity,
                  Case.Messages.empty() ? TCompileSeverity::None : TCompileSeverity::NotRun);
    }
}

TEST_F(TCompileCommandTest, AnUnattendedListKeepsItsLinesForTheRequest) {
    Host.Shown.NoBoxes = true;
    Host.Options.SuppressScriptSuccess = false;
    Host.Active = Document("list.vrep", {"A.vr"});
    Compile(false, false, true);
    ASSERT_EQ(Command.UnattendedResult().Messages.size(), 1u);
    EXPECT_EQ(Command.UnattendedResult().Messages[0].Text, "---- A.vr ----");
    EXPECT_TRUE(Host.ProgressTexts.empty());
    EXPECT_TRUE(Host.Shown.Tabs.empty());

    // "hidesuccess": a list that reported nothing leaves nothing to write.
    Host.Options.SuppressScriptSuccess = true;
    Compile(false, false, true);
    EXPECT_TRUE(Command.UnattendedResult().Messages.empty());
}

} // namespace
} // namespace korvid::test
