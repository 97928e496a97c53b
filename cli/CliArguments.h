#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

// The exit statuses scripts rely on; their values never change.
enum class ExitStatus : int {
    Done = 0,
    WrongPasswordOrDamaged = 1,
    Usage = 2,
    Stopped = 3,
    Failed = 4,
};

// Ends a command with an exit status and the one line that explains it.
class CliError : public std::runtime_error
{
public:
    CliError(ExitStatus status, const QString &message)
        : std::runtime_error(message.toStdString())
        , exitStatus(status)
        , text(message)
    {}

    ExitStatus status() const { return exitStatus; }
    const QString &message() const { return text; }

private:
    ExitStatus exitStatus;
    QString text;
};

// One command line, checked against the synopsis of its command. Paths are kept as given.
struct CliArguments
{
    enum class Command { Help, Version, Create, Extract, List, Verify };

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
    std::optional<int> format; // create: 1 or 2 when asked for (--sealed is 2)
};
