#include "cli/SystemConsole.h"

#include "cli/ConsoleText.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

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
