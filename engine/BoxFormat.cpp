#include "engine/BoxFormat.h"

#include "core/VaulnixError.h"
#include "engine/PlainFormat.h"
#include "engine/SealedFormat.h"

#include <QFile>
#include <QFileInfo>

std::unique_ptr<BoxFormat> BoxFormat::detect(QFileDevice &box)
{
    if (!box.seek(0))
        throw VaulnixError(
            QStringLiteral("Cannot read the box %1: %2").arg(box.fileName(), box.errorString()));
    const QByteArray start = box.read(SealedFormat::PrefixBytes);
    if (box.error() != QFileDevice::NoError)
        throw VaulnixError(
            QStringLiteral("Cannot read the box %1: %2").arg(box.fileName(), box.errorString()));
    if (SealedFormat::isSealed(start))
        return SealedFormat::forReading(start);
    return std::make_unique<PlainFormat>();
}

std::unique_ptr<BoxFormat> BoxFormat::forWriting(BoxFormatId id)
{
    switch (id) {
    case BoxFormatId::Plain:
        return std::make_unique<PlainFormat>();
    case BoxFormatId::Sealed:
        return SealedFormat::forWriting(WriterChunkBytes);
    }
    throw VaulnixError(QStringLiteral("Unknown box format"));
}

BoxFormatId BoxFormat::keepingSealed(const QString &path, BoxFormatId wanted)
{
    if (wanted == BoxFormatId::Sealed || !QFileInfo::exists(path))
        return wanted;
    QFile box(path);
    if (!box.open(QIODevice::ReadOnly))
        throw VaulnixError(QStringLiteral("Cannot read the box %1 to tell its format: %2")
                               .arg(path, box.errorString()));
    return detect(box)->id() == BoxFormatId::Sealed ? BoxFormatId::Sealed : wanted;
}

std::optional<BoxFormatId> BoxFormat::formatOf(const QString &path)
{
    QFile box(path);
    if (!box.open(QIODevice::ReadOnly))
        return std::nullopt;
    try {
        return detect(box)->id();
    } catch (const VaulnixError &) {
        return std::nullopt;
    }
}
