#include "editor/EngQtTimer.h"

#include <chrono>

namespace korvid {

std::int64_t EngTickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TEngQtTimer::TEngQtTimer(TEngTimerPool& Pool) : FPool(Pool) {
    FTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&FTimer, &QTimer::timeout, [this] { FPool.DoTimer(EngTickCount()); });
    FPool.SetTimer = [this](std::uint16_t Interval) {
        if (Interval == 0)
            FTimer.stop();
        else
            FTimer.start(Interval);
        return true;
    };
}

TEngQtTimer::~TEngQtTimer() {
    FPool.SetTimer = nullptr;
}

} // namespace korvid
