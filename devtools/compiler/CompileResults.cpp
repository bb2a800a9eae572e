#include "devtools/compiler/CompileResults.h"

#include "devtools/compiler/CompilerHost.h"
#include "devtools/compiler/CompilerMessages.h"
#include "platform/Cp1252.h"
#include "workspace/KorvidOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace korvid {

namespace {

constexpr std::string_view Separator = "|>|";
constexpr std::string_view AnalysisMark = "(\xAC\xAC\xAC)";
constexpr std::string_view ParagraphMark = " \x96\x96 ";
constexpr std::string_view SubKindMark = "__#";
constexpr int MaximumCollected = 10;
constexpr int EditResult = 1;

int NumberOrZero(std::string_view Text) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return Error == std::errc() && End == Text.data() + Text.size() ? Value : 0;
}

// Cuts the next field off Rest; the whole rest when no separator follows.
std::string_view NextField(std::string_view& Rest, std::string_view Sep) {
    const std::size_t At = Rest.find(Sep);
    const std::string_view Field = Rest.substr(0, At);
    Rest = At == std::string_view::npos ? std::string_view() : Rest.substr(At + Sep.size());
    return Field;
}

std::string ReplaceAll(std::string Text, std::string_view From, std::string_view To) {
    for (std::size_t At = Text.find(From); At != std::string::npos;
         At = Text.find(From, At + To.size()))
        Text.replace(At, From.size(), To);
    return Text;
}

std::vector<std::string> SplitLines(std::string_view Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find_first_of("\r\n", Start);
        Lines.emplace_back(Text.substr(Start, End - Start));
        if (End == std::string_view::npos)
            break;
        Start = End + (Text.compare(End, 2, "\r\n") == 0 ? 2 : 1);
    }
    while (!Lines.empty() && Lines.back().empty())
        Lines.pop_back();
    return Lines;
}

struct TKindInfo {
    std::string Title;
    TCompileSeverity Severity = TCompileSeverity::None;
    bool Known = true;
};

TKindInfo KindOf(char Kind, bool ProjectRoute) {
    switch (Kind) {
    case 'S':
        return {ProjectRoute ? "Compiled" : "Report Compiled"};
    case 'D':
        return {"Debug"};
    case 'H':
    case 'K':
        return {"Hint", TCompileSeverity::Hint};
    case 'W':
        return {"Warning", TCompileSeverity::Warning};
    case 'E':
    case 'F':
        return {"Error", TCompileSeverity::Error};
    case 'C':
        return {"Compiler Crash", TCompileSeverity::Error};
    case 'A':
        return {"***"};
    default:
        return {{}, TCompileSeverity::None, false};
    }
}

bool IsHintOrWarning(char Kind) {
    return Kind == 'H' || Kind == 'K' || Kind == 'W';
}

bool KindShown(char Kind, const TKorvidOptions& Options, bool ReportList) {
    if (ReportList)
        return true;
    switch (Kind) {
    case 'H':
        return Options.LorvantaHints;
    case 'K':
        return Options.LorvantaCosmeticHints;
    case 'W':
        return Options.LorvantaWarnings;
    default:
        return true;
    }
}

class TResultWalk {
public:
    TResultWalk(const TResultSource& Source, TCompileContext& Context,
                const TKorvidOptions& Options, TCompilerHost& Host)
        : FSource(Source), FContext(Context), FOptions(Options), FHost(Host) {}

    bool Run() {
        std::vector<std::string> Lines = SplitLines(FSource.Output);
        if (FContext.RunSuppressed)
            Lines.push_back(">F>" + FContext.TargetName +
                            "|>|0|>|Pascal is not supported in .vrep scripts");
        const bool CombineOn = FOptions.LorvantaCombineHintsAndWarnings && !FContext.ProjectRoute;
        for (const std::string& Line : Lines)
            if (CombineOn && (Line.starts_with(">E") || Line.starts_with(">F")))
                FHasErrors = true;
        for (std::size_t I = 0; I < Lines.size() && !FStopped; ++I)
            Walk(Lines[I], I + 1 == Lines.size());
        if (!FAnalysis.empty() && !FContext.Unattended)
            FHost.OpenLinesTab(std::string(CompilerAnalysisCaption), AnalysisLines());
        if (!FBoxShown && !FLastWasSuccess && FContext.Messages.size() == FMessagesBefore) {
            FContext.Raise(TCompileSeverity::NotRun);
            const std::string Text = UnableToAccessCompilerText(FContext.ProjectRoute);
            if (Attended())
                FHost.ShowCompilerError(std::string(CompilerCaption), Text);
            else
                FContext.Messages.push_back({std::string(CompilerCaption) + ": " + Text, {}});
        }
        // Nobody sees a tab of an unattended compile: the listing goes with its messages.
        if (!FAnalysis.empty() && FContext.Unattended) {
            const std::vector<TCompileLine> Lines = AnalysisLines();
            FContext.Messages.insert(FContext.Messages.end(), Lines.begin(), Lines.end());
        }
        return FSucceeded;
    }

private:
    bool Attended() const { return !FContext.Unattended && !FContext.ReportList; }

