#include "engine/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
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

QList<FolderEntry> listFolder(const QString &path)
{
    QList<FolderEntry> entries;
#ifdef Q_OS_UNIX
    // One pass of readdir with a stat relative to the folder, and a stat only where the type is
    // not already known or a size is needed.
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return entries;
    const int fd = ::dirfd(dir);
    while (const dirent *item = ::readdir(dir)) {
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
            if (::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISDIR(info.st_mode))
                entry.folder = true;
            else if (S_ISREG(info.st_mode))
                entry.size = info.st_size;
            else
                continue;
        }
        entries.append(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; });
#else
    const QFileInfoList infos = QDir(path).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos)
        entries.append({info.fileName(), info.isDir() ? 0 : info.size(), info.isDir()});
#endif
    return entries;
}
