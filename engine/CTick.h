#pragma once

#include <QtGlobal>

#include <functional>

// Millisecond stopwatch on a monotonic clock. StopTick adds the time since the last start to
// the total without moving the start, so two stops in a row add that interval twice.
class CTick
{
public:
    using Clock = std::function<qint64()>;

    CTick();
    explicit CTick(Clock clock);

    void RestartTick();
    void StartTick();
    void StopTick();
    qint64 GetRealElapsedTicks() const;
    qint64 ElapsedTicks() const { return elapsed; }
    qint64 ElapsedSeconds() const { return elapsed / 1000; }
    qint64 ElapsedMinutes() const { return elapsed / 60000; }

    static qint64 steadyMilliseconds();

private:
    Clock now;
    qint64 startTime = 0;
    qint64 elapsed = 0;
};
