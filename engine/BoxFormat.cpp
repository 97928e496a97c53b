#include "engine/BoxFormat.h"

#include "core/VaulnixError.h"
#include "engine/PlainFormat.h"

#include <QFile>

std::unique_ptr<BoxFormat> BoxFormat::detect(QFileDevice &box)
{
    Q_UNUSED(box);
    return std::make_unique<PlainFormat>();
}

std::unique_ptr<BoxFormat> BoxFormat::forWriting(BoxFormatId id)
{
    switch (id) {
    case BoxFormatId::Plain:
        return std::make_unique<PlainFormat>();
    case BoxFormatId::Sealed:
        break;
    }
    throw VaulnixError(QStringLiteral("This build cannot write sealed boxes"));
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
