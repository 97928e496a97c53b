#pragma once

// Small pieces the CCipherBlock sources share; not part of the engine's interface.

#include "cipher/CCipher.h"
#include "core/VaulnixError.h"

#include <QByteArray>
#include <QDir>
#include <QFileDevice>
#include <QString>

namespace EngineHelpers {

// Leaves the process-wide cipher state unkeyed from the password whatever way we leave.
struct ClearOnExit
{
    CCipher &cipher;
    ~ClearOnExit() { cipher.Clear(); }
};

inline QString withSlash(QString path)
{
    path = QDir::fromNativeSeparators(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

inline QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

inline void writeAll(QFileDevice &file, const char *data, qint64 n, const QString &name)
{
    // A write that the disk cuts short reports no error; the next one says why.
    while (n > 0) {
        const qint64 put = file.write(data, n);
        if (put <= 0)
            throw VaulnixError(QStringLiteral("Cannot write %1: %2").arg(name, file.errorString()));
        data += put;
        n -= put;
    }
}

// Reads n bytes of an open box that should hold them: a box that ends first is cut short, a
// read the system refuses is named with its cause.
inline void readFromBox(QFileDevice &box, char *data, qint64 n, const QString &target)
{
    while (n > 0) {
        const qint64 got = box.read(data, n);
        if (got < 0)
            throw VaulnixError(QStringLiteral("Cannot read the box %1: %2")
                                   .arg(box.fileName(), box.errorString()));
        if (got == 0)
            throw VaulnixError(QStringLiteral("The box %1 is cut short; %2 is incomplete")
                                   .arg(box.fileName(), target));
        data += got;
        n -= got;
    }
}

inline void writeAll(QFileDevice &file, const QByteArray &data, const QString &name)
{
    writeAll(file, data.constData(), data.size(), name);
}

} // namespace EngineHelpers
