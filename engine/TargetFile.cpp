#include "engine/TargetFile.h"

#include "core/VaulnixError.h"
#include "engine/FileSystem.h"

#include <QFile>
#include <QRandomGenerator>

TargetFile::TargetFile(const QString &path)
    : target(path)
    , folder(path.left(path.lastIndexOf(QLatin1Char('/')) + 1))
{
    unnamed = file.openUnnamedIn(folder);
    if (unnamed)
        return;
    if (!newPartName(
            [this](const QString &name) { return file.open(name, NativeFile::Mode::CreateNew); })) {
        finished = true; // nothing of ours to remove
        throw VaulnixError(QStringLiteral("Cannot create %1: %2").arg(target, file.errorString()));
    }
}

TargetFile::~TargetFile()
{
    if (finished)
        return;
    file.close();
    if (!partPath.isEmpty())
        QFile::remove(partPath);
}

template<typename Make> bool TargetFile::newPartName(Make make)
{
    // A random name created exclusively: a file that happens to be there already belongs to
    // someone else and is never touched. The name does not grow with the target's, so it fits.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            folder + PartPrefix + QString::number(QRandomGenerator::global()->generate64(), 36);
        if (make(name)) {
            partPath = name;
            return true;
        }
        if (!file.alreadyExists())
            return false;
    }
    return false;
}

void TargetFile::write(const char *data, qint64 n)
{
    if (!file.write(data, n))
        throw VaulnixError(QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
}

void TargetFile::replaceTarget()
{
    QString failure;
    if (!replaceFile(partPath, target, failure))
        throw VaulnixError(QStringLiteral("Cannot replace %1: %2").arg(target, failure));
    partPath.clear();
}

void TargetFile::finish()
{
    if (!unnamed) {
        if (!file.close())
            throw VaulnixError(
                QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
        replaceTarget();
        finished = true;
        return;
    }
    if (!file.linkAs(target)) {
        // An older file is there: the new one takes a part name beside it, then its place.
        if (!file.alreadyExists() ||
            !newPartName([this](const QString &name) { return file.linkAs(name); }))
            throw VaulnixError(
                QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
        replaceTarget();
    }
    finished = true;
    if (!file.close())
        throw VaulnixError(QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
}
