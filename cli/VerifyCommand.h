#pragma once

#include "cli/CliArguments.h"

#include <QString>

class CCipherBlock;
class Console;

// `verify`: reads a whole box without writing anything, and with a folder tells whether the box
// still holds what the folder does.
class VerifyCommand
{
public:
    VerifyCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine);

    void check() const;
    ExitStatus run(const QString &password);

private:
    const CliArguments &arguments;
    Console &console;
    CCipherBlock &engine;
    QString box;
    QString folder; // empty: no comparison
};
