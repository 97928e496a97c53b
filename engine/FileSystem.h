#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

class QFileDevice;

// The few file operations Qt does not offer portably.

// Forces what was written to an open file onto the disk; false when the system refuses, with
// the system's reason in error when one is asked for.
bool syncToDisk(QFileDevice &file, QString *error = nullptr);
// Puts from in the place of to in one step, replacing an existing file; false with the reason
// in error when that fails.
bool replaceFile(const QString &from, const QString &to, QString &error);

// Opens file (a QFile or a QSaveFile) so that a file it creates is its owner's alone from the
// start (0600, or less when the umask says so), never readable by others even for a moment.
bool openPrivate(QFileDevice &file, QIODevice::OpenMode mode);
// Makes an open file readable and writable by its owner alone (0600).
bool makePrivate(QFileDevice &file);
// Gives an open file that will replace the file at path that file's exact mode, or makes it
// private (0600) when there is none.
bool keepModeOf(const QString &path, QFileDevice &file);

// Makes one folder; false with the system's reason in error.
bool makeFolder(const QString &path, QString &error);
// Forces a folder's entries (names created, renamed or removed in it) onto the disk.
bool syncFolder(const QString &path, QString &error);
// Forces everything written to the file systems that hold these folders onto the disk: one call
// for each file system, however many files were written there.
bool syncFileSystems(const QStringList &folders, QString &error);

struct FolderEntry
{
    QString name;
    qint64 size = 0;
    bool folder = false;
};
// The visible regular files and folders of path, sorted by name. Symbolic links, devices,
// pipes, sockets and names beginning with "." are left out. Raises VaulnixError naming the folder
// and the cause when it, or an entry in it, cannot be read: a listing with holes would go unseen.
QList<FolderEntry> listFolder(const QString &path);
