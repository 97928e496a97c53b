#include "engine/CTick.h"

#include <gtest/gtest.h>

TEST(CTick, StopAddsTheIntervalSinceTheLastStartEveryTimeAndNeverWraps)
{
    // Past the 32-bit millisecond range the difference still comes out right.
    qint64 now = 2147483000;
    CTick tick([&] { return now; });
    tick.StartTick();
    now += 700;
    tick.StopTick();
    tick.StopTick();
    EXPECT_EQ(tick.ElapsedTicks(), 1400);
    EXPECT_EQ(tick.GetRealElapsedTicks(), 700);
    tick.RestartTick();
    now += 599;
    tick.StopTick();
    EXPECT_EQ(tick.ElapsedTicks(), 1999);
    EXPECT_EQ(tick.ElapsedSeconds(), 1);
    tick.StartTick();
    EXPECT_EQ(tick.ElapsedTicks(), 0);
    now += 60000;
    tick.StopTick();
    EXPECT_EQ(tick.ElapsedMinutes(), 1);
}
