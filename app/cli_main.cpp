#include "cli/Console.h"
#include "cli/VaulnixCli.h"
#include "engine/CCipherBlock.h"

#include <QString>
#include <QStringList>

int main(int argc, char *argv[])
{
    const InterruptGuard interrupts;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    SystemConsole console;
    CCipherBlock engine;
    return VaulnixCli(console, engine).run(arguments);
}
