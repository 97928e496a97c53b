#include "engine/CCipherBlock.h"

#include "core/Global.h"
#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"
#include "engine/FileSystem.h"
#include "engine/FileWriter.h"
#include "engine/TargetFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace EngineHelpers;

namespace {

QString entryToPath(const QString &entry)
{
    QString path = entry;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

// Makes the folders of relative ("/"-separated) below root, an existing folder ending in "/".
// Extraction never writes outside root, so an existing link, or anything that is not a folder,
// on the way is refused; checked remembers the folders already seen.
void makeFoldersBelow(const QString &root, const QString &relative, QSet<QString> &checked)
{
    QString folder = root;
    for (const QString &part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder += part;
        if (!checked.contains(folder)) {
            const QFileInfo info(folder);
            if (info.isSymLink() || info.isJunction())
                throw VaulnixError(QStringLiteral("%1 is a link; extraction does not write "
                                                  "through it")
                                       .arg(folder));
            if (info.exists() && !info.isDir())
                throw VaulnixError(
                    QStringLiteral("%1 is in the way of a folder of the box").arg(folder));
            QString failure;
            if (!info.exists() && !makeFolder(folder, failure))
                throw VaulnixError(
                    QStringLiteral("Cannot create the folder %1: %2").arg(folder, failure));
            checked.insert(folder);
        }
        folder += QLatin1Char('/');
    }
}

} // namespace

QString CCipherBlock::extractTarget(const BoxCatalogue::File &file) const
{
    return rootPath + entryToPath(catalogue.folderOf(file)) + file.name;
}

void CCipherBlock::refuseOverwritingBox(const QString &BlockFile, const QString &target,
                                        qint64 position)
{
    // Extracting a file over the box being read would replace the box, and shredding the box
    // afterwards would destroy the file just extracted.
    if (fileNameOf(target).compare(fileNameOf(BlockFile), Qt::CaseInsensitive) != 0)
        return;
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() &&
        targetInfo.canonicalFilePath() == QFileInfo(BlockFile).canonicalFilePath())
        throw VaulnixError(QStringLiteral("File %1 of the box %2 would overwrite the box itself; "
                                          "extract into another folder")
                               .arg(position)
                               .arg(BlockFile));
}

void CCipherBlock::requireBox(const QString &BlockFile)
{
    // A missing box is an error of its own, not a wrong password.
    if (!QFileInfo(BlockFile).isFile())
        throw VaulnixError(QStringLiteral("The box %1 was not found").arg(BlockFile));
}

CCipherBlock::ExtractResult CCipherBlock::ExtractBlock(const QString &BlockFile,
                                                       const QString &Path, const QString &Password)
{
    shredStarted = false;
    requirePassword(Password);
    requireBox(BlockFile);
    ClearOnExit clear{cipher};
    struct CloseOnExit
    {
        std::unique_ptr<QFile> &handle;
        ~CloseOnExit() { handle.reset(); }
    } close{readHandle};
    const ReadResult read = openBox(BlockFile, Password);
    rootPath = withSlash(Path);
    if (read == BadHeader)
        return ExtractBadHeader;
    {
        const QString boxName = fileNameOf(QDir::fromNativeSeparators(BlockFile));
        for (qsizetype i = 0; i < catalogue.files.size(); ++i) {
            const BoxCatalogue::File &file = catalogue.files.at(i);
            if (file.name.compare(boxName, Qt::CaseInsensitive) == 0)
                refuseOverwritingBox(BlockFile, extractTarget(file), i + 1);
        }
        // Each folder's path is made once, not once per file.
        QStringList folders(directories.size());
        CreateAllFolders(rootPath);
        QSet<QString> checked;
        for (qsizetype k = 1; k < directories.size(); ++k) {
            folders[k] = rootPath + entryToPath(directories.at(k));
            makeFoldersBelow(rootPath, entryToPath(directories.at(k)), checked);
        }
        rateBytes = 0;
        bytesDone = 0;
        rateTick.StartTick();
        // Two writers share the per-file work of the system; a target always goes to the same
        // one, so files of one name keep the box's order.
        FileWriter writers[2]{FileWriter(pumpWhileWaiting()), FileWriter(pumpWhileWaiting())};
        for (qint32 i = 0; i < catalogue.files.size(); ++i) {
            if (stopRequested())
                return ExtractStopped;
            const BoxCatalogue::File &file = catalogue.files.at(i);
            ChunkTransform &transform = format->file(i, false);
            const QString folder =
                file.folderIndex >= 2 ? folders.at(file.folderIndex - 1) : rootPath;
            const QString target = folder + file.name;
            if (file.size <= std::min(SmallFileBytes, format->chunkBytes())) {
                extractSmall(target, file, transform, writers[qHash(target) % 2]);
            } else {
                for (FileWriter &writer : writers)
                    writer.finish();
                if (!decipherTo(target, file, transform, true, target))
                    return ExtractStopped;
            }
        }
        for (FileWriter &writer : writers)
            writer.finish();
        rateTick.StopTick();
        if (Global::DialogShred != 1)
            return Extracted;
        // The files are complete: only the shredding of the box is still to come, and it comes
        // only once they are on disk.
        if (stopRequested())
            return ExtractedNotShredded;
        QString failure;
        if (!syncFileSystems(QStringList{rootPath} + folders.mid(1), failure))
            throw VaulnixError(QStringLiteral("The files extracted from %1 could not be saved to "
                                              "disk: %2; the box was not shredded")
                                   .arg(BlockFile, failure));
    }
    readHandle.reset();
    if (stopRequested())
        return ExtractedNotShredded;
    // Once begun, the shredding is finished: half a box helps nobody.
    shredStarted = true;
    shredOne(BlockFile, 1, 1);
    return Extracted;
}

