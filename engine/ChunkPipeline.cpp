#include "engine/ChunkPipeline.h"

#include <stdexcept>

ChunkPipeline::~ChunkPipeline()
{
    {
        std::lock_guard guard(lock);
        quitting = true;
        active = false;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
}

void ChunkPipeline::start(qint64 size, qint64 bytesPerChunk, ChunkTransform &through, bool seal,
                          Reader read)
{
    stop();
    {
        std::lock_guard guard(lock);
        const qint64 room = through.storedBytes(bytesPerChunk) + 1;
        for (Slot &slot : ring) {
            if (slot.buffer.size() < room)
                slot.buffer.resize(room);
        }
        streamSize = size;
        chunkBytes = bytesPerChunk;
        chunkCount = (size + bytesPerChunk - 1) / bytesPerChunk;
        transform = &through;
        sealing = seal;
        reader = std::move(read);
        produced = 0;
        consumed = 0;
        failed = false;
        active = true;
        ++stream;
    }
    if (!worker.joinable())
        worker = std::thread([this] { run(); });
    changed.notify_all();
}

ChunkPipeline::Chunk ChunkPipeline::next()
{
    std::unique_lock guard(lock);
    if (!active || consumed >= chunkCount)
        throw std::logic_error("no chunk left in the pipeline");
    if (produced == consumed) {
        // Nothing ready: sleep until a few chunks are, so that one wake-up pays for several.
        consumerWants = std::min(consumed + WakeBatch, chunkCount);
        consumerWaiting = true;
        changed.wait(guard, [this] { return produced >= consumerWants || failed; });
        consumerWaiting = false;
    }
    Slot &slot = ring[consumed % Slots];
    ++consumed;
    const bool wake = producerWaiting && roomAhead() >= WakeBatch;
    guard.unlock();
    if (wake)
        changed.notify_all();
    if (slot.error)
        std::rethrow_exception(slot.error);
    return {slot.buffer.constData(), slot.size, slot.plain, slot.outcome};
}

qint64 ChunkPipeline::roomAhead() const
{
    // The engine still reads the chunk it took last, so that slot stays untouched too.
    return Slots - 1 - (produced - consumed);
}

void ChunkPipeline::stop()
{
    std::unique_lock guard(lock);
    if (!active)
        return;
    active = false;
    changed.notify_all();
    changed.wait(guard, [this] { return !working; });
    reader = nullptr;
}

void ChunkPipeline::run()
{
    std::unique_lock guard(lock);
    quint64 served = 0;
    for (;;) {
        changed.wait(guard, [&] { return quitting || (active && stream != served); });
        if (quitting)
            return;
        served = stream;
        working = true;
        while (!failed && produced < chunkCount) {
            if (roomAhead() == 0) {
                producerWaiting = true;
                changed.wait(guard,
                             [this] { return !active || quitting || roomAhead() >= WakeBatch; });
                producerWaiting = false;
            }
            if (!active || quitting)
                break;
            const qint64 index = produced;
            const qint64 n = std::min(chunkBytes, streamSize - index * chunkBytes);
            Slot &slot = ring[index % Slots];
            guard.unlock();
            produce(slot, index, n, index + 1 == chunkCount);
            guard.lock();
            if (slot.error || slot.outcome != ChunkTransform::Outcome::Done)
                failed = true;
            ++produced;
            if (consumerWaiting && (produced >= consumerWants || failed))
                changed.notify_all();
        }
        working = false;
        changed.notify_all();
    }
}

void ChunkPipeline::produce(Slot &slot, qint64 index, qint64 n, bool last)
{
    const qint64 stored = transform->storedBytes(n);
    slot.plain = n;
    slot.size = sealing ? stored : n;
    slot.outcome = ChunkTransform::Outcome::Done;
    slot.error = nullptr;
    try {
        reader(slot.buffer.data(), sealing ? n : stored, last);
    } catch (...) {
        slot.error = std::current_exception();
        return;
    }
    // Once a chunk fails, nothing more of this stream is transformed.
    slot.outcome = transform->apply(index, slot.buffer.constData(), n, slot.buffer.data(), last);
}
