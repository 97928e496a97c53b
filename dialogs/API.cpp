#include "dialogs/API.h"

#include "core/Prompt.h"

#include <QDir>

namespace API {

QString BrowseForFolder(const QString &Title)
{
    return Prompt::instance().folder(Title, QString()).trimmed();
}

QString PathFolderPart(const QString &Path)
{
    const qsizetype slash = Path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : Path.left(slash + 1);
}

QString PathFileName(const QString &Path)
{
    return Path.mid(Path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString PathExtension(const QString &Path)
{
    const qsizetype dot = Path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : Path.mid(dot + 1).toLower();
}

} // namespace API
