#include "FuzzWorkspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "fuzz: %s\n", qUtf8Printable(why));
    std::abort();
}

} // namespace

FuzzWorkspace::FuzzWorkspace()
    : dir(QDir::tempPath() + QStringLiteral("/vaulnix-fuzz-XXXXXX"))
{
    if (!dir.isValid())
        fail(QStringLiteral("cannot make a workspace in %1").arg(QDir::tempPath()));
    box = dir.filePath(QStringLiteral("box.vlx"));
    whole = dir.filePath(QStringLiteral("whole"));
    selection = dir.filePath(QStringLiteral("selection"));
}

void FuzzWorkspace::writeBox(const uint8_t *data, size_t size) const
{
    QFile file(box);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        fail(QStringLiteral("cannot write %1").arg(box));
}

void FuzzWorkspace::checkAndClear() const
{
    const QFileInfoList entries =
        QDir(dir.path())
            .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (path == box && entry.isFile() && !entry.isSymLink())
            continue;
        if ((path == whole || path == selection) && entry.isDir() && !entry.isSymLink()) {
            if (!QDir(path).removeRecursively())
                fail(QStringLiteral("cannot clear %1").arg(path));
            continue;
        }
        fail(QStringLiteral("%1 was written outside the extraction folders").arg(path));
    }
}
