#include "BoxBuilder.h"

#include "cipher/CCipher.h"
#include "engine/ConvLong.h"

BoxBuilder BoxBuilder::workedLayout()
{
    BoxBuilder b;
    b.name = "Docs";
    b.entries = {"Docs", "x\\"};
    b.records = {{0, "a.txt", "abc"}, {2, "b.txt", "hello"}};
    return b;
}

QByteArray BoxBuilder::plainDirectoryBlock() const
{
    QByteArray block;
    if (!folderBox)
        return block;
    for (const QByteArray &entry : entries)
        block += entry + '\0';
    return block;
}

QByteArray BoxBuilder::plainFileTable() const
{
    QByteArray table;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record &r = records[i];
        const qint64 size = r.sizeOverride >= 0 ? r.sizeOverride : r.data.size();
        table += ConvLong::IntToStr(r.folderIndex) + ConvLong::LongToStr(qint32(size)) + r.name;
        if (i + 1 < records.size())
            table += QByteArray(4, '\xff');
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
    QByteArray box = cipher.Cipher("$");
    box += char(name.size());
    box += cipher.Cipher(name);
    box += ConvLong::LongToStr(qint32(directoryBlock.size()));
    box += cipher.Cipher(directoryBlock);
    box += ConvLong::LongToStr(qint32(fileTable.size()));
    box += cipher.Cipher(fileTable);
    for (const Record &r : records) {
        cipher.Initilize(password, 0);
        box += cipher.Cipher(r.data);
    }
    cipher.Clear();
    return box;
}
