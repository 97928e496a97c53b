#include "EventLog.h"

EventLog::EventLog(CCipherBlock &engine)
{
    QObject::connect(&engine, &CCipherBlock::RemoveDirectory,
                     [this] { lines << "RemoveDirectory"; });
    QObject::connect(
        &engine, &CCipherBlock::ShredFile,
        [this](qint32 index, qint32 count, const QString &name, qint32 left, qint32 size) {
            lines << QStringLiteral("ShredFile %1/%2 %3 %4/%5")
                         .arg(index)
                         .arg(count)
                         .arg(name.section('/', -1))
                         .arg(left)
                         .arg(size);
        });
    QObject::connect(&engine, &CCipherBlock::CreatingFileBlock,
                     [this] { lines << "CreatingFileBlock"; });
    QObject::connect(&engine, &CCipherBlock::BuildingHeader, [this](qint32 current, qint32 total) {
        lines << QStringLiteral("BuildingHeader %1/%2").arg(current).arg(total);
    });
    QObject::connect(&engine, &CCipherBlock::AddingToBlock, [this](const QString &name) {
        lines << QStringLiteral("AddingToBlock %1").arg(name.section('/', -1));
    });
    QObject::connect(&engine, &CCipherBlock::CreatingBlock, [this] { lines << "CreatingBlock"; });
    QObject::connect(&engine, &CCipherBlock::CipherProgress,
                     [this](qint32 rate, qint32 done, qint32 total, qint32 left, qint32 size,
                            const QString &name) {
                         rates << rate;
                         lines << QStringLiteral("CipherProgress %1/%2 %3/%4 %5")
                                      .arg(done)
                                      .arg(total)
                                      .arg(left)
                                      .arg(size)
                                      .arg(name.section('/', -1));
                     });
}

int EventLog::count(const QString &prefix) const
{
    return int(named(prefix).size());
}

QStringList EventLog::named(const QString &prefix) const
{
    QStringList found;
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            found << line;
    }
    return found;
}
