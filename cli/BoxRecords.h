#pragma once

#include <QList>
#include <QString>

class CCipherBlock;

// The file records of the box an engine has just read, with the paths they extract to.
class BoxRecords
{
public:
    struct Record
    {
        QString storedPath;   // directory entry as stored ("\"-separated) and the file name
        QString relativePath; // the same with "/", below the extraction folder
        qint64 size = 0;
    };

    static BoxRecords of(const CCipherBlock &engine);

    const QList<Record> &records() const { return list; }
    qint64 totalBytes() const;

private:
    QList<Record> list;
};
