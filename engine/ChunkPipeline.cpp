#include "engine/ChunkPipeline.h"

#include "cipher/CCipher.h"

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

void ChunkPipeline::start(qint64 size, qint64 bytesPerChunk, quint64 generation, Reader read)
{
    stop();
    {
        std::lock_guard guard(lock);
        for (Slot &slot : ring) {
            if (slot.buffer.size() < bytesPerChunk + 1)
                slot.buffer.resize(bytesPerChunk + 1);
        }
        streamSize = size;
        chunkBytes = bytesPerChunk;
        chunkCount = (size + bytesPerChunk - 1) / bytesPerChunk;
        keyGeneration = generation;
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
    return {slot.buffer.constData(), slot.size, slot.rekeyed};
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
            produce(slot, n, index + 1 == chunkCount);
            guard.lock();
            if (slot.error || slot.rekeyed)
                failed = true;
            ++produced;
            if (consumerWaiting && (produced >= consumerWants || failed))
                changed.notify_all();
        }
        working = false;
        changed.notify_all();
    }
}

void ChunkPipeline::produce(Slot &slot, qint64 n, bool last)
{
    slot.size = n;
    slot.rekeyed = false;
    slot.error = nullptr;
    try {
        reader(slot.buffer.data(), n, last);
    } catch (...) {
        slot.error = std::current_exception();
        return;
    }
    // Once anyone has keyed the cipher anew, nothing more of this stream is ciphered.
    slot.rekeyed =
        !CCipher::CipherAt(keyGeneration, slot.buffer.constData(), n, slot.buffer.data());
}
