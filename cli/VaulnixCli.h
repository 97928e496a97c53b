#pragma once

#include <QStringList>

class CCipherBlock;
class Console;

// The command-line front end: turns one argument list into one engine job and an exit
// status. Ctrl+C is seen through the program-wide stop flag, which the caller sets.
class VaulnixCli
{
public:
    VaulnixCli(Console &console, CCipherBlock &engine);

    // arguments without the program name
    int run(const QStringList &arguments);

    static QString version();

private:
    Console &console;
    CCipherBlock &engine;
};
