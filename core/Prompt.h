#pragma once

#include <QString>

// Every message box and file picker of the program goes through the installed Prompt, so tests
// can answer them without a modal window.
class Prompt
{
public:
    enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
    enum class Icon { None, Critical, Question, Exclamation, Information };
    // Values of the classic message box answers.
    enum Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

    virtual ~Prompt() = default;

    virtual Answer message(const QString &text, Buttons buttons, Icon icon,
                           const QString &title) = 0;
    // A question whose one answer deletes, shreds or replaces: safe is the default button, so
    // an Enter pressed without reading changes nothing.
    virtual Answer question(const QString &text, Buttons buttons, Icon icon, const QString &title,
                            Answer safe);
    // Empty result: cancelled.
    virtual QString openFileName(const QString &title, const QString &startPath,
                                 const QString &filter);
    virtual QString saveFileName(const QString &title, const QString &startPath,
                                 const QString &filter, const QString &defaultExtension);
    virtual QString folder(const QString &title, const QString &startPath);

    // Shorthand for the common information box with an OK button and the program's title.
    static void inform(const QString &text);
    static Answer ask(const QString &text, Buttons buttons, Icon icon = Icon::Question);
    // Yes or No, with No as the default.
    static Answer askBeforeDestroying(const QString &text, Icon icon = Icon::Question);
    // The answer that changes nothing, for when nobody is there to be asked.
    static Answer unattended(Buttons buttons);

    static Prompt &instance();
    // Installs p (not owned); nullptr restores the console prompt.
    static void install(Prompt *p);
};

// Writes messages to standard error and gives the default answer; used when no window exists.
class ConsolePrompt : public Prompt
{
public:
    Answer message(const QString &text, Buttons buttons, Icon icon, const QString &title) override;
};
