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
        QByteArray name;
        QByteArray data;
    };

    // The documented example: box "Docs" with a.txt ("abc") and X\b.txt ("hello").
    static BoxBuilder workedLayout();

    QByteArray name;
    QList<QByteArray> entries; // plain directory entries without their zero bytes
    QList<Record> records;

    QByteArray plainDirectoryBlock() const;
    QByteArray plainFileTable() const;
    QByteArray plainHeader() const;
    // The box under password, from the given (possibly damaged) plain blocks or its own.
    QByteArray build(const QString &password) const;
    QByteArray build(const QString &password, const QByteArray &directoryBlock,
                     const QByteArray &fileTable) const;
};
