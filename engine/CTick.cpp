#include "engine/CTick.h"

#include <chrono>

CTick::CTick()
    : CTick(&CTick::steadyMilliseconds)
{}

CTick::CTick(Clock clock)
    : now(std::move(clock))
{}

void CTick::RestartTick()
{
    startTime = now();
}

void CTick::StartTick()
{
    elapsed = 0;
    startTime = now();
}

void CTick::StopTick()
{
    elapsed += now() - startTime;
}

qint64 CTick::GetRealElapsedTicks() const
{
    return now() - startTime;
}

qint64 CTick::steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
