#include "core/Global.h"

#include <QDir>
#include <QFileInfo>

namespace Global {

bool CreatePath(const QString &path)
{
    const QString p = QDir::fromNativeSeparators(path);
    for (qsizetype i = p.indexOf(QLatin1Char('/'), 1); i > 0;
         i = p.indexOf(QLatin1Char('/'), i + 1)) {
        const QString prefix = p.left(i);
        if (!QFileInfo(prefix).isDir() && !QDir().mkdir(prefix))
            return false;
    }
    return true;
}

QString VersionTitle()
{
    return AppName + QStringLiteral(" v") + AppVersion;
}

} // namespace Global
