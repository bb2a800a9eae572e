#include "devtools/compiler/TesselLib.h"

#include "tests/devtools/compiler/CompilerTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <dlfcn.h>

#include <filesystem>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

TEST(TTesselRequestTest, CompileRequestHoldsEveryItemInOrder) {
    const std::string Expected = "{\r\n"
                                 "  action:   'compile-pascal'\r\n"
                                 "  source:   'file::/a/b.vp'\r\n"
                                 "  temp:     ''\r\n"
                                 "  json:     '/j/m.json'\r\n"
                                 "  ide:      true\r\n"
                                 "  cosmetic: true\r\n"
                                 "  hint:     true\r\n"
                                 "  warn:     true\r\n"
                                 "}";
    EXPECT_EQ(TesselCompileRequest(TesselAction("/a/b.vp"), "/a/b.vp", "/j/m.json",
                                   DefaultCompilerOptions()),
              Expected);
}

TEST(TTesselRequestTest, FlagsFollowTheHintAndWarningOptions) {
    TKorvidOptions Options = DefaultCompilerOptions();
    Options.LorvantaHints = false;
    Options.LorvantaWarnings = false;
    const std::string Request = TesselCompileRequest("compile-pascal", "s", "j", Options);
    EXPECT_NE(Request.find("  cosmetic: false\r\n  hint:     false\r\n  warn:     false"),
              std::string::npos);
}

TEST(TTesselRequestTest, QuotesAreDoubledInEveryValue) {
    TKorvidOptions Options = DefaultCompilerOptions();
    Options.TesselTemp = "/t'mp";
    const std::string Request =
        TesselCompileRequest("compile-pascal", "/a/it's.vp", "/j/o'm.json", Options);
    EXPECT_NE(Request.find("  source:   'file::/a/it''s.vp'"), std::string::npos);
    EXPECT_NE(Request.find("  temp:     '/t''mp'"), std::string::npos);
    EXPECT_NE(Request.find("  json:     '/j/o''m.json'"), std::string::npos);
}

TEST(TTesselRequestTest, ActionFollowsTheExtensionInAnyCase) {
    const std::pair<const char*, const char*> Cases[] = {
        {"/p/x.vpj", "compile-pascal-project"}, {"/p/X.VPJ", "compile-pascal-project"},
        {"/p/x.vdefs", "compile-defs"},         {"/p/X.VDefs", "compile-defs"},
        {"/p/x.vp", "compile-pascal"},          {"/p/x.vpp", "compile-pascal"},
        {"/p/x.vpj.bak", "compile-pascal"},
    };
    for (const auto& [Target, Action] : Cases)
        EXPECT_EQ(TesselAction(Target), Action) << Target;
}

TEST(TTesselRequestTest, ShortRequestsHoldOnlyTheirItems) {
    EXPECT_EQ(SimulateEmsRequest("/a/b.vp", "/j/m.json"),
              "{\r\n  action:   'simulate-ems'\r\n  source:   'file::/a/b.vp'\r\n"
              "  json:     '/j/m.json'\r\n}");
    EXPECT_EQ(DumpConfigurationRequest("/j/m.json"),
              "{\r\n  action:   'dump-configuration'\r\n  json:     '/j/m.json'\r\n}");
}

TEST(TTesselRequestTest, LocationIsTheFirstLineAfterTheBrace) {
    using TLines = std::vector<std::string>;
    const std::pair<TLines, std::optional<std::string>> Cases[] = {
        {{"{", "tessel: '/l/t.so'"}, "/l/t.so"},
        {{"  {  ", "", "  // comment", "  tessel:   \"/l/t.so\"  ", "}"}, "/l/t.so"},
        {{"{", "tessel: /l/t.so"}, "/l/t.so"},
        {{"{", "tessel: 'a'b'"}, "a'b"},
        {{"{", "name: 'x'", "tessel: '/l/t.so'"}, std::nullopt},
        {{"[", "tessel: '/l/t.so'"}, std::nullopt},
        {{"{"}, std::nullopt},
        {{"{", "tessel: ''"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& [Lines, Location] : Cases)
        EXPECT_EQ(TesselLocation(Lines), Location) << (Lines.size() > 1 ? Lines[1] : "");
}

// A compile through a stand-in library, with the JSON file naming it.
class TTesselLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log = Dir.Path() / "tessel.log";
        qputenv("TESSEL_STANDIN_LOG", QByteArray::fromStdString(Log.string()));
        fs::create_directories(Dir.Path() / "src");
        Source = (Dir.Path() / "src" / "b.vp").string();
        WriteFileBytes(Source, "program b;");
        Options.TesselJson = Dir.Path().string();
        Host.Json = "m.json";
    }
    void TearDown() override {
        qunsetenv("TESSEL_STANDIN_LOG");
        qunsetenv("TESSEL_STANDIN_FAULT");
    }

    void NameLibrary(const std::string& Library) {
        WriteFileBytes(Dir.Path() / "m.json",
                       "{\n  // the compiler\n  tessel: '" + Library + "'\n}\n");
    }
    std::string Compile() {
        TTesselLink Link(Context, Options, Host, {TESSEL_HELPER, Wait});
        return Link.Compile(Source);
    }
    std::string LogText() const { return fs::exists(Log) ? ReadFileBytes(Log) : std::string(); }

    TTempDir Dir;
    fs::path Log;
    std::string Source;
    TKorvidOptions Options = DefaultCompilerOptions();
    TCompileContext Context;
    TRecordingCompilerHost Host;
    TAnswerWait Wait;
};

