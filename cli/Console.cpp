#include "cli/Console.h"

#include "cli/CliArguments.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

// The terminal

namespace {

bool isTerminal(FILE *stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// Turns echo off for its lifetime, also when the read is cut short by Ctrl+C.
class EchoOff
{
public:
    EchoOff()
    {
#ifdef _WIN32
        input = GetStdHandle(STD_INPUT_HANDLE);
        active = GetConsoleMode(input, &saved) != 0 &&
                 SetConsoleMode(input, saved & ~DWORD(ENABLE_ECHO_INPUT)) != 0;
#else
        active = tcgetattr(STDIN_FILENO, &saved) == 0;
        if (active) {
            termios quiet = saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            active = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
#endif
    }

    ~EchoOff()
    {
        if (!active)
            return;
#ifdef _WIN32
        SetConsoleMode(input, saved);
#else
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
#endif
    }

    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;

private:
    bool active = false;
#ifdef _WIN32
    HANDLE input = nullptr;
    DWORD saved = 0;
#else
    termios saved{};
#endif
};

QByteArray readLine(qsizetype maxBytes, bool &truncated)
{
    QByteArray line;
    truncated = false;
    for (;;) {
        const int c = std::getc(stdin);
        if (c == EOF || c == '\n')
            break; // end of input, or a read cut short by a signal
        if (line.size() < maxBytes)
            line.append(char(c));
        else
            truncated = true;
    }
    std::clearerr(stdin);
    return line;
}

} // namespace

std::ostream &SystemConsole::out()
{
    return std::cout;
}

std::ostream &SystemConsole::err()
{
    return std::cerr;
}

bool SystemConsole::inputIsTerminal() const
{
    return isTerminal(stdin);
}

bool SystemConsole::errorIsTerminal() const
{
    return isTerminal(stderr);
}

QByteArray SystemConsole::readInputLine(qsizetype maxBytes, bool &truncated)
{
    return readLine(maxBytes, truncated);
}

QByteArray SystemConsole::readHiddenLine(const QString &prompt, qsizetype maxBytes, bool &truncated)
{
    std::cerr << ConsoleText::utf8(prompt) << std::flush;
    QByteArray line;
    {
        EchoOff echoOff;
        line = readLine(maxBytes, truncated);
    }
    std::cerr << std::endl; // the Enter key was not echoed
    return line;
}

QString ConsoleText::printable(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            c = QLatin1Char('?');
    }
    return result;
}

std::string ConsoleText::utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// The password

namespace {

void throwIfStopped()
{
    if (Global::StopRequested.load() != 0)
        throw CliError(ExitStatus::Stopped, QStringLiteral("stopped"));
}

void wipe(QByteArray &bytes)
{
    bytes.fill('\0');
    bytes.clear();
}

QString decode(QByteArray line, bool truncated, const QString &origin)
{
    using PasswordSource::MaxBytes;
    if (line.endsWith('\r'))
        line.chop(1);
    if (truncated) {
        wipe(line);
        throw CliError(ExitStatus::Usage, QStringLiteral("the password from %1 is longer than "
                                                         "%2 bytes")
                                              .arg(origin)
                                              .arg(MaxBytes));
    }
    if (line.isEmpty())
        throw CliError(ExitStatus::Usage,
                       QStringLiteral("the password from %1 is empty").arg(origin));
    // Undecodable bytes would all turn into the same replacement character, so different
    // passwords would give the same key.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString password = utf8.decode(line);
    const bool broken = utf8.hasError();
    wipe(line);
    if (broken)
        throw CliError(ExitStatus::Usage,
                       QStringLiteral("the password from %1 is not UTF-8 text").arg(origin));
    return password;
}

QString fromFile(const QString &file)
{
    using PasswordSource::MaxBytes;
    const QString path = QFileInfo(file).absoluteFilePath();
    QFile source(path);
    if (!QFileInfo(path).isFile() || !source.open(QIODevice::ReadOnly))
        throw CliError(ExitStatus::Failed,
                       QStringLiteral("cannot read the password file %1: %2")
                           .arg(path, QFileInfo::exists(path) && !QFileInfo(path).isFile()
                                          ? QStringLiteral("not a file")
                                          : source.errorString()));
    QByteArray line = source.read(MaxBytes + 1);
    const qsizetype end = line.indexOf('\n');
    const bool truncated = end < 0 && line.size() > MaxBytes;
    if (end >= 0)
        line.truncate(end);
    else if (truncated)
        line.truncate(MaxBytes);
    return decode(std::move(line), truncated, path);
}

QString fromPrompt(Console &console, bool confirm)
{
    using PasswordSource::MaxBytes;
    bool truncated = false;
    QByteArray first = console.readHiddenLine(QStringLiteral("Password: "), MaxBytes, truncated);
    throwIfStopped();
    const QString password = decode(std::move(first), truncated, QStringLiteral("the prompt"));
    if (!confirm)
        return password;
    QByteArray second =
        console.readHiddenLine(QStringLiteral("Repeat password: "), MaxBytes, truncated);
    throwIfStopped();
    const bool same = second == password.toUtf8();
    wipe(second);
    if (!same)
        throw CliError(ExitStatus::Usage, QStringLiteral("the two passwords differ"));
    return password;
}

} // namespace

QString PasswordSource::obtain(Console &console, const std::optional<QString> &passwordFile,
                               bool confirm)
{
    if (passwordFile)
        return fromFile(*passwordFile);
    if (!console.inputIsTerminal()) {
        bool truncated = false;
        QByteArray line = console.readInputLine(MaxBytes, truncated);
        throwIfStopped();
        return decode(std::move(line), truncated, QStringLiteral("standard input"));
    }
    return fromPrompt(console, confirm);
}

// Ctrl+C

namespace {

static_assert(std::atomic<qint16>::is_always_lock_free, "the stop flag is set from a signal");

extern "C" void requestStop(int)
{
    Global::StopRequested.store(1);
}

#ifndef _WIN32
struct sigaction savedInterrupt;
struct sigaction savedTerminate;
#else
void (*savedInterrupt)(int) = SIG_DFL;
void (*savedTerminate)(int) = SIG_DFL;
#endif

} // namespace

InterruptGuard::InterruptGuard()
{
#ifndef _WIN32
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a read waiting for the password returns
    sigaction(SIGINT, &action, &savedInterrupt);
    sigaction(SIGTERM, &action, &savedTerminate);
#else
    savedInterrupt = std::signal(SIGINT, requestStop);
    savedTerminate = std::signal(SIGTERM, requestStop);
#endif
}

InterruptGuard::~InterruptGuard()
{
#ifndef _WIN32
    sigaction(SIGINT, &savedInterrupt, nullptr);
    sigaction(SIGTERM, &savedTerminate, nullptr);
#else
    std::signal(SIGINT, savedInterrupt);
    std::signal(SIGTERM, savedTerminate);
#endif
}

// The engine's messages

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
    err << "vaulnix-cli: " << ConsoleText::utf8(ConsoleText::printable(text)) << std::endl;
    return unattended(buttons);
}

