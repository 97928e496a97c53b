#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One command line, checked against the synopsis of its command. Paths are kept as given.
struct CliArguments
{
    enum class Command { Help, Version, Create, Extract, List };

    // Throws CliError with ExitStatus::Usage when the arguments do not fit a command.
    static CliArguments parse(const QStringList &arguments);
    static QString usage();

    Command command = Command::Help;
    QString box;
    QString folder;    // create from a folder, or the extraction folder
    QStringList files; // create --files
    bool fileList = false;
    std::optional<QString> name;
    std::optional<QString> passwordFile;
    QList<qint32> only; // 1-based positions, in the order given, each once
    bool shred = false;
    bool quiet = false;
};
