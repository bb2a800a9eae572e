#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvid {

// How bad a compile went; it only ever grows during one compile.
enum class TCompileSeverity : std::uint8_t {
    None = 0,
    Hint = 1,
    Warning = 2,
    Error = 3,  // an error or a compiler crash
    NotRun = 4, // the compiler could not be reached or asked
};

// The source kind a report-list compile forces on the server.
enum class TForcedSourceKind : int {
    None = 0,
    Pascal = -3,
    ReportWriterSource = -1,
    LorvantaSource = 2,
    LorvantaText = 3,
};

// A name without the double quotes a disk file's name is handed to the compiler in.
inline std::string UnquotedName(const std::string& Name) {
    if (Name.size() >= 2 && Name.front() == '"' && Name.back() == '"')
        return Name.substr(1, Name.size() - 2);
    return Name;
}

// A name the target was handed to the compiler under; the p-System ignores case in its names.
struct TCompilerName {
    std::string Name;
    bool IgnoreCase = false;
};

enum class TJsonChoice { NotAsked, Picked, Cancelled };

// One line for a "Compiler Messages" tab; Data is "file|||line" for lines that name a place.
struct TCompileLine {
    std::string Text;
    std::string Data;
};

// The working values of one compile, carried through the routes and the result parser.
struct TCompileContext {
    // The name handed to the compiler (quoted on the server route for a disk file).
    std::string TargetName;
    // The target's own file name, which the results compare their files with.
    std::string TargetFile;
    // The other names the compiler knows the target's own text by; its records may use any.
    std::vector<TCompilerName> TargetAliases;
    bool ProjectRoute = false;
    TForcedSourceKind ForcedKind = TForcedSourceKind::None;
    bool InsideVolume = false;
    // Set by the caller for a file inside a volume whose view marks that kind of source.
    bool ViewMarksLorvantaSource = false;
    bool ViewMarksReportWriterSource = false;
    bool ReportScript = false;
    std::string ScriptName;
    bool RunSuppressed = false;
    bool ReportList = false;
    bool Override = false;
    // Boxes wait for a user; an unattended compile turns them into Messages.
    bool Unattended = false;

    TJsonChoice JsonChoice = TJsonChoice::NotAsked;
    std::string ServerPath;
    std::string RegisteredServer;

    TCompileSeverity Severity = TCompileSeverity::None;
    // A wait for the compiler was stopped; a run of many compiles ends too.
    bool Stopped = false;
    std::vector<TCompileLine> Messages;
    // Unattended, with "Wyx Debug To Output Text": what would have opened in a tab.
    std::string DebugText;

    void Raise(TCompileSeverity Value) {
        if (Value > Severity)
            Severity = Value;
    }
};

} // namespace korvid
