#include "devtools/compiler/CompileCommand.h"

#include "devtools/compiler/CompileServer.h"
#include "devtools/compiler/CompilerMessages.h"
#include "devtools/compiler/TesselLib.h"
#include "devtools/vbat/VBat.h"
#include "devtools/vbat/VBatMessages.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/KeyState.h"
#include "platform/VirtualKeyCodes.h"
#include "psystem/MajorVolume.h"
#include "workspace/Keystroke.h"
#include "workspace/KorvidOptions.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace korvid {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 4> IncludeExtensions = {".vpi", ".vri", ".vl2i", ".vli"};
constexpr std::array<std::string_view, 4> ProjectExtensions = {".vp", ".vpp", ".vpj", ".vdefs"};
// What a folder walk compiles; ".vbat" files it runs.
constexpr std::array<std::string_view, 3> ReportExtensions = {".vr", ".vl2", ".vl"};
constexpr std::string_view FolderScriptName = "Temp.vrep";
constexpr std::string_view CompileScriptName = "Compile.vbat";

template <std::size_t N>
bool IsOneOf(const std::string& Value, const std::array<std::string_view, N>& Table) {
    return std::find(Table.begin(), Table.end(), Value) != Table.end();
}

std::string LowerExtension(const std::string& FileName) {
    // The part after ">" is a name inside a volume, not a folder.
    const std::size_t Dot = FileName.rfind('.');
    const std::size_t Slash = FileName.find_last_of("/\\>:");
    if (Dot == std::string::npos || (Slash != std::string::npos && Slash > Dot))
        return {};
    return LowerCase1252(FileName.substr(Dot));
}

std::string Trim(std::string_view Text) {
    return std::string(TrimText(Text));
}

std::string Quoted(const std::string& Name) {
    return '"' + Name + '"';
}

// The entry of Folder named Name in any case.
std::optional<fs::path> EntryIgnoringCase(const fs::path& Folder, std::string_view Name,
                                          bool WantFolder) {
    std::error_code Error;
    for (fs::directory_iterator It(Folder, Error), End; !Error && It != End; It.increment(Error)) {
        if (!SameText1252(It->path().filename().string(), Name))
            continue;
        std::error_code KindError;
        if (WantFolder ? It->is_directory(KindError) : It->is_regular_file(KindError))
            return It->path();
    }
    return std::nullopt;
}

// The volume name in the directory of a volume file; empty when it cannot be read.
std::string VolumeNameOf(const std::string& VolumeFile) {
    try {
        const TMajorVolume Volume(VolumeFile, false);
        return Volume.VolumeName();
    } catch (const EKorvidError&) {
        return {};
    }
}

// The first line's "; base=" or ".. base=" value: the file this one is included into.
std::string BaseNameOf(const std::vector<std::string>& Lines) {
    if (Lines.empty())
        return {};
    for (const std::string_view Head : {"; base=", ".. base="})
        if (Lines.front().starts_with(Head))
            return Trim(std::string_view(Lines.front()).substr(Head.size()));
    return {};
}

// The name the compiler is handed for a document, and the route it takes.
void NameForCompiler(const TCompileTarget& Target, TCompileContext& Context,
                     const TKorvidOptions& Options) {
    const std::string Base = BaseNameOf(Target.Lines);
    const std::string& FileName = Target.FileName;
    Context.TargetFile = FileName;
    // A base hands the compiler another file, whose records are not about this text.
    Context.TargetAliases.clear();
    if (const std::size_t Gt = FileName.find('>'); Gt != std::string::npos) {
        std::string Name = UpperCase1252(FileName.substr(Gt + 1));
        if (const std::size_t Colon = Name.find(':'); Colon == std::string::npos)
            Name = VolumeNameOf(FileName.substr(0, Gt)) + ":" + (Base.empty() ? Name : Base);
        else if (!Base.empty())
            Name = Name.substr(0, Colon + 1) + Base;
        if (const std::size_t Svol = Name.find(".SVOL"); Svol != std::string::npos)
            Name.erase(Svol, 5);
        Context.TargetName = Name;
        if (Base.empty())
            Context.TargetAliases.push_back({Name, true});
        Context.InsideVolume = true;
        Context.ProjectRoute = false;
        return;
    }
    const std::string Name =
        Base.empty() ? FileName : (fs::path(FileName).parent_path() / Base).string();
    Context.ProjectRoute = Options.VoskPascal && IsOneOf(LowerExtension(Name), ProjectExtensions);
    Context.TargetName = Context.ProjectRoute ? Name : Quoted(Name);
    // The library and a Pascal source get the name without its quotes.
    if (Base.empty())
        Context.TargetAliases = {{Name}, {Quoted(Name)}};
}

