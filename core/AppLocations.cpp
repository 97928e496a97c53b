#include "core/AppLocations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString withSeparator(const QString &folder)
{
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

QString AppLocations::profileFolder(const QString &programFolder, const QString &dataFolder)
{
    return withSeparator(holdsProfiles(programFolder) ? programFolder : dataFolder);
}

bool AppLocations::holdsProfiles(const QString &folder)
{
    return !folder.isEmpty() &&
           !QDir(folder).entryList({QStringLiteral("*.vlu")}, QDir::Files).isEmpty();
}

bool AppLocations::makePrivateFolder(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    if (info.isDir())
        return true;
    // Made with its mode at once, so it is never readable by others, not even for a moment.
    return QDir().mkpath(info.path()) &&
           QDir().mkdir(info.filePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString AppLocations::instanceLockFile()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("vaulnix.lock"));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(QStringLiteral("vaulnix-%1.lock").arg(qEnvironmentVariable("USER")));
}
