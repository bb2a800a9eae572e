#pragma once

#include "editor/engine/EngTimerPool.h"

#include <QTimer>

#include <cstdint>

namespace korvid {

// Milliseconds of a steady clock: the time base of the timer pool.
std::int64_t EngTickCount();

// Drives a timer pool with a real timer while the pool asks for one.
class TEngQtTimer {
public:
    explicit TEngQtTimer(TEngTimerPool& Pool);
    ~TEngQtTimer();
    TEngQtTimer(const TEngQtTimer&) = delete;
    TEngQtTimer& operator=(const TEngQtTimer&) = delete;

    bool Active() const { return FTimer.isActive(); }
    int Interval() const { return FTimer.interval(); }

private:
    TEngTimerPool& FPool;
    QTimer FTimer;
};

} // namespace korvid
