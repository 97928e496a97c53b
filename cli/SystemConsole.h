#pragma once

#include "cli/Console.h"

// The real standard streams. The only place that talks to the terminal driver.
class SystemConsole : public Console
{
public:
    std::ostream &out() override;
    std::ostream &err() override;
    bool inputIsTerminal() const override;
    bool errorIsTerminal() const override;
    QByteArray readInputLine(qsizetype maxBytes, bool &truncated) override;
    QByteArray readHiddenLine(const QString &prompt, qsizetype maxBytes, bool &truncated) override;
};
