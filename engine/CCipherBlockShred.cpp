#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"
#include "engine/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace EngineHelpers;

void CCipherBlock::shredFiles(const QStringList &paths)
{
    const qint32 count = qint32(paths.size());
    for (qint32 i = 0; i < count; ++i)
        shredOne(paths.at(i), i + 1, count);
}

void CCipherBlock::shredOne(const QString &path, qint32 index, qint32 count)
{
    QFile file(path);
    const qint64 size = QFileInfo(path).size();
    if (size > 0) {
        // Read-write keeps the contents: the spaces land on the file's own blocks.
        // Unbuffered: every write that fails says why at once.
        if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            throw VaulnixError(QStringLiteral("Cannot shred %1: %2").arg(path, file.errorString()));
        const QByteArray spaces(qsizetype(std::min(size, ShredBytes)), ' ');
        qint64 left = size;
        while (left > 0) {
            const qint64 n = std::min(left, ShredBytes);
            writeAll(file, spaces.constData(), n, path);
            left -= n;
            emit ShredFile(index, count, path, left, size);
        }
        QString failure;
        if (!syncToDisk(file, &failure))
            throw VaulnixError(QStringLiteral("Cannot shred %1: %2").arg(path, failure));
        file.close();
    }
    if (!file.remove())
        throw VaulnixError(QStringLiteral("Cannot delete %1: %2").arg(path, file.errorString()));
}

void CCipherBlock::removePackedFolders()
{
    emit RemoveDirectory();
    // Entries stand before their subfolders, so the reverse order empties the deepest first.
    for (qsizetype k = directoryFolders.size(); k >= 2; --k) {
        for (const QString &folder : std::as_const(directoryFolders[k - 1]))
            QDir().rmdir(folder); // a folder that still holds something stays
        if (k % 10 == 0)
            pump();
    }
    if (!QDir(rootPath).isRoot())
        QDir().rmdir(rootPath);
}
