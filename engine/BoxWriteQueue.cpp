#include "engine/BoxWriteQueue.h"

#include "engine/EngineHelpers.h"
#include "engine/PumpedWait.h"

BoxWriteQueue::BoxWriteQueue(QFileDevice &box, std::function<void()> whileWaiting)
    : box(box)
    , pump(std::move(whileWaiting))
    , worker(&BoxWriteQueue::run, this)
{}

BoxWriteQueue::~BoxWriteQueue()
{
    {
        std::lock_guard guard(lock);
        closing = true;
        queue.clear();
    }
    changed.notify_all();
    worker.join();
}

void BoxWriteQueue::add(QByteArray batch)
{
    std::unique_lock guard(lock);
    pumpedWait(
        guard, changed, [this] { return queue.size() < MaxBatches || failure; }, pump);
    if (failure)
        std::rethrow_exception(failure);
    queue.push_back(std::move(batch));
    guard.unlock();
    changed.notify_all();
}

void BoxWriteQueue::finish()
{
    std::unique_lock guard(lock);
    pumpedWait(
        guard, changed, [this] { return (queue.empty() && !writing) || failure; }, pump);
    if (failure)
        std::rethrow_exception(failure);
}

void BoxWriteQueue::run()
{
    for (;;) {
        QByteArray batch;
        {
            std::unique_lock guard(lock);
            changed.wait(guard, [this] { return closing || !queue.empty(); });
            if (closing || failure)
                return;
            batch = std::move(queue.front());
            queue.pop_front();
            writing = true;
        }
        std::exception_ptr error;
        try {
            EngineHelpers::writeAll(box, batch, box.fileName());
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard guard(lock);
            writing = false;
            failure = error;
        }
        changed.notify_all();
    }
}
