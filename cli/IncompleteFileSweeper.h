#pragma once

#include "cli/BoxRecords.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

// After an extraction that was stopped or failed, removes the files it left cut short: a
// target shorter than its record that was written since the extraction began. Complete files
// and files the extraction never reached stay.
class IncompleteFileSweeper
{
public:
    // File times may lag the clock by a tick of the file system's coarse clock (FAT: 2 s).
    static constexpr qint64 ClockSlackSeconds = 2;

    IncompleteFileSweeper();

    // positions: 0-based record positions to look at; empty means every record.
    QStringList sweep(const QString &folder, const BoxRecords &records,
                      const QList<qint32> &positions = {}) const;

private:
    QDateTime since;
};
