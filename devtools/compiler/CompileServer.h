#pragma once

#include "devtools/compiler/CompileContext.h"
#include "devtools/compiler/TesselLib.h"
#include "platform/Automation.h"

#include <string>

namespace korvid {

struct TKorvidOptions;
class TCompilerHost;

inline constexpr const char* WyxProgId = "Wyx.WyxApplication";
inline constexpr const char* WyxClassId = "{83E73733-7754-11D4-B840-000000000000}";

// A compile that cannot go on; its text is shown (or listed when unattended).
class ECompileError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// The server program registered for the compiler's automation class; empty when none is.
std::string RegisteredCompilerServer();

// Registers the server at Path unless the registered one is the same file; raises ECompileError
// when the registration does not show within the polls. An empty Path registers nothing and
// keeps the registered server, which must exist. Answers the server that will be used.
std::string
EnsureServerRegistered(const std::string& Path, TCompileContext& Context, const TSleeper& Sleep,
                       std::chrono::milliseconds RegisterLimit = std::chrono::seconds(30));

// What the server route is given besides the window. The factory's objects and the library
// link should wait alike.
struct TServerLink {
    TAutomationFactory& Factory;
    TSleeper Sleep = RealSleeper();
    // How long "/regserver" may run.
    std::chrono::milliseconds RegisterLimit = std::chrono::seconds(30);
    TLibraryLink Library;
};

// Compiles the context's target through the compiler library (project route) or the automation
// server and shows the results. Errors that end the compile are shown or, unattended, listed;
// either way they raise the severity to NotRun. True when the output held a success record.
bool CompileThroughServer(TCompileContext& Context, const TKorvidOptions& Options,
                          TCompilerHost& Host, TServerLink Link);

} // namespace korvid
