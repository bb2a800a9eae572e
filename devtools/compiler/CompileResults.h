#pragma once

#include "devtools/compiler/CompileContext.h"

#include <string>
#include <string_view>

namespace korvid {

struct TKorvidOptions;
class TCompilerHost;

// One line of the compiler's output.
struct TResultRecord {
    bool IsRecord = false; // begins with ">"
    char Kind = '\0';
    std::string File;
    int Line = 0;
    int Column = 0;
    std::string Text;
};

TResultRecord ReadResultRecord(std::string_view Line, bool ReportWriter);

// What the compile's output is read as.
struct TResultSource {
    std::string Output;
    bool ReportWriter = false;
    // The main JSON file's name, for the success box of a Vosk Pascal compile.
    std::string JsonFile;
};

// Shows the output as boxes, a "Compiler Analysis" tab and, in a report-list or unattended
// compile, message lines; raises the context's severity. True when it held a success record.
bool ShowCompileResults(const TResultSource& Source, TCompileContext& Context,
                        const TKorvidOptions& Options, TCompilerHost& Host);

} // namespace korvid
