#pragma once

#include "devtools/compiler/CompileContext.h"
#include "platform/ProcessAnswer.h"

#include <optional>
#include <string>
#include <vector>

namespace korvid {

struct TKorvidOptions;
class TCompilerHost;

// The helper program that runs the compiler library, beside this program.
std::string TesselHelperBesideProgram();

// How the compiler library is reached: through its helper program, each answer awaited as
// Wait says.
struct TLibraryLink {
    std::string Helper = TesselHelperBesideProgram();
    TAnswerWait Wait;
};

// "compile-pascal-project", "compile-defs" or "compile-pascal", by Target's extension in any case.
std::string TesselAction(const std::string& Target);
// The request items, joined by CR LF; quotes inside values are doubled.
std::string TesselCompileRequest(const std::string& Action, const std::string& Target,
                                 const std::string& JsonFile, const TKorvidOptions& Options);
std::string SimulateEmsRequest(const std::string& Target, const std::string& JsonFile);
std::string DumpConfigurationRequest(const std::string& JsonFile);

// The library's file name from the main JSON file's lines; nothing when it names none.
std::optional<std::string> TesselLocation(const std::vector<std::string>& JsonLines);

// The library the JSON file names; empty when it cannot be read or names none.
std::string TesselLocationIn(const std::string& JsonFile);

// The main JSON file: the "Tessel Json" folder joined with the name picked in this session.
std::string MainJsonFileName(const TKorvidOptions& Options, const TCompilerHost& Host);

// Makes sure a main JSON file is chosen for this compile, asking the user when needed; false
// when the compile has to end.
bool EnsureJsonChosen(TCompileContext& Context, const TKorvidOptions& Options, TCompilerHost& Host);

// One call of the compiler library: loaded, asked and unloaded again by the helper program. A
// library that cannot be loaded, that crashes or hangs, or a wait that was stopped, is shown
// once and answers nothing.
class TTesselLink {
public:
    TTesselLink(TCompileContext& Context, const TKorvidOptions& Options, TCompilerHost& Host,
                TLibraryLink Link = {})
        : FContext(Context), FOptions(Options), FHost(Host), FLink(std::move(Link)) {}

    // The reply to a compile request; empty when nothing was compiled.
    std::string Compile(const std::string& Target);
    std::string SimulateEms(const std::string& Target);
    std::string DumpConfiguration();

    // The library's file name, once the JSON file named it.
    const std::string& Location() const { return FLocation; }
    // With "Wyx Debug To Output Text": what was asked, for the "Compiler Messages" tab.
    const std::string& DebugText() const { return FDebugText; }

private:
    // Nothing when the library could not be reached (already reported).
    std::optional<std::string> Ask(const std::string& Request, const std::string& Folder,
                                   bool DumpFirst);

    TCompileContext& FContext;
    const TKorvidOptions& FOptions;
    TCompilerHost& FHost;
    TLibraryLink FLink;
    std::string FLocation;
    std::string FDebugText;
};

// Reports a failure to reach the compiler: a box, or a message line when nobody is there.
void ReportCompileFailure(TCompileContext& Context, TCompilerHost& Host, const std::string& Title,
                          const std::string& Text);

} // namespace korvid
