#pragma once

#include <QByteArray>
#include <QString>

#include <iosfwd>

// The process's standard streams as the commands see them; tests supply their own.
class Console
{
public:
    virtual ~Console() = default;

    virtual std::ostream &out() = 0;
    virtual std::ostream &err() = 0;
    virtual bool inputIsTerminal() const = 0;
    virtual bool errorIsTerminal() const = 0;
    // One line of standard input without its line end; at most maxBytes are kept, and
    // truncated is set when the line was longer. An interrupted read gives what came so far.
    virtual QByteArray readInputLine(qsizetype maxBytes, bool &truncated) = 0;
    // Shows prompt and reads one line from the terminal without echoing it.
    virtual QByteArray readHiddenLine(const QString &prompt, qsizetype maxBytes,
                                      bool &truncated) = 0;
};
