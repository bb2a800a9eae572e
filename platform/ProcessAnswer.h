#pragma once

#include "platform/KorvidError.h"

#include <chrono>
#include <functional>
#include <string>

class QProcess;

namespace korvid {

// An answer awaited from another program that did not come.
class EAnswerError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};
// The program ended before it answered in full.
class EAnswerGone : public EAnswerError {
public:
    using EAnswerError::EAnswerError;
};
// The program stayed silent longer than the wait allows.
class EAnswerSilent : public EAnswerError {
public:
    using EAnswerError::EAnswerError;
};
// The waiting side gave up.
class EAnswerStopped : public EAnswerError {
public:
    using EAnswerError::EAnswerError;
};

// How a wait for another program's answer goes on. Whoever gives up ends the program.
struct TAnswerWait {
    // Silence longer than this ends the wait; zero waits as long as the program runs.
    std::chrono::milliseconds SilenceLimit{0};
    // Asked about every WaitTick while the program is silent, with how long it has been so;
    // false stops the wait.
    std::function<bool(std::chrono::milliseconds Silent)> KeepWaiting;
    // Told when a wait in which KeepWaiting was asked has ended, however it ended.
    std::function<void()> Ended;
};

inline constexpr std::chrono::milliseconds WaitTick{50};

// A length-prefixed frame: the payload's size in four bytes, lowest first, then the payload.
std::string Frame(const std::string& Payload);

// The next frame on Process's standard output. Raises EAnswerGone, EAnswerSilent or
// EAnswerStopped (having killed the program for the last two).
std::string ReadAnswerFrame(QProcess& Process, const TAnswerWait& Wait);

} // namespace korvid
