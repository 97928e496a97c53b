#include "engine/CCipherBlock.h"

#include "core/Global.h"
#include "core/Prompt.h"
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

QString CCipherBlock::extractTarget(const BoxHeader::Record &record) const
{
    const QString name = QString::fromUtf8(record.name);
    if (record.folderIndex >= 2)
        return rootPath + entryToPath(directories.at(record.folderIndex - 1)) + name;
    return rootPath + name;
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

qint16 CCipherBlock::ExtractBlock(const QString &BlockFile, const QString &Path,
                                  const QString &Password)
{
    shredStarted = false;
    requirePassword(Password);
    requireBox(BlockFile);
    prepareKeyPumping(Password);
    cipher.Initilize(Password, 0);
    qint16 result = ProcessBlock(BlockFile);
    rootPath = withSlash(Path);
    if (result == BadHeader) {
        Prompt::inform(HeaderMessage);
        readHandle.reset();
        return BadHeader;
    }
    {
        ClearOnExit clear{cipher};
        struct CloseOnExit
        {
            std::unique_ptr<QFile> &handle;
            ~CloseOnExit() { handle.reset(); }
        } close{readHandle};

        const QString boxName = fileNameOf(QDir::fromNativeSeparators(BlockFile));
        for (qsizetype i = 0; i < files.size(); ++i) {
            const BoxHeader::Record record = BoxHeader::decode(files.at(i));
            if (QString::fromUtf8(record.name).compare(boxName, Qt::CaseInsensitive) == 0)
                refuseOverwritingBox(BlockFile, extractTarget(record), i + 1);
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
        const QByteArray key = Password.toUtf8();
        // Two writers share the per-file work of the system; a target always goes to the same
        // one, so files of one name keep the box's order.
        FileWriter writers[2];
        for (const QByteArray &raw : std::as_const(files)) {
            if (stopRequested())
                return ExtractStopped;
            const BoxHeader::Record record = BoxHeader::decode(raw);
            keyCipher(key);
            const QString folder =
                record.folderIndex >= 2 ? folders.at(record.folderIndex - 1) : rootPath;
            const QString target = folder + QString::fromUtf8(record.name);
            if (record.size <= SmallFileBytes) {
                extractSmall(target, record.size, writers[qHash(target) % 2]);
            } else {
                for (FileWriter &writer : writers)
                    writer.finish();
                if (!decipherTo(target, record.size, true, target))
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
    if (stopRequested())
        return ExtractedNotShredded;
    // Once begun, the shredding is finished: half a box helps nobody.
    shredStarted = true;
    shredOne(BlockFile, 1, 1);
    return Extracted;
}

void CCipherBlock::extractSmall(const QString &target, qint64 size, FileWriter &writer)
{
    QByteArray data(size, Qt::Uninitialized);
    readFromBox(*readHandle, data.data(), size, target);
    requireOwnKey(readHandle->fileName());
    cipher.Cipher(data.constData(), size, data.data());
    writer.add(target, data);
    if (size > 0)
        reportDeciphered(size, size, 0, size, true, target);
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
        emit CipherProgress(currentRate, qint32(bytesDone), qint32(totalBytes), qint32(left),
                            qint32(size), shownName);
    else
        emit CipherProgress(currentRate, qint32(fileDone), qint32(size), qint32(left), qint32(size),
                            shownName);
}

void CCipherBlock::ExtractToFile(const QString &FilePath, qint32 FileSize)
{
    decipherTo(FilePath, FileSize, true, FilePath);
}

bool CCipherBlock::decipherTo(const QString &target, qint64 size, bool wholeBox,
                              const QString &shownName)
{
    if (!readHandle)
        throw VaulnixError(QStringLiteral("No box is open"));
    TargetFile out(target);
    if (size > ChunkBytes)
        return decipherPiped(out, target, size, wholeBox, shownName);
    chunk.resize(ChunkBytes);
    qint64 left = size;
    qint64 fileDone = 0;
    while (left > 0 && !stopRequested()) {
        const qint64 n = std::min(left, ChunkBytes);
        readFromBox(*readHandle, chunk.data(), n, target);
        left -= n;
        requireOwnKey(readHandle->fileName());
        cipher.Cipher(chunk.constData(), n, chunk.data());
        out.write(chunk.constData(), n);
        fileDone += n;
        reportDeciphered(n, fileDone, left, size, wholeBox, shownName);
    }
    if (left != 0)
        return false; // a stopped file goes with out
    out.finish();
    return true;
}

qint16 CCipherBlock::DynamicExtractBlock(const QString &BlockFile, const QString &Path,
                                         const QString &Password)
{
    requirePassword(Password);
    requireBox(BlockFile);
    prepareKeyPumping(Password);
    cipher.Initilize(Password, 0);
    const qint16 result = ProcessBlock(BlockFile);
    rootPath = withSlash(Path);
    if (result == BadHeader) {
        Prompt::inform(HeaderMessage);
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
    if (Index < 1 || Index > files.size())
        throw VaulnixError(QStringLiteral("There is no file number %1 in the box %2")
                               .arg(Index)
                               .arg(readHandle->fileName()));
    const BoxHeader::Record record = BoxHeader::decode(files.at(Index - 1));
    const QString name = QString::fromUtf8(record.name);
    const QString base = withSlash(Path);
    QString dest = base;
    if (record.folderIndex >= 2)
        dest = withSlash(dest + entryToPath(directories.at(record.folderIndex - 1)));
    refuseOverwritingBox(readHandle->fileName(), dest + name, Index);
    CreateAllFolders(base);
    QSet<QString> checked;
    makeFoldersBelow(base, dest.mid(base.size()), checked);
    requirePassword(Global::CurrentUserPassword);
    ClearOnExit clear{cipher};
    keyCipher(Global::CurrentUserPassword.toUtf8());
    if (!readHandle->seek(headerLength + offsets[size_t(Index - 1)]))
        throw VaulnixError(QStringLiteral("Cannot read the box %1: %2")
                               .arg(readHandle->fileName(), readHandle->errorString()));
    lastFileComplete = decipherTo(dest + name, record.size, false, name);
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