// Progress

namespace {

int percentOf(qint64 done, qint64 total)
{
    if (total <= 0)
        return 100;
    return int(std::clamp<qint64>(done * 100 / total, 0, 100));
}

} // namespace

ProgressDisplay::ProgressDisplay(std::ostream &err, bool enabled)
    : err(err)
    , enabled(enabled)
{}

ProgressDisplay::~ProgressDisplay()
{
    finish();
}

void ProgressDisplay::attach(CCipherBlock &engine)
{
    if (!enabled)
        return;
    connections << QObject::connect(&engine, &CCipherBlock::AddingToBlock, &engine,
                                    [this](const QString &file) { scanned(++scanCount, file); });
    connections << QObject::connect(
        &engine, &CCipherBlock::BuildingHeader, &engine,
        [this](qint32 current, qint32 total) { header(current, total); });
    connections << QObject::connect(
        &engine, &CCipherBlock::CipherProgress, &engine,
        [this](qint32, qint64 done, qint64 total, qint64, qint64, const QString &file) {
            if (selective)
                data(selectionDone + done, selectionTotal, file);
            else
                data(done, total, file);
        });
    connections << QObject::connect(&engine, &CCipherBlock::ShredFile, &engine,
                                    [this](qint32 index, qint32 count, const QString &file, qint64,
                                           qint64) { shredding(index, count, file); });
}

void ProgressDisplay::setSelection(qint64 done, qint64 total)
{
    selective = true;
    selectionDone = done;
    selectionTotal = total;
}

void ProgressDisplay::finish()
{
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        QObject::disconnect(connection);
    connections.clear();
    if (shown) {
        err << "\r\033[K" << std::flush;
        shown = false;
    }
}

void ProgressDisplay::scanned(qint32 count, const QString &file)
{
    show(QStringLiteral("Scanning: %1 files").arg(count), file, count == 1);
}

void ProgressDisplay::header(qint32 current, qint32 total)
{
    show(QStringLiteral("Writing the file table: %1 of %2").arg(current).arg(total), QString(),
         current == total);
}

void ProgressDisplay::data(qint64 done, qint64 total, const QString &file)
{
    if (!started.isValid())
        started.start();
    const int percent = percentOf(done, total);
    QString status = QStringLiteral("%1%").arg(percent, 3);
    const qint64 ms = started.elapsed();
    if (ms > 0)
        status += QStringLiteral("  %1/s").arg(bytes(done * 1000 / ms));
    show(status, file, percent != lastPercent);
    lastPercent = percent;
}

void ProgressDisplay::shredding(qint32 index, qint32 count, const QString &file)
{
    show(QStringLiteral("Shredding %1 of %2").arg(index).arg(count), file, false);
}

QString ProgressDisplay::bytes(qint64 count)
{
    static const char *const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double value = double(count);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    if (unit == 0)
        return QStringLiteral("%1 B").arg(count);
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

void ProgressDisplay::show(const QString &status, const QString &file, bool force)
{
    if (!enabled)
        return;
    if (!force && lastDraw.isValid() && lastDraw.elapsed() < RedrawMilliseconds)
        return;
    lastDraw.start();
    QString line = status;
    if (!file.isEmpty()) {
        // Keep the end of a long path: the file name matters more than its folders.
        QString shownFile = ConsoleText::printable(file);
        const qsizetype room = Width - line.size() - 2;
        if (shownFile.size() > room)
            shownFile = QStringLiteral("...") + shownFile.right(std::max<qsizetype>(room - 3, 0));
        line += QStringLiteral("  ") + shownFile;
    }
    err << "\r\033[K" << ConsoleText::utf8(line) << std::flush;
    shown = true;
}
