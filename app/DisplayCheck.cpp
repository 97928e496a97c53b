#include "app/DisplayCheck.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#if defined(Q_OS_LINUX)
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string DisplayCheck::problem()
{
#if !defined(Q_OS_LINUX)
    return {}; // elsewhere the window system is always there
#endif
    // An explicit platform (offscreen for tests, or the user's choice) is Qt's business.
    if (!environment("QT_QPA_PLATFORM").empty())
        return {};
    const std::string wayland = environment("WAYLAND_DISPLAY");
    const std::string x11 = environment("DISPLAY");
    if (!wayland.empty() && waylandAnswers(wayland))
        return {};
    if (!x11.empty() && x11Answers(x11))
        return {};
    std::string what;
    if (x11.empty() && wayland.empty())
        what = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
    else
        what = "cannot open the display " + (x11.empty() ? wayland : x11);
    return "vaulnix: " + what + "; use vaulnix-cli to work with boxes without a display.";
}

bool DisplayCheck::x11Answers(const std::string &display)
{
    // Only local displays (":N" or ":N.S") can be probed through their socket; for a remote
    // one, Qt finds out itself.
    if (display.empty() || display.front() != ':')
        return true;
    const std::string number = display.substr(1, display.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return true;
    const std::string path = "/tmp/.X11-unix/X" + number;
    return socketAnswers(path, true) || socketAnswers(path, false);
}

bool DisplayCheck::waylandAnswers(const std::string &display)
{
    if (display.front() == '/')
        return socketAnswers(display, false);
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    return !runtime.empty() && socketAnswers(runtime + "/" + display, false);
}

bool DisplayCheck::socketAnswers(const std::string &path, bool abstract)
{
#if defined(Q_OS_LINUX)
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0; // an abstract name starts with a zero byte
    if (path.size() + offset >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true; // cannot tell: let Qt try
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool answered = ::connect(fd, reinterpret_cast<sockaddr *>(&address), length) == 0;
    ::close(fd);
    return answered;
#else
    (void)path;
    (void)abstract;
    return true;
#endif
}
