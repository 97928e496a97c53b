#include "engine/NativeFile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

NativeFile::NativeFile() = default;

qint64 NativeFile::read(char *data, qint64 n)
{
    qint64 done = 0;
    while (done < n) {
        const qint64 got = readSome(data + done, n - done);
        if (got < 0) {
            failed();
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

qint64 NativeFile::readExpected(char *data, qint64 n)
{
    qint64 done = 0;
    while (done <= n) {
        const qint64 wanted = n + 1 - done;
        const qint64 got = readSome(data + done, wanted);
        if (got < 0) {
            failed();
            return -1;
        }
        done += got;
        if (got == 0 || (got < wanted && done == n))
            break;
    }
    return done;
}

NativeFile::~NativeFile()
{
    close();
}

void NativeFile::failed()
{
#ifdef Q_OS_UNIX
    error = QString::fromLocal8Bit(std::strerror(errno));
#else
    error = fallback ? fallback->errorString() : QString();
#endif
}

#ifdef Q_OS_UNIX

bool NativeFile::open(const QString &path, Mode mode)
{
    close();
    exists = false;
    const QByteArray name = QFile::encodeName(path);
#ifdef O_PATH
    constexpr int folderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC; // needs no read access
#else
    constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    do {
        switch (mode) {
        case Mode::Read:
            handle = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
            break;
        case Mode::CreateNew:
            handle = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            break;
        case Mode::Folder:
            handle = ::open(name.constData(), folderFlags);
            break;
        }
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        exists = errno == EEXIST;
        failed();
        return false;
    }
    return true;
}

bool NativeFile::openIn(const NativeFile &folder, const QString &name)
{
    close();
    exists = false;
    const QByteArray bytes = QFile::encodeName(name);
    do {
        handle = ::openat(folder.handle, bytes.constData(), O_RDONLY | O_CLOEXEC);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        failed();
        return false;
    }
    return true;
}

bool NativeFile::openUnnamedIn(const QString &folder)
{
    close();
    exists = false;
#if defined(O_TMPFILE)
    // The name is given through /proc, which needs no privilege.
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
    if (!procFds)
        return false;
    do {
        handle =
            ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } while (handle < 0 && errno == EINTR);
    return handle >= 0;
#else
    Q_UNUSED(folder);
    return false;
#endif
}

bool NativeFile::linkAs(const QString &path)
{
    exists = false;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(handle);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                 AT_SYMLINK_FOLLOW) == 0)
        return true;
    exists = errno == EEXIST;
    failed();
    return false;
}

qint64 NativeFile::readSome(char *data, qint64 n)
{
    ssize_t got;
    do {
        got = ::read(handle, data, size_t(n));
    } while (got < 0 && errno == EINTR);
    return got;
}

bool NativeFile::write(const char *data, qint64 n)
{
    while (n > 0) {
        const ssize_t put = ::write(handle, data, size_t(n));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            failed();
            return false;
        }
        data += put;
        n -= put;
    }
    return true;
}

bool NativeFile::close()
{
    if (handle < 0)
        return true;
    const int result = ::close(handle);
    handle = -1;
    if (result != 0 && errno != EINTR) {
        failed();
        return false;
    }
    return true;
}

#else

bool NativeFile::open(const QString &path, Mode mode)
{
    close();
    if (mode == Mode::Folder) {
        folderPath = path;
        exists = false;
        return QFileInfo(path).isDir();
    }
    fallback = std::make_unique<QFile>(path);
    exists = mode == Mode::CreateNew && QFile::exists(path);
    const QIODevice::OpenMode flags =
        mode == Mode::Read ? QIODevice::ReadOnly | QIODevice::Unbuffered
                           : QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
    if (!fallback->open(flags)) {
        failed();
        return false;
    }
    return true;
}

bool NativeFile::openIn(const NativeFile &folder, const QString &name)
{
    return open(folder.folderPath + QLatin1Char('/') + name, Mode::Read);
}

bool NativeFile::openUnnamedIn(const QString &)
{
    return false;
}

bool NativeFile::linkAs(const QString &)
{
    return false;
}

qint64 NativeFile::readSome(char *data, qint64 n)
{
    return fallback->read(data, n);
}

bool NativeFile::write(const char *data, qint64 n)
{
    if (fallback->write(data, n) != n) {
        failed();
        return false;
    }
    return true;
}

bool NativeFile::close()
{
    if (!fallback || !fallback->isOpen())
        return true;
    fallback->close();
    const bool ok = fallback->error() == QFileDevice::NoError;
    if (!ok)
        failed();
    return ok;
}

#endif
