#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"
#include "engine/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cstring>

using namespace EngineHelpers;

namespace {

// The files below folder as extraction would name them: folders lower-cased, "/"-separated,
// then the file's own name; hidden names, links and devices are not packed, so not listed.
void listBelow(const QString &folder, const QString &relative, bool recurse,
               QHash<QString, QString> &files)
{
    for (const FolderEntry &entry : listFolder(folder)) {
        const QString path = folder + QLatin1Char('/') + entry.name;
        if (!entry.folder)
            files.insert(relative + entry.name, path);
        else if (recurse)
            listBelow(path, relative + entry.name.toLower() + QLatin1Char('/'), true, files);
    }
}

} // namespace

CCipherBlock::ReadResult CCipherBlock::VerifyBlock(const QString &BlockFile,
                                                   const QString &Password, const QString &Folder,
                                                   QStringList &differences)
{
    ClearOnExit clear{cipher};
    struct CloseOnExit
    {
        std::unique_ptr<QFile> &handle;
        ~CloseOnExit() { handle.reset(); }
    } close{readHandle};
    requireBox(BlockFile);
    if (openBox(BlockFile, Password) == BadHeader)
        return BadHeader;
    QHash<QString, QString> present;
    const bool comparing = !Folder.isEmpty();
    if (comparing)
        listBelow(QDir::cleanPath(Folder), QString(), !catalogue.isFileList(), present);

    const qint64 chunkBytes = format->chunkBytes();
    QByteArray stored(chunkBytes + format->chunkOverhead(), Qt::Uninitialized);
    QByteArray other(chunkBytes, Qt::Uninitialized);
    rateBytes = 0;
    bytesDone = 0;
    rateTick.StartTick();
    for (qint32 i = 0; i < catalogue.files.size(); ++i) {
        if (stopRequested())
            return Read;
        const BoxCatalogue::File &file = catalogue.files.at(i);
        QString relative = catalogue.folderOf(file) + file.name;
        relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QFile original(present.take(relative));
        bool same = true;
        if (comparing) {
            if (original.fileName().isEmpty()) {
                differences << QStringLiteral("not in the folder: ") + relative;
                same = false;
            } else if (!original.open(QIODevice::ReadOnly)) {
                throw VaulnixError(QStringLiteral("Cannot read %1: %2")
                                       .arg(original.fileName(), original.errorString()));
            } else if (original.size() != file.size) {
                same = false;
            }
        }
        if (!readHandle->seek(file.offset))
            throw VaulnixError(QStringLiteral("Cannot read the box %1: %2")
                                   .arg(BlockFile, readHandle->errorString()));
        ChunkTransform &transform = format->file(i, false);
        qint64 index = 0;
        for (qint64 left = file.size; left > 0 && !stopRequested(); ++index) {
            const qint64 n = std::min(left, chunkBytes);
            readFromBox(*readHandle, stored.data(), transform.storedBytes(n), file.name);
            requireDone(transform.apply(index, stored.constData(), n, stored.data(), n == left),
                        BlockFile, relative);
            if (same && original.isOpen()) {
                same = original.read(other.data(), n) == n &&
                       std::memcmp(other.constData(), stored.constData(), size_t(n)) == 0;
            }
            left -= n;
            reportDeciphered(n, file.size - left, left, file.size, true, relative);
            pump();
        }
        if (comparing && !same && original.isOpen())
            differences << QStringLiteral("differs: ") + relative;
    }
    rateTick.StopTick();
    QStringList extra = present.keys();
    extra.sort();
    for (const QString &relative : std::as_const(extra))
        differences << QStringLiteral("not in the box: ") + relative;
    return Read;
}
