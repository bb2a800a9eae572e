#pragma once

#include "devtools/compiler/CompilerHost.h"
#include "workspace/LongOperations.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvid {

struct TKorvidOptions;
class TVBatReporter;

// What a compile reads of the document it compiles.
struct TCompileTarget {
    std::string FileName;
    bool Modified = false;
    std::vector<std::string> Lines;
    // The document's view marks Lorvanta or Report Writer source.
    bool ViewLorvantaSource = false;
    bool ViewReportWriterSource = false;
};

// The progress box of a report-list run.
class TCompileProgress {
public:
    virtual ~TCompileProgress() = default;
    virtual void SetText(const std::string& Text) = 0;
    virtual bool Cancelled() const = 0;
};

// What the Compile command needs of the main window besides the compiler routes' own needs.
class TCompileCommandHost : public TCompilerHost {
public:
    virtual const TKorvidOptions& CompileOptions() const = 0;
    // The current command line, which stands in for compiling without the p-System.
    virtual void RunCommandLine() = 0;

    virtual bool DebuggerPaused() const = 0;
    virtual void ResumeDebugger() = 0;
    // Deletes every breakpoint, remembering the deletion for the next connection.
    virtual void DeleteBreakpoints() = 0;
    virtual void ReloadMap(const std::string& MapFile) = 0;

    virtual bool AskCompileOrResume() = 0;
    virtual bool AskCompileFolder() = 0;

    // Whether a tab is marked as the file to compile whatever tab is active.
    virtual bool HasMainCompileFile() const = 0;
    virtual void SaveAll() = 0;
    // The main compile file's document when one is marked, else the active one.
    virtual std::optional<TCompileTarget> Target() const = 0;
    // Saves that document (Save As when unnamed); false when it was not saved.
    virtual bool SaveTarget() = 0;
    // The disk folder selected in the Favourites bar while the bar has the keyboard.
    virtual std::optional<std::string> FocusedFavouritesFolder() const = 0;

    // The compiler library or automation server on the context's target; true on success.
    virtual bool RunCompileRoutes(TCompileContext& Context) = 0;
    // Makes sure the automation server of the options is registered; raises ECompileError.
    virtual void RegisterCompilerServer(TCompileContext& Context) = 0;
    // Runs Script for Source (both empty for a script run on itself) with the p-System options;
    // true when every command succeeded.
    virtual bool RunVBatScript(const std::string& Script, const std::string& Source,
                               const std::string& PSystemName, bool Wait, bool Override,
                               TVBatReporter& Reporter) = 0;
    // The boxes of a VBat run that a user watches.
    virtual TVBatReporter& VBatBoxes() = 0;

    virtual std::unique_ptr<TCompileProgress> ShowCompileProgress() = 0;
    // Lets pending window messages run.
    virtual void ProcessEvents() = 0;
    // The window's running operations, which a compile list joins while it runs.
    virtual TLongOperations& LongOperations() = 0;
};

// What an unattended compile leaves behind for its request's files.
struct TUnattendedResult {
    std::vector<TCompileLine> Messages;
    std::string DebugText;
};

// The three compile commands and the batch compiles: decides what compiling the document in
// hand means and hands it to the right route. One compile at a time: a compile command that
// arrives while one runs (from a report list's event pumping) is ignored.
class TCompileCommand {
public:
    explicit TCompileCommand(TCompileCommandHost& Host) : FHost(Host) {}

    // The highest severity the compile reported.
    TCompileSeverity CompileSource(bool Override, bool WhenPaused, bool Unattended);
    bool Running() const { return FRunning; }
    // The messages and debug output of the last unattended compile.
    const TUnattendedResult& UnattendedResult() const { return FResult; }

private:
    bool CompileTarget(const TCompileTarget& Target, TCompileContext& Context);
    bool CompileThroughVBat(const TCompileTarget& Target, TCompileContext& Context);
    bool RunVBat(const std::string& Script, const std::string& Source,
                 const std::string& PSystemName, bool Wait, TCompileContext& Context);
    bool CompileReportList(const std::vector<std::string>& Lines, const std::string& ScriptName,
                           TCompileContext& Context);

    TCompileCommandHost& FHost;
    bool FRunning = false;
    TUnattendedResult FResult;
};

// The report-script test: whether a document's lines are a list of reports, the lines of the
// list and the name it is compiled under.
struct TReportScript {
    bool Holds = false;
    std::string TargetName;
    std::vector<std::string> Lines;
};
TReportScript ReadReportScript(const std::string& FileName, std::vector<std::string> Lines);

// The nearest "Compile.vbat" from Folder up, or in a "Scripts" folder on the way (names in any
// case); nothing when there is none.
std::optional<std::filesystem::path> FindCompileScript(const std::filesystem::path& Folder);

} // namespace korvid
