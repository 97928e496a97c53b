#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class QFile;

// A plain file handle for the engine's per-file work, with as few system calls as the platform
// allows: boxes of many small files spend most of their time opening, reading and closing.
class NativeFile
{
public:
    // Folder opens a folder for openIn(), without reading it.
    enum class Mode { Read, CreateNew, Folder };

    NativeFile();
    ~NativeFile();
    NativeFile(const NativeFile &) = delete;
    NativeFile &operator=(const NativeFile &) = delete;

    // CreateNew fails when anything of that name exists; alreadyExists() then says so.
    bool open(const QString &path, Mode mode);
    // Opens the file name in a folder opened with Mode::Folder, for reading: no walk along the
    // whole path for every file of a folder.
    bool openIn(const NativeFile &folder, const QString &name);
    // Creates a file with no name in folder, for writing; linkAs() gives it one. If the program
    // dies first, the file vanishes with it. False where the file system cannot do this.
    bool openUnnamedIn(const QString &folder);
    // Gives the open unnamed file the name path; fails when anything of that name exists, and
    // alreadyExists() then says so.
    bool linkAs(const QString &path);
    // Up to n bytes; fewer only at the end of the file; -1 on an error.
    qint64 read(char *data, qint64 n);
    // Reads a file expected to hold n bytes into data, which has room for n + 1: returns n + 1
    // for a file that grew. Unlike read(), a short read that brings n bytes ends it, which saves
    // a second call for every small file.
    qint64 readExpected(char *data, qint64 n);
    bool write(const char *data, qint64 n);
    bool close();
    bool alreadyExists() const { return exists; }
    QString errorString() const { return error; }

private:
    qint64 readSome(char *data, qint64 n); // one read of the platform
    void failed();

    int handle = -1;
    std::unique_ptr<QFile> fallback;
    QString folderPath; // Mode::Folder without native handles
    bool exists = false;
    QString error;
};
