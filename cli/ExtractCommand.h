#pragma once

#include "cli/CliArguments.h"

#include <QList>
#include <QString>

class CCipherBlock;
class Console;

// `extract`: unpacks a whole box, or with --only the files at the given positions.
class ExtractCommand
{
public:
    ExtractCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine);

    // Before the password is asked for: the box can be read and the folder can be one.
    void check() const;
    ExitStatus run(const QString &password);

private:
    ExitStatus extractWhole(const QString &password);
    ExitStatus extractSelected(const QString &password);
    [[noreturn]] void wrongPassword() const;
    [[noreturn]] void stopped() const;

    const CliArguments &arguments;
    Console &console;
    CCipherBlock &engine;
    QString box;
    QString folder;
};
