#include "editor/engine/EngController.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(Controller, StartsWithDefaultTablesAndKeepsEpochInRange) {
    TEngController C;
    EXPECT_EQ(C.EntryCommands().TableCount(), 3);
    EXPECT_EQ(C.Epoch(), 1900);
    for (int Bad : {1599, 4000})
        C.SetEpoch(Bad);
    EXPECT_EQ(C.Epoch(), 1900);
    C.SetEpoch(1600);
    EXPECT_EQ(C.Epoch(), 1600);
    C.SetEpoch(3999);
    EXPECT_EQ(C.Epoch(), 3999);
    EXPECT_EQ(TEngController::Version, "2.13.00");
}

TEST(Controller, SpecialControls) {
    TEngController C;
    int Cancel = 0;
    int Other = 0;
    int Asked = 0;
    C.BtnCancel = &Cancel;
    EXPECT_TRUE(C.IsSpecialControl(&Cancel));
    EXPECT_FALSE(C.IsSpecialControl(&Other));
    C.OnIsSpecialControl = [&](TEngController&, TEngControlHandle Control, bool& Special) {
        ++Asked;
        Special = Control == &Other;
    };
    EXPECT_TRUE(C.IsSpecialControl(&Other));
    EXPECT_EQ(Asked, 1);
    C.ControlRemoved(&Cancel);
    EXPECT_EQ(C.BtnCancel, nullptr);
}

TEST(TimerPool, IntervalRule) {
    struct TCase {
        const char* Name;
        std::vector<std::pair<int, bool>> Triggers; // interval, enabled
        int Want;
    } Cases[] = {
        {"none", {}, 0},
        {"none enabled", {{100, false}}, 0},
        {"single 30 ms", {{30, true}}, 55},
        {"100 and 150 ms", {{100, true}, {150, true}}, 55},
        {"single 1000 ms", {{1000, true}}, 1000},
        {"200 and 300 ms", {{200, true}, {300, true}}, 100},
        {"300 and 1000 ms", {{300, true}, {1000, true}}, 100},
    };
    for (const auto& Case : Cases) {
        std::vector<TEngTrigger> Triggers;
        for (const auto& [Interval, Enabled] : Case.Triggers) {
            TEngTrigger T;
            T.Interval = static_cast<std::uint16_t>(Interval);
            T.Enabled = Enabled;
            Triggers.push_back(T);
        }
        EXPECT_EQ(TEngTimerPool::ComputeInterval(Triggers, 0), Case.Want) << Case.Name;
    }
}

TEST(TimerPool, FiresWithinTheAllowanceAndDropsOneShots) {
    std::vector<std::uint16_t> Timer; // outlives the pool, which stops its timer when it goes
    TEngTimerPool Pool;
    Pool.SetTimer = [&](std::uint16_t Interval) {
        Timer.push_back(Interval);
        return true;
    };
    std::vector<std::pair<int, int>> Fired; // handle, elapsed
    int All = 0;
    Pool.OnAllTriggers = [&](TEngTimerPool&, int, std::uint16_t, int) { ++All; };
    const auto Record = [&](TEngTimerPool&, int Handle, std::uint16_t, int Elapsed) {
        Fired.emplace_back(Handle, Elapsed);
    };
    const int Repeating = Pool.AddTrigger(1000, true, Record, 0);
    EXPECT_EQ(Pool.Interval(), 1000);
    EXPECT_EQ(Timer.back(), 1000);
    const int Once = Pool.AddTrigger(500, false, Record, 0);
    EXPECT_EQ(Pool.Interval(), 500);

    Pool.DoTimer(472); // 28 ms early: not yet
    EXPECT_TRUE(Fired.empty());
    Pool.DoTimer(473);
    EXPECT_EQ(Fired, (std::vector<std::pair<int, int>>{{Once, 473}}));
    EXPECT_EQ(Pool.TriggerCount(), 1);
    Pool.DoTimer(975); // 25 ms early for the 1000 ms trigger
    EXPECT_EQ(Fired.back(), std::make_pair(Repeating, 975));
    EXPECT_EQ(All, 2);
    Pool.RemoveTrigger(Repeating, 1000);
    EXPECT_EQ(Pool.Interval(), 0);
    EXPECT_EQ(Timer.back(), 0);
}

TEST(TimerPool, RefusedTimerRaises) {
    TEngTimerPool Pool;
    Pool.SetTimer = [](std::uint16_t Interval) { return Interval == 0; };
    EXPECT_THROW(Pool.AddTrigger(100, true, {}, 0), ENoTimersAvailable);
}

TEST(TimerPool, ControllerForwardsEveryFiring) {
    TEngController C;
    int Seen = 0;
    C.OnTimerTrigger = [&](TEngTimerPool&, int, std::uint16_t Interval, int) { Seen = Interval; };
    C.TimerPool().AddTrigger(200, true, {}, 0);
    C.TimerPool().DoTimer(200);
    EXPECT_EQ(Seen, 200);
}

} // namespace
} // namespace korvid
