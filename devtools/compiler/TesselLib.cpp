#include "devtools/compiler/TesselLib.h"

#include "devtools/compiler/CompilerHost.h"
#include "devtools/compiler/CompilerMessages.h"
#include "devtools/compiler/TesselCall.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "workspace/KorvidOptions.h"

#include <QProcess>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvid {

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& Value) {
    std::string Text = "'";
    for (const char C : Value)
        Text += C == '\'' ? std::string("''") : std::string(1, C);
    return Text + "'";
}

std::string JoinRequest(const std::vector<std::string>& Items) {
    std::string Text;
    for (std::size_t I = 0; I < Items.size(); ++I)
        Text += (I ? "\r\n" : "") + Items[I];
    return Text;
}

const char* Bool(bool Value) {
    return Value ? "true" : "false";
}

std::string Trimmed(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(" \t\r\n");
    if (First == std::string_view::npos)
        return {};
    const std::size_t Last = Text.find_last_not_of(" \t\r\n");
    return std::string(Text.substr(First, Last - First + 1));
}

std::optional<std::vector<std::string>> ReadLines(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    if (!File)
        return std::nullopt;
    std::vector<std::string> Lines;
    for (std::string Line; std::getline(File, Line);)
        Lines.push_back(Line);
    return Lines;
}

// The helper for one request or two; asked to end when the link is done with it.
class THelperProcess {
public:
    THelperProcess(const std::string& Helper, const std::string& Library) {
        FProcess.setProgram(ToQString(Helper));
        FProcess.setArguments({ToQString(Library)});
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start();
    }
    ~THelperProcess() {
        if (FProcess.state() == QProcess::NotRunning)
            return;
        FProcess.closeWriteChannel();
        if (!FProcess.waitForFinished(EndWaitMs)) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }
    THelperProcess(const THelperProcess&) = delete;
    THelperProcess& operator=(const THelperProcess&) = delete;

    bool Started() { return FProcess.waitForStarted(); }

    // The helper's status and the library's reply.
    std::pair<std::string, std::string> Ask(const std::string& Folder, const std::string& Request,
                                            const TAnswerWait& Wait) {
        const std::string Bytes = Frame(tessel::Joined(Folder, Request));
        FProcess.write(Bytes.data(), qint64(Bytes.size()));
        return tessel::Split(ReadAnswerFrame(FProcess, Wait));
    }

private:
    static constexpr int EndWaitMs = 2000;
    QProcess FProcess;
};

} // namespace

std::string TesselHelperBesideProgram() {
    return (ProgramFolder() / tessel::HelperName).string();
}

std::string TesselAction(const std::string& Target) {
    const std::string Extension = LowerCase1252(fs::path(Target).extension().string());
    if (Extension == ".vpj")
        return "compile-pascal-project";
    if (Extension == ".vdefs")
        return "compile-defs";
    return "compile-pascal";
}

std::string TesselCompileRequest(const std::string& Action, const std::string& Target,
                                 const std::string& JsonFile, const TKorvidOptions& Options) {
    return JoinRequest({
        "{",
        "  action:   " + Quoted(Action),
        "  source:   " + Quoted("file::" + Target),
        "  temp:     " + Quoted(Options.TesselTemp),
        "  json:     " + Quoted(JsonFile),
        "  ide:      true",
        std::string("  cosmetic: ") + Bool(Options.LorvantaHints && Options.LorvantaCosmeticHints),
        std::string("  hint:     ") + Bool(Options.LorvantaHints),
        std::string("  warn:     ") + Bool(Options.LorvantaWarnings),
        "}",
    });
}

std::string SimulateEmsRequest(const std::string& Target, const std::string& JsonFile) {
    return JoinRequest({"{", "  action:   " + Quoted("simulate-ems"),
                        "  source:   " + Quoted("file::" + Target),
                        "  json:     " + Quoted(JsonFile), "}"});
}

std::string DumpConfigurationRequest(const std::string& JsonFile) {
    return JoinRequest({"{", "  action:   " + Quoted("dump-configuration"),
                        "  json:     " + Quoted(JsonFile), "}"});
}

std::optional<std::string> TesselLocation(const std::vector<std::string>& JsonLines) {
    auto Line = JsonLines.begin();
    if (Line == JsonLines.end() || !Trimmed(*Line).starts_with("{"))
        return std::nullopt;
    for (++Line; Line != JsonLines.end(); ++Line) {
        const std::string Text = Trimmed(*Line);
        if (Text.empty() || Text.starts_with("//"))
            continue;
        if (!Text.starts_with("tessel:"))
            return std::nullopt;
        std::string Name = Trimmed(std::string_view(Text).substr(7));
        if (Name.size() >= 2 && (Name.front() == '\'' || Name.front() == '"') &&
            Name.back() == Name.front())
            Name = Name.substr(1, Name.size() - 2);
        if (Name.empty())
            return std::nullopt;
        return Name;
    }
    return std::nullopt;
}

