#include "engine/TargetFile.h"

#include "core/VaulnixError.h"
#include "engine/FileSystem.h"

#include <QFile>
#include <QRandomGenerator>

TargetFile::TargetFile(const QString &path)
    : target(path)
    , writePath(path)
{
    if (file.open(writePath, NativeFile::Mode::CreateNew))
        return;
    replacing = file.alreadyExists();
    // The successor gets a random name of its own in the same folder, created exclusively: a
    // file that happens to be there already belongs to someone else and is never touched. The
    // name does not grow with the target's, so it always fits.
    const QString folder = target.left(target.lastIndexOf(QLatin1Char('/')) + 1);
    bool created = false;
    for (int attempt = 0; replacing && !created && attempt < 100; ++attempt) {
        writePath = folder + QStringLiteral(".vaulnix-part-") +
                    QString::number(QRandomGenerator::global()->generate64(), 36);
        created = file.open(writePath, NativeFile::Mode::CreateNew);
        if (!created && !file.alreadyExists())
            break;
    }
    if (!created) {
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
