#pragma once

#include "engine/ChunkTransform.h"

#include <QByteArray>
#include <QtGlobal>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// Reads one file's data and passes it through its transform on a second thread, a few chunks
// ahead of the one that takes them with next() and writes them. The
// ring of buffers is reused from file to file, so memory stays at Slots chunks whatever the
// file's size.
class ChunkPipeline
{
public:
    static constexpr int Slots = 8;
    // Either side that has to wait sleeps until this many chunks are ready (or free).
    static constexpr qint64 WakeBatch = 3;

    // Fills buffer with the n bytes the next chunk takes before its transform (plain bytes when
    // sealing, stored bytes when opening); last is set for the file's final chunk. Runs on the
    // pipeline's thread; what it throws comes out of next() instead.
    using Reader = std::function<void(char *buffer, qint64 n, bool last)>;

    struct Chunk
    {
        const char *data = nullptr;
        qint64 size = 0;  // bytes at data, after the transform
        qint64 plain = 0; // the chunk's plain bytes
        // Anything but Done: data is not valid, and the stream went no further.
        ChunkTransform::Outcome outcome = ChunkTransform::Outcome::Done;
    };

    ChunkPipeline() = default;
    ~ChunkPipeline();
    ChunkPipeline(const ChunkPipeline &) = delete;
    ChunkPipeline &operator=(const ChunkPipeline &) = delete;

    // Starts on a file of size plain bytes in chunks of chunkBytes, through transform (sealing or
    // opening), which only the pipeline's thread uses until stop(); buffers hold one byte more
    // than a chunk for the reader's use.
    void start(qint64 size, qint64 chunkBytes, ChunkTransform &transform, bool sealing,
               Reader read);
    // Waits for the next chunk in order; rethrows what the reader threw. The chunk stays valid
    // until the following next() or stop().
    Chunk next();
    // Ends the current stream, waiting until the thread has let go of the reader and the buffers.
    void stop();

private:
    struct Slot
    {
        QByteArray buffer;
        qint64 size = 0;
        qint64 plain = 0;
        ChunkTransform::Outcome outcome = ChunkTransform::Outcome::Done;
        std::exception_ptr error;
    };

    void run();
    void produce(Slot &slot, qint64 index, qint64 n, bool last);
    qint64 roomAhead() const; // chunks the thread may still read ahead

    std::mutex lock;
    std::condition_variable changed;
    Slot ring[Slots];
    // Chunks are numbered from 0 per stream; slot = number % Slots.
    qint64 produced = 0; // chunks the thread has finished
    qint64 consumed = 0; // chunks handed back through next()
    qint64 chunkCount = 0;
    qint64 streamSize = 0;
    qint64 chunkBytes = 0;
    ChunkTransform *transform = nullptr;
    bool sealing = false;
    quint64 stream = 0; // counts the streams started
    Reader reader;
    bool active = false;  // a stream is under way
    bool working = false; // the thread is inside a stream
    bool failed = false;  // the thread gave up on the stream (error, re-key, forgery)
    bool quitting = false;
    bool producerWaiting = false;
    bool consumerWaiting = false;
    qint64 consumerWants = 0; // the chunk count that wakes the waiting engine
    std::thread worker;
};
