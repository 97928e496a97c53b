#pragma once

#include "core/Prompt.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMetaObject>
#include <QString>

#include <iosfwd>
#include <optional>
#include <string>

class CCipherBlock;

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

// Text on its way to a terminal or a script.
namespace ConsoleText {
// Control characters become "?", so a name from a box can neither break a line-based
// listing nor send escape sequences to a terminal.
QString printable(const QString &text);
std::string utf8(const QString &text);
} // namespace ConsoleText

// Finds the box password: the first line of a password file, else the first line of a
// standard input that is not a terminal, else a prompt without echo. Never the command line.
namespace PasswordSource {
constexpr qsizetype MaxBytes = 65536;

// confirm asks a second time at a prompt. Throws CliError: Usage for an empty, unusable
// or unconfirmed password, Failed for an unreadable password file, Stopped on Ctrl+C.
QString obtain(Console &console, const std::optional<QString> &passwordFile, bool confirm);
} // namespace PasswordSource

// While it lives, Ctrl+C (and a polite kill) only set the program-wide stop flag, so the
// engine ends its job cleanly: a partial box is removed and the exit status tells it.
// A blocking read of the password is interrupted rather than resumed.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;
};

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

// One self-rewriting status line on a terminal: percentage, rate and the current file.
// Does nothing when disabled (standard error is no terminal, or --quiet).
class ProgressDisplay
{
public:
    static constexpr int Width = 79;
    static constexpr qint64 RedrawMilliseconds = 100;

    ProgressDisplay(std::ostream &err, bool enabled);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay &) = delete;
    ProgressDisplay &operator=(const ProgressDisplay &) = delete;

    // Follows the engine's events until finish(). Data progress is the engine's own count,
    // or, after setSelection, the count of a selective extraction.
    void attach(CCipherBlock &engine);
    // A selective extraction reports one file at a time: done counts the selected files
    // already extracted, total all selected files.
    void setSelection(qint64 done, qint64 total);
    void finish();

    void scanned(qint32 count, const QString &file);
    void header(qint32 current, qint32 total);
    void data(qint64 done, qint64 total, const QString &file);
    void shredding(qint32 index, qint32 count, const QString &file);

    static QString bytes(qint64 count);

private:
    void show(const QString &status, const QString &file, bool force);

    std::ostream &err;
    bool enabled;
    bool shown = false;
    bool selective = false;
    qint64 selectionDone = 0;
    qint64 selectionTotal = 0;
    qint32 scanCount = 0;
    int lastPercent = -1;
    QElapsedTimer started;
    QElapsedTimer lastDraw;
    QList<QMetaObject::Connection> connections;
};
