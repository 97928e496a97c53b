#pragma once

#include <QString>

#include <string>

// Text on its way to a terminal or a script.
class ConsoleText
{
public:
    // Control characters become "?", so a name from a box can neither break a line-based
    // listing nor send escape sequences to a terminal.
    static QString printable(const QString &text);
    static std::string utf8(const QString &text);
};
