#include "shell/EventPump.h"

#include <QCoreApplication>

void EventPump::operator()()
{
    if (sinceLast.isValid() && sinceLast.elapsed() < IntervalMs)
        return;
    QCoreApplication::processEvents();
    sinceLast.start();
}
