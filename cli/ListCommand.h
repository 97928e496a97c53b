#pragma once

#include "cli/CliArguments.h"

#include <QString>

class CCipherBlock;
class Console;

// `list`: prints the box name, its root folder and one line per file record.
class ListCommand
{
public:
    ListCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine);

    void check() const;
    ExitStatus run(const QString &password);

private:
    Console &console;
    CCipherBlock &engine;
    QString box;
};
