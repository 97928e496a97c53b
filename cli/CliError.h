#pragma once

#include "cli/ExitStatus.h"

#include <QString>

#include <stdexcept>

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
