#include "engine/BoxHeader.h"

#include "cipher/CCipher.h"
#include "core/VaulnixError.h"
#include "engine/ConvLong.h"

#include <QFileDevice>

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool hasDriveDesignator(QByteArrayView text)
{
    return text.size() >= 2 && isLetter(text[0]) && text[1] == ':';
}

// Reads exactly n bytes, or nothing when the box ends first; a read the system refuses is no
// damage of the box, and says so.
std::optional<QByteArray> readExactly(QIODevice &box, qint64 n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    qint64 done = 0;
    while (done < n) {
        const qint64 got = box.read(bytes.data() + done, n - done);
        if (got < 0) {
            const auto *file = qobject_cast<QFileDevice *>(&box);
            throw VaulnixError(QStringLiteral("Cannot read the box %1: %2")
                                   .arg(file ? file->fileName() : QString(), box.errorString()));
        }
        if (got == 0)
            return std::nullopt;
        done += got;
    }
    return bytes;
}

std::optional<qint64> readLength(QIODevice &box, qint64 remaining)
{
    const auto field = readExactly(box, 4);
    if (!field || quint8((*field)[0]) >= 0x80)
        return std::nullopt;
    const qint64 value = ConvLong::StrToLong(*field);
    if (value > remaining - 4)
        return std::nullopt;
    return value;
}

} // namespace

bool BoxHeader::isSafeFileName(QByteArrayView name)
{
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    if (hasDriveDesignator(name))
        return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0')
            return false;
    }
    return true;
}

bool BoxHeader::isSafeDirectoryEntry(QByteArrayView entry)
{
    if (entry.isEmpty() || entry.front() == '\\' || entry.back() != '\\' ||
        hasDriveDesignator(entry))
        return false;
    qsizetype start = 0;
    while (start < entry.size()) {
        const qsizetype end = entry.indexOf('\\', start);
        const QByteArrayView part = entry.sliced(start, end - start);
        if (part.isEmpty() || part == "." || part == ".." || part.contains('/') ||
            part.contains('\0'))
            return false;
        start = end + 1;
    }
    return true;
}

QList<QByteArrayView> BoxHeader::splitDirectoryBlock(QByteArrayView block)
{
    QList<QByteArrayView> entries;
    qsizetype start = 0;
    while (start < block.size()) {
        qsizetype end = block.indexOf('\0', start);
        if (end < 0)
            end = block.size(); // an unterminated last piece is no entry
        else
            entries.append(block.sliced(start, end - start));
        start = end + 1;
    }
    return entries;
}

QList<QByteArray> BoxHeader::splitFileTable(const QByteArray &table)
{
    QList<QByteArray> records;
    if (table.isEmpty())
        return records;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = table.indexOf(Separator, start);
        if (end < 0) {
            records.append(table.sliced(start));
            return records;
        }
        records.append(table.sliced(start, end - start));
        start = end + Separator.size();
    }
}

BoxHeader::Record BoxHeader::decode(const QByteArray &raw)
{
    Record record;
    record.folderIndex = ConvLong::StrToInt(raw.left(2));
    record.size = ConvLong::StrToLong(raw.mid(2, 4));
    record.name = raw.mid(6);
    return record;
}

std::optional<BoxHeader> BoxHeader::read(QIODevice &box, qint64 length, CCipher &cipher)
{
    if (length < 10)
        return std::nullopt;
    auto marker = readExactly(box, 1);
    if (!marker || cipher.Cipher(*marker) != QByteArray(1, Marker))
        return std::nullopt;

    BoxHeader header;
    const auto nameLength = readExactly(box, 1);
    if (!nameLength)
        return std::nullopt;
    const qint64 n = quint8((*nameLength)[0]);
    auto name = readExactly(box, n);
    if (!name)
        return std::nullopt;
    header.name = cipher.Cipher(*name);

    const auto d = readLength(box, length - 2 - n);
    if (!d)
        return std::nullopt;
    QByteArray directoryBlock;
    if (*d > 0) {
        auto block = readExactly(box, *d);
        if (!block)
            return std::nullopt;
        directoryBlock = cipher.Cipher(*block);
    }
    const auto f = readLength(box, length - 6 - n - *d);
    if (!f)
        return std::nullopt;
    auto table = readExactly(box, *f);
    if (!table)
        return std::nullopt;
    const QByteArray fileTable = cipher.Cipher(*table);
    header.headerLength = 10 + n + *d + *f;
    header.payload = length - header.headerLength;
    if (header.payload > MaxBytes)
        return std::nullopt;

    if (!directoryBlock.isEmpty() && directoryBlock.back() != '\0')
        return std::nullopt;
    for (const QByteArrayView entry : splitDirectoryBlock(directoryBlock)) {
        if (!header.directories.isEmpty() && !isSafeDirectoryEntry(entry))
            return std::nullopt;
        const QString text = QString::fromUtf8(entry);
        if (header.directories.isEmpty())
            header.rootName = text;
        header.directories.append(text.toLower());
    }

    qint64 sum = 0;
    header.records = splitFileTable(fileTable);
    header.offsets.reserve(header.records.size());
    for (const QByteArray &raw : std::as_const(header.records)) {
        if (raw.size() < MinRecordBytes || quint8(raw[2]) >= 0x80)
            return std::nullopt;
        const Record record = decode(raw);
        if ((record.folderIndex >= 2 && record.folderIndex > header.directories.size()) ||
            !isSafeFileName(record.name))
            return std::nullopt;
        header.offsets.push_back(sum);
        sum += record.size;
    }
    if (sum != header.payload)
        return std::nullopt;
    return header;
}
