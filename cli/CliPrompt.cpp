#include "cli/CliPrompt.h"

#include "cli/ConsoleText.h"
#include "engine/CCipherBlock.h"

#include <ostream>

CliPrompt::CliPrompt(std::ostream &err)
    : err(err)
{
    Prompt::install(this);
}

CliPrompt::~CliPrompt()
{
    Prompt::install(nullptr);
}

Prompt::Answer CliPrompt::message(const QString &text, Buttons buttons, Icon, const QString &)
{
    if (text != CCipherBlock::HeaderMessage)
        err << "vaulnix-cli: " << ConsoleText::utf8(ConsoleText::printable(text)) << std::endl;
    // Nobody is there to confirm anything: take the answer that changes nothing.
    switch (buttons) {
    case Buttons::Ok:
        return Ok;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
    case Buttons::YesNoCancel:
        return Cancel;
    case Buttons::AbortRetryIgnore:
        return Abort;
    case Buttons::YesNo:
        return No;
    }
    return Ok;
}
