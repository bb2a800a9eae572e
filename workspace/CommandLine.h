#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvid {

class TProcessLauncher;

// A command line taken apart for a run without a shell: the first word names the program (on
// PATH unless it holds a "/"), the others are its arguments, double quotes keeping blanks.
struct TCommandLineRun {
    QString Program;
    QStringList Arguments;
    // The folder of a program named with one; empty for a program found on PATH.
    QString Folder;
    // Why it cannot run, as the run error message numbers it (-1 blank, 2 no such program,
    // 3 no such folder, 11 not an executable file); 0 when it can.
    int Error = 0;
};

TCommandLineRun PrepareCommandLine(std::string_view CommandLine);

// Starts the command line detached in its program's folder (the current one for a program
// found on PATH); nothing when it started, else the error code to report.
std::optional<int> StartCommandLine(std::string_view CommandLine, TProcessLauncher& Launcher);

// Runs the command line with its input closed and waits, asking KeepWaiting between reads;
// false kills the program. The answer is what it wrote to standard output and error, in order
// and as far as it got; nothing when it could not be started.
std::optional<std::string> RunAndCapture(std::string_view CommandLine,
                                         const std::function<bool()>& KeepWaiting);

// A program's output as the editor's text: UTF-8 where it is valid, any other byte read as
// Windows-1252, NUL bytes dropped.
std::string DecodeCapturedOutput(std::string_view Bytes);

} // namespace korvid
