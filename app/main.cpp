#include "core/Prompt.h"
#include "shell/SignalWatcher.h"
#include "shell/WidgetPrompt.h"
#include "shell/frmMain.h"

#include "app/DisplayCheck.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (const std::string problem = DisplayCheck::problem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VAULNIX_APP_ID));
    QApplication::setOrganizationName(QStringLiteral("Vaulnix"));
    QApplication::setApplicationName(QStringLiteral("Vaulnix"));
    // The program lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    WidgetPrompt prompt;
    Prompt::install(&prompt);
    int result = 0;
    {
        frmMain window;
        // A termination signal or the session's end saves everything and quits, without questions.
        SignalWatcher signalWatcher;
        QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &window,
                         &frmMain::EndSession);
        if (window.Load())
            result = QApplication::exec();
    }
    Prompt::install(nullptr);
    return result;
}