std::string TesselLocationIn(const std::string& JsonFile) {
    const auto Lines = ReadLines(JsonFile);
    return Lines ? TesselLocation(*Lines).value_or(std::string()) : std::string();
}

std::string MainJsonFileName(const TKorvidOptions& Options, const TCompilerHost& Host) {
    if (Host.JsonName().empty())
        return Options.TesselJson;
    return (fs::path(Options.TesselJson) / Host.JsonName()).string();
}

bool EnsureJsonChosen(TCompileContext& Context, const TKorvidOptions& Options,
                      TCompilerHost& Host) {
    if (Context.JsonChoice == TJsonChoice::Picked)
        return true;
    if (Context.JsonChoice == TJsonChoice::Cancelled)
        return false;
    std::error_code Error;
    const bool Exists =
        !Host.JsonName().empty() && fs::is_regular_file(MainJsonFileName(Options, Host), Error);
    if (!Context.Override && !Options.AlwaysPickJson && Exists)
        return true;
    if (Context.Unattended) {
        ReportCompileFailure(Context, Host, std::string(CompilerCaption), JsonPickUnattendedText());
        Context.JsonChoice = TJsonChoice::Cancelled;
        return false;
    }
    const std::optional<std::string> Picked = Host.PickJsonFile(Options.TesselJson);
    if (!Picked) {
        Context.JsonChoice = TJsonChoice::Cancelled;
        return false;
    }
    Host.SetJsonName(*Picked);
    Context.Override = false;
    Context.JsonChoice = TJsonChoice::Picked;
    return true;
}

void ReportCompileFailure(TCompileContext& Context, TCompilerHost& Host, const std::string& Title,
                          const std::string& Text) {
    Context.Raise(TCompileSeverity::NotRun);
    if (Context.Unattended)
        Context.Messages.push_back({Title + ": " + Text, {}});
    else
        Host.ShowCompilerError(Title, Text);
}

std::string TTesselLink::Compile(const std::string& Target) {
    if (!EnsureJsonChosen(FContext, FOptions, FHost))
        return {};
    const std::string Json = MainJsonFileName(FOptions, FHost);
    const std::string Request = TesselCompileRequest(TesselAction(Target), Target, Json, FOptions);
    FHost.ShowCompileStatus(CompilingProjectStatus(FHost.JsonName(), Target));
    std::optional<std::string> Reply =
        Ask(Request, fs::path(Target).parent_path().string(), FOptions.WyxDebugToOutputText);
    FHost.ShowCompileStatus({});
    return Reply.value_or(std::string());
}

std::string TTesselLink::SimulateEms(const std::string& Target) {
    return Ask(SimulateEmsRequest(Target, MainJsonFileName(FOptions, FHost)), {}, false)
        .value_or(std::string());
}

std::string TTesselLink::DumpConfiguration() {
    return Ask(DumpConfigurationRequest(MainJsonFileName(FOptions, FHost)), {}, false)
        .value_or(std::string());
}

std::optional<std::string> TTesselLink::Ask(const std::string& Request, const std::string& Folder,
                                            bool DumpFirst) {
    const std::string Json = MainJsonFileName(FOptions, FHost);
    const auto Fail = [&](const std::string& Text) {
        ReportCompileFailure(FContext, FHost, std::string(CompilingPascalCaption), Text);
        return std::nullopt;
    };
    const auto Lines = ReadLines(Json);
    if (!Lines)
        return Fail(UnableToLoadText(Json));
    const auto Location = TesselLocation(*Lines);
    if (!Location)
        return Fail(TesselLocationUnknownText());
    FLocation = *Location;
    THelperProcess Helper(FLink.Helper, FLocation);
    if (!Helper.Started())
        return Fail(LibraryHelperMissingText(FLink.Helper));
    // Nothing when the library failed to answer (already reported).
    const auto Call = [&](const std::string& Text,
                          const std::string& In) -> std::optional<std::string> {
        const auto [Status, Reply] = Helper.Ask(In, Text, FLink.Wait);
        if (Status == tessel::Replied)
            return Reply;
        if (Status == tessel::NullReply)
            return std::string();
        if (Status == tessel::NotLoaded)
            Fail(LibraryNotFoundText(FLocation));
        else if (Status == tessel::NoCommand)
            Fail(MissingEntryPointText("TesselCommand"));
        else if (Status == tessel::NoRelease)
            Fail(MissingEntryPointText("TesselRelease"));
        else
            Fail(LibraryEndedText());
        return std::nullopt;
    };
    try {
        if (DumpFirst) {
            const auto Dump = Call(DumpConfigurationRequest(Json), {});
            if (!Dump)
                return std::nullopt;
            FDebugText += *Dump + "\r\n";
        }
        if (FOptions.WyxDebugToOutputText)
            FDebugText += FLocation + "\r\n" + Request + "\r\n";
        return Call(Request, Folder);
    } catch (const EAnswerStopped&) {
        FContext.Stopped = true;
        return Fail(CompileStoppedText());
    } catch (const EAnswerError&) {
        return Fail(LibraryEndedText());
    }
}

} // namespace korvid
