#include "cli/InterruptGuard.h"

#include "core/Global.h"

#include <csignal>

namespace {

static_assert(std::atomic<qint16>::is_always_lock_free, "the stop flag is set from a signal");

extern "C" void requestStop(int)
{
    Global::StopRequested.store(1);
}

#ifndef _WIN32
struct sigaction savedInterrupt;
struct sigaction savedTerminate;
#else
void (*savedInterrupt)(int) = SIG_DFL;
void (*savedTerminate)(int) = SIG_DFL;
#endif

} // namespace

InterruptGuard::InterruptGuard()
{
#ifndef _WIN32
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a read waiting for the password returns
    sigaction(SIGINT, &action, &savedInterrupt);
    sigaction(SIGTERM, &action, &savedTerminate);
#else
    savedInterrupt = std::signal(SIGINT, requestStop);
    savedTerminate = std::signal(SIGTERM, requestStop);
#endif
}

InterruptGuard::~InterruptGuard()
{
#ifndef _WIN32
    sigaction(SIGINT, &savedInterrupt, nullptr);
    sigaction(SIGTERM, &savedTerminate, nullptr);
#else
    std::signal(SIGINT, savedInterrupt);
    std::signal(SIGTERM, savedTerminate);
#endif
}
