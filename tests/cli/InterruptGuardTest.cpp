#include "cli/Console.h"
#include "core/Global.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(InterruptGuard, CtrlCOnlySetsTheStopFlagWhileInstalled)
{
    Global::StopRequested = 0;
    {
        const InterruptGuard guard;
        std::raise(SIGINT);
        EXPECT_EQ(Global::StopRequested.load(), 1);
        Global::StopRequested = 0;
        std::raise(SIGTERM);
        EXPECT_EQ(Global::StopRequested.load(), 1);
    }
    Global::StopRequested = 0;
    // The previous handlers are back: here the default, which would end the test program.
    struct sigaction current = {};
    sigaction(SIGINT, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}
