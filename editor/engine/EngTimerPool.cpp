#include "editor/engine/EngTimerPool.h"

#include "editor/engine/EngException.h"

#include <algorithm>

namespace korvid {

namespace {
constexpr int NoTimer = 65535;
}

TEngTimerPool::~TEngTimerPool() {
    FInterval = 0;
    if (SetTimer)
        SetTimer(0);
}

std::uint16_t TEngTimerPool::ComputeInterval(const std::vector<TEngTrigger>& Triggers,
                                             std::int64_t Now) {
    std::int64_t Value = NoTimer;
    for (const TEngTrigger& T : Triggers) {
        if (!T.Enabled)
            continue;
        Value = std::min<std::int64_t>(Value, T.Interval);
        Value = std::min(Value, T.Interval - (Now - T.LastFire));
    }
    if (Value < MinimumInterval)
        Value = MinimumInterval;
    if (Value >= NoTimer)
        return 0;
    // Lower the value until every interval is a multiple of it, so that one timer serves all.
    bool Changed = true;
    while (Changed && Value > MinimumInterval) {
        Changed = false;
        for (const TEngTrigger& T : Triggers) {
            if (const std::int64_t Rest = T.Interval % Value; Rest != 0) {
                Value -= Rest;
                Changed = true;
                break;
            }
        }
    }
    return static_cast<std::uint16_t>(std::max<std::int64_t>(Value, MinimumInterval));
}

int TEngTimerPool::AddTrigger(std::uint16_t Interval, bool Repeat, TEngTimerEvent Event,
                              std::int64_t Now, bool Enabled) {
    TEngTrigger T;
    T.Enabled = Enabled;
    T.Handle = FNextHandle++;
    T.StartTime = Now;
    T.LastFire = Now;
    T.Interval = Interval;
    T.Event = std::move(Event);
    T.Repeat = Repeat;
    FTriggers.push_back(std::move(T));
    TriggersChanged(Now);
    return FTriggers.back().Handle;
}

void TEngTimerPool::RemoveTrigger(int Handle, std::int64_t Now) {
    const auto It = std::find_if(FTriggers.begin(), FTriggers.end(),
                                 [Handle](const TEngTrigger& T) { return T.Handle == Handle; });
    if (It == FTriggers.end())
        return;
    FTriggers.erase(It);
    TriggersChanged(Now);
}

void TEngTimerPool::EnableTrigger(int Handle, bool Enabled, std::int64_t Now) {
    for (TEngTrigger& T : FTriggers) {
        if (T.Handle == Handle && T.Enabled != Enabled) {
            T.Enabled = Enabled;
            TriggersChanged(Now);
            return;
        }
    }
}

void TEngTimerPool::TriggersChanged(std::int64_t Now) {
    FEnabledCount = static_cast<int>(
        std::count_if(FTriggers.begin(), FTriggers.end(), [](const auto& T) { return T.Enabled; }));
    FInterval = ComputeInterval(FTriggers, Now);
    UpdateTimer();
}

void TEngTimerPool::UpdateTimer() {
    if (!SetTimer)
        return;
    SetTimer(0);
    if (FInterval != 0 && FEnabledCount > 0 && !SetTimer(FInterval))
        throw ENoTimersAvailable();
}

void TEngTimerPool::DoTimer(std::int64_t Now) {
    bool Removed = false;
    for (std::size_t I = 0; I < FTriggers.size();) {
        TEngTrigger& T = FTriggers[I];
        if (!T.Enabled || Now - T.LastFire < T.Interval - FireAllowance) {
            ++I;
            continue;
        }
        T.LastFire = Now;
        const int Handle = T.Handle;
        const std::uint16_t Interval = T.Interval;
        const int Elapsed = static_cast<int>(Now - T.StartTime);
        const TEngTimerEvent Event = T.Event; // the handler may change the list
        if (Event)
            Event(*this, Handle, Interval, Elapsed);
        if (OnAllTriggers)
            OnAllTriggers(*this, Handle, Interval, Elapsed);
        const auto It = std::find_if(FTriggers.begin(), FTriggers.end(),
                                     [Handle](const TEngTrigger& X) { return X.Handle == Handle; });
        if (It != FTriggers.end() && !It->Repeat) {
            I = static_cast<std::size_t>(It - FTriggers.begin());
            FTriggers.erase(It);
            Removed = true;
        } else {
            ++I;
        }
    }
    if (Removed)
        TriggersChanged(Now);
}

} // namespace korvid
