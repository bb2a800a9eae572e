// The batch runs: one compile from a request file, unattended, its result as files and the
// process's exit code.
#include "app/BatchRuns.h"

#include "app/Compiling.h"
#include "app/DocumentEditor.h"
#include "app/WindowHost.h"

#include "devtools/compiler/CompilerMessages.h"
#include "foundation/BinaryStrings.h"
#include "foundation/TextFileWriter.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/ModalRunner.h"

#include <QDialog>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>

namespace korvid {

namespace fs = std::filesystem;

namespace {

using TRequestKeys = std::vector<std::pair<std::string, std::string>>;

// The "key=value" lines of a request file, keys trimmed and lower-cased, values trimmed, in
// file order; nothing when the file cannot be read.
std::optional<TRequestKeys> ReadRequest(const std::string& FileName) {
    std::error_code Error;
    std::ifstream File;
    if (fs::is_regular_file(FileName, Error))
        File.open(FileName, std::ios::binary);
    if (!File.is_open()) {
        std::cerr << "Korvid: cannot read the batch request \"" << FileName << "\"." << std::endl;
        return std::nullopt;
    }
    TRequestKeys Keys;
    for (std::string Line; std::getline(File, Line);) {
        const std::size_t Equals = Line.find('=');
        if (Equals == std::string::npos)
            continue;
        Keys.emplace_back(LowerCase1252(TrimText(std::string_view(Line).substr(0, Equals))),
                          std::string(TrimText(std::string_view(Line).substr(Equals + 1))));
    }
    return Keys;
}

std::string LastValue(const TRequestKeys& Keys, std::string_view Key) {
    std::string Value;
    for (const auto& [Name, Text] : Keys)
        if (Name == Key)
            Value = Text;
    return Value;
}

// Writes the lines under exactly Name; an empty list still writes the file, so that one left by
// an earlier run never passes for this run's result. When it cannot be written, the old one goes
// too (if it can), the failure is named, and the answer is false: the run could not report.
bool WriteResultFile(const std::string& Name, const std::vector<std::string>& Lines) {
    if (Name.empty())
        return true;
    try {
        WriteTextFile(Name, Lines, TTextFileOptions{});
        return true;
    } catch (const EFileSaveError& Error) {
        std::cerr << "Korvid: " << Error.what() << " \"" << Name << "\": " << Error.Reason()
                  << std::endl;
    } catch (const EKorvidError& Error) {
        std::cerr << "Korvid: " << Error.what() << " \"" << Name << "\"" << std::endl;
    }
    std::error_code Ignored;
    if (fs::is_regular_file(Name, Ignored))
        fs::remove(Name, Ignored);
    return false;
}

// A results file that could not be written makes the run one that could not run.
int ExitCodeWithResults(int ExitCode, bool ResultsWritten) {
    return ResultsWritten ? ExitCode : 2;
}

std::vector<std::string> TextsOf(const std::vector<TCompileLine>& Lines) {
    std::vector<std::string> Texts;
    for (const TCompileLine& Line : Lines)
        Texts.push_back(Line.Text);
    return Texts;
}

std::vector<std::string> LinesOf(const std::string& Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find('\n', Start);
        std::string Line = Text.substr(Start, End - Start);
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        Lines.push_back(std::move(Line));
        if (End == std::string::npos)
            break;
        Start = End + 1;
    }
    return Lines;
}

int ExitCodeOf(TCompileSeverity Severity) {
    switch (Severity) {
    case TCompileSeverity::Error:
        return 1;
    case TCompileSeverity::NotRun:
        return 2;
    default:
        return 0;
    }
}

// A box with nothing to choose only tells: closing it unread changes nothing that follows.
bool IsNotice(const QDialog& Dialog) {
    const auto* Message = dynamic_cast<const TMessageForm*>(&Dialog);
    return Message && Message->State().Buttons.size() <= 1;
}

// For the run: the options as they were come back, and any dialog that would wait for a user
// is closed at once and listed with the messages.
class TBatchRun {
public:
    TBatchRun(TKorvidOptions& Options, TCompiling& Compiling)
        : FOptions(Options), FSavedOptions(Options), FCompiling(Compiling),
          FSavedJson(Compiling.JsonName()) {
        FPreviousRunner = InstallModalRunner([this](QDialog& Dialog) {
            std::string Text = FromQString(Dialog.windowTitle());
            if (const auto* Message = dynamic_cast<const TMessageForm*>(&Dialog))
                Text += ": " + Message->State().Text;
            Shown.push_back({Text, {}});
            if (!IsNotice(Dialog))
                Refused = true;
            return int(QDialog::Rejected);
        });
    }
    ~TBatchRun() {
        InstallModalRunner(std::move(FPreviousRunner));
        FOptions = FSavedOptions;
        FCompiling.SetJsonName(FSavedJson);
    }
    TBatchRun(const TBatchRun&) = delete;
    TBatchRun& operator=(const TBatchRun&) = delete;

