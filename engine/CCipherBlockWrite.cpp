#include "engine/CCipherBlock.h"

#include "core/Global.h"
#include "core/VaulnixError.h"
#include "engine/BoxWriteQueue.h"
#include "engine/EngineHelpers.h"
#include "engine/FileSystem.h"
#include "engine/NativeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <future>
#include <utility>

using namespace EngineHelpers;

namespace {

// Enciphered files are gathered up to this and written at once.
constexpr qsizetype StagedBatchBytes = 1048576;

void readExactly(QFileDevice &file, char *buffer, qint64 n, const QString &whatFails)
{
    qint64 done = 0;
    while (done < n) {
        const qint64 got = file.read(buffer + done, n - done);
        if (got < 0)
            throw VaulnixError(
                whatFails +
                QStringLiteral(" (cannot read %1: %2)").arg(file.fileName(), file.errorString()));
        if (got == 0)
            throw VaulnixError(whatFails);
        done += got;
    }
}

} // namespace

CCipherBlock::WriteResult CCipherBlock::CreateBlock(const QString &BlockFile,
                                                    const QString &BlockName,
                                                    const QString &Password, const QString &Path,
                                                    qint16 /*Shread*/)
{
    ClearOnExit clear{cipher};
    auto keyReady = startWriting(Password);

    QString folder =
        QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(Path)).absoluteFilePath());
    if (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    if (!QFileInfo(folder).isDir())
        throw VaulnixError(QStringLiteral("The folder %1 was not found").arg(folder));
    const QString rootName = fileNameOf(folder);
    if (rootName.contains(QLatin1Char('\\')))
        throw VaulnixError(
            QStringLiteral("The name of the folder %1 holds \"\\\", which a box cannot store")
                .arg(folder));
    rootPath = withSlash(folder);

    directories = {rootName};
    directoryIndex = {{rootName, 1}};
    directoryFolders = {QStringList{rootPath}};
    dirChars = rootName.toUtf8().size();
    dirCount = 1;
    scanned.clear();
    excludedPath = QFileInfo(BlockFile).absoluteFilePath();

    fileList = GetAllFiles(rootPath, QStringLiteral("*.*"), true);
    excludedPath.clear();
    if (!stopRequested()) {
        refuseCaseClashes();
        refuseFileFolderClashes();
    }
    std::vector<PackedFile> packed = std::move(scanned);
    scanned.clear();
    BoxCatalogue plan = plannedBox(BlockName, packed, true);
    return writeBox(BlockFile, plan, packed, keyReady);
}

CCipherBlock::WriteResult CCipherBlock::CreateSimple(const QString &BlockFile,
                                                     const QString &BlockName,
                                                     const QString &Password, const QString &Files,
                                                     qint16 /*Shread*/)
{
    ClearOnExit clear{cipher};
    auto keyReady = startWriting(Password);

    rootPath.clear();
    dirCount = 0;
    dirChars = 0;
    directories.clear();
    directoryIndex.clear();
    directoryFolders.clear();
    fileList = Files.split(QLatin1Char(';'), Qt::SkipEmptyParts);

    const QFileInfo box(BlockFile);
    std::vector<PackedFile> packed;
    packed.reserve(fileList.size());
    QHash<QString, QString> names;
    for (const QString &path : std::as_const(fileList)) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            throw VaulnixError(QStringLiteral("The file %1 was not found").arg(path));
        if (info.isSymLink() || !info.isFile())
            throw VaulnixError(
                QStringLiteral("%1 is not a regular file; only regular files can be packed")
                    .arg(path));
        if (info == box)
            throw VaulnixError(QStringLiteral("%1 is the box being written").arg(path));
        const QString name = info.fileName();
        if (name.contains(QLatin1Char('\\')))
            throw VaulnixError(
                QStringLiteral("The name of %1 holds \"\\\", which a box cannot store").arg(path));
        const QString other = names.value(name);
        if (!other.isEmpty())
            throw VaulnixError(QStringLiteral("%1 and %2 have the same name and would overwrite "
                                              "each other when the box is extracted")
                                   .arg(other, path));
        names.insert(name, path);
        packed.push_back({path, info.size(), 0});
    }
    BoxCatalogue plan = plannedBox(BlockName, packed, false);
    return writeBox(BlockFile, plan, packed, keyReady);
}

std::future<void> CCipherBlock::startWriting(const QString &Password)
{
    shredStarted = false;
    requirePassword(Password);
    rateBytes = 0;
    format = BoxFormat::forWriting(writeFormat);
    // The key is derived on another core while the sources are scanned.
    return deriveKeyAhead(*format, Password);
}

BoxCatalogue CCipherBlock::plannedBox(const QString &BlockName,
                                      const std::vector<PackedFile> &packed, bool folderBox) const
{
    BoxCatalogue plan;
    plan.format = writeFormat;
    plan.name = BlockName;
    if (folderBox) {
        plan.rootName = directories.constFirst();
        plan.directories = directories;
        plan.source = rootPath;
    }
    plan.files.reserve(qsizetype(packed.size()));
    for (const PackedFile &file : packed) {
        plan.files.append({file.folderIndex, file.size, fileNameOf(file.path), 0, file.path});
        plan.totalBytes += file.size;
    }
    return plan;
}

