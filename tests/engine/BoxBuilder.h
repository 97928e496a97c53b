#pragma once

#include "cipher/CCipher.h"
#include "engine/ConvLong.h"

#include <QList>

// Builds box bytes field by field, so reader tests control every byte of a header.
struct BoxBuilder
{
    struct Record
    {
        int folderIndex;
        QByteArray name;
        QByteArray data;
    };
    // Box "Docs" with a.txt ("abc") and X\b.txt ("hello").
    static BoxBuilder workedLayout()
    {
        return {"Docs", {"Docs", "x\\"}, {{0, "a.txt", "abc"}, {2, "b.txt", "hello"}}};
    }

    QByteArray name;
    QList<QByteArray> entries; // plain directory entries without their zero bytes
    QList<Record> records;

    QByteArray plainDirectoryBlock() const { return entries.join('\0') + '\0'; }
    QByteArray plainFileTable() const
    {
        QList<QByteArray> table;
        for (const Record &r : records)
            table << ConvLong::IntToStr(r.folderIndex) +
                         ConvLong::LongToStr(qint32(r.data.size())) + r.name;
        return table.join(QByteArray(4, '\xff'));
    }
    // The box under password, from the given (possibly damaged) plain blocks or its own.
    QByteArray build(const QString &password, QByteArray dirs = {}, QByteArray table = {}) const
    {
        dirs = dirs.isEmpty() ? plainDirectoryBlock() : dirs;
        table = table.isEmpty() ? plainFileTable() : table;
        const auto length = [](const QByteArray &b) {
            return ConvLong::LongToStr(qint32(b.size()));
        };
        CCipher cipher;
        cipher.Initilize(password, 0);
        // One stream runs through the header, so the pieces are enciphered in order.
        QByteArray box = cipher.Cipher("$") + char(name.size());
        box += cipher.Cipher(name) + length(dirs);
        box += cipher.Cipher(dirs) + length(table);
        box += cipher.Cipher(table);
        for (const Record &r : records) {
            cipher.Initilize(password, 0);
            box += cipher.Cipher(r.data);
        }
        cipher.Clear();
        return box;
    }
};