    std::vector<TCompileLine> Shown;
    // A question went unanswered, so what it would have started did not happen.
    bool Refused = false;

private:
    TKorvidOptions& FOptions;
    const TKorvidOptions FSavedOptions;
    TCompiling& FCompiling;
    const std::string FSavedJson;
    TModalRunner FPreviousRunner;
};

bool FileExists(const std::string& Name) {
    std::error_code Error;
    return !Name.empty() && fs::exists(Name.substr(0, Name.find('>')), Error);
}

struct TBatchOutcome {
    TCompileSeverity Severity = TCompileSeverity::NotRun;
    std::vector<TCompileLine> Lines;
    std::string DebugText;
};

// Why a file that is there did not open in a tab.
std::string_view NotOpenedReason(const std::string& Name) {
    std::error_code Error;
    // A file on a volume is no file of its own to look into.
    if (Name.find('>') != std::string::npos)
        return korvid::NotOpenedReason;
    if (fs::is_directory(Name, Error))
        return FolderReason;
    TBinaryStrings Lines;
    Lines.PasswordPrompt = [](TPasswordRequest&) { return false; };
    bool ShowAsterisks = true;
    std::string Password;
    try {
        if (Lines.LoadFromFile(Name, ShowAsterisks, Password) == TLoadResult::Loaded &&
            Lines.ContainsBinary)
            return NotTextFileReason;
    } catch (const EFileOpenError&) {
        return UnreadableReason;
    }
    return korvid::NotOpenedReason;
}

// Opens Name and compiles it unattended. Whatever stops the compile is one more line: an
// error box now would wait for nobody.
TBatchOutcome CompileFile(TWindowHost& Window, TCompiling& Compiling, const std::string& Name,
                          const TBatchRun& Run) {
    TBatchOutcome Outcome;
    const bool Exists = FileExists(Name);
    if (Exists)
        Window.OpenFile(Name, false, {});
    if (!Exists)
        Outcome.Lines.push_back({SourceNotFoundText(Name), {}});
    else if (!Window.ActiveEditor())
        Outcome.Lines.push_back({SourceNotOpenedText(Name, NotOpenedReason(Name)), {}});
    else {
        try {
            Outcome.Severity = Compiling.Command().CompileSource(false, false, true);
            Outcome.Lines = Compiling.Command().UnattendedResult().Messages;
            Outcome.DebugText = Compiling.Command().UnattendedResult().DebugText;
        } catch (const std::exception& Error) {
            Outcome.Severity = TCompileSeverity::NotRun;
            Outcome.Lines.push_back({Error.what(), {}});
        }
    }
    Outcome.Lines.insert(Outcome.Lines.end(), Run.Shown.begin(), Run.Shown.end());
    if (Run.Refused)
        Outcome.Severity = TCompileSeverity::NotRun;
    return Outcome;
}

} // namespace

int RunCompileRequest(TWindowHost& Window, TCompiling& Compiling, const std::string& RequestFile) {
    const std::optional<TRequestKeys> Keys = ReadRequest(RequestFile);
    if (!Keys)
        return 2;
    TKorvidOptions& Options = Window.Options();
    TBatchRun Run(Options, Compiling);
    std::string Script, Messages, Debug;
    for (const auto& [Key, Value] : *Keys) {
        if (Key == "exe")
            Options.LorvantaCOMServer = Value;
        else if (Key == "ems")
            Options.EMSFilename = Value;
        else if (Key == "ems-group")
            Options.EMSGroup = Value;
        else if (Key == "ems-application")
            Options.EMSApplication = Value;
        else if (Key == "modules-root")
            Options.LorvantaModulesRoot = Value;
        else if (Key == "map")
            Options.LorvantaMapFile = Value;
        else if (Key == "hidesuccess")
            Options.SuppressScriptSuccess = true;
        else if (Key == "debug") {
            Options.WyxDebugToOutputText = true;
            Debug = Value;
        } else if (Key == "messages")
            Messages = Value;
        else if (Key == "script")
            Script = Value;
    }
    // Without a script nothing is compiled, and the files say so by being empty.
    const TBatchOutcome Outcome = Script.empty() ? TBatchOutcome{TCompileSeverity::None, {}, {}}
                                                 : CompileFile(Window, Compiling, Script, Run);
    const bool MessagesWritten = WriteResultFile(Messages, TextsOf(Outcome.Lines));
    const bool DebugWritten = WriteResultFile(Debug, LinesOf(Outcome.DebugText));
    return ExitCodeWithResults(ExitCodeOf(Outcome.Severity), MessagesWritten && DebugWritten);
}

int RunScriptRequest(TWindowHost& Window, TCompiling& Compiling, const std::string& RequestFile) {
    const std::optional<TRequestKeys> Keys = ReadRequest(RequestFile);
    if (!Keys)
        return 2;
    TKorvidOptions& Options = Window.Options();
    TBatchRun Run(Options, Compiling);
    const std::string Json = LastValue(*Keys, "json");
    const std::string Source = LastValue(*Keys, "source");
    const std::string Output = LastValue(*Keys, "output");
    // Pascal sources go to the compiler library that the JSON file names, without asking.
    Options.VoskPascal = true;
    Options.AlwaysPickJson = false;
    if (!Json.empty()) {
        Options.TesselJson = fs::path(Json).parent_path().string();
        Compiling.SetJsonName(fs::path(Json).filename().string());
    }
    const TBatchOutcome Outcome = CompileFile(Window, Compiling, Source, Run);
    const bool OutputWritten = WriteResultFile(Output, TextsOf(Outcome.Lines));
    return ExitCodeWithResults(ExitCodeOf(Outcome.Severity), OutputWritten);
}

} // namespace korvid
