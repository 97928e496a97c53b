#include "cli/BoxListing.h"

#include "cli/CliArguments.h"
#include "cli/Console.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"

#include <QFile>
#include <QFileInfo>

BoxRecords BoxRecords::of(const CCipherBlock &engine)
{
    BoxRecords result;
    const BoxCatalogue &box = engine.Catalogue();
    result.list.reserve(box.files.size());
    for (const BoxCatalogue::File &file : box.files) {
        Record record;
        record.storedPath = box.storedPath(file);
        record.relativePath = record.storedPath;
        record.relativePath.replace(QLatin1Char('\\'), QLatin1Char('/'));
        record.size = file.size;
        result.list.append(record);
    }
    return result;
}

qint64 BoxRecords::totalBytes() const
{
    qint64 sum = 0;
    for (const Record &record : list)
        sum += record.size;
    return sum;
}

QString BoxListing::format(const CCipherBlock &engine)
{
    const BoxRecords records = BoxRecords::of(engine);
    QString text;
    text += QStringLiteral("Box Name: ") + ConsoleText::printable(engine.BlockName()) + '\n';
    text += QStringLiteral("Root Folder: ") + ConsoleText::printable(engine.RootPath()) + '\n';
    text += engine.Catalogue().format == BoxFormatId::Sealed
                ? QStringLiteral("Format: 2 (sealed)\n")
                : QStringLiteral("Format: 1\n");
    qsizetype position = 0;
    for (const BoxRecords::Record &record : records.records()) {
        text += QStringLiteral("%1\t%2\t").arg(++position).arg(record.size) +
                ConsoleText::printable(record.storedPath) + '\n';
    }
    text += QStringLiteral("Files: %1  Size: %2\n")
                .arg(records.records().size())
                .arg(records.totalBytes());
    return text;
}

void BoxListing::checkReadable(const QString &path)
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

JobSettings::JobSettings(bool shred, const QString &password)
    : savedShred(Global::DialogShred)
    , savedPassword(Global::CurrentUserPassword)
{
    Global::DialogShred = shred ? 1 : 0;
    Global::CurrentUserPassword = password;
}

JobSettings::~JobSettings()
{
    Global::DialogShred = savedShred;
    Global::CurrentUserPassword = savedPassword;
}
