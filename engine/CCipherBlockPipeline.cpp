// The engine's large-file paths: the pipeline reads and ciphers a file's chunks on a second
// thread while this one writes them, raises the events, pumps messages and checks for a stop and
// for a cipher keyed by someone else, chunk by chunk as the single-threaded path does.
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

bool CCipherBlock::pipeChunks(qint64 size, const QString &BlockFile, ChunkPipeline::Reader read,
                              const std::function<void(const char *, qint64, qint64)> &put)
{
    if (!pipeline)
        pipeline = std::make_unique<ChunkPipeline>();
    // The thread lets go of the reader and its file whatever way this ends.
    struct StopOnExit
    {
        ChunkPipeline &pipeline;
        ~StopOnExit() { pipeline.stop(); }
    } stop{*pipeline};
    pipeline->start(size, ChunkBytes, keyedGeneration, std::move(read));
    qint64 left = size;
    while (left > 0 && !stopRequested()) {
        const ChunkPipeline::Chunk chunk = pipeline->next();
        // A handler or a pump may have keyed the cipher; the thread has stopped ciphering then.
        requireOwnKey(BlockFile);
        if (chunk.rekeyed)
            throw VaulnixError(QStringLiteral("The cipher was re-keyed while working on the box "
                                              "%1; this step was not completed")
                                   .arg(BlockFile));
        left -= chunk.size;
        put(chunk.data, chunk.size, left);
    }
    return left == 0;
}

void CCipherBlock::addPiped(const PackedFile &file, NativeFile &source, QFileDevice &box)
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
    const auto put = [&](const char *data, qint64 n, qint64 left) {
        for (qint64 done = 0; done < n;) {
            const qint64 wrote = box.write(data + done, n - done);
            if (wrote <= 0)
                throw VaulnixError(
                    QStringLiteral("Cannot write %1: %2").arg(box.fileName(), box.errorString()));
            done += wrote;
        }
        pump();
        reportWritten(n, left, file);
    };
    pipeChunks(file.size, box.fileName(), read, put);
}

bool CCipherBlock::decipherPiped(TargetFile &out, const QString &target, qint64 size, bool wholeBox,
                                 const QString &shownName)
{
    QFile &box = *readHandle;
    const auto read = [&box, &target](char *buffer, qint64 n, bool) {
        EngineHelpers::readFromBox(box, buffer, n, target);
    };
    qint64 fileDone = 0;
    const auto put = [&](const char *data, qint64 n, qint64 left) {
        out.write(data, n);
        fileDone += n;
        reportDeciphered(n, fileDone, left, size, wholeBox, shownName);
    };
    if (!pipeChunks(size, box.fileName(), read, put))
        return false; // a stopped file goes with out
    out.finish();
    return true;
}

std::future<void> CCipherBlock::deriveKeyAhead(const QString &Password)
{
    return std::async(std::launch::async, [key = Password.toUtf8()] { CCipher::PrepareKey(key); });
}

void CCipherBlock::waitPumping(std::future<void> &ready)
{
    while (ready.wait_for(PumpInterval) != std::future_status::ready)
        pump();
    ready.get();
}

void CCipherBlock::prepareKeyPumping(const QString &Password)
{
    if (!pumpMessages)
        return; // nobody to keep responsive: derive where it is used
    auto ready = deriveKeyAhead(Password);
    waitPumping(ready);
}
