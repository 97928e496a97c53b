// The engine's large-file paths: the pipeline reads a file's chunks and passes them through the
// format's transform on a second thread while this one writes them, raises the events, pumps
// messages and checks for a stop, chunk by chunk as the single-threaded path does.
#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"
#include "engine/NativeFile.h"
#include "engine/TargetFile.h"

#include <QFile>

#include <chrono>

namespace {

// Long enough not to spin, short enough that the window never waits for it.
constexpr std::chrono::milliseconds PumpInterval{5};

} // namespace

bool CCipherBlock::pipeChunks(qint64 size, const QString &BlockFile, const QString &fileName,
                              ChunkTransform &transform, bool sealing, ChunkPipeline::Reader read,
                              const std::function<void(const char *, qint64, qint64)> &put)
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
    qint64 left = size;
    while (left > 0 && !stopRequested()) {
        const ChunkPipeline::Chunk chunk = pipeline->next();
        // A handler or a pump may have keyed the cipher anew since the last chunk.
        requireDone(transform.keyHeld() ? chunk.outcome : ChunkTransform::Outcome::Rekeyed,
                    BlockFile, fileName);
        left -= chunk.plain;
        put(chunk.data, chunk.size, left);
    }
    return left == 0;
}

void CCipherBlock::addPiped(const PackedFile &file, ChunkTransform &transform, NativeFile &source,
                            QFileDevice &box)
{
    flushStaged(box);
    const auto read = [&file, &source](char *buffer, qint64 n, bool last) {
        // Asking for one byte more with the last chunk shows a file that grew.
        const qint64 got = source.read(buffer, last ? n + 1 : n);
        if (got < 0)
            throw VaulnixError(
                QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
        if (got != n)
            throw changedWhilePacked(file);
    };
    qint64 plainLeft = file.size;
    const auto put = [&](const char *data, qint64 n, qint64 left) {
        EngineHelpers::writeAll(box, data, n, box.fileName());
        pump();
        reportWritten(plainLeft - left, left, file);
        plainLeft = left;
    };
    pipeChunks(file.size, box.fileName(), file.path, transform, true, read, put);
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
    const auto put = [&](const char *data, qint64 n, qint64 left) {
        out.write(data, n);
        fileDone += n;
        reportDeciphered(n, fileDone, left, file.size, wholeBox, shownName);
    };
    if (!pipeChunks(file.size, box.fileName(), target, transform, false, read, put))
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
