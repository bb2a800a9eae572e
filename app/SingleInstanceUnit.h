#pragma once

#include "platform/MessageEndpoint.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace korvid {

// The window message the running instance answers a hand-over with 42.
inline constexpr std::uint32_t WM_USER = 1024;
inline constexpr std::uint32_t WM_CLOSE = 16;
inline constexpr int HandOverAnswer = 42;

// The command line as the program reads it: "/NEWINSTANCE" (in any case) sets a flag and is
// dropped, as are empty parameters and those that begin with ":".
struct TParameterList {
    QStringList Items;
    bool NewInstance = false;
    int ParamCount = 0; // every parameter given, dropped ones included
};

TParameterList BuildParameterList(const QStringList& Arguments);

// The parameters after the program's name (as the application left them), each a file name's
// bytes in the lossless form of PathToQString: a name that is not UTF-8 survives.
QStringList ArgumentsOf(int Argc, const char* const* Argv);

enum class TCommandKind { None, File, Compile, Script };
// What the command line asks for, judged by its first parameter: every parameter names one file,
// unless the first is a batch request ("COMPILE:" or "SCRIPT:" and its request file, in
// Argument).
TCommandKind ClassifyCommand(const TParameterList& Parameters, QString& Argument);

// True when the program must not run from where it was started (it has told the user).
bool CheckRunLocation(const QString& ProgramPath);

// Makes the settings keys a hand-over goes through, so that a second start on a first day (no
// settings written yet) can hand over.
void EnsureHandOverKeys();

// Hands the command line to a running instance. Answers False when it took the files and this
// process must end; OtherInstanceFound tells whether one was running at all. Batch runs are never
// handed over.
bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound, const QString& EndpointPath);
bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound);

enum class TStartChoice {
    Instance,     // this process holds the single-instance place
    SecondWindow, // another instance runs, but this one starts a window of its own
    HandedOver,   // the running instance took the command line; this process ends
};

// How long a start that lost the race for the single-instance place waits for the winner to
// listen before it starts a window of its own.
inline constexpr int InstanceWaitMs = 5000;

// Claims the single-instance place before anything else is built; when another process holds
// it, waits for that one's endpoint and hands the command line over (unless Shift, "/NEWINSTANCE"
// or a batch run asks for a window of its own).
TStartChoice ClaimOrHandOver(const TParameterList& Parameters, bool ShiftHeld, TInstanceLock& Lock,
                             const QString& EndpointPath, int WaitMs = InstanceWaitMs);

// The receiving side: takes the names handed over under number N (deleting their values), gives
// them to Take in order (empty when the second start had none) and answers 42. Take should leave
// the opening to the event loop, so the second start never waits on a question.
std::int32_t ReceiveHandOver(std::uint64_t N, const std::function<void(const QStringList&)>& Take);

} // namespace korvid
