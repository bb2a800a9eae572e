#include "devtools/compiler/CompileServer.h"

#include "devtools/compiler/CompileResults.h"
#include "devtools/compiler/CompilerHost.h"
#include "devtools/compiler/CompilerMessages.h"
#include "devtools/compiler/TesselLib.h"
#include "platform/Cp1252.h"
#include "workspace/KorvidOptions.h"

#include <filesystem>
#include <map>

namespace korvid {

namespace {

constexpr int RegisterPolls = 100;
constexpr auto PollInterval = std::chrono::milliseconds(100);

using TNameValues = std::map<std::string, std::string>;

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> Result;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        std::size_t End = Text.find('\n', Start);
        std::string Line = Text.substr(Start, End - Start);
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        Result.push_back(Line);
        if (End == std::string::npos)
            break;
        Start = End + 1;
    }
    return Result;
}

std::string CrLfToCr(std::string Text) {
    for (std::size_t At = Text.find("\r\n"); At != std::string::npos; At = Text.find("\r\n", At))
        Text.erase(At + 1, 1);
    return Text;
}

// The simulated configuration's values; too short a text is the error it describes.
TNameValues ReadSimulatedConfiguration(const std::string& Text) {
    const std::vector<std::string> All = Lines(Text);
    if (All.size() < 3)
        throw ECompileError(CrLfToCr(Text));
    TNameValues Values;
    for (const std::string& Line : All)
        if (const std::size_t Equals = Line.find('='); Equals != std::string::npos)
            Values[Line.substr(0, Equals)] = Line.substr(Equals + 1);
    return Values;
}

std::string ValueOf(const TNameValues& Values, const std::string& Name) {
    const auto Found = Values.find(Name);
    return Found == Values.end() ? std::string() : Found->second;
}

struct TSourceSetting {
    std::string Name;
    bool ReportWriter = false;
};

TSourceSetting SourceSetting(const TCompileContext& Context, const TKorvidOptions& Options) {
    switch (Context.ForcedKind) {
    case TForcedSourceKind::Pascal:
        return {"wyx-lorvanta-pascal"};
    case TForcedSourceKind::ReportWriterSource:
        return {"wyx-lorvanta-rw-source", true};
    case TForcedSourceKind::LorvantaSource:
        return {"wyx-lorvanta-source"};
    case TForcedSourceKind::LorvantaText:
        return {"wyx-lorvanta-text"};
    case TForcedSourceKind::None:
        break;
    }
    const std::string Extension =
        LowerCase1252(std::filesystem::path(UnquotedName(Context.TargetName)).extension().string());
    const bool ByView = Context.InsideVolume && Options.LorvantaByView;
    if (Extension == ".vl2" || (Context.InsideVolume && Options.LorvantaWincode) ||
        (ByView && Context.ViewMarksLorvantaSource))
        return {"wyx-lorvanta-source"};
    if (Extension == ".vr" || (Context.InsideVolume && Options.LorvantaReportWriter) ||
        (ByView && Context.ViewMarksReportWriterSource))
        return {"wyx-lorvanta-rw-source", true};
    return {"wyx-lorvanta-text"};
}

// Restores the cursor however the compile ends.
class TBusy {
public:
    explicit TBusy(TCompilerHost& Host) : FHost(Host) { FHost.SetBusy(true); }
    ~TBusy() { FHost.SetBusy(false); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    TCompilerHost& FHost;
};

class TServerCompile {
public:
    TServerCompile(TCompileContext& Context, const TKorvidOptions& Options, TCompilerHost& Host,
                   TServerLink& Link)
        : FContext(Context), FOptions(Options), FHost(Host), FLink(Link),
          FTessel(Context, Options, Host, Link.Library) {}

