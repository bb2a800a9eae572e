#pragma once

#include <functional>
#include <memory>

namespace korvid {

// A window-message timer as the command-bar buttons use it; tests replace the clock.
class TButtonTimer {
public:
    virtual ~TButtonTimer() = default;
    virtual void SetInterval(int Milliseconds) = 0;
    virtual int Interval() const = 0;
    // Enabling (re)starts the countdown with the current interval.
    virtual void SetEnabled(bool Value) = 0;
    virtual bool Enabled() const = 0;

    std::function<void()> OnTimer;
};

using TButtonTimerFactory = std::function<std::unique_ptr<TButtonTimer>()>;

// A new disabled timer from the installed factory (Qt timers when none is installed).
std::unique_ptr<TButtonTimer> MakeButtonTimer();
// Installs Factory and answers the one it replaces; an empty one restores Qt timers.
TButtonTimerFactory InstallButtonTimerFactory(TButtonTimerFactory Factory);

} // namespace korvid
