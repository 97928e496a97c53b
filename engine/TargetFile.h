#pragma once

#include "engine/NativeFile.h"

#include <QString>

// A file being extracted. A new target is written in place; an existing one is replaced only
// once its successor is complete, so a stop or an error never costs the older file. Whatever is
// not finished is removed.
class TargetFile
{
public:
    explicit TargetFile(const QString &target); // throws VaulnixError
    ~TargetFile();
    TargetFile(const TargetFile &) = delete;
    TargetFile &operator=(const TargetFile &) = delete;

    void write(const char *data, qint64 n); // throws VaulnixError
    void finish();                          // throws VaulnixError

private:
    QString target;
    QString writePath;
    NativeFile file;
    bool replacing = false;
    bool finished = false;
};
