#include "engine/FileWriter.h"

#include "core/VaulnixError.h"
#include "engine/PumpedWait.h"
#include "engine/TargetFile.h"

FileWriter::FileWriter(std::function<void()> whileWaiting)
    : pump(std::move(whileWaiting))
    , worker(&FileWriter::run, this)
{}

FileWriter::~FileWriter()
{
    {
        std::lock_guard guard(lock);
        closing = true;
    }
    changed.notify_all();
    worker.join();
}

void FileWriter::throwFailure()
{
    if (!failure.isEmpty())
        throw VaulnixError(failure);
}

void FileWriter::add(QString target, QByteArray data)
{
    std::unique_lock guard(lock);
    if (queuedBytes >= MaxQueuedBytes && failure.isEmpty()) {
        adderWaiting = true;
        changed.notify_all();
        pumpedWait(
            guard, changed, [this] { return queuedBytes <= ResumeBytes || !failure.isEmpty(); },
            pump);
        adderWaiting = false;
    }
    throwFailure();
    queuedBytes += data.size();
    queue.emplace_back(std::move(target), std::move(data));
    // The writer is woken with a batch rather than for every file: waking a thread costs more
    // than writing a small file.
    const bool wake = writerWaiting && queue.size() >= WakeBatch;
    guard.unlock();
    if (wake)
        changed.notify_all();
}

void FileWriter::finish()
{
    std::unique_lock guard(lock);
    adderWaiting = true;
    changed.notify_all();
    pumpedWait(
        guard, changed, [this] { return (queue.empty() && !busy) || !failure.isEmpty(); }, pump);
    adderWaiting = false;
    throwFailure();
}

void FileWriter::run()
{
    for (;;) {
        std::pair<QString, QByteArray> file;
        {
            std::unique_lock guard(lock);
            writerWaiting = true;
            changed.wait(guard, [this] {
                return closing || (!queue.empty() && (adderWaiting || queue.size() >= WakeBatch));
            });
            writerWaiting = false;
            // Done when closing with nothing left, or after a failure, which add() and
            // finish() report.
            if (queue.empty() || !failure.isEmpty())
                return;
            file = std::move(queue.front());
            queue.pop_front();
            busy = true;
        }
        QString error;
        try {
            TargetFile out(file.first);
            out.write(file.second.constData(), file.second.size());
            out.finish();
        } catch (const VaulnixError &e) {
            error = e.message();
        }
        bool wake;
        {
            std::lock_guard guard(lock);
            queuedBytes -= file.second.size();
            busy = false;
            if (failure.isEmpty())
                failure = error;
            wake =
                adderWaiting && (queuedBytes <= ResumeBytes || queue.empty() || !failure.isEmpty());
        }
        if (wake)
            changed.notify_all();
    }
}