    void Walk(const std::string& Line, bool IsLast) {
        const TResultRecord Record = ReadResultRecord(Line, FSource.ReportWriter);
        if (!Record.IsRecord) {
            if (!FSource.ReportWriter) {
                FLastWasSuccess = false;
                Show(std::string(CompilerCaption), Line, false, IsLast);
            }
            return;
        }
        TKindInfo Kind = KindOf(Record.Kind, FContext.ProjectRoute);
        if (!Kind.Known || !KindShown(Record.Kind, FOptions, FContext.ReportList))
            return;
        if (FHasErrors && IsHintOrWarning(Record.Kind))
            return;
        std::string Text = Record.Text;
        if (Text.starts_with(SubKindMark)) {
            if (const std::size_t Colon = Text.find(':'); Colon != std::string::npos) {
                Kind.Title += " " + Text.substr(SubKindMark.size(), Colon - SubKindMark.size());
                Text.erase(0, Colon + 1);
            }
        }
        FLastWasSuccess = Record.Kind == 'S';
        if (IsHintOrWarning(Record.Kind)) {
            FContext.Raise(Kind.Severity);
            if (FOptions.LorvantaHintsAsErrors)
                FFailed = true;
            else if (FOptions.LorvantaCombineHintsAndWarnings) {
                Collect(Record.Kind == 'W' ? Text : AfterAnalysisMark(Text));
                return;
            }
        } else
            FContext.Raise(Kind.Severity);
        if (Record.Kind == 'S') {
            Text += "\r\rusing:\r";
            if (FOptions.VoskPascal)
                Text += FSource.JsonFile + "\r";
            Text += FContext.ServerPath;
            // Collected hints and warnings begin with their own text; keep them off the path.
            if (!FCollected.empty() && !FCollected.starts_with('\r'))
                Text += '\r';
            Text += FCollected;
            FSucceeded = true;
        }
        if (Record.Kind == 'A') {
            AddAnalysisLine(Record, Text);
            return;
        }
        if (const std::size_t Mark = Text.find(AnalysisMark); Mark != std::string::npos) {
            FCollected += "\r\r" + Text.substr(Mark + AnalysisMark.size());
            if (!FContext.ReportList)
                return;
        }
        if (Attended())
            ShowRecord(Record, Kind.Title, Text, IsLast);
        else
            AddLines(Record, Kind.Title, Text);
    }

    static std::string AfterAnalysisMark(const std::string& Text) {
        const std::size_t Mark = Text.find(AnalysisMark);
        return Mark == std::string::npos ? Text : Text.substr(Mark + AnalysisMark.size());
    }

    void Collect(const std::string& Text) {
        if (FCollectedCount >= MaximumCollected)
            return;
        ++FCollectedCount;
        FCollected += ReplaceAll(Text, Separator, "") + "\r\r";
    }

    void AddAnalysisLine(const TResultRecord& Record, const std::string& Text) {
        if (FAnalysis.empty() || Record.File != FAnalysisFile) {
            FAnalysis.push_back({});
            FAnalysis.push_back({Record.File, {}});
            FAnalysisFile = Record.File;
        }
        char Number[16];
        std::snprintf(Number, sizeof Number, "%6d", Record.Line);
        FAnalysis.push_back(
            {std::string(Number) + " " + Text, Record.File + "|||" + std::to_string(Record.Line)});
    }

