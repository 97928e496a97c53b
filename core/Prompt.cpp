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
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Ok;
    case Buttons::AbortRetryIgnore:
        return Abort;
    case Buttons::YesNoCancel:
    case Buttons::YesNo:
        return No;
    case Buttons::RetryCancel:
        return Cancel;
    }
    return Ok;
}
