#include "cli/ExtractCommand.h"

#include "cli/BoxListing.h"
#include "cli/Console.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool stopRequested()
{
    return Global::StopRequested.load() != 0;
}

} // namespace

ExtractCommand::ExtractCommand(const CliArguments &arguments, Console &console,
                               CCipherBlock &engine)
    : arguments(arguments)
    , console(console)
    , engine(engine)
    , box(QDir::cleanPath(QDir::current().absoluteFilePath(arguments.box)))
    , folder(QDir::cleanPath(QDir::current().absoluteFilePath(arguments.folder)))
{}

void ExtractCommand::check() const
{
    BoxListing::checkReadable(box);
    const QFileInfo target(folder);
    if (target.exists() && !target.isDir())
        throw CliError(ExitStatus::Failed,
                       QStringLiteral("%1: exists and is not a folder").arg(folder));
}

ExitStatus ExtractCommand::run(const QString &password)
{
    return arguments.only.isEmpty() ? extractWhole(password) : extractSelected(password);
}

ExitStatus ExtractCommand::extractWhole(const QString &password)
{
    JobSettings job(arguments.shred);
    ProgressDisplay progress(console.err(), console.errorIsTerminal() && !arguments.quiet);
    progress.attach(engine);
    CCipherBlock::ExtractResult result = CCipherBlock::Extracted;
    try {
        result = engine.ExtractBlock(box, folder, password);
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    if (result == CCipherBlock::ExtractBadHeader)
        wrongPassword();
    if (result == CCipherBlock::ExtractStopped)
        stopped();
    if (result == CCipherBlock::ExtractedNotShredded)
        throw CliError(ExitStatus::Stopped,
                       QStringLiteral("stopped: every file is extracted into %1, but the box %2 "
                                      "was not shredded")
                           .arg(folder, box));
    return ExitStatus::Done;
}

ExitStatus ExtractCommand::extractSelected(const QString &password)
{
    // Read the table first, so that a position beyond it changes nothing on disk.
    if (engine.ViewBlock(box, password) != CCipherBlock::Read)
        wrongPassword();
    const BoxRecords records = BoxRecords::of(engine);
    const qsizetype count = records.records().size();
    QList<qint32> positions;
    qint64 total = 0;
    for (const qint32 position : arguments.only) {
        if (position > count)
            throw CliError(ExitStatus::Usage,
                           QStringLiteral("%1 holds %2 files; there is no file %3")
                               .arg(box)
                               .arg(count)
                               .arg(position));
        positions.append(position - 1);
        total += records.records().at(position - 1).size;
    }

    JobSettings job(false, password);
    if (engine.DynamicExtractBlock(box, folder, password) != CCipherBlock::Read)
        wrongPassword();
    struct CloseBox
    {
        CCipherBlock &engine;
        ~CloseBox() { engine.DynamicClose(); }
    } close{engine};

    ProgressDisplay progress(console.err(), console.errorIsTerminal() && !arguments.quiet);
    progress.attach(engine);
    qint64 done = 0;
    try {
        for (const qint32 position : std::as_const(positions)) {
            if (stopRequested())
                break;
            progress.setSelection(done, total);
            engine.DynamicExtractToFile(position + 1, folder);
            done += records.records().at(position).size;
        }
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    if (stopRequested())
        stopped();
    return ExitStatus::Done;
}

void ExtractCommand::wrongPassword() const
{
    throw CliError(ExitStatus::WrongPasswordOrDamaged,
                   QStringLiteral("%1: wrong password or damaged box").arg(box));
}

void ExtractCommand::stopped() const
{
    throw CliError(ExitStatus::Stopped,
                   QStringLiteral("stopped: the extraction into %1 is incomplete").arg(folder));
}
