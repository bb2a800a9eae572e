#include "VBatTestSupport.h"

#include "devtools/vbat/VBatReporter.h"
#include "ui/ModalRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

using namespace std::string_literals;

namespace korvid::test {

namespace {

struct TParseErrorCase {
    const char* Script;
    int Line;
    const char* Message;
};

class VBatParseTest : public ::testing::Test {
protected:
    // Loads Text as "S.vbat" and answers whether it parsed.
    bool Load(std::string_view Text, std::string_view Name = "S.vbat") {
        Script = Folder.Write(Name, Text);
        return VBat.LoadScript(Script, UserScript, Reporter);
    }

    TVBatFolder Folder;
    TFakeDesktop Desktop;
    TVBat VBat{Folder.Settings(Desktop)};
    TRecordingReporter Reporter;
    std::string Script;
    std::string UserScript;
};

TEST_F(VBatParseTest, ParseErrorsNameTheFileAndLine) {
    const TParseErrorCase Cases[] = {
        {"# c\n\nfoo\n", 3, "Syntax error"},
        {"copy A\n", 1, "'to' expected but end of line found"},
        {"copy A to\n", 1, "Unexpected end of line"},
        {"copy A from B\n", 1, "'to' expected but 'from' found"},
        {"flag X maybe in F\n", 1, "'on' or 'off' expected but 'maybe' found"},
        {"announce 'no end\n", 1, "No closing quote"},
        {"prefix VP\nbegin\nend\n", 2, "'begin' with no test"},
        {"X! begin\ncopy A to B\n", 1, "'begin' with no 'end'"},
        {"copy A to B C\n", 1, "End of line expected but 'C' found"},
        {"announce hi # fine\ndelete A B\n", 2, "End of line expected but 'B' found"},
        {"generate L as O sideways\n", 1,
         "'interfaced' or 'standalone' expected but 'sideways' found"},
        {"generate L as O\nend\n", 2, "'add' expected but 'end' found"},
        {"generate L as O\nadd A\nput B\n", 3, "'add' or 'end' expected but 'put' found"},
        {"generate L as O\nadd A\n", 2, "'generate' with no 'end'"},
        {"input X maybe\n", 1, "'as' or 'or' expected but 'maybe' found"},
        {"send keys slowly\n", 1, "End of line expected but 'slowly' found"},
        {"(* VBat\ncopy A to B\n", 1, "Syntax error"},
        {"copy A to B\n*)\n", 2, "Syntax error"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Script);
        TVBat Fresh(Folder.Settings(Desktop));
        TRecordingReporter Errors;
        const std::string Name = Folder.Write("S.vbat", Case.Script);
        EXPECT_FALSE(Fresh.LoadScript(Name, "", Errors));
        ASSERT_EQ(Errors.Errors.size(), 1u);
        EXPECT_EQ(Errors.Errors[0],
                  Name + "\rLine " + std::to_string(Case.Line) + "\r" + Case.Message);
    }
}

TEST_F(VBatParseTest, ErrorsGoToTheBoxTitledErrorInVBatScript) {
    TScriptedModals Modals;
    Modals.Press("OK");
    TVBatBoxReporter Boxes;
    const std::string Name = Folder.Write("S.vbat", "a = 1\n\nfoo\n");
    EXPECT_FALSE(VBat.LoadScript(Name, "", Boxes));
    ASSERT_EQ(Modals.Shown().size(), 1u);
    EXPECT_EQ(Modals.Last().Caption, "Error in VBat Script");
    EXPECT_EQ(Modals.Last().Message->Text, Name + "\rLine 3\rSyntax error");
}

TEST_F(VBatParseTest, AssignmentsKeepQuotesAndEmptyValues) {
    ASSERT_TRUE(Load("x = 'it''s'\nEmpty =\ny='a b'\n"));
    TVBatValues Saved;
    ASSERT_TRUE(VBat.ExecuteScript(Saved, false, {}, false, Reporter));
    EXPECT_EQ(VBat.Variable("X"), "it's");
    EXPECT_EQ(VBat.Variables().count("EMPTY"), 1u);
    EXPECT_EQ(VBat.Variable("empty"), "");
    EXPECT_EQ(VBat.Variable("y"), "a b");
}

TEST_F(VBatParseTest, VpSourceWithoutEmbeddedScriptAddsNothing) {
    ASSERT_TRUE(Load("program P;\ncopy A to B\n", "unit.vp"));
    EXPECT_TRUE(Reporter.Errors.empty());
    ASSERT_EQ(VBat.Commands().size(), 2u); // the start and the file's prefix
    EXPECT_EQ(VBat.Commands()[1]->Kind, vkPrefix);
}

TEST_F(VBatParseTest, VpSourceEmbeddedScriptEndsAtItsCloser) {
    ASSERT_TRUE(Load("(* vbat build\ncopy A to B\n*)\nfoo bar\n", "unit.vp"));
    ASSERT_EQ(VBat.Commands().size(), 3u);
    EXPECT_EQ(VBat.Commands()[2]->Kind, vkCopy);
}

TEST_F(VBatParseTest, UserScriptIsParsedFirstUnlessItIsTheScript) {
    UserScript = Folder.Write("User.vbat", "announce user\n");
    ASSERT_TRUE(Load("announce main\n"));
    ASSERT_EQ(VBat.Commands().size(), 5u);
    EXPECT_EQ(VBat.Commands()[2]->Arguments[0], "user");
    EXPECT_EQ(VBat.Commands()[4]->Arguments[0], "main");

    TVBat Same(Folder.Settings(Desktop));
    ASSERT_TRUE(Same.LoadScript(UserScript, " " + UserScript + " ", Reporter));
    EXPECT_EQ(Same.Commands().size(), 3u);
}

TEST_F(VBatParseTest, IncludeAndDefaultErrors) {
    std::filesystem::create_directories(Folder.Dir / "empty");
    const struct {
        std::string Script;
        std::string Message;
    } Cases[] = {
        {"include X\n", "Include file 'X' does not exist"},
        {"default {_VBatPath_}empty\n",
         "File '" + Folder.Dir.Path().string() + "/empty/Default.vbat' does not exist"},
        {"include S.vbat\n", "Include file 'S.vbat' is already being parsed"},
        {"include Loop.vbat\n", "Include file 'S.vbat' is already being parsed"},
    };
    Folder.Write("Loop.vbat", "announce x\ninclude S.vbat\n");
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Script);
        TVBat Fresh(Folder.Settings(Desktop));
        TRecordingReporter Errors;
        Script = Folder.Write("S.vbat", Case.Script);
        EXPECT_FALSE(Fresh.LoadScript(Script, "", Errors));
        ASSERT_EQ(Errors.Errors.size(), 1u);
        EXPECT_EQ(Errors.Errors[0].substr(Errors.Errors[0].rfind('\r') + 1), Case.Message);
    }
}