CCipherBlock::WriteResult CCipherBlock::writeBox(const QString &BlockFile, BoxCatalogue &plan,
                                                 const std::vector<PackedFile> &packed,
                                                 std::future<void> &keyReady)
{
    format->checkLimits(plan);
    // Small files are read ahead by two threads, taking turns, so the system's per-file work
    // runs on both cores; they start while the key is still being derived.
    std::vector<std::pair<QString, qint64>> small[2];
    std::size_t smallCount = 0;
    for (const PackedFile &file : packed) {
        if (file.size <= SmallFileBytes)
            small[smallCount++ % 2].emplace_back(file.path, file.size);
    }
    FilePrefetcher even(std::move(small[0]), pumpWhileWaiting());
    FilePrefetcher odd(std::move(small[1]), pumpWhileWaiting());
    waitPumping(keyReady);
    if (stopRequested())
        return WriteStopped;
    emit CreatingBlock();

    CreateAllFolders(BlockFile);
    // Written beside the target and renamed over it only when complete; a stop or an error
    // leaves an existing box as it was. Unbuffered, so every failed write is seen at once.
    QSaveFile box(BlockFile);
    box.setDirectWriteFallback(false);
    if (!openPrivate(box, QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw VaulnixError(
            QStringLiteral("Cannot create the box %1: %2").arg(BlockFile, box.errorString()));
    // A new box is its owner's alone; a box written over keeps the mode its owner gave it.
    if (!keepModeOf(BlockFile, box))
        throw VaulnixError(QStringLiteral("Cannot set the access rights of the box %1: %2")
                               .arg(BlockFile, QString::fromLocal8Bit(std::strerror(errno))));

    totalBytes = plan.totalBytes;
    bytesDone = 0;
    const qint32 count = qint32(plan.files.size());
    for (qint32 i = 0; i < count; ++i) {
        if (stopRequested())
            return WriteStopped;
        emit BuildingHeader(i + 1, count);
        if ((i + 1) % 10 == 0)
            pump();
    }
    BoxWriteQueue writes(box, pumpWhileWaiting());
    struct ForgetOnExit
    {
        BoxWriteQueue *&queue;
        ~ForgetOnExit() { queue = nullptr; }
    } forget{boxWrites = &writes};
    writes.add(format->header(plan));
    catalogue = plan;

    emit CreatingFileBlock();
    staged.clear();
    rateTick.StartTick();
    smallCount = 0;
    for (qint32 i = 0; i < count; ++i) {
        if (stopRequested())
            return WriteStopped;
        const PackedFile &file = packed[size_t(i)];
        ChunkTransform &transform = format->file(i, true);
        if (file.size <= SmallFileBytes)
            addPrefetched(file, (smallCount++ % 2 == 0 ? even : odd).take(), transform, box);
        else
            AddFileBlock(file, transform, box);
    }
    if (stopRequested())
        return WriteStopped;

    drainStaged();
    QString failure;
    if (!syncToDisk(box, &failure))
        throw VaulnixError(QStringLiteral("Cannot save the box %1: %2").arg(BlockFile, failure));
    // The last moment a stop leaves everything as it was; from the rename on the box is there.
    if (stopRequested())
        return WriteStopped;
    if (!box.commit())
        throw VaulnixError(
            QStringLiteral("Cannot save the box %1: %2").arg(BlockFile, box.errorString()));
    // The rename is on disk only once the folder's entries are.
    if (!syncFolder(QFileInfo(BlockFile).absolutePath(), failure))
        throw VaulnixError(QStringLiteral("The box %1 was written, but its folder could not be "
                                          "saved to disk: %2; nothing was shredded")
                               .arg(BlockFile, failure));
    rateTick.StopTick();
    if (Global::DialogShred != 1)
        return Written;
    if (stopRequested() || !verifyBox(BlockFile, packed) || stopRequested())
        return WrittenNotShredded;
    // Once begun, the shredding is finished: a stop halfway would leave the folder in pieces.
    shredStarted = true;
    QStringList paths;
    paths.reserve(qsizetype(packed.size()));
    for (const PackedFile &file : packed)
        paths.append(file.path);
    shredFiles(paths);
    if (plan.source.size() > 0)
        removePackedFolders();
    return Written;
}

void CCipherBlock::encipherInto(QFileDevice &box, ChunkTransform &transform, qint64 index,
                                char *data, qint64 n, bool last)
{
    // Pieces are enciphered straight into a batch written at once.
    const qsizetype end = staged.size();
    staged.resize(end + transform.storedBytes(n));
    requireDone(transform.apply(index, data, n, staged.data() + end, last), box.fileName(),
                QString());
    if (staged.size() >= StagedBatchBytes)
        flushStaged();
}

void CCipherBlock::reportWritten(qint64 n, qint64 left, const PackedFile &file)
{
    bytesDone += n;
    rateBytes += n;
    const qint32 currentRate = rate(rateTick.GetRealElapsedTicks());
    rateTick.StopTick();
    emit CipherProgress(currentRate, bytesDone, totalBytes, left, file.size, file.path);
    rateTick.StartTick();
    rateBytes = 0;
}

void CCipherBlock::addPrefetched(const PackedFile &file, FilePrefetcher::Item item,
                                 ChunkTransform &transform, QFileDevice &box)
{
    if (!item.error.isEmpty())
        throw VaulnixError(QStringLiteral("Cannot read %1: %2").arg(file.path, item.error));
    if (item.data.size() != file.size)
        throw changedWhilePacked(file);
    if (file.size == 0)
        return;
    encipherInto(box, transform, 0, item.data.data(), file.size, true);
    pump();
    reportWritten(file.size, 0, file);
}

VaulnixError CCipherBlock::changedWhilePacked(const PackedFile &file)
{
    return VaulnixError(
        QStringLiteral("%1 changed while it was packed; the box was not written").arg(file.path));
}

void CCipherBlock::flushStaged()
{
    if (staged.isEmpty())
        return;
    boxWrites->add(std::exchange(staged, QByteArray()));
    // A batch ends with the piece that takes it past its size: at most a chunk more.
    staged.reserve(StagedBatchBytes + ChunkBytes + format->chunkOverhead());
}

void CCipherBlock::drainStaged()
{
    flushStaged();
    boxWrites->finish();
}

void CCipherBlock::AddFileBlock(const PackedFile &file, ChunkTransform &transform, QFileDevice &box)
{
    NativeFile source;
    if (!source.open(file.path, NativeFile::Mode::Read))
        throw VaulnixError(
            QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
    if (file.size > ChunkBytes)
        return addPiped(file, transform, source, box);
    // Room for a byte more (growth shows) and for what the transform adds.
    chunk.resize(transform.storedBytes(ChunkBytes) + 1);
    qint64 left = file.size;
    if (left == 0 && source.read(chunk.data(), 1) != 0)
        throw changedWhilePacked(file);
    while (left > 0 && !stopRequested()) {
        const qint64 n = std::min(left, ChunkBytes);
        // Asking for one byte more with the last chunk shows a file that grew, without a read
        // of its own.
        const qint64 got = source.read(chunk.data(), n == left ? n + 1 : n);
        if (got < 0)
            throw VaulnixError(
                QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
        if (got != n)
            throw changedWhilePacked(file);
        left -= n;
        encipherInto(box, transform, 0, chunk.data(), n, true);
        pump();
        reportWritten(n, left, file);
    }
}

bool CCipherBlock::verifyBox(const QString &BlockFile, const std::vector<PackedFile> &packed)
{
    const QString failed =
        QStringLiteral("The box %1 does not read back equal to its sources; nothing was shredded")
            .arg(BlockFile);
    QFile box(BlockFile);
    if (!box.open(QIODevice::ReadOnly))
        throw VaulnixError(
            failed + QStringLiteral(" (cannot read %1: %2)").arg(BlockFile, box.errorString()));
    // The writer's own format reads it back: its key is already there.
    const std::optional<BoxCatalogue> back = format->readCatalogue(box, box.size());
    if (!back || back->files.size() != qsizetype(packed.size()))
        throw VaulnixError(failed);
    const qint64 chunkBytes = format->chunkBytes();
    QByteArray stored(chunkBytes + format->chunkOverhead(), Qt::Uninitialized);
    QByteArray original(chunkBytes, Qt::Uninitialized);
    for (size_t i = 0; i < packed.size(); ++i) {
        const BoxCatalogue::File &file = back->files.at(qsizetype(i));
        if (file.size != packed[i].size || file.name != fileNameOf(packed[i].path) ||
            !box.seek(file.offset))
            throw VaulnixError(failed);
        QFile source(packed[i].path);
        if (!source.open(QIODevice::ReadOnly))
            throw VaulnixError(failed + QStringLiteral(" (cannot read %1: %2)")
                                            .arg(source.fileName(), source.errorString()));
        ChunkTransform &transform = format->file(qint32(i), false);
        qint64 index = 0;
        for (qint64 left = file.size; left > 0; ++index) {
            const qint64 n = std::min(left, chunkBytes);
            readExactly(box, stored.data(), transform.storedBytes(n), failed);
            readExactly(source, original.data(), n, failed);
            const ChunkTransform::Outcome outcome =
                transform.apply(index, stored.constData(), n, stored.data(), n == left);
            if (outcome == ChunkTransform::Outcome::NotAuthentic)
                throw VaulnixError(failed);
            requireDone(outcome, BlockFile, QString());
            if (std::memcmp(stored.constData(), original.constData(), size_t(n)) != 0)
                throw VaulnixError(failed);
            left -= n;
            pump();
            if (stopRequested())
                return false;
        }
    }
    return true;
}
