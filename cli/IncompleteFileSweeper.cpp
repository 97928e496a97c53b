#include "cli/IncompleteFileSweeper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

IncompleteFileSweeper::IncompleteFileSweeper()
    : since(QDateTime::currentDateTimeUtc().addSecs(-ClockSlackSeconds))
{}

QStringList IncompleteFileSweeper::sweep(const QString &folder, const BoxRecords &records,
                                         const QList<qint32> &positions) const
{
    QList<qint32> wanted = positions;
    if (wanted.isEmpty()) {
        for (qint32 i = 0; i < records.records().size(); ++i)
            wanted.append(i);
    }
    const QDir root(folder);
    QStringList removed;
    for (const qint32 i : std::as_const(wanted)) {
        if (i < 0 || i >= records.records().size())
            continue;
        const BoxRecords::Record &record = records.records().at(i);
        const QString target = root.filePath(record.relativePath);
        const QFileInfo info(target);
        if (info.isSymLink() || !info.isFile() || info.size() >= record.size ||
            info.lastModified().toUTC() < since)
            continue;
        if (QFile::remove(target))
            removed.append(target);
    }
    return removed;
}
