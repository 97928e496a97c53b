#include "cli/ProgressDisplay.h"

#include "cli/ConsoleText.h"
#include "engine/CCipherBlock.h"

#include <ostream>

namespace {

int percentOf(qint64 done, qint64 total)
{
    if (total <= 0)
        return 100;
    return int(std::clamp<qint64>(done * 100 / total, 0, 100));
}

} // namespace

ProgressDisplay::ProgressDisplay(std::ostream &err, bool enabled)
    : err(err)
    , enabled(enabled)
{}

ProgressDisplay::~ProgressDisplay()
{
    finish();
}

void ProgressDisplay::attach(CCipherBlock &engine)
{
    if (!enabled)
        return;
    connections << QObject::connect(&engine, &CCipherBlock::AddingToBlock, &engine,
                                    [this](const QString &file) { scanned(++scanCount, file); });
    connections << QObject::connect(
        &engine, &CCipherBlock::BuildingHeader, &engine,
        [this](qint32 current, qint32 total) { header(current, total); });
    connections << QObject::connect(
        &engine, &CCipherBlock::CipherProgress, &engine,
        [this](qint32, qint32 done, qint32 total, qint32, qint32, const QString &file) {
            if (selective)
                data(selectionDone + done, selectionTotal, file);
            else
                data(done, total, file);
        });
    connections << QObject::connect(&engine, &CCipherBlock::ShredFile, &engine,
                                    [this](qint32 index, qint32 count, const QString &file, qint32,
                                           qint32) { shredding(index, count, file); });
}

void ProgressDisplay::setSelection(qint64 done, qint64 total)
{
    selective = true;
    selectionDone = done;
    selectionTotal = total;
}

void ProgressDisplay::finish()
{
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        QObject::disconnect(connection);
    connections.clear();
    if (shown) {
        err << "\r\033[K" << std::flush;
        shown = false;
    }
}

void ProgressDisplay::scanned(qint32 count, const QString &file)
{
    show(QStringLiteral("Scanning: %1 files").arg(count), file, count == 1);
}

void ProgressDisplay::header(qint32 current, qint32 total)
{
    show(QStringLiteral("Writing the file table: %1 of %2").arg(current).arg(total), QString(),
         current == total);
}

void ProgressDisplay::data(qint64 done, qint64 total, const QString &file)
{
    if (!started.isValid())
        started.start();
    const int percent = percentOf(done, total);
    QString status = QStringLiteral("%1%").arg(percent, 3);
    const qint64 ms = started.elapsed();
    if (ms > 0)
        status += QStringLiteral("  %1/s").arg(bytes(done * 1000 / ms));
    show(status, file, percent != lastPercent);
    lastPercent = percent;
}

void ProgressDisplay::shredding(qint32 index, qint32 count, const QString &file)
{
    show(QStringLiteral("Shredding %1 of %2").arg(index).arg(count), file, false);
}

QString ProgressDisplay::bytes(qint64 count)
{
    static const char *const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double value = double(count);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    if (unit == 0)
        return QStringLiteral("%1 B").arg(count);
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

void ProgressDisplay::show(const QString &status, const QString &file, bool force)
{
    if (!enabled)
        return;
    if (!force && lastDraw.isValid() && lastDraw.elapsed() < RedrawMilliseconds)
        return;
    lastDraw.start();
    QString line = status;
    if (!file.isEmpty()) {
        // Keep the end of a long path: the file name matters more than its folders.
        QString shownFile = ConsoleText::printable(file);
        const qsizetype room = Width - line.size() - 2;
        if (shownFile.size() > room)
            shownFile = QStringLiteral("...") + shownFile.right(std::max<qsizetype>(room - 3, 0));
        line += QStringLiteral("  ") + shownFile;
    }
    err << "\r\033[K" << ConsoleText::utf8(line) << std::flush;
    shown = true;
}
