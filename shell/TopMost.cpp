#include "shell/TopMost.h"

#include <QWidget>

void SetTopMost(QWidget *window, bool topMost)
{
    if (!window)
        return;
#ifdef Q_OS_WIN
    // Windows only lets a window come forward this way when it is topmost for a moment.
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (visible)
        window->show();
#endif
    if (topMost)
        window->raise();
}