TEST_F(TTesselLinkTest, ReplyIsCopiedReleasedOnceAndTheLibraryUnloaded) {
    NameLibrary(TESSEL_STANDIN);
    WriteFileBytes(Source + ".reply", ">E>" + Source + "|>|1|>|bad");
    const fs::path Before = fs::current_path();
    EXPECT_EQ(Compile(), ">E>" + Source + "|>|1|>|bad");
    EXPECT_EQ(LogText(), "command\ncwd " + (Dir.Path() / "src").string() + "\nrelease\n");
    EXPECT_EQ(fs::current_path(), Before);
    EXPECT_EQ(dlopen(TESSEL_STANDIN, RTLD_LAZY | RTLD_NOLOAD), nullptr);
    EXPECT_TRUE(Host.Errors.empty());
    EXPECT_EQ(Host.Status.front(), "m.json - Compiling project " + Source + "\x85");
    EXPECT_EQ(Host.Status.back(), "");
}

TEST_F(TTesselLinkTest, NullReplyIsEmptyAndNothingIsReleased) {
    NameLibrary(TESSEL_STANDIN_NULL);
    EXPECT_EQ(Compile(), "");
    EXPECT_EQ(LogText().find("release"), std::string::npos);
    EXPECT_NE(LogText().find("command"), std::string::npos);
}

TEST_F(TTesselLinkTest, DebugOutputRunsTheConfigurationDumpFirst) {
    NameLibrary(TESSEL_STANDIN);
    Options.WyxDebugToOutputText = true;
    TTesselLink Link(Context, Options, Host, {TESSEL_HELPER, {}});
    Link.Compile(Source);
    EXPECT_EQ(LogText().find("command"), 0u);
    EXPECT_NE(Link.DebugText().find("configuration of " + (Dir.Path() / "m.json").string()),
              std::string::npos);
    EXPECT_NE(Link.DebugText().find(std::string(TESSEL_STANDIN) + "\r\n{\r\n"), std::string::npos);
}

TEST_F(TTesselLinkTest, EachLoadingFailureIsShownOnceAndEndsTheCompile) {
    const std::string Missing = (Dir.Path() / "none.so").string();
    const std::pair<std::function<void()>, std::string> Cases[] = {
        {[&] { fs::remove(Dir.Path() / "m.json"); },
         "Unable to load " + (Dir.Path() / "m.json").string()},
        {[&] { WriteFileBytes(Dir.Path() / "m.json", "{\n  name: 'x'\n}"); },
         "The location of TesselLib.dll is unknown.\r\rYour main JSON file must start with a "
         "curly-bracketed object whose first non-comment line is:\rtessel: '<filename>'"},
        {[&] { NameLibrary(Missing); }, Missing + " not found"},
        {[&] { NameLibrary(TESSEL_STANDIN_NO_COMMAND); },
         "TesselLib.dll does not contain TesselCommand function"},
        {[&] { NameLibrary(TESSEL_STANDIN_NO_RELEASE); },
         "TesselLib.dll does not contain TesselRelease function"},
    };
    for (const auto& [Arrange, Text] : Cases) {
        SCOPED_TRACE(Text);
        Host.Errors.clear();
        Context.Severity = TCompileSeverity::None;
        Context.JsonChoice = TJsonChoice::Picked;
        Arrange();
        EXPECT_EQ(Compile(), "");
        ASSERT_EQ(Host.Errors.size(), 1u);
        EXPECT_EQ(Host.Errors[0].Title, "Compiling Pascal");
        EXPECT_EQ(Host.Errors[0].Text, Text);
        EXPECT_EQ(Context.Severity, TCompileSeverity::NotRun);
    }
    EXPECT_EQ(LogText(), "");
}

TEST_F(TTesselLinkTest, JsonFileIsPickedWhenMissingOrAsked) {
    NameLibrary(TESSEL_STANDIN);
    WriteFileBytes(Dir.Path() / "n.json", "{\n tessel: '" + std::string(TESSEL_STANDIN) + "'\n}");
    struct TCase {
        const char* Name;
        std::string Json;
        bool Override;
        bool Always;
        std::optional<std::string> Pick;
        bool Asked;
        std::string Reply; // "" when the compile ends
    };
    const std::string Compiled = ">S>" + Source + "|>|0|>|Compiled compile-pascal";
    const TCase Cases[] = {
        {"ChosenFileExists", "m.json", false, false, std::nullopt, false, Compiled},
        {"FileMissing", "gone.json", false, false, "n.json", true, Compiled},
        {"Override", "m.json", true, false, "n.json", true, Compiled},
        {"AlwaysPick", "m.json", false, true, "n.json", true, Compiled},
        {"Cancelled", "gone.json", false, false, std::nullopt, true, ""},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Context = {};
        Context.Override = Case.Override;
        Options.AlwaysPickJson = Case.Always;
        Host.Json = Case.Json;
        Host.Pick = Case.Pick;
        Host.PickedFrom.clear();
        EXPECT_EQ(Compile(), Case.Reply);
        EXPECT_EQ(Host.PickedFrom.size(), Case.Asked ? 1u : 0u);
        if (Case.Pick) {
            EXPECT_EQ(Host.Json, *Case.Pick);
        }
        EXPECT_FALSE(Context.Override);
    }
}

TEST_F(TTesselLinkTest, UnattendedCompileNeedingAPickEndsWithALine) {
    Host.NoBoxes = true;
    Host.Json = "gone.json";
    Context.Unattended = true;
    EXPECT_EQ(Compile(), "");
    EXPECT_TRUE(Host.PickedFrom.empty());
    EXPECT_EQ(Context.Severity, TCompileSeverity::NotRun);
    ASSERT_EQ(Context.Messages.size(), 1u);
}

} // namespace
} // namespace korvid::test
