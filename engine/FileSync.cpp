#include "engine/FileSync.h"

#include <QFileDevice>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

bool syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}