    bool Run() {
        if (FContext.ProjectRoute)
            return RunProject();
        if (FOptions.VoskPascal && !FOptions.TesselJson.empty() &&
            !EnsureJsonChosen(FContext, FOptions, FHost))
            return false;
        FContext.ServerPath = FOptions.LorvantaCOMServer;
        TNameValues Simulated;
        std::string SimulatedText;
        if (FOptions.VoskPascal) {
            SimulatedText = FTessel.SimulateEms(UnquotedName(FContext.TargetName));
            if (SimulatedText.empty() && FContext.Severity == TCompileSeverity::NotRun)
                return false;
            Simulated = ReadSimulatedConfiguration(SimulatedText);
            if (std::string Compiler = ValueOf(Simulated, "AppCompiler"); !Compiler.empty())
                FContext.ServerPath = Compiler;
        }
        const bool Register = FContext.ForcedKind == TForcedSourceKind::None || FOptions.VoskPascal;
        if (Register)
            FContext.ServerPath = EnsureServerRegistered(FContext.ServerPath, FContext, FLink.Sleep,
                                                         FLink.RegisterLimit);
        std::unique_ptr<TAutomationObject> Server;
        try {
            Server = FLink.Factory.Create(WyxProgId);
        } catch (const EAutomationError& Error) {
            throw ECompileError(ServerNotStartedText(Error.what()));
        }
        if (Register)
            FContext.ServerPath = EnsureServerRegistered(RegisteredCompilerServer(), FContext,
                                                         FLink.Sleep, FLink.RegisterLimit);
        std::string Request;
        const bool ReportWriter = Define(*Server, Simulated, Request);
        if (FOptions.VoskPascal)
            Put(*Server, "InputText", SimulatedText);
        if (!FContext.RunSuppressed)
            Call(*Server, "RunProcess", {});
        std::string Output;
        try {
            Output = Server->Get("OutputText");
        } catch (const EAutomationError&) {
            Output.clear();
        } catch (const EAnswerGone&) {
            Output.clear();
        } catch (const EAnswerError& Error) {
            throw ECompileError(AnswerFailureText(Error));
        }
        if (FOptions.WyxDebugToOutputText) {
            DebugOutput(SimulatedText + Output + "\r\n\r\n" + Request);
            // Unattended, the exit code has to tell how the compile went.
            if (!FContext.Unattended)
                return false;
        }
        return ShowCompileResults({Output, ReportWriter, MainJsonFileName(FOptions, FHost)},
                                  FContext, FOptions, FHost);
    }

private:
    bool RunProject() {
        const std::string Reply = FTessel.Compile(UnquotedName(FContext.TargetName));
        if (Reply.empty()) {
            if (FOptions.WyxDebugToOutputText)
                DebugOutput(FTessel.DebugText());
            // A library that answered nothing could not compile; a cancelled pick chose that.
            if (FContext.JsonChoice != TJsonChoice::Cancelled &&
                FContext.Severity != TCompileSeverity::NotRun) {
                FContext.Raise(TCompileSeverity::NotRun);
                if (FContext.Unattended)
                    FContext.Messages.push_back(
                        {std::string(CompilerCaption) + ": " + UnableToAccessCompilerText(true),
                         {}});
            }
            return false;
        }
        FContext.ServerPath = FOptions.LorvantaCOMServer.empty() ? RegisteredCompilerServer()
                                                                 : FOptions.LorvantaCOMServer;
        return ShowCompileResults({Reply, false, MainJsonFileName(FOptions, FHost)}, FContext,
                                  FOptions, FHost);
    }

    bool Define(TAutomationObject& Server, const TNameValues& Simulated, std::string& Request) {
        const auto Set = [&](const std::string& Name, const std::string& Value) {
            Request += Name + "=" + Value + "\r\n";
            Call(Server, "Define", {Name, Value});
        };
        if (FOptions.VoskPascal) {
            Set("wyx-ems", "-");
            Set("wyx-ems-group", "Compiler");
            Set("wyx-ems-application", "Compiler");
        } else {
            Set("wyx-ems", FOptions.EMSFilename);
            Set("wyx-ems-group", FOptions.EMSGroup);
            Set("wyx-ems-application", FOptions.EMSApplication);
        }
        if (!FContext.ReportScript) {
            const std::string Map = ValueOf(Simulated, "AppMap");
            Set("wyx-lorvanta-map", Map.empty() ? FOptions.LorvantaMapFile : Map);
        }
        Set("wyx-lorvanta-script", FContext.ScriptName);
        Set("wyx-tessel-dll", FTesselLocation());
        Set("wyx-tessel-json", MainJsonFileName(FOptions, FHost));
        const TSourceSetting Source = SourceSetting(FContext, FOptions);
        Set(Source.Name, FContext.ForcedKind == TForcedSourceKind::Pascal
                             ? UnquotedName(FContext.TargetName)
                             : FContext.TargetName);
        Set("wyx-ide", "1");
        if (FOptions.WyxDebugToOutputText || Source.ReportWriter) {
            Set("wyx-debug-to-output-text", "Y");
            Set("wyx-debug-hide-time", "Y");
        }
        const std::string& Modules = FOptions.LorvantaModulesRoot;
        const std::size_t Bar = Modules.find('|');
        std::string Root = ValueOf(Simulated, "AppModulesRoot");
        if (Root.empty() && FOptions.VoskPascal)
            throw ECompileError(ModulesRootMissingText());
        if (Root.empty())
            Root = Modules.substr(0, Bar);
        std::string Api = ValueOf(Simulated, "AppApi");
        if (Api.empty() && Bar != std::string::npos)
            Api = Modules.substr(Bar + 1);
        Set("wyx-modules-root", Root);
        Set("wyx-modules-api", Api);
        return Source.ReportWriter;
    }

