#include "cli/BoxRecords.h"

#include "engine/BoxHeader.h"
#include "engine/CCipherBlock.h"

BoxRecords BoxRecords::of(const CCipherBlock &engine)
{
    BoxRecords result;
    const QStringList &directories = engine.Directories();
    const QList<QByteArray> files = engine.Files();
    result.list.reserve(files.size());
    for (const QByteArray &raw : files) {
        const BoxHeader::Record decoded = BoxHeader::decode(raw);
        // Index 0 and 1 both stand for the extraction folder itself.
        QString folder;
        if (decoded.folderIndex >= 2 && decoded.folderIndex <= directories.size())
            folder = directories.at(decoded.folderIndex - 1);
        Record record;
        record.storedPath = folder + QString::fromUtf8(decoded.name);
        record.relativePath = record.storedPath;
        record.relativePath.replace(QLatin1Char('\\'), QLatin1Char('/'));
        record.size = decoded.size;
        result.list.append(record);
    }
    return result;
}

qint64 BoxRecords::totalBytes() const
{
    qint64 sum = 0;
    for (const Record &record : list)
        sum += record.size;
    return sum;
}