// Marks a compile as running while it lives.
class TRunningFlag {
public:
    explicit TRunningFlag(bool& Flag) : FFlag(Flag) { FFlag = true; }
    ~TRunningFlag() { FFlag = false; }
    TRunningFlag(const TRunningFlag&) = delete;
    TRunningFlag& operator=(const TRunningFlag&) = delete;

private:
    bool& FFlag;
};

// A VBat run nobody watches: what it would show becomes message lines, and what it would ask
// fails the run.
class TVBatLinesReporter : public TVBatReporter {
public:
    explicit TVBatLinesReporter(std::vector<TCompileLine>& Lines) : FLines(Lines) {}

    void Error(std::string_view Text) override { Add(Text); }
    bool Pause(std::string_view Text) override {
        Add(VBatPauseUnattendedText(Text));
        return false;
    }
    bool AskInputs(const std::vector<TVBatInput>&, TVBatValues&) override {
        Add(VBatInputUnattendedText());
        return false;
    }
    std::unique_ptr<TVBatProgress> ShowProgress(std::string_view) override {
        return std::make_unique<TNeverCancelled>();
    }

private:
    class TNeverCancelled : public TVBatProgress {
    public:
        bool Cancelled() const override { return false; }
    };

    void Add(std::string_view Text) {
        std::string Line(VBatErrorCaption);
        Line.append(": ").append(Text);
        FLines.push_back({std::move(Line), {}});
    }

    std::vector<TCompileLine>& FLines;
};

// One step of a report list: a file to compile under a source kind, or a script to run.
struct TReportEntry {
    std::string Path;
    std::string Name; // as the list or the walk gives it
    TForcedSourceKind Kind = TForcedSourceKind::LorvantaSource;
    bool VBat = false;
};

// The files of a folder in the order they are compiled: files by name in any case, then the
// folders below. Links to folders are not followed, so a loop of links ends.
void WalkReportFolder(const fs::path& Folder, TForcedSourceKind Kind,
                      std::vector<TReportEntry>& Entries) {
    std::vector<fs::path> Files;
    std::vector<fs::path> Folders;
    std::error_code Error;
    for (fs::directory_iterator It(Folder, Error), End; !Error && It != End; It.increment(Error)) {
        std::error_code KindError;
        if (It->is_symlink(KindError) && It->is_directory(KindError))
            continue;
        if (It->is_directory(KindError))
            Folders.push_back(It->path());
        else if (It->is_regular_file(KindError))
            Files.push_back(It->path());
    }
    const auto ByName = [](const fs::path& A, const fs::path& B) {
        return LowerCase1252(A.filename().string()) < LowerCase1252(B.filename().string());
    };
    std::sort(Files.begin(), Files.end(), ByName);
    std::sort(Folders.begin(), Folders.end(), ByName);
    for (const fs::path& File : Files) {
        const std::string Extension = LowerExtension(File.filename().string());
        const bool VBat = Extension == ".vbat";
        if (VBat || IsOneOf(Extension, ReportExtensions))
            Entries.push_back({File.string(), File.string(), Kind, VBat});
    }
    for (const fs::path& Sub : Folders)
        WalkReportFolder(Sub, Kind, Entries);
}

std::optional<TForcedSourceKind> SectionKind(const std::string& Line, TForcedSourceKind Kind) {
    if (Line == "[Report Writer]")
        return TForcedSourceKind::ReportWriterSource;
    if (Line == "[Pascal]")
        return TForcedSourceKind::Pascal;
    if (Line.starts_with("[Lorvanta") && Line.ends_with("]")) {
        const std::string Number = Trim(std::string_view(Line).substr(9, Line.size() - 10));
        int Value = 0;
        const auto [End, Failure] =
            std::from_chars(Number.data(), Number.data() + Number.size(), Value);
        if (Failure == std::errc() && End == Number.data() + Number.size() && !Number.empty())
            return static_cast<TForcedSourceKind>(Value);
        return Kind;
    }
    return std::nullopt;
}

// The list's entries, folders walked, so that the run knows how many there are.
std::vector<TReportEntry> ReadReportEntries(const std::vector<std::string>& Lines,
                                            const fs::path& Folder) {
    std::vector<TReportEntry> Entries;
    TForcedSourceKind Kind = TForcedSourceKind::LorvantaSource;
    for (const std::string& Raw : Lines) {
        const std::string Line = Trim(Raw);
        if (Line.empty() || Line.starts_with('#'))
            continue;
        if (const auto Section = SectionKind(Line, Kind)) {
            Kind = *Section;
            continue;
        }
        fs::path Path = Line;
        if (Path.is_relative() && !Folder.empty())
            Path = Folder / Path;
        // A folder the list names is walked even through a link; the walk follows none.
        std::error_code Error;
        if (fs::is_directory(Path, Error)) {
            WalkReportFolder(Path, Kind, Entries);
            continue;
        }
        const std::string Extension = LowerExtension(Line);
        if (Extension == ".vpp")
            continue;
        Entries.push_back({Path.string(), Line, Kind, Extension == ".vbat"});
    }
    return Entries;
}