    // The library's place as the main JSON file names it; empty when it names none.
    std::string FTesselLocation() const {
        if (!FTessel.Location().empty())
            return FTessel.Location();
        return TesselLocationIn(MainJsonFileName(FOptions, FHost));
    }

    std::string AnswerFailureText(const EAnswerError& Error) {
        if (dynamic_cast<const EAnswerStopped*>(&Error)) {
            FContext.Stopped = true;
            return CompileStoppedText();
        }
        if (dynamic_cast<const EAnswerSilent*>(&Error))
            return ServerSilentText();
        return ServerEndedText();
    }

    void Call(TAutomationObject& Server, const std::string& Member,
              const std::vector<std::string>& Arguments) {
        try {
            Server.Call(Member, Arguments);
        } catch (const EAutomationError& Error) {
            throw ECompileError(Error.what());
        } catch (const EAnswerError& Error) {
            throw ECompileError(AnswerFailureText(Error));
        }
    }

    void Put(TAutomationObject& Server, const std::string& Name, const std::string& Value) {
        try {
            Server.Put(Name, Value);
        } catch (const EAutomationError& Error) {
            throw ECompileError(Error.what());
        } catch (const EAnswerError& Error) {
            throw ECompileError(AnswerFailureText(Error));
        }
    }

    // A tab for a user; unattended, the request's debug file takes it.
    void DebugOutput(const std::string& Text) {
        if (FContext.Unattended) {
            FContext.DebugText += Text;
            return;
        }
        std::vector<TCompileLine> DebugLines;
        for (std::string& Line : Lines(Text))
            DebugLines.push_back({std::move(Line), {}});
        FHost.OpenLinesTab(std::string(CompilerMessagesCaption), DebugLines);
    }

    TCompileContext& FContext;
    const TKorvidOptions& FOptions;
    TCompilerHost& FHost;
    TServerLink& FLink;
    TTesselLink FTessel;
};

} // namespace

std::string RegisteredCompilerServer() {
    return RegisteredServerPath(WyxClassId);
}

std::string EnsureServerRegistered(const std::string& Path, TCompileContext& Context,
                                   const TSleeper& Sleep, std::chrono::milliseconds RegisterLimit) {
    const std::string Registered = RegisteredCompilerServer();
    if (Path.empty()) {
        if (Registered.empty())
            throw ECompileError(NoServerText());
        return Registered;
    }
    if (SameText1252(Registered, Path))
        return Registered;
    if (RunAndWait(Path, {"/regserver"}, RegisterLimit)) {
        for (int Poll = 0; Poll < RegisterPolls; ++Poll) {
            if (RegisteredCompilerServer().compare(0, Path.size(), Path) == 0) {
                Context.RegisteredServer = Path;
                return Path;
            }
            Sleep(PollInterval);
        }
    }
    throw ECompileError(FailedToRegisterText(Path));
}

bool CompileThroughServer(TCompileContext& Context, const TKorvidOptions& Options,
                          TCompilerHost& Host, TServerLink Link) {
    const TBusy Busy(Host);
    try {
        return TServerCompile(Context, Options, Host, Link).Run();
    } catch (const ECompileError& Error) {
        ReportCompileFailure(Context, Host, std::string(CompilerCaption), Error.what());
        return false;
    }
}

} // namespace korvid
