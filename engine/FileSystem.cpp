#include "engine/FileSystem.h"

#include "core/VaulnixError.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSet>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

bool syncToDisk(QFileDevice &file, QString *error)
{
    if (!file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}

bool replaceFile(const QString &from, const QString &to, QString &error)
{
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), code);
    if (code)
        error = QString::fromLocal8Bit(code.message().c_str());
    return !code;
}

bool openPrivate(QFileDevice &file, QIODevice::OpenMode mode)
{
#ifdef Q_OS_UNIX
    // The umask belongs to the whole process; nothing else here creates files while a box or a
    // profile is being opened, and anything that did would only come out more private.
    const mode_t saved = ::umask(S_IRWXG | S_IRWXO);
    const bool opened = file.open(mode);
    ::umask(saved);
    return opened;
#else
    return file.open(mode);
#endif
}

bool makePrivate(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    return ::fchmod(file.handle(), S_IRUSR | S_IWUSR) == 0;
#else
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}

bool keepModeOf(const QString &path, QFileDevice &file)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return makePrivate(file);
    return ::fchmod(file.handle(), info.st_mode & 07777) == 0;
#else
    if (!QFileInfo::exists(path))
        return makePrivate(file);
    return file.setPermissions(QFileInfo(path).permissions());
#endif
}

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString withoutSlash(QString path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

[[noreturn]] void cannotRead(const QString &path, int code)
{
    throw VaulnixError(
        QStringLiteral("Cannot read the folder %1: %2").arg(withoutSlash(path), systemError(code)));
}

} // namespace

bool makeFolder(const QString &path, QString &error)
{
#ifdef Q_OS_UNIX
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    error = systemError(errno);
    return false;
#else
    if (QDir().mkdir(path))
        return true;
    error = QStringLiteral("the system refused");
    return false;
#endif
}

bool syncFolder(const QString &path, QString &error)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    if (!synced)
        error = systemError(errno);
    ::close(fd);
    return synced;
#else
    Q_UNUSED(path);
    Q_UNUSED(error);
    return true; // the system commits a folder's entries with its files
#endif
}

bool syncFileSystems(const QStringList &folders, QString &error)
{
#ifdef Q_OS_UNIX
    QSet<dev_t> synced;
    for (const QString &folder : folders) {
        struct stat info;
        const QByteArray name = QFile::encodeName(folder);
        if (::stat(name.constData(), &info) != 0) {
            error = systemError(errno);
            return false;
        }
        if (synced.contains(info.st_dev))
            continue;
#ifdef Q_OS_LINUX
        const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error = systemError(errno);
            return false;
        }
        const bool ok = ::syncfs(fd) == 0;
        const int code = errno;
        ::close(fd);
        if (!ok) {
            error = systemError(code);
            return false;
        }
#else
        ::sync();
#endif
        synced.insert(info.st_dev);
    }
    return true;
#else
    Q_UNUSED(folders);
    Q_UNUSED(error);
    return true;
#endif
}

QList<FolderEntry> listFolder(const QString &path)
{
    QList<FolderEntry> entries;
#ifdef Q_OS_UNIX
    // One pass of readdir with a stat relative to the folder, and a stat only where the type is
    // not already known or a size is needed.
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir) {
        if (errno == ENOENT)
            return entries; // gone since its parent was listed: nothing there to pack
        cannotRead(path, errno);
    }
    struct CloseDir
    {
        DIR *dir;
        ~CloseDir() { ::closedir(dir); }
    } closeDir{dir};
    const int fd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent *item = ::readdir(dir);
        if (!item) {
            if (errno != 0)
                cannotRead(path, errno);
            break;
        }
        if (item->d_name[0] == '.')
            continue;
        const unsigned char type = item->d_type;
        if (type != DT_REG && type != DT_DIR && type != DT_UNKNOWN)
            continue;
        FolderEntry entry;
        entry.name = QFile::decodeName(item->d_name);
        entry.folder = type == DT_DIR;
        if (type != DT_DIR) {
            struct stat info;
            if (::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    continue; // removed since it was listed: it is not there to pack
                throw VaulnixError(QStringLiteral("Cannot read %1: %2")
                                       .arg(withoutSlash(path) + QLatin1Char('/') + entry.name,
                                            systemError(errno)));
            }
            if (S_ISDIR(info.st_mode))
                entry.folder = true;
            else if (S_ISREG(info.st_mode))
                entry.size = info.st_size;
            else
                continue;
        }
        entries.append(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; });
#else
    const QDir folder(path);
    if (!folder.isReadable())
        throw VaulnixError(QStringLiteral("Cannot read the folder %1").arg(path));
    const QFileInfoList infos = folder.entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos)
        entries.append({info.fileName(), info.isDir() ? 0 : info.size(), info.isDir()});
#endif
    return entries;
}