bool Reported(const std::vector<TCompileLine>& Messages) {
    return std::any_of(Messages.begin(), Messages.end(), [](const TCompileLine& Line) {
        return !(Line.Text.starts_with("---- ") && Line.Text.ends_with(" ----"));
    });
}

} // namespace

TReportScript ReadReportScript(const std::string& FileName, std::vector<std::string> Lines) {
    TReportScript Script;
    if (IsVrepFile(FileName))
        return {true, FileName, std::move(Lines)};
    const auto First = std::find_if(Lines.begin(), Lines.end(), [](const std::string& Line) {
        const std::string_view Text = TrimText(Line);
        return !Text.empty() && !Text.starts_with('#');
    });
    if (First == Lines.end())
        return Script;
    if (First == Lines.begin() &&
        (First->starts_with(";;script=") || First->starts_with("..script="))) {
        const fs::path Path = fs::path(FileName).parent_path() / Trim(First->substr(9));
        std::error_code Error;
        if (!fs::is_regular_file(Path, Error))
            return Script;
        return {true, Path.string(), ReadLinesOfFile(Path)};
    }
    const std::string Text = Trim(*First);
    if (Text.starts_with("[Lorvanta") || Text.starts_with("[Report Writer]"))
        return {true, FileName, std::move(Lines)};
    return Script;
}

std::optional<fs::path> FindCompileScript(const fs::path& Folder) {
    std::error_code Error;
    fs::path At = fs::absolute(Folder, Error);
    while (true) {
        if (auto Script = EntryIgnoringCase(At, CompileScriptName, false))
            return Script;
        if (auto Scripts = EntryIgnoringCase(At, "Scripts", true))
            if (auto Script = EntryIgnoringCase(*Scripts, CompileScriptName, false))
                return Script;
        if (!At.has_relative_path() || At.parent_path() == At)
            return std::nullopt;
        At = At.parent_path();
    }
}

TCompileSeverity TCompileCommand::CompileSource(bool Override, bool WhenPaused, bool Unattended) {
    if (FRunning)
        return TCompileSeverity::None;
    const TRunningFlag Running(FRunning);
    FResult = {};
    TCompileContext Context;
    Context.Override = Override;
    Context.Unattended = Unattended;
    const TKorvidOptions& Options = FHost.CompileOptions();
    // A batch run has nobody to hand a command line to.
    if (!Options.PSystemAware && !Unattended) {
        FHost.RunCommandLine();
        return Context.Severity;
    }
    if (Options.CompileResumes && !WhenPaused && !Unattended && FHost.DebuggerPaused() &&
        !FHost.AskCompileOrResume()) {
        FHost.ResumeDebugger();
        return Context.Severity;
    }
    if (FHost.HasMainCompileFile())
        FHost.SaveAll();
    if (!Unattended) {
        if (const auto Folder = FHost.FocusedFavouritesFolder()) {
            if (FHost.AskCompileFolder())
                CompileReportList({*Folder}, (fs::path(*Folder) / FolderScriptName).string(),
                                  Context);
            return Context.Severity;
        }
    }
    bool Succeeded = false;
    if (std::optional<TCompileTarget> Target = FHost.Target()) {
        const bool Saved = !Target->Modified || FHost.SaveTarget();
        if (Saved && (Target = FHost.Target()))
            Succeeded = CompileTarget(*Target, Context);
    }
    if (Succeeded && Options.ReloadMapAfterCompile) {
        FHost.DeleteBreakpoints();
        FHost.ReloadMap(Options.MapFile);
    }
    if (Unattended)
        FResult.Messages = Context.Messages;
    FResult.DebugText = Context.DebugText;
    return Context.Severity;
}

// True when the compile reported success; false also when the command stopped on the way.
bool TCompileCommand::CompileTarget(const TCompileTarget& Target, TCompileContext& Context) {
    const TKorvidOptions& Options = FHost.CompileOptions();
    const std::string Extension = LowerExtension(Target.FileName);
    if ((Extension == ".vp" && (!Options.VoskPascal || IsKeyHeld(VK_ESCAPE))) ||
        Extension == ".vx") {
        CompileThroughVBat(Target, Context);
        return false;
    }
    if (Extension == ".vbat") {
        RunVBat(Target.FileName, {}, {}, true, Context);
        return false;
    }
    if (IsOneOf(Extension, IncludeExtensions)) {
        ReportCompileFailure(Context, FHost, std::string(IncludeFileCaption), IncludeFileText());
        return false;
    }
    if (const TReportScript Script = ReadReportScript(Target.FileName, Target.Lines); Script.Holds)
        return CompileReportList(Script.Lines, Script.TargetName, Context);
    NameForCompiler(Target, Context, Options);
    Context.ViewMarksLorvantaSource = Target.ViewLorvantaSource;
    Context.ViewMarksReportWriterSource = Target.ViewReportWriterSource;
    Context.ForcedKind = TForcedSourceKind::None;
    Context.RunSuppressed = false;
    return FHost.RunCompileRoutes(Context);
}

