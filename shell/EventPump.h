#pragma once

#include <QElapsedTimer>

// Lets the event loop run from inside long box work, but at most once per interval: a pass of the
// loop costs more than packing a small file, while a window needs only a few passes per frame to
// stay responsive.
class EventPump
{
public:
    static constexpr qint64 IntervalMs = 8;

    void operator()();

private:
    QElapsedTimer sinceLast;
};
