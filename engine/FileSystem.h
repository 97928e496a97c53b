#pragma once

#include <QList>
#include <QString>

class QFileDevice;

// The few file operations Qt does not offer portably.

// Forces what was written to an open file onto the disk; false when the system refuses, with
// the system's reason in error when one is asked for.
bool syncToDisk(QFileDevice &file, QString *error = nullptr);
// Puts from in the place of to in one step, replacing an existing file; false with the reason
// in error when that fails.
bool replaceFile(const QString &from, const QString &to, QString &error);

struct FolderEntry
{
    QString name;
    qint64 size = 0;
    bool folder = false;
};
// The visible regular files and folders of path, sorted by name. Symbolic links, devices,
// pipes, sockets and names beginning with "." are left out. Empty when path cannot be listed.
QList<FolderEntry> listFolder(const QString &path);