bool TCompileCommand::CompileThroughVBat(const TCompileTarget& Target, TCompileContext& Context) {
    const std::string& Source = Target.FileName;
    const fs::path Folder = fs::path(Source.substr(0, Source.find('>'))).parent_path();
    const std::optional<fs::path> Script = FindCompileScript(Folder);
    if (!Script) {
        ReportCompileFailure(Context, FHost, CompilingCaption(fs::path(Source).filename().string()),
                             CompileVBatMissingText());
        return false;
    }
    return RunVBat(Script->string(), Source, PSystemFileName(Source), false, Context);
}

bool TCompileCommand::RunVBat(const std::string& Script, const std::string& Source,
                              const std::string& PSystemName, bool Wait, TCompileContext& Context) {
    if (!Context.Unattended)
        return FHost.RunVBatScript(Script, Source, PSystemName, Wait, Context.Override,
                                   FHost.VBatBoxes());
    // Nobody is there to answer what the script asks, so saved answers are all it gets.
    TVBatLinesReporter Reporter(Context.Messages);
    const bool Ok = FHost.RunVBatScript(Script, Source, PSystemName, Wait, false, Reporter);
    if (!Ok)
        Context.Raise(TCompileSeverity::NotRun);
    return Ok;
}

bool TCompileCommand::CompileReportList(const std::vector<std::string>& Lines,
                                        const std::string& ScriptName, TCompileContext& Context) {
    const TKorvidOptions& Options = FHost.CompileOptions();
    const TLongOperations::TToken Run =
        FHost.LongOperations().Begin(TLongOperations::TKind::CompileList);
    Context.ReportList = true;
    Context.ReportScript = true;
    Context.ScriptName = ScriptName;
    const std::size_t MessagesBefore = Context.Messages.size();
    try {
        FHost.RegisterCompilerServer(Context);
    } catch (const ECompileError& Error) {
        ReportCompileFailure(Context, FHost, std::string(CompilerCaption), Error.what());
        return false;
    }
    const std::vector<TReportEntry> Entries =
        ReadReportEntries(Lines, fs::path(ScriptName).parent_path());
    bool AnySucceeded = false;
    {
        const std::unique_ptr<TCompileProgress> Progress =
            Context.Unattended ? nullptr : FHost.ShowCompileProgress();
        for (std::size_t Done = 0; Done < Entries.size(); ++Done) {
            const TReportEntry& Entry = Entries[Done];
            Context.Messages.push_back({"---- " + Entry.Name + " ----", {}});
            const std::string Status =
                std::to_string(100 * Done / Entries.size()) + "%  " + Entry.Name;
            if (Progress)
                Progress->SetText(Status);
            FHost.ShowCompileStatus(Status);
            if (Entry.VBat)
                RunVBat(Entry.Path, {}, {}, true, Context);
            else {
                Context.TargetName = Quoted(Entry.Path);
                Context.TargetFile = Entry.Path;
                Context.TargetAliases = {{Entry.Path}, {Quoted(Entry.Path)}};
                Context.ForcedKind = Entry.Kind;
                Context.ProjectRoute = false;
                Context.InsideVolume = false;
                // Pascal under "Vosk Pascal" belongs to the compiler library, not to a list.
                Context.RunSuppressed =
                    Entry.Kind == TForcedSourceKind::Pascal && Options.VoskPascal;
                AnySucceeded = FHost.RunCompileRoutes(Context) || AnySucceeded;
            }
            FHost.ProcessEvents();
            if (Run.StopRequested() || Context.Stopped || (Progress && Progress->Cancelled()))
                break;
        }
    }
    FHost.ShowCompileStatus({});
    // Stopped because the window closes: no summary holds it up.
    if (Run.Abandoned())
        return false;
    const std::vector<TCompileLine> RunLines(Context.Messages.begin() + long(MessagesBefore),
                                             Context.Messages.end());
    if (!Context.Unattended) {
        FHost.ShowCompilerError(std::string(ScriptCompleteCaption),
                                ScriptSummaryText(int(Context.Severity)));
        if (!Options.SuppressScriptSuccess || Reported(RunLines))
            FHost.OpenLinesTab(std::string(CompilerMessagesCaption), RunLines);
    } else if (Options.SuppressScriptSuccess && !Reported(RunLines))
        Context.Messages.resize(MessagesBefore);
    return AnySucceeded && Context.Severity < TCompileSeverity::Error;
}

} // namespace korvid
