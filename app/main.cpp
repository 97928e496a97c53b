#include "shell/Prompt.h"
#include "shell/WidgetPrompt.h"
#include "shell/frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vaulnix"));
    QApplication::setApplicationName(QStringLiteral("Vaulnix"));
    // The program lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    WidgetPrompt prompt;
    Prompt::install(&prompt);
    int result = 0;
    {
        frmMain window;
        if (window.Load())
            result = QApplication::exec();
    }
    Prompt::install(nullptr);
    return result;
}
