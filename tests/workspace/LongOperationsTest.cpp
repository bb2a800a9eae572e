#include "workspace/LongOperations.h"

#include <gtest/gtest.h>

namespace korvid::test {
namespace {

using TKind = TLongOperations::TKind;

// A compile list running a VBat entry: stopping all asks both, and the window may close only
// once the outer one has returned too.
TEST(TLongOperationsTest, StopAllAsksEveryOneAndReportsWhenTheLastHasEnded) {
    TLongOperations List;
    int Ended = 0;
    int StopsOfTheWait = 0;
    {
        const TLongOperations::TToken Outer = List.Begin(TKind::CompileList);
        {
            const TLongOperations::TToken Inner =
                List.Begin(TKind::VBatRun, [&StopsOfTheWait] { ++StopsOfTheWait; });
            EXPECT_TRUE(List.Running(TKind::CompileList));
            EXPECT_TRUE(List.Running(TKind::VBatRun));
            EXPECT_FALSE(List.Running(TKind::Search));

            EXPECT_TRUE(List.StopAll([&Ended] { ++Ended; }));
            EXPECT_TRUE(Inner.StopRequested() && Inner.Abandoned());
            EXPECT_TRUE(Outer.StopRequested() && Outer.Abandoned());
            EXPECT_EQ(StopsOfTheWait, 1);
            // A second close while they wind down asks nothing again.
            EXPECT_TRUE(List.StopAll([&Ended] { ++Ended; }));
            EXPECT_EQ(StopsOfTheWait, 1);
        }
        EXPECT_EQ(Ended, 0) << "the outer one still runs";
        EXPECT_FALSE(List.Running(TKind::VBatRun));
    }
    EXPECT_EQ(Ended, 1);
    EXPECT_FALSE(List.Any());
}

// Escape or Cancel stops just that one, and its results still count.
TEST(TLongOperationsTest, AnOperationsOwnStopIsNotAClose) {
    TLongOperations List;
    int Stops = 0;
    int Ended = 0;
    {
        TLongOperations::TToken Search = List.Begin(TKind::Search, [&Stops] { ++Stops; });
        const TLongOperations::TToken Replace = List.Begin(TKind::ReplaceAcrossFiles);
        Search.RequestStop();
        Search.RequestStop();
        EXPECT_TRUE(Search.StopRequested());
        EXPECT_FALSE(Search.Abandoned());
        EXPECT_FALSE(Replace.StopRequested());
        EXPECT_EQ(Stops, 1);
        // A close that follows abandons it without asking it again.
        List.StopAll([&Ended] { ++Ended; });
        EXPECT_TRUE(Search.Abandoned());
        EXPECT_EQ(Stops, 1);
    }
    EXPECT_EQ(Ended, 1);
}

TEST(TLongOperationsTest, WhatBeginsWhileAllStopStartsStoppedAndTheNextRunStartsAfresh) {
    TLongOperations List;
    bool Ended = false;
    EXPECT_FALSE(List.StopAll([&Ended] { Ended = true; })) << "nothing runs: close at once";
    EXPECT_FALSE(Ended);
    {
        const TLongOperations::TToken Run = List.Begin(TKind::CompileList);
        List.StopAll([&Ended] { Ended = true; });
        const TLongOperations::TToken Wait = List.Begin(TKind::CompilerWait);
        EXPECT_TRUE(Wait.StopRequested() && Wait.Abandoned());
    }
    EXPECT_TRUE(Ended);
    const TLongOperations::TToken Later = List.Begin(TKind::Search);
    EXPECT_FALSE(Later.StopRequested());
}

} // namespace
} // namespace korvid::test
