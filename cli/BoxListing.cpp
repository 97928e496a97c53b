#include "cli/BoxListing.h"

#include "cli/BoxRecords.h"
#include "cli/ConsoleText.h"
#include "engine/CCipherBlock.h"

QString BoxListing::format(const CCipherBlock &engine)
{
    const BoxRecords records = BoxRecords::of(engine);
    QString text;
    text += QStringLiteral("Box Name: ") + ConsoleText::printable(engine.BlockName()) + '\n';
    text += QStringLiteral("Root Folder: ") + ConsoleText::printable(engine.RootPath()) + '\n';
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
