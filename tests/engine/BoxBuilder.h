#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builds box bytes field by field, so reader tests control every byte of a header.
struct BoxBuilder
{
    struct Record
    {
        int folderIndex;
        // The documented example: box "Docs" with a.txt ("abc") and X\b.txt ("hello").
        static BoxBuilder workedLayout();

        QByteArray name;
        QByteArray data;
        qint64 sizeOverride = -1; // a size field that lies about the data
    };

    // The documented example: box "Docs" with a.txt ("abc") and X\b.txt ("hello").
    static BoxBuilder workedLayout();

    QByteArray name;
    QList<QByteArray> entries; // plain directory entries without their zero bytes
    QList<Record> records;
    bool folderBox = true;

    QByteArray plainDirectoryBlock() const;
    QByteArray plainFileTable() const;
    QByteArray plainHeader() const;
    // The box under password; hooks let a test damage the plain blocks before enciphering.
    QByteArray build(const QString &password) const;
    QByteArray build(const QString &password, const QByteArray &directoryBlock,
                     const QByteArray &fileTable) const;
};
