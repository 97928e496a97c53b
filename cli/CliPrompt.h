#pragma once

#include "core/Prompt.h"

#include <iosfwd>

// Answers the engine's messages for a terminal program: the wrong-password message is left to
// the command, which turns its result into an exit status; anything else goes to standard
// error. Installed for its lifetime.
class CliPrompt : public Prompt
{
public:
    explicit CliPrompt(std::ostream &err);
    ~CliPrompt() override;
    CliPrompt(const CliPrompt &) = delete;
    CliPrompt &operator=(const CliPrompt &) = delete;

    Answer message(const QString &text, Buttons buttons, Icon icon, const QString &title) override;

private:
    std::ostream &err;
};
