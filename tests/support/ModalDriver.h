#pragma once

#include <QApplication>
#include <QDialog>

#include <functional>

void scheduleModalCheck(std::function<bool()> attempt);
// Drops the checks still waiting for a window that never came, so they cannot act on a later one.
void cancelModalChecks();

// Acts on the next modal window as soon as it is shown, so tests can drive windows opened with
// exec() without waiting. The action runs inside the window's own event loop.
template<typename Window> void whenModal(std::function<void(Window *)> act)
{
    scheduleModalCheck([act] {
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        const bool shown = window && window->isVisible();
        if (shown)
            act(window);
        return shown;
    });
}
