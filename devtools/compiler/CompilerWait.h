#pragma once

#include "platform/ProcessAnswer.h"
#include "ui/EscapeWatch.h"

namespace korvid {

class TCompilerHost;

// A user's wait for the compiler: the window goes on handling events, the status bar says what
// it waits for while the compiler has been silent a moment, and Esc or RequestStop (the window
// closing) ends the wait, which ends the compiler's program too.
class TCompilerWait {
public:
    explicit TCompilerWait(TCompilerHost& Host);
    ~TCompilerWait();
    TCompilerWait(const TCompilerWait&) = delete;
    TCompilerWait& operator=(const TCompilerWait&) = delete;

    void RequestStop() { FStopRequested = true; }
    // How the compiler's answers are awaited; valid while this object lives.
    TAnswerWait Wait();

    // Silence shorter than this shows nothing: most answers come at once.
    static constexpr std::chrono::milliseconds StatusDelay{300};

private:
    bool KeepWaiting(std::chrono::milliseconds Silent);
    void Ended();

    TCompilerHost& FHost;
    TEscapeWatch FEscape{false};
    bool FStopRequested = false;
    bool FShowing = false;
};

} // namespace korvid
