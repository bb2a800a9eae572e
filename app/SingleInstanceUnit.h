#pragma once

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
// The parameters with one blank between two (a path with a blank may arrive split).
QString JoinParameters(const TParameterList& Parameters);

enum class TCommandKind { None, File, Compile, Script };
// What the joined command asks for; for Compile and Script, Argument is the request file.
TCommandKind ClassifyCommand(const QString& Command, QString& Argument);

// True when the program must not run from where it was started (it has told the user).
bool CheckRunLocation(const QString& ProgramPath);

// Hands the command line to a running instance. Answers False when it took the file and this
// process must end; OtherInstanceFound tells whether one was running at all. Batch runs are never
// handed over.
bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound, const QString& EndpointPath);
bool PassToRunningInstance(const TParameterList& Parameters, bool ShiftHeld,
                           bool& OtherInstanceFound);

// The receiving side: reads the name handed over under number N, gives a non-empty one to Open,
// deletes the value and answers 42.
std::int32_t ReceiveHandOver(std::uint64_t N, const std::function<void(const QString&)>& Open);

} // namespace korvid
