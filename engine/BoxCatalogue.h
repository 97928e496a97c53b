#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The box formats a reader tells apart by the first bytes of a box.
enum class BoxFormatId : quint8 { Plain = 1, Sealed = 2 };

// What a box holds, whatever its format: the windows, the command line and the extraction read
// this rather than any format's own records.
struct BoxCatalogue
{
    struct File
    {
        qint32 folderIndex = 0; // 0 or 1: the extraction folder; 2 and up: that directory entry
        qint64 size = 0;
        QString name;
        qint64 offset = 0; // where its content starts in the box file
        QString source;    // the file packed into it (writing only)
    };

    BoxFormatId format = BoxFormatId::Plain;
    QString name;
    QString rootName;        // entry 1 in its stored case; empty for a file-list box
    QStringList directories; // every entry, lower-cased, "\"-separated as stored
    QList<File> files;
    qint64 totalBytes = 0; // the files' sizes added up
    QString source;        // the folder packed into it (writing a folder box only)

    bool isFileList() const { return directories.isEmpty(); }
    // The stored folder of a file ("2003\march\"), empty for the extraction folder itself.
    QString folderOf(const File &file) const
    {
        return file.folderIndex >= 2 && file.folderIndex <= directories.size()
                   ? directories.at(file.folderIndex - 1)
                   : QString();
    }
    QString storedPath(const File &file) const { return folderOf(file) + file.name; }
};
