#include "BoxBuilder.h"

#include "cipher/CCipher.h"
#include "engine/ConvLong.h"

BoxBuilder BoxBuilder::workedLayout()
{
    return {"Docs", {"Docs", "x\\"}, {{0, "a.txt", "abc"}, {2, "b.txt", "hello"}}};
}

QByteArray BoxBuilder::plainDirectoryBlock() const
{
    QByteArray block;
    for (const QByteArray &entry : entries)
        block += entry + '\0';
    return block;
}

QByteArray BoxBuilder::plainFileTable() const
{
    QByteArray table;
    for (const Record &r : records) {
        if (!table.isEmpty())
            table += QByteArray(4, '\xff');
        table +=
            ConvLong::IntToStr(r.folderIndex) + ConvLong::LongToStr(qint32(r.data.size())) + r.name;
    }
    return table;
}

QByteArray BoxBuilder::plainHeader() const
{
    const QByteArray dirs = plainDirectoryBlock();
    const QByteArray table = plainFileTable();
    return QByteArray("$") + char(name.size()) + name + ConvLong::LongToStr(qint32(dirs.size())) +
           dirs + ConvLong::LongToStr(qint32(table.size())) + table;
}

QByteArray BoxBuilder::build(const QString &password) const
{
    return build(password, plainDirectoryBlock(), plainFileTable());
}

QByteArray BoxBuilder::build(const QString &password, const QByteArray &directoryBlock,
                             const QByteArray &fileTable) const
{
    CCipher cipher;
    cipher.Initilize(password, 0);
    // One stream runs through the header, so the pieces are enciphered in order.
    QByteArray box = cipher.Cipher("$") + char(name.size());
    box += cipher.Cipher(name) + ConvLong::LongToStr(qint32(directoryBlock.size()));
    box += cipher.Cipher(directoryBlock) + ConvLong::LongToStr(qint32(fileTable.size()));
    box += cipher.Cipher(fileTable);
    for (const Record &r : records) {
        cipher.Initilize(password, 0);
        box += cipher.Cipher(r.data);
    }
    cipher.Clear();
    return box;
}
