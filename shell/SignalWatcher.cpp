#include "shell/SignalWatcher.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
constexpr int WatchedSignals[] = {SIGTERM, SIGINT, SIGHUP};
int pipeEnds[2] = {-1, -1};
struct sigaction saved[3];

extern "C" void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
    errno = savedErrno;
}
#endif

} // namespace

SignalWatcher::SignalWatcher(QObject *parent)
    : QObject(parent)
{
#ifndef _WIN32
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0)
        return;
    ::fcntl(pipeEnds[0], F_SETFL, ::fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SignalWatcher::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(WatchedSignals); ++i)
        sigaction(WatchedSignals[i], &action, &saved[i]);
#endif
}

SignalWatcher::~SignalWatcher()
{
#ifndef _WIN32
    if (!notifier)
        return;
    for (size_t i = 0; i < std::size(WatchedSignals); ++i)
        sigaction(WatchedSignals[i], &saved[i], nullptr);
    delete notifier;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
#endif
}

void SignalWatcher::readSignal()
{
#ifndef _WIN32
    char byte = 0;
    if (::read(pipeEnds[1], &byte, 1) == 1)
        emit terminationRequested(int(byte));
#endif
}
