#include "engine/ConvLong.h"

#include "core/VaulnixError.h"

namespace ConvLong {

QByteArray LongToStr(qint32 value)
{
    if (value < 0)
        throw VaulnixError(
            QStringLiteral("Overflow: %1 does not fit a 4-byte box field").arg(value));
    QByteArray out(4, '\0');
    out[0] = char((value >> 24) & 0xff);
    out[1] = char((value >> 16) & 0xff);
    out[2] = char((value >> 8) & 0xff);
    out[3] = char(value & 0xff);
    return out;
}

qint32 StrToLong(const QByteArray &bytes)
{
    if (bytes.size() < 4)
        throw VaulnixError(QStringLiteral("A 4-byte box field is cut short"));
    const auto b = [&](int i) { return quint32(quint8(bytes[i])); };
    if (b(0) >= 0x80)
        throw VaulnixError(QStringLiteral("Overflow: a 4-byte box field is out of range"));
    return qint32((b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3));
}

QByteArray IntToStr(qint32 value)
{
    if (value < 0 || value > 65535)
        throw VaulnixError(
            QStringLiteral("Overflow: %1 does not fit a 2-byte box field").arg(value));
    QByteArray out(2, '\0');
    out[0] = char((value >> 8) & 0xff);
    out[1] = char(value & 0xff);
    return out;
}

qint32 StrToInt(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        throw VaulnixError(QStringLiteral("A 2-byte box field is cut short"));
    return qint32(quint8(bytes[0])) * 256 + qint32(quint8(bytes[1]));
}

} // namespace ConvLong
