#pragma once

#include <QString>

// A box path that can be opened for reading, checked before a password is asked for.
class ReadableBox
{
public:
    // Throws CliError with ExitStatus::Failed naming the box and the cause.
    static void check(const QString &path);
};