TEST_F(VBatParseTest, IncludeAndDefaultParseInPlace) {
    Folder.Write("sub/Default.vbat", "announce dflt\n");
    Folder.Write("Inc.vbat", "announce inc\n");
    ASSERT_TRUE(Load("include Inc.vbat\ndefault '{_VBatPath_}sub'\nannounce main\n"));
    std::vector<std::string> Announced;
    for (const auto& Command : VBat.Commands())
        if (Command->Kind == vkAnnounce)
            Announced.push_back(Command->Arguments[0]);
    EXPECT_EQ(Announced, (std::vector<std::string>{"inc", "dflt", "main"}));
}

TEST_F(VBatParseTest, NestingStopsAtItsLimit) {
    std::string Deep;
    for (int I = 0; I < 100; ++I)
        Deep += "X! begin\n";
    EXPECT_FALSE(Load(Deep));
    ASSERT_EQ(Reporter.Errors.size(), 1u);
    EXPECT_NE(Reporter.Errors[0].find("Blocks or include files are nested too deeply"),
              std::string::npos);
}

TEST(VBatExpand, BracesInBothForms) {
    const TVBatValues Values{{"_UNITNAME_", "U.vp"}, {"X", "ex"}, {"B", "bee"}};
    EXPECT_EQ(ExpandVariableText("a{_UnitName_}b", Values, false), "aU.vpb");
    EXPECT_EQ(ExpandVariableText("a{_UnitName_}b", Values, true), "aU.vpb");
    EXPECT_EQ(ExpandVariableText("{x}", Values, false), "ex");
    EXPECT_EQ(ExpandVariableText("{x}", Values, true), "{x}");
    EXPECT_EQ(ExpandVariableText("{a{b}c", Values, false), "beec");
    EXPECT_EQ(ExpandVariableText("ab{cd", Values, false), "ab");
    EXPECT_EQ(ExpandVariableText("{nobody}.", Values, false), ".");
}

