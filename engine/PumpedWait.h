#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Waits on changed until ready() holds. Where pump is given it is called, unlocked, every few
// milliseconds meanwhile: the thread that waits is the window's, which must not freeze while
// another thread waits on a slow disk.
template<typename Ready>
void pumpedWait(std::unique_lock<std::mutex> &guard, std::condition_variable &changed, Ready ready,
                const std::function<void()> &pump)
{
    if (!pump) {
        changed.wait(guard, ready);
        return;
    }
    while (!changed.wait_for(guard, std::chrono::milliseconds(5), ready)) {
        guard.unlock();
        pump();
        guard.lock();
    }
}
