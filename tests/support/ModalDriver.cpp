#include "ModalDriver.h"

#include <QTimer>

#include <memory>

namespace {
int generation = 0;
}

void cancelModalChecks()
{
    ++generation;
}

void scheduleModalCheck(std::function<bool()> attempt)
{
    // Retries from the event loop until the window is up; bounded so a missing window cannot hang.
    auto tries = std::make_shared<int>(0);
    auto retry = std::make_shared<std::function<void()>>();
    *retry = [attempt, tries, retry, mine = generation] {
        if (mine == generation && !attempt() && ++*tries <= 1000)
            QTimer::singleShot(0, *retry);
    };
    QTimer::singleShot(0, *retry);
}
