#include "engine/CCipherBlock.h"

#include "core/Global.h"
#include "core/VaulnixError.h"
#include "engine/ConvLong.h"
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

using namespace EngineHelpers;

namespace {

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

qint16 CCipherBlock::CreateBlock(const QString &BlockFile, const QString &BlockName,
                                 const QString &Password, const QString &Path, qint16 /*Shread*/)
{
    shredStarted = false;
    requirePassword(Password);
    rateBytes = 0;
    ClearOnExit clear{cipher};
    // The key is derived on another core while the folder is scanned.
    auto keyReady = deriveKeyAhead(Password);

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
    return writeBox(BlockFile, BlockName, Password, packed, true, keyReady);
}

qint16 CCipherBlock::CreateSimple(const QString &BlockFile, const QString &BlockName,
                                  const QString &Password, const QString &Files, qint16 /*Shread*/)
{
    shredStarted = false;
    requirePassword(Password);
    rateBytes = 0;
    ClearOnExit clear{cipher};
    auto keyReady = deriveKeyAhead(Password);

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
    return writeBox(BlockFile, BlockName, Password, packed, false, keyReady);
}

void CCipherBlock::checkLimits(const QString &BlockName,
                               const std::vector<PackedFile> &packed) const
{
    if (BlockName.toUtf8().size() > MaxNameBytes)
        throw VaulnixError(QStringLiteral("The box name \"%1\" is longer than %2 bytes")
                               .arg(BlockName)
                               .arg(MaxNameBytes));
    if (dirCount > MaxFolderIndex)
        throw VaulnixError(QStringLiteral("%1 holds files in %2 folders; a box holds at most %3")
                               .arg(rootPath)
                               .arg(dirCount)
                               .arg(MaxFolderIndex));
    if (dirChars + dirCount > BoxHeader::MaxBytes)
        throw VaulnixError(
            QStringLiteral("The folder names of %1 are too long for one box").arg(rootPath));
    qint64 total = 0;
    qint64 table = 0;
    for (const PackedFile &file : packed) {
        if (file.size > BoxHeader::MaxBytes)
            throw VaulnixError(
                QStringLiteral("%1 is 2 GiB or larger, more than a box can hold").arg(file.path));
        total += file.size;
        table += 6 + fileNameOf(file.path).toUtf8().size() + 4;
    }
    if (total > BoxHeader::MaxBytes)
        throw VaulnixError(
            QStringLiteral("The files add up to 2 GiB or more, more than one box can hold"));
    if (table > BoxHeader::MaxBytes)
        throw VaulnixError(QStringLiteral("Too many files for one box"));
}

qint16 CCipherBlock::writeBox(const QString &BlockFile, const QString &BlockName,
                              const QString &Password, std::vector<PackedFile> &packed,
                              bool folderBox, std::future<void> &keyReady)
{
    checkLimits(BlockName, packed);
    // Small files are read ahead by two threads, taking turns, so the system's per-file work
    // runs on both cores; they start while the key is still being derived.
    std::vector<std::pair<QString, qint64>> small[2];
    std::size_t smallCount = 0;
    for (const PackedFile &file : packed) {
        if (file.size <= SmallFileBytes)
            small[smallCount++ % 2].emplace_back(file.path, file.size);
    }
    FilePrefetcher even(std::move(small[0]));
    FilePrefetcher odd(std::move(small[1]));
    waitPumping(keyReady);
    const QByteArray key = Password.toUtf8();
    keyCipher(key);
    if (stopRequested())
        return WriteStopped;
    emit CreatingBlock();
    const qint64 d = folderBox ? std::max<qint64>(dirChars + dirCount, 0) : 0;

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

    // The header is built in memory and written at once, its table length already in place.
    requireOwnKey(BlockFile);
    const QByteArray name = BlockName.toUtf8();
    QByteArray header = cipher.Cipher(QByteArray(1, BoxHeader::Marker));
    header += char(quint8(name.size()));
    header += cipher.Cipher(name);
    header += ConvLong::LongToStr(qint32(d));
    if (folderBox) {
        for (qsizetype i = 0; i < directories.size(); ++i) {
            header += cipher.Cipher(directories.at(i).toUtf8() + '\0');
            if ((i + 1) % 10 == 0) {
                pump();
                requireOwnKey(BlockFile);
            }
            if (stopRequested())
                return WriteStopped;
        }
    }

    // The stream runs on from record to record, so the table is enciphered in one piece.
    totalBytes = 0;
    bytesDone = 0;
    QByteArray table;
    const qint32 count = qint32(packed.size());
    for (qint32 i = 0; i < count; ++i) {
        const PackedFile &file = packed[size_t(i)];
        table += ConvLong::IntToStr(file.folderIndex);
        table += ConvLong::LongToStr(qint32(file.size));
        table += QStringView(file.path).mid(file.path.lastIndexOf(QLatin1Char('/')) + 1).toUtf8();
        if (i + 1 < count)
            table += BoxHeader::Separator;
        totalBytes += file.size;
        if (stopRequested())
            return WriteStopped;
        emit BuildingHeader(i + 1, count);
        if ((i + 1) % 10 == 0)
            pump();
    }
    header += ConvLong::LongToStr(qint32(table.size()));
    requireOwnKey(BlockFile);
    cipher.Cipher(table.constData(), table.size(), table.data());
    writeAll(box, header, BlockFile);
    writeAll(box, table, BlockFile);
    table = QByteArray();

    emit CreatingFileBlock();
    staged.clear();
    rateTick.StartTick();
    smallCount = 0;
    for (const PackedFile &file : packed) {
        if (stopRequested())
            return WriteStopped;
        keyCipher(key);
        if (file.size <= SmallFileBytes)
            addPrefetched(file, (smallCount++ % 2 == 0 ? even : odd).take(), box);
        else
            AddFileBlock(file, box);
    }
    if (stopRequested())
        return WriteStopped;

    flushStaged(box);
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
    if (stopRequested() || !verifyBox(BlockFile, Password, packed) || stopRequested())
        return WrittenNotShredded;
    // Once begun, the shredding is finished: a stop halfway would leave the folder in pieces.
    shredStarted = true;
    QStringList paths;
    paths.reserve(qsizetype(packed.size()));
    for (const PackedFile &file : packed)
        paths.append(file.path);
    shredFiles(paths);
    if (folderBox)
        removePackedFolders();
    return Written;
}

void CCipherBlock::encipherInto(QFileDevice &box, char *data, qint64 n)
{
    // Small pieces are enciphered straight into a batch written at once; whole chunks go out
    // as they are.
    constexpr qsizetype batch = 1048576;
    requireOwnKey(box.fileName());
    if (n > SmallFileBytes) {
        flushStaged(box);
        cipher.Cipher(data, n, data);
        writeAll(box, data, n, box.fileName());
        return;
    }
    const qsizetype end = staged.size();
    staged.resize(end + n);
    cipher.Cipher(data, n, staged.data() + end);
    if (staged.size() >= batch)
        flushStaged(box);
}

void CCipherBlock::reportWritten(qint64 n, qint64 left, const PackedFile &file)
{
    bytesDone += n;
    rateBytes += n;
    const qint32 currentRate = rate(rateTick.GetRealElapsedTicks());
    rateTick.StopTick();
    emit CipherProgress(currentRate, qint32(bytesDone), qint32(totalBytes), qint32(left),
                        qint32(file.size), file.path);
    rateTick.StartTick();
    rateBytes = 0;
}

void CCipherBlock::addPrefetched(const PackedFile &file, FilePrefetcher::Item item,
                                 QFileDevice &box)
{
    if (!item.error.isEmpty())
        throw VaulnixError(QStringLiteral("Cannot read %1: %2").arg(file.path, item.error));
    if (item.data.size() != file.size)
        throw changedWhilePacked(file);
    if (file.size == 0)
        return;
    encipherInto(box, item.data.data(), file.size);
    pump();
    reportWritten(file.size, 0, file);
}

VaulnixError CCipherBlock::changedWhilePacked(const PackedFile &file)
{
    return VaulnixError(
        QStringLiteral("%1 changed while it was packed; the box was not written").arg(file.path));
}

void CCipherBlock::flushStaged(QFileDevice &box)
{
    if (staged.isEmpty())
        return;
    writeAll(box, staged, box.fileName());
    staged.clear();
}

void CCipherBlock::AddFileBlock(const PackedFile &file, QFileDevice &box)
{
    NativeFile source;
    if (!source.open(file.path, NativeFile::Mode::Read))
        throw VaulnixError(
            QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
    if (file.size > ChunkBytes)
        return addPiped(file, source, box);
    chunk.resize(ChunkBytes + 1);
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
        encipherInto(box, chunk.data(), n);
        pump();
        reportWritten(n, left, file);
    }
}

bool CCipherBlock::verifyBox(const QString &BlockFile, const QString &Password,
                             const std::vector<PackedFile> &packed)
{
    const QString failed =
        QStringLiteral("The box %1 does not read back equal to its sources; nothing was shredded")
            .arg(BlockFile);
    QFile box(BlockFile);
    if (!box.open(QIODevice::ReadOnly))
        throw VaulnixError(
            failed + QStringLiteral(" (cannot read %1: %2)").arg(BlockFile, box.errorString()));
    const QByteArray key = Password.toUtf8();
    keyCipher(key);
    const auto header = readHeader(box);
    if (!header || header->records.size() != qsizetype(packed.size()))
        throw VaulnixError(failed);
    QByteArray stored(ChunkBytes, Qt::Uninitialized);
    QByteArray original(ChunkBytes, Qt::Uninitialized);
    for (size_t i = 0; i < packed.size(); ++i) {
        const BoxHeader::Record record = BoxHeader::decode(header->records.at(qsizetype(i)));
        if (record.size != packed[i].size || record.name != fileNameOf(packed[i].path).toUtf8())
            throw VaulnixError(failed);
        QFile source(packed[i].path);
        if (!source.open(QIODevice::ReadOnly))
            throw VaulnixError(failed + QStringLiteral(" (cannot read %1: %2)")
                                            .arg(source.fileName(), source.errorString()));
        keyCipher(key);
        for (qint64 left = record.size; left > 0;) {
            const qint64 n = std::min(left, ChunkBytes);
            readExactly(box, stored.data(), n, failed);
            readExactly(source, original.data(), n, failed);
            requireOwnKey(BlockFile);
            cipher.Cipher(stored.constData(), n, stored.data());
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
