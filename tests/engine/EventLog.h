#pragma once

#include "engine/CCipherBlock.h"

#include <QStringList>

// Records the engine's signals as short text lines, in the order they arrive.
class EventLog
{
public:
    explicit EventLog(CCipherBlock &engine);

    QStringList lines;
    int count(const QString &prefix) const;
    QStringList named(const QString &prefix) const;
    QList<qint32> rates;
};
