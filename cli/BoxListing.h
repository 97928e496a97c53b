#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

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

namespace BoxListing {
// The text of `list` for the box an engine has just read.
QString format(const CCipherBlock &engine);
// A box path that can be opened for reading, checked before a password is asked for.
// Throws CliError with ExitStatus::Failed naming the box and the cause.
void checkReadable(const QString &path);
} // namespace BoxListing

// Sets the program-wide fields the engine reads for one job and puts them back afterwards,
// so no password outlives the command.
class JobSettings
{
public:
    JobSettings(bool shred, const QString &password = QString());
    ~JobSettings();
    JobSettings(const JobSettings &) = delete;
    JobSettings &operator=(const JobSettings &) = delete;

private:
    qint16 savedShred;
    QString savedPassword;
};
