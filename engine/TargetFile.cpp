#include "engine/TargetFile.h"

#include "engine/FileSystem.h"
#include "shell/VaulnixError.h"

#include <QFile>

TargetFile::TargetFile(const QString &path)
    : target(path)
    , writePath(path)
{
    if (file.open(writePath, NativeFile::Mode::CreateNew))
        return;
    replacing = file.alreadyExists();
    writePath = target + QStringLiteral(".vaulnix-part");
    QFile::remove(writePath);
    if (!replacing || !file.open(writePath, NativeFile::Mode::CreateNew)) {
        finished = true; // nothing of ours to remove
        throw VaulnixError(QStringLiteral("Cannot create %1: %2").arg(target, file.errorString()));
    }
}

TargetFile::~TargetFile()
{
    if (finished)
        return;
    file.close();
    QFile::remove(writePath);
}

void TargetFile::write(const char *data, qint64 n)
{
    if (!file.write(data, n))
        throw VaulnixError(QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
}

void TargetFile::finish()
{
    if (!file.close())
        throw VaulnixError(QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
    QString failure;
    if (replacing && !replaceFile(writePath, target, failure))
        throw VaulnixError(QStringLiteral("Cannot replace %1: %2").arg(target, failure));
    finished = true;
}
