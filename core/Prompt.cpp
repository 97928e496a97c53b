#include "core/Prompt.h"

#include "core/Global.h"

#include <cstdio>

namespace {
Prompt *installed = nullptr;
}

QString Prompt::openFileName(const QString &, const QString &, const QString &)
{
    return {};
}

QString Prompt::saveFileName(const QString &, const QString &, const QString &, const QString &)
{
    return {};
}

QString Prompt::folder(const QString &, const QString &)
{
    return {};
}

void Prompt::inform(const QString &text)
{
    instance().message(text, Buttons::Ok, Icon::Information, Global::AppName);
}

Prompt::Answer Prompt::ask(const QString &text, Buttons buttons, Icon icon)
{
    return instance().message(text, buttons, icon, Global::AppName);
}

Prompt::Answer Prompt::question(const QString &text, Buttons buttons, Icon icon,
                                const QString &title, Answer)
{
    return message(text, buttons, icon, title);
}

Prompt::Answer Prompt::askBeforeDestroying(const QString &text, Icon icon)
{
    return instance().question(text, Buttons::YesNo, icon, Global::AppName, No);
}

Prompt::Answer Prompt::unattended(Buttons buttons)
{
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

Prompt &Prompt::instance()
{
    static ConsolePrompt console;
    return installed ? *installed : console;
}

void Prompt::install(Prompt *p)
{
    installed = p;
}

Prompt::Answer ConsolePrompt::message(const QString &text, Buttons buttons, Icon,
                                      const QString &title)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
    return unattended(buttons);
}