void CCipherBlock::extractSmall(const QString &target, const BoxCatalogue::File &file,
                                ChunkTransform &transform, FileWriter &writer)
{
    // An empty file has no chunk at all.
    QByteArray data(file.size > 0 ? transform.storedBytes(file.size) : 0, Qt::Uninitialized);
    if (file.size > 0) {
        readFromBox(*readHandle, data.data(), data.size(), target);
        requireDone(transform.apply(0, data.constData(), file.size, data.data(), true),
                    readHandle->fileName(), target);
        data.truncate(file.size);
    }
    writer.add(target, data);
    if (file.size > 0)
        reportDeciphered(file.size, file.size, 0, file.size, true, target);
}

void CCipherBlock::reportDeciphered(qint64 n, qint64 fileDone, qint64 left, qint64 size,
                                    bool wholeBox, const QString &shownName)
{
    bytesDone += n;
    rateBytes += n;
    rateTick.StopTick();
    const qint32 currentRate = rate(rateTick.GetRealElapsedTicks());
    rateTick.StartTick();
    rateBytes = 0;
    if (wholeBox)
        emit CipherProgress(currentRate, bytesDone, totalBytes, left, size, shownName);
    else
        emit CipherProgress(currentRate, fileDone, size, left, size, shownName);
}

bool CCipherBlock::decipherTo(const QString &target, const BoxCatalogue::File &file,
                              ChunkTransform &transform, bool wholeBox, const QString &shownName)
{
    if (!readHandle)
        throw VaulnixError(QStringLiteral("No box is open"));
    TargetFile out(target);
    if (file.size > format->chunkBytes())
        return decipherPiped(out, target, file, transform, wholeBox, shownName);
    chunk.resize(transform.storedBytes(format->chunkBytes()));
    if (file.size > 0 && !stopRequested()) {
        const qint64 n = file.size;
        readFromBox(*readHandle, chunk.data(), transform.storedBytes(n), target);
        requireDone(transform.apply(0, chunk.constData(), n, chunk.data(), true),
                    readHandle->fileName(), target);
        out.write(chunk.constData(), n);
        reportDeciphered(n, n, 0, n, wholeBox, shownName);
    } else if (file.size > 0) {
        return false; // a stopped file goes with out
    }
    out.finish();
    return true;
}

CCipherBlock::ReadResult CCipherBlock::DynamicExtractBlock(const QString &BlockFile,
                                                           const QString &Path,
                                                           const QString &Password)
{
    requirePassword(Password);
    requireBox(BlockFile);
    const ReadResult result = openBox(BlockFile, Password);
    rootPath = withSlash(Path);
    if (result == BadHeader) {
        readHandle.reset();
        return BadHeader;
    }
    try {
        CreateAllFolders(rootPath);
    } catch (...) {
        readHandle.reset();
        throw;
    }
    rateBytes = 0;
    bytesDone = 0;
    rateTick.StartTick();
    return Read;
}

void CCipherBlock::DynamicExtractToFile(qint32 Index, const QString &Path)
{
    lastFileComplete = false;
    if (stopRequested())
        return;
    if (!readHandle)
        throw VaulnixError(QStringLiteral("No box is open"));
    if (Index < 1 || Index > catalogue.files.size())
        throw VaulnixError(QStringLiteral("There is no file number %1 in the box %2")
                               .arg(Index)
                               .arg(readHandle->fileName()));
    const BoxCatalogue::File &file = catalogue.files.at(Index - 1);
    const QString base = withSlash(Path);
    QString dest = base;
    if (file.folderIndex >= 2)
        dest = withSlash(dest + entryToPath(catalogue.folderOf(file)));
    refuseOverwritingBox(readHandle->fileName(), dest + file.name, Index);
    CreateAllFolders(base);
    QSet<QString> checked;
    makeFoldersBelow(base, dest.mid(base.size()), checked);
    requirePassword(Global::CurrentUserPassword);
    ClearOnExit clear{cipher};
    if (!readHandle->seek(file.offset))
        throw VaulnixError(QStringLiteral("Cannot read the box %1: %2")
                               .arg(readHandle->fileName(), readHandle->errorString()));
    ChunkTransform &transform = format->file(Index - 1, false);
    lastFileComplete = decipherTo(dest + file.name, file, transform, false, file.name);
}

void CCipherBlock::DynamicClose()
{
    readHandle.reset();
}

void CCipherBlock::Cleanup()
{
    directories.clear();
    directoryIndex.clear();
    directoryFolders.clear();
}
