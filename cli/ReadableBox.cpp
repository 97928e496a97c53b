#include "cli/ReadableBox.h"

#include "cli/CliError.h"

#include <QFile>
#include <QFileInfo>

void ReadableBox::check(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw CliError(ExitStatus::Failed, QStringLiteral("%1: no such file").arg(path));
    if (!info.isFile())
        throw CliError(ExitStatus::Failed, QStringLiteral("%1: not a file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CliError(ExitStatus::Failed,
                       QStringLiteral("%1: cannot read: %2").arg(path, file.errorString()));
}
