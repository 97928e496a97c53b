#pragma once

#include <QString>

#include <optional>

class Console;

// Finds the box password: the first line of a password file, else the first line of a
// standard input that is not a terminal, else a prompt without echo. Never the command line.
class PasswordSource
{
public:
    static constexpr qsizetype MaxBytes = 65536;

    PasswordSource(Console &console, const std::optional<QString> &passwordFile);

    // confirm asks a second time at a prompt. Throws CliError: Usage for an empty, unusable
    // or unconfirmed password, Failed for an unreadable password file, Stopped on Ctrl+C.
    QString obtain(bool confirm);

private:
    QString fromFile() const;
    QString fromPrompt(bool confirm);
    static QString decode(QByteArray line, bool truncated, const QString &origin);

    Console &console;
    std::optional<QString> file;
};
