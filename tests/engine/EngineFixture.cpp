#include "EngineFixture.h"

#include <QDirIterator>

QStringList EngineFixture::tree(const QString &relative) const
{
    const QDir root(path(relative));
    QStringList files;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << root.relativeFilePath(it.next());
    files.sort();
    return files;
}
