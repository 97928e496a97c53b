#pragma once

#include <QByteArray>
#include <QtGlobal>

// The box format's big-endian integer fields as byte strings.
namespace ConvLong {

// 0 to 2,147,483,647 as 4 bytes; a negative value throws VaulnixError.
QByteArray LongToStr(qint32 value);
// The first 4 bytes; a first byte of 0x80 or more, or fewer than 4 bytes, throws.
qint32 StrToLong(const QByteArray &bytes);
// 0 to 65,535 as 2 bytes; anything else throws.
QByteArray IntToStr(qint32 value);
// The first 2 bytes; fewer than 2 bytes throws.
qint32 StrToInt(const QByteArray &bytes);

} // namespace ConvLong
