#pragma once

#include <string>

namespace korvid {

class TCompiling;
class TWindowHost;

// The batch runs "COMPILE:" and "SCRIPT:" of a request file: compile without asking anyone,
// write the request's result files and answer the exit code (0, 1 errors, 2 not run).
// Nothing of the options they change for the run is kept.
int RunCompileRequest(TWindowHost& Window, TCompiling& Compiling, const std::string& RequestFile);
int RunScriptRequest(TWindowHost& Window, TCompiling& Compiling, const std::string& RequestFile);

} // namespace korvid
