#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>
#include <vector>

class CCipher;
class QIODevice;

// The deciphered, checked header of a box. A header is accepted only when it is consistent
// throughout, so a box that passes can be extracted without writing outside its folder.
class BoxHeader
{
public:
    static constexpr char Marker = '$';
    static constexpr QByteArrayView Separator{"\xff\xff\xff\xff", 4};
    static constexpr qint64 MaxBytes = 2147483647;
    static constexpr int MinRecordBytes = 7;

    // Reads from position 0 of box, whose length is length, through the already keyed cipher.
    // Returns nothing for a wrong password or a damaged header; box is then left anywhere.
    // Raises VaulnixError when the system refuses a read.
    static std::optional<BoxHeader> read(QIODevice &box, qint64 length, CCipher &cipher);

    static bool isSafeFileName(QByteArrayView name);
    static bool isSafeDirectoryEntry(QByteArrayView entry);

    struct Record
    {
        qint32 folderIndex = 0;
        qint32 size = 0;
        QByteArray name;
    };
    static Record decode(const QByteArray &raw);

    // The plain pieces of the two blocks, unchecked.
    static QList<QByteArrayView> splitDirectoryBlock(QByteArrayView block);
    static QList<QByteArray> splitFileTable(const QByteArray &table);

    QByteArray name;
    QString rootName;            // entry 1 in its stored case; empty for a file-list box
    QStringList directories;     // every entry, lower-cased, "\"-separated as stored
    QList<QByteArray> records;   // raw records in table order
    std::vector<qint64> offsets; // offset of each record's block from the header's end
    qint64 headerLength = 0;
    qint64 payload = 0;
};
