#include "core/base/transfer_estimate.h"

#include <gtest/gtest.h>

#include "core/platform/clock.h"

namespace tq {
namespace {

TEST(TransferEstimate, TimeLeftFollowsASmoothedRateOnceThereIsEnoughProgress) {
    constexpr double kNone = -1;
    struct Step {
        uint64_t atMicros, done;
        double rate, secondsLeft;  // kNone: no estimate shown
    };
    const Step steps[] = {
        // Half a percent after 0.2 s: too little to judge.
        {200000, 5000, 0, kNone},
        // 1 % done: the first rate is the average so far.
        {500000, 10000, 20000, 49.5},
        // Ten times faster for half a second: the rate moves a third of the way.
        {1000000, 110000, 74000, 890000.0 / 74000},
        // Within the half second the rate holds; only the bytes left shrink.
        {1200000, 150000, 74000, 850000.0 / 74000},
        {1500000, 250000, 135800, 750000.0 / 135800},
        // Finished: nothing left to estimate.
        {2000000, 1000000, 545060, kNone},
        // The position goes back (verify after write): timed afresh from here.
        {2500000, 0, 0, kNone},
        {3000000, 100000, 200000, 4.5},
    };
    VirtualClock clock;
    TransferEstimate estimate;
    estimate.Start(clock.NowMicros());
    for (const Step& step : steps) {
        clock.Advance(step.atMicros - clock.NowMicros());
        estimate.Update(clock.NowMicros(), step.done, 1000000);
        SCOPED_TRACE(step.atMicros);
        EXPECT_NEAR(estimate.Rate(), step.rate, 0.01);
        const std::optional<double> left = estimate.SecondsLeft();
        if (step.secondsLeft == kNone) {
            EXPECT_FALSE(left.has_value());
        } else {
            ASSERT_TRUE(left.has_value());
            EXPECT_NEAR(*left, step.secondsLeft, 0.001);
        }
        if (step.atMicros == 2000000) {
            EXPECT_DOUBLE_EQ(estimate.AverageRate(), 500000);
        }
    }

    // A slow start still gets an estimate after a second.
    TransferEstimate slow;
    slow.Start(0);
    slow.Update(1000000, 50, 100);
    ASSERT_TRUE(slow.SecondsLeft().has_value());
    EXPECT_DOUBLE_EQ(*slow.SecondsLeft(), 1.0);
    EXPECT_EQ(FormatMinutesSeconds(*slow.SecondsLeft() + 64), "1:05");
}

}  // namespace
}  // namespace tq
