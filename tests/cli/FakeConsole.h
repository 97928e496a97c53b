#pragma once

#include "cli/Console.h"

#include <QByteArray>
#include <QString>
#include <sstream>

// Captured streams and a scripted standard input, which at a terminal answers the prompts.
class FakeConsole : public Console
{
public:
    std::ostream &out() override { return output; }
    std::ostream &err() override { return errors; }
    bool inputIsTerminal() const override { return inputTerminal; }
    bool errorIsTerminal() const override { return errorTerminal; }
    QByteArray readInputLine(qsizetype maxBytes, bool &truncated) override
    {
        QByteArray line = input.left(input.indexOf('\n'));
        input.remove(0, line.size() + 1);
        truncated = line.size() > maxBytes;
        line.truncate(maxBytes);
        return line;
    }
    QByteArray readHiddenLine(const QString &, qsizetype maxBytes, bool &truncated) override
    {
        ++prompts;
        return readInputLine(maxBytes, truncated);
    }

    bool inputTerminal = false, errorTerminal = false;
    QByteArray input; // what standard input holds
    int prompts = 0;
    std::ostringstream output, errors;
};
