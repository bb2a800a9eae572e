#include "devtools/compiler/CompileResults.h"

#include "tests/devtools/compiler/CompilerTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvid::test {
namespace {

using TSetup = std::function<void(TKorvidOptions&, TCompileContext&, TRecordingCompilerHost&)>;

struct TOutputCase {
    const char* Name;
    std::string Output;
    TSetup Setup;
    std::vector<TRecordedBox> Boxes;
    std::vector<TRecordedPlace> Places;
    TCompileSeverity Severity;
    // The unattended message lines, when the case checks them.
    std::vector<std::string> Lines = {};
    bool ReportWriter = false;
};

const std::string Target = "C:\\SRC\\A.VP";
const std::string Unreachable =
    "Unable to access the compiler.  Check your EMS settings in View > Options > Compiler.";

void Nothing(TKorvidOptions&, TCompileContext&, TRecordingCompilerHost&) {}

std::string Hints(int Count) {
    std::string Text;
    for (int I = 1; I <= Count; ++I)
        Text += ">H>|>|0|>|h" + std::to_string(I) + "\r\n";
    return Text;
}

std::vector<TOutputCase> Cases() {
    return {
        {"ErrorInTheTarget",
         ">E>C:\\SRC\\A.VP|>|12,5|>|text\r\n>E>C:\\SRC\\A.VP|>|13|>|more\r\n",
         Nothing,
         {{"Error", "text", false, true}, {"Error", "more", false, false}},
         {{Target, 12, 5}, {Target, 13, 0}},
         TCompileSeverity::Error,
         {"C:\\SRC\\A.VP, line 12", "Error: text", "C:\\SRC\\A.VP, line 13", "Error: more"}},
        {"RecordWithoutTheLongSeparator",
         ">W>C:\\B.VP>4>careful",
         [](auto&, auto&, auto& Host) { Host.Reachable.insert("C:\\B.VP"); },
         {{"Warning", "careful", false, false}},
         {{"C:\\B.VP", 4, 0}},
         TCompileSeverity::Warning},
        {"SubKindJoinsTheTitle",
         ">E>|>|0|>|__#Syntax:Missing ;",
         Nothing,
         {{"Error Syntax", "Missing ;", false, false}},
         {},
         TCompileSeverity::Error,
         {"Error Syntax: Missing ;"}},
        {"ParagraphBreak",
         ">E>|>|0|>|one \x96\x96 two",
         Nothing,
         {{"Error", "one\r\r_____ two", false, false}},
         {},
         TCompileSeverity::Error},
        {"AnalysisTextGoesToTheSuccessBox",
         ">E>|>|0|>|bad(\xAC\xAC\xAC)why\r\n>S>|>|0|>|OK",
         Nothing,
         {{"Report Compiled", "OK\r\rusing:\rSRV\r\rwhy", true, false}},
         {},
         TCompileSeverity::Error},
        {"ShortRecordsReadNothingPastTheirEnd",
         ">E\r\n>\r\n>W",
         Nothing,
         {{"Error", "", false, true}, {"Warning", "", false, false}},
         {},
         TCompileSeverity::Error},
        {"UnknownLettersAreSkipped",
         ">Z>X|>|1|>|y\r\n>z",
         Nothing,
         {{"Compiler", Unreachable, true, false}},
         {},
         TCompileSeverity::NotRun},
        {"PlainLine",
         "just text",
         Nothing,
         {{"Compiler", "just text", false, false}},
         {},
         TCompileSeverity::None,
         {"Compiler: just text"}},
        {"ReportWriterQuotesAndLineZero",
         "noise\r\n>E>\"C:\\R.VR\"|>|0|>|bad",
         [](auto&, auto& Context, auto&) { Context.TargetFile = "C:\\R.VR"; },
         {{"Error", "bad", false, false}},
         {{"C:\\R.VR", 1, 0}},
         TCompileSeverity::Error,
         {"C:\\R.VR, line 1", "Error: bad"},
         true},
        {"FileNeitherOpenNorOnDisk",
         ">E>X|>|7|>|gone",
         Nothing,
         {{"Error", "gone\r\rX\rLine 7", false, false}},
         {},
         TCompileSeverity::Error,
         {"X, line 7", "Error: gone"}},
        {"CombinedHintsFollowTheServer",
         Hints(11) + ">W>|>|0|>|a|>|b\r\n>S>|>|0|>|OK",
         [](auto& Options, auto&, auto&) { Options.LorvantaCombineHintsAndWarnings = true; },
         {{"Report Compiled",
           "OK\r\rusing:\rSRV\rh1\r\rh2\r\rh3\r\rh4\r\rh5\r\rh6\r\rh7\r\rh8\r\rh9\r\rh10\r\r", true,
           false}},
         {},
         TCompileSeverity::Warning},
        {"AnErrorSilencesHints",
         ">H>|>|0|>|h\r\n>W>|>|0|>|w\r\n>E>|>|0|>|e",
         [](auto& Options, auto&, auto&) { Options.LorvantaCombineHintsAndWarnings = true; },
         {{"Error", "e", false, false}},
         {},
         TCompileSeverity::Error,
         {"Error: e"}},
        {"HintsAsErrorsStopTheWalk",
         ">H>|>|0|>|h\r\n>S>|>|0|>|OK",
         [](auto& Options, auto&, auto&) { Options.LorvantaHintsAsErrors = true; },
         {{"Hint", "h", false, true}},
         {},
         TCompileSeverity::Hint},
        {"HiddenKindsAreNotShown",
         ">H>|>|0|>|h\r\n>K>|>|0|>|k\r\n>W>|>|0|>|w",
         [](auto& Options, auto&, auto&) {
             Options.LorvantaHints = false;
             Options.LorvantaWarnings = false;
         },
         {{"Hint", "k", false, true}},
         {},
         TCompileSeverity::Hint},
        {"LastSuccessShowsOnlyOk",
         ">S>|>|0|>|Done",
         Nothing,
         {{"Report Compiled", "Done\r\rusing:\rSRV", true, false}},
         {},
         TCompileSeverity::None},
        {"ProjectSuccessNamesTheJsonFile",
         ">S>|>|0|>|Done",
         [](auto& Options, auto& Context, auto&) {
             Options.VoskPascal = true;
             Context.ProjectRoute = true;
         },
         {{"Compiled", "Done\r\rusing:\r/j/m.json\rSRV", true, false}},
         {},
         TCompileSeverity::None},
        {"EditStopsTheWalk",
         ">E>|>|0|>|first\r\n>E>|>|0|>|second",
         [](auto&, auto&, auto& Host) { Host.Answers = {1}; },
         {{"Error", "first", false, true}},
         {},
         TCompileSeverity::Error},
        {"EmptyOutput",
         "",
         Nothing,
         {{"Compiler", Unreachable, true, false}},
         {},
         TCompileSeverity::NotRun,
         {"Compiler: " + Unreachable}},
        {"EmptyOutputOfTheProjectRoute",
         "",
         [](auto&, auto& Context, auto&) { Context.ProjectRoute = true; },
         {{"Compiler", "Unable to access the compiler.", true, false}},
         {},
         TCompileSeverity::NotRun},
        {"SuppressedRunAddsItsRecord",
         "",
         [](auto&, auto& Context, auto&) {
             Context.RunSuppressed = true;
             Context.TargetName = "P.VP";
         },
         {{"Error", "Pascal is not supported in .vrep scripts\r\rP.VP\rLine 0", false, false}},
         {},
         TCompileSeverity::Error},
    };
}

struct TRun {
    TRecordingCompilerHost Host;
    TCompileContext Context;
    bool Succeeded = false;
};

void RunOutput(const TOutputCase& Case, bool Unattended, TRun& Result) {
    TKorvidOptions Options = DefaultCompilerOptions();
    Result.Context.TargetFile = Target;
    Result.Context.ServerPath = "SRV";
    Result.Context.Unattended = Unattended;
    Result.Host.NoBoxes = Unattended;
    Case.Setup(Options, Result.Context, Result.Host);
    Result.Succeeded = ShowCompileResults({Case.Output, Case.ReportWriter, "/j/m.json"},
                                          Result.Context, Options, Result.Host);
}

TEST(TCompileResultsTest, OutputsShowTheirBoxesPlacesAndSeverity) {
    for (const TOutputCase& Case : Cases()) {
        SCOPED_TRACE(Case.Name);
        TRun Attended;
        RunOutput(Case, false, Attended);
        std::vector<TRecordedBox> Shown = Attended.Host.Boxes;
        Shown.insert(Shown.end(), Attended.Host.Errors.begin(), Attended.Host.Errors.end());
        EXPECT_EQ(Shown, Case.Boxes);
        EXPECT_EQ(Attended.Host.Places, Case.Places);
        EXPECT_EQ(Attended.Context.Severity, Case.Severity);
        EXPECT_TRUE(Attended.Context.Messages.empty());
        EXPECT_EQ(Attended.Host.EditPresses, Case.Name == std::string("EditStopsTheWalk"));
    }
}

TEST(TCompileResultsTest, UnattendedOutputsGiveLinesAndNoBox) {
    for (const TOutputCase& Case : Cases()) {
        SCOPED_TRACE(Case.Name);
        TRun Unattended;
        RunOutput(Case, true, Unattended);
        EXPECT_TRUE(Unattended.Host.Boxes.empty());
        EXPECT_TRUE(Unattended.Host.Errors.empty());
        EXPECT_TRUE(Unattended.Host.Places.empty());
        if (Case.Name != std::string("EditStopsTheWalk") &&
            Case.Name != std::string("HintsAsErrorsStopTheWalk")) {
            EXPECT_EQ(Unattended.Context.Severity, Case.Severity);
        }
        if (!Case.Lines.empty()) {
            std::vector<std::string> Texts;
            for (const TCompileLine& Line : Unattended.Context.Messages)
                Texts.push_back(Line.Text);
            EXPECT_EQ(Texts, Case.Lines);
        }
    }
}

TEST(TCompileResultsTest, MessageLinesKeepTheirPlaceForTheGoToCommands) {
    TRun Unattended;
    RunOutput({"", ">E>\"C:\\R.VR\"|>|3|>|bad", Nothing, {}, {}, TCompileSeverity::Error}, true,
              Unattended);
    ASSERT_EQ(Unattended.Context.Messages.size(), 2u);
    EXPECT_EQ(Unattended.Context.Messages[0].Data, "C:\\R.VR|||3");
    EXPECT_EQ(Unattended.Context.Messages[1].Data, "");
}

TEST(TCompileResultsTest, NotedLinesOpenTheAnalysisTabOrJoinTheUnattendedMessages) {
    const TOutputCase Noted{
        "",      ">A>F1|>|3|>|x := 1\r\n>A>F1|>|4|>|y\r\n>A>F2|>|9|>|z\r\n>S>|>|0|>|OK",
        Nothing, {},
        {},      TCompileSeverity::None};
    const std::vector<std::string> Listing{"The compiler has noted the following lines of code:",
                                           "",
                                           "F1",
                                           "     3 x := 1",
                                           "     4 y",
                                           "",
                                           "F2",
                                           "     9 z"};
    for (const bool Unattended : {false, true}) {
        SCOPED_TRACE(Unattended ? "unattended" : "attended");
        TRun Run;
        RunOutput(Noted, Unattended, Run);
        ASSERT_EQ(Run.Host.Tabs.size(), Unattended ? 0u : 1u);
        const std::vector<TCompileLine>& Lines =
            Unattended ? Run.Context.Messages : Run.Host.Tabs[0].Lines;
        if (!Unattended) {
            EXPECT_EQ(Run.Host.Tabs[0].Caption, "Compiler Analysis");
        }
        std::vector<std::string> Texts, Data;
        for (const TCompileLine& Line : Lines) {
            Texts.push_back(Line.Text);
            Data.push_back(Line.Data);
        }
        EXPECT_EQ(Texts, Listing);
        ASSERT_EQ(Data.size(), Listing.size());
        EXPECT_EQ(Data[3], "F1|||3");
        EXPECT_EQ(Data[7], "F2|||9");
        EXPECT_TRUE(Run.Succeeded);
    }
}

TEST(TCompileResultsTest, ReportListsListEveryKindWhateverTheOptions) {
    TRecordingCompilerHost Host;
    Host.NoBoxes = true;
    TCompileContext Context;
    Context.ReportList = true;
    TKorvidOptions Options = DefaultCompilerOptions();
    Options.LorvantaHints = Options.LorvantaCosmeticHints = Options.LorvantaWarnings = false;
    ShowCompileResults({">H>F|>|1|>|h\r\n>K>F|>|2|>|k\r\n>W>F|>|3|>|w\r\n>S>|>|0|>|OK", false, ""},
                       Context, Options, Host);
    std::vector<std::string> Texts;
    for (const TCompileLine& Line : Context.Messages)
        Texts.push_back(Line.Text);
    EXPECT_EQ(Texts, (std::vector<std::string>{"F, line 1", "Hint: h", "F, line 2", "Hint: k",
                                               "F, line 3", "Warning: w"}));
    EXPECT_EQ(Context.Severity, TCompileSeverity::Warning);
}

TEST(TCompileResultsTest, ReadsPositionsThatAreNotNumbersAsZero) {
    const TResultRecord Record = ReadResultRecord(">E>F|>|x,y|>|t", false);
    EXPECT_EQ(Record.Line, 0);
    EXPECT_EQ(Record.Column, 0);
    EXPECT_EQ(Record.File, "F");
    EXPECT_EQ(Record.Text, "t");
}

} // namespace
} // namespace korvid::test
