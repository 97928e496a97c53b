#pragma once

#include "cli/CliArguments.h"
#include "engine/BoxCatalogue.h"

#include <QString>
#include <QStringList>

class CCipherBlock;
class Console;

// `create`: packs a folder, or a list of files, into a box.
class CreateCommand
{
public:
    CreateCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine);

    // Before the password is asked for: the sources are there and can be named in a box.
    void check() const;
    ExitStatus run(const QString &password);

    const QString &boxPath() const { return box; }
    const QString &boxName() const { return name; }

private:
    // The format asked for; refuses (CliError) to replace a sealed box with format 1 unasked.
    BoxFormatId chosenFormat() const;

    const CliArguments &arguments;
    Console &console;
    CCipherBlock &engine;
    QString box;
    QString folder;
    QStringList files;
    QString name;
};
