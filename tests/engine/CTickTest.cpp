#include "engine/CTick.h"

#include <gtest/gtest.h>

TEST(CTick, StopAddsTheIntervalSinceTheLastStartEveryTimeAndNeverWraps)
{
    qint64 now = 2147483000; // past the 32-bit millisecond range
    CTick tick([&] { return now; });
    tick.StartTick();
    now += 60000;
    tick.StopTick();
    tick.StopTick();
    EXPECT_EQ(tick.ElapsedTicks(), 120000);
    EXPECT_EQ(tick.GetRealElapsedTicks(), 60000);
    EXPECT_EQ(tick.ElapsedMinutes(), 2);
    tick.StartTick();
    EXPECT_EQ(tick.ElapsedTicks(), 0);
}
