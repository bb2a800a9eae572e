#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace korvid {

class TEngTimerPool;

// Sender, trigger handle, trigger interval and milliseconds since the trigger was added.
using TEngTimerEvent =
    std::function<void(TEngTimerPool& Pool, int Handle, std::uint16_t Interval, int Elapsed)>;

struct TEngTrigger {
    bool Enabled = true;
    int Handle = 0;
    std::int64_t StartTime = 0; // tick counts in milliseconds
    std::int64_t LastFire = 0;
    std::uint16_t Interval = 0;
    TEngTimerEvent Event;
    bool Repeat = true; // a trigger without it is removed after firing once
};

// Many timed triggers served by one periodic timer whose interval suits them all. Times are
// passed in, so the rule and the firing are pure; the widget layer owns the real timer.
class TEngTimerPool {
public:
    static constexpr std::uint16_t MinimumInterval = 55;
    static constexpr int FireAllowance = 27; // a trigger may fire this much early

    TEngTimerPool() = default;
    virtual ~TEngTimerPool();
    TEngTimerPool(const TEngTimerPool&) = delete;
    TEngTimerPool& operator=(const TEngTimerPool&) = delete;

    TEngTimerEvent OnAllTriggers;
    // Starts (interval > 0) or stops (0) the real timer; false when none could be had.
    std::function<bool(std::uint16_t Interval)> SetTimer;

    // A new trigger; its handle.
    int AddTrigger(std::uint16_t Interval, bool Repeat, TEngTimerEvent Event, std::int64_t Now,
                   bool Enabled = true);
    void RemoveTrigger(int Handle, std::int64_t Now);
    void EnableTrigger(int Handle, bool Enabled, std::int64_t Now);
    // Fires every trigger that is due; called on each tick of the real timer.
    virtual void DoTimer(std::int64_t Now);

    std::uint16_t Interval() const { return FInterval; }
    int EnabledCount() const { return FEnabledCount; }
    int TriggerCount() const { return static_cast<int>(FTriggers.size()); }

    // The timer interval for these triggers at time Now; 0 when none is enabled.
    static std::uint16_t ComputeInterval(const std::vector<TEngTrigger>& Triggers,
                                         std::int64_t Now);

private:
    void TriggersChanged(std::int64_t Now);
    void UpdateTimer();

    std::vector<TEngTrigger> FTriggers;
    std::uint16_t FInterval = 0;
    int FEnabledCount = 0;
    int FNextHandle = 1;
};

} // namespace korvid
