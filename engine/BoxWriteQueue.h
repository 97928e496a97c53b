#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class QFileDevice;

// Writes a box's batches in order on a thread of its own, a few batches behind the engine: a
// write the system holds up (a slow disk, a full write cache) holds up that thread, not the
// window. What is still queued when it goes away is dropped; the box is then discarded anyway.
class BoxWriteQueue
{
public:
    static constexpr std::size_t MaxBatches = 4;

    // whileWaiting, if given, is called every few milliseconds while add() or finish() waits.
    BoxWriteQueue(QFileDevice &box, std::function<void()> whileWaiting);
    ~BoxWriteQueue();
    BoxWriteQueue(const BoxWriteQueue &) = delete;
    BoxWriteQueue &operator=(const BoxWriteQueue &) = delete;

    // Rethrows the failure of an earlier write.
    void add(QByteArray batch);
    // Waits until every batch is written; rethrows the first failure.
    void finish();

private:
    void run();

    QFileDevice &box;
    std::function<void()> pump;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<QByteArray> queue;
    bool writing = false;
    bool closing = false;
    std::exception_ptr failure;
    std::thread worker;
};
