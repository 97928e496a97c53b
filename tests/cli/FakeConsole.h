#pragma once

#include "cli/Console.h"

#include <QList>
#include <QStringList>

#include <sstream>

// Captured streams, a scripted standard input and scripted answers at the hidden prompt.
class FakeConsole : public Console
{
public:
    std::ostream &out() override { return outStream; }
    std::ostream &err() override { return errStream; }
    bool inputIsTerminal() const override { return inputTerminal; }
    bool errorIsTerminal() const override { return errorTerminal; }
    QByteArray readInputLine(qsizetype maxBytes, bool &truncated) override;
    QByteArray readHiddenLine(const QString &prompt, qsizetype maxBytes, bool &truncated) override;

    std::string output() const { return outStream.str(); }
    std::string errors() const { return errStream.str(); }

    bool inputTerminal = false;
    bool errorTerminal = false;
    QByteArray input;                // what standard input holds
    QList<QByteArray> hiddenAnswers; // one per prompt, consumed in order
    QStringList prompts;             // prompts shown so far

private:
    std::ostringstream outStream;
    std::ostringstream errStream;
};