    std::vector<TCompileLine> AnalysisLines() const {
        std::vector<TCompileLine> Lines{{AnalysisHeading(), {}}};
        Lines.insert(Lines.end(), FAnalysis.begin(), FAnalysis.end());
        return Lines;
    }

    void ShowRecord(const TResultRecord& Record, const std::string& Title, std::string Text,
                    bool IsLast) {
        const bool Success = Record.Kind == 'S';
        FHost.ShowCompileStatus(Success ? std::string() : Text);
        if (NamesTarget(Record.File))
            FHost.GoToError(FContext.TargetFile, Record.Line, Record.Column);
        else if (!Record.File.empty() && Record.Line > 0 && FHost.CanReach(Record.File))
            FHost.GoToError(Record.File, Record.Line, Record.Column);
        else if (!Record.File.empty() && !Success)
            Text += "\r\r" + Record.File + "\rLine " + std::to_string(Record.Line);
        Show(Title, Text, Success, IsLast);
    }

    bool NamesTarget(const std::string& File) const {
        if (File.empty())
            return false;
        if (File == FContext.TargetFile)
            return true;
        return std::any_of(FContext.TargetAliases.begin(), FContext.TargetAliases.end(),
                           [&](const TCompilerName& Alias) {
                               return Alias.IgnoreCase ? SameText1252(File, Alias.Name)
                                                       : File == Alias.Name;
                           });
    }

    void Show(const std::string& Title, const std::string& Text, bool Success, bool IsLast) {
        const std::string Shown = ReplaceAll(Text, ParagraphMark, "\r\r_____ ");
        if (!Attended()) {
            FContext.Messages.push_back({Title + ": " + Shown, {}});
            return;
        }
        FBoxShown = true;
        const int Result = FHost.ShowCompilerBox(Title, Shown, Success && !FFailed, !IsLast);
        if (Result == EditResult)
            FHost.GoToLastError();
        if (Result != 0 || FFailed)
            FStopped = true;
    }

    void AddLines(const TResultRecord& Record, const std::string& Title, const std::string& Text) {
        if (Record.Kind == 'S')
            return;
        if (!Record.File.empty() && Record.Line > 0) {
            FContext.Messages.push_back(
                {Record.File + ", line " + std::to_string(Record.Line),
                 UnquotedName(Record.File) + "|||" + std::to_string(Record.Line)});
        }
        FContext.Messages.push_back(
            {Title + ": " + ReplaceAll(Text, ParagraphMark, "\r\r_____ "), {}});
    }

    const TResultSource& FSource;
    TCompileContext& FContext;
    const TKorvidOptions& FOptions;
    TCompilerHost& FHost;
    const std::size_t FMessagesBefore = FContext.Messages.size();
    bool FHasErrors = false;
    bool FFailed = false;
    bool FStopped = false;
    bool FBoxShown = false;
    bool FLastWasSuccess = false;
    bool FSucceeded = false;
    std::string FCollected;
    int FCollectedCount = 0;
    std::vector<TCompileLine> FAnalysis;
    std::string FAnalysisFile;
};

} // namespace

TResultRecord ReadResultRecord(std::string_view Line, bool ReportWriter) {
    TResultRecord Record;
    if (Line.empty() || Line.front() != '>')
        return Record;
    Record.IsRecord = true;
    Record.Kind = Line.size() > 1 ? Line[1] : '\0';
    std::string_view Rest = Line.size() > 3 ? Line.substr(3) : std::string_view();
    const std::string_view Sep = Rest.find(Separator) != std::string_view::npos ? Separator : ">";
    Record.File = std::string(NextField(Rest, Sep));
    std::string_view Position = NextField(Rest, Sep);
    Record.Text = std::string(Rest);
    const std::size_t Comma = Position.find(',');
    Record.Line = NumberOrZero(Position.substr(0, Comma));
    if (Comma != std::string_view::npos)
        Record.Column = NumberOrZero(Position.substr(Comma + 1));
    if (ReportWriter) {
        Record.File = UnquotedName(Record.File);
        if (Record.Line == 0 && Record.Kind != 'S')
            Record.Line = 1;
    }
    return Record;
}

bool ShowCompileResults(const TResultSource& Source, TCompileContext& Context,
                        const TKorvidOptions& Options, TCompilerHost& Host) {
    return TResultWalk(Source, Context, Options, Host).Run();
}

} // namespace korvid
