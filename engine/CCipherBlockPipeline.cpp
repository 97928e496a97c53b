// The engine's large-file paths: the pipeline reads a file's chunks and passes them through the
// format's transform on a second thread, a third writes them, and this one raises the events,
// pumps messages and checks for a stop, chunk by chunk as the single-threaded path does.
#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"
#include "engine/NativeFile.h"
#include "engine/TargetFile.h"

#include <QFile>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// Long enough not to spin, short enough that the window never waits for it.
constexpr std::chrono::milliseconds PumpInterval{5};

// Hands each chunk written on the writing thread to the engine's thread to be reported, and
// holds the writer until it is.
struct WrittenChunks
{
    std::mutex lock;
    std::condition_variable changed;
    qint64 plain = 0;
    qint64 left = 0;
    bool unreported = false;
    bool finished = false;
    bool abandoned = false; // the engine's thread left early
    std::exception_ptr error;
};

} // namespace

bool CCipherBlock::pipeChunks(qint64 size, const QString &BlockFile, const QString &fileName,
                              ChunkTransform &transform, bool sealing, ChunkPipeline::Reader read,
                              const std::function<void(const char *, qint64)> &write,
                              const std::function<void(qint64, qint64)> &report)
{
    if (!pipeline)
        pipeline = std::make_unique<ChunkPipeline>();
    // The thread lets go of the reader, its file and the transform whatever way this ends.
    struct StopOnExit
    {
        ChunkPipeline &pipeline;
        ~StopOnExit() { pipeline.stop(); }
    } stop{*pipeline};
    pipeline->start(size, format->chunkBytes(), transform, sealing, std::move(read));
    // Writing on a thread of its own: a write the system holds up (a slow disk, a full write
    // cache) then holds up that thread, never the window.
    WrittenChunks chunks;
    qint64 left = size;
    std::thread writer([&] {
        try {
            for (;;) {
                {
                    std::unique_lock guard(chunks.lock);
                    chunks.changed.wait(guard,
                                        [&] { return !chunks.unreported || chunks.abandoned; });
                    if (chunks.abandoned || left == 0 || stopRequested())
                        break;
                }
                const ChunkPipeline::Chunk chunk = pipeline->next();
                // A handler or a pump may have keyed the cipher anew since the last chunk.
                requireDone(transform.keyHeld() ? chunk.outcome : ChunkTransform::Outcome::Rekeyed,
                            BlockFile, fileName);
                write(chunk.data, chunk.size);
                std::lock_guard guard(chunks.lock);
                left -= chunk.plain;
                chunks.plain = chunk.plain;
                chunks.left = left;
                chunks.unreported = true;
                chunks.changed.notify_all();
            }
        } catch (...) {
            chunks.error = std::current_exception();
        }
        std::lock_guard guard(chunks.lock);
        chunks.finished = true;
        chunks.changed.notify_all();
    });
    struct JoinOnExit
    {
        WrittenChunks &chunks;
        std::thread &writer;
        ~JoinOnExit()
        {
            {
                std::lock_guard guard(chunks.lock);
                chunks.abandoned = true;
                chunks.changed.notify_all();
            }
            writer.join();
        }
    } join{chunks, writer};
    std::unique_lock guard(chunks.lock);
    while (!chunks.finished || chunks.unreported) {
        if (!chunks.changed.wait_for(guard, PumpInterval,
                                     [&] { return chunks.unreported || chunks.finished; })) {
            guard.unlock();
            pump();
            guard.lock();
            continue;
        }
        if (!chunks.unreported)
            continue;
        const qint64 plain = chunks.plain, leftNow = chunks.left;
        guard.unlock();
        report(plain, leftNow);
        guard.lock();
        chunks.unreported = false;
        chunks.changed.notify_all();
    }
    guard.unlock();
    if (chunks.error)
        std::rethrow_exception(chunks.error);
    return left == 0;
}

void CCipherBlock::addPiped(const PackedFile &file, ChunkTransform &transform, NativeFile &source,
                            QFileDevice &box)
{
    drainStaged(); // the pipeline's writer writes the box from here on
    const auto read = [&file, &source](char *buffer, qint64 n, bool last) {
        // Asking for one byte more with the last chunk shows a file that grew.
        const qint64 got = source.read(buffer, last ? n + 1 : n);
        if (got < 0)
            throw VaulnixError(
                QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
        if (got != n)
            throw changedWhilePacked(file);
    };
    const auto write = [&box](const char *data, qint64 n) {
        EngineHelpers::writeAll(box, data, n, box.fileName());
    };
    const auto report = [&](qint64 plain, qint64 left) {
        pump();
        reportWritten(plain, left, file);
    };
    pipeChunks(file.size, box.fileName(), file.path, transform, true, read, write, report);
}

bool CCipherBlock::decipherPiped(TargetFile &out, const QString &target,
                                 const BoxCatalogue::File &file, ChunkTransform &transform,
                                 bool wholeBox, const QString &shownName)
{
    QFile &box = *readHandle;
    const auto read = [&box, &target](char *buffer, qint64 n, bool) {
        EngineHelpers::readFromBox(box, buffer, n, target);
    };
    qint64 fileDone = 0;
    const auto write = [&out](const char *data, qint64 n) { out.write(data, n); };
    const auto report = [&](qint64 plain, qint64 left) {
        fileDone += plain;
        reportDeciphered(plain, fileDone, left, file.size, wholeBox, shownName);
    };
    if (!pipeChunks(file.size, box.fileName(), target, transform, false, read, write, report))
        return false; // a stopped file goes with out
    out.finish();
    return true;
}

std::future<void> CCipherBlock::deriveKeyAhead(BoxFormat &format, const QString &Password)
{
    return std::async(std::launch::async,
                      [&format, key = Password.toUtf8()] { format.deriveKey(key); });
}

void CCipherBlock::waitPumping(std::future<void> &ready)
{
    while (ready.wait_for(PumpInterval) != std::future_status::ready)
        pump();
    ready.get();
}
