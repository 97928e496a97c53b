#pragma once

#include "engine/NativeFile.h"

#include <QString>

// A file being extracted. It is written under no name, or under a part name of its own, and
// takes its real name only once complete: a stop, an error or a crash never leaves a file cut
// short under its real name, and an older file there stays until its successor is whole.
// Whatever is not finished is removed.
class TargetFile
{
public:
    explicit TargetFile(const QString &target); // throws VaulnixError
    ~TargetFile();
    TargetFile(const TargetFile &) = delete;
    TargetFile &operator=(const TargetFile &) = delete;

    void write(const char *data, qint64 n); // throws VaulnixError
    void finish();                          // throws VaulnixError

    static constexpr QLatin1StringView PartPrefix{".vaulnix-part-"};

private:
    // Makes a new part name in the target's folder with make, which fails when the name is
    // taken; false with file's error when it fails for another reason.
    template<typename Make> bool newPartName(Make make);
    void replaceTarget();

    QString target;
    QString folder;
    QString partPath; // empty while the file has no name
    NativeFile file;
    bool unnamed = false;
    bool finished = false;
};