TEST(VBatExpand, PSystemFileNames) {
    EXPECT_EQ(PSystemFileName("C:\\src\\verylongname.vp"), "VERYLONGNA.TEXT");
    EXPECT_EQ(PSystemFileName("/home/u/a.b.vx"), "A.B.TEXT");
    EXPECT_EQ(PSystemFileName("plain"), "PLAIN.TEXT");
}

TEST_F(VBatParseTest, PredefinedVariables) {
    ASSERT_TRUE(Load("announce x\n"));
    EXPECT_EQ(VBat.Variable("_UnitName_"), "C:\\src\\unit.vp");
    EXPECT_EQ(VBat.Variable("_UnitIsVp_"), "Y");
    EXPECT_EQ(VBat.Variable("_UnitIsVx_"), "");
    EXPECT_EQ(VBat.Variable("_UnitPath_"), "C:/src/");
    EXPECT_EQ(VBat.Variable("_VBatPath_"), Folder.Dir.Path().string() + "/");
    EXPECT_EQ(VBat.Variable("_PSystemName_"), "UNIT.TEXT");
    EXPECT_EQ(VBat.Variable("_YearNum_"), "2024");
}

TEST_F(VBatParseTest, Utf8NotSignBecomesReturn) {
    ASSERT_TRUE(Load("announce 'a\xC2\xAC"
                     "b'\n"));
    EXPECT_EQ(VBat.Commands()[2]->Arguments[0], "a\xAC"
                                                "b");
}

// Random damage to a valid script: parsing never crashes and a failure is one box.
TEST_F(VBatParseTest, MutatedScriptsFailCleanly) {
    const unsigned Seed = std::random_device{}();
    std::printf("VBat mutation seed %u (set VBAT_SEED to repeat)\n", Seed);
    const char* Env = std::getenv("VBAT_SEED");
    std::mt19937 Random(Env ? static_cast<unsigned>(std::strtoul(Env, nullptr, 10)) : Seed);
    const std::string Base = "# build\nx = 'it''s'\ncopy A to B\nX! begin\n  compile {x} to Y\n"
                             "end\ngenerate L as O standalone\nadd A\nend\ninput F or G\n"
                             "send keys tidily so far\ninclude Other.vbat\n";
    Folder.Write("Other.vbat", "announce other\n");
    const std::string Pieces[] = {"\0"s,
                                  "\xAC",
                                  "'",
                                  "''",
                                  "(*",
                                  "*)",
                                  "include S.vbat\n",
                                  "X? begin\n",
                                  "end\n",
                                  std::string(100000, 'w'),
                                  "\n",
                                  "default .\n",
                                  "{",
                                  "}",
                                  "!",
                                  "?",
                                  "="};
    for (int Round = 0; Round < 200; ++Round) {
        std::string Text = Base;
        const int Changes = 1 + static_cast<int>(Random() % 6);
        for (int I = 0; I < Changes; ++I) {
            const std::size_t At = Random() % (Text.size() + 1);
            switch (Random() % 3) {
            case 0:
                Text.insert(At, 1, static_cast<char>(Random() % 256));
                break;
            case 1:
                Text.insert(At, Pieces[Random() % std::size(Pieces)]);
                break;
            default:
                if (At < Text.size())
                    Text.erase(At, 1 + Random() % 8);
                break;
            }
        }
        if (Random() % 10 == 0)
            for (int I = 0; I < 80; ++I)
                Text += "Y! begin\n";
        TVBat Fresh(Folder.Settings(Desktop));
        TRecordingReporter Errors;
        const std::string Name = Folder.Write("S.vbat", Text);
        const bool Loaded = Fresh.LoadScript(Name, "", Errors);
        ASSERT_EQ(Errors.Errors.size(), Loaded ? 0u : 1u) << "round " << Round;
    }
}

} // namespace

} // namespace korvid::test
