#include "cli/VerifyCommand.h"

#include "cli/BoxListing.h"
#include "cli/Console.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>

#include <ostream>

VerifyCommand::VerifyCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine)
    : arguments(arguments)
    , console(console)
    , engine(engine)
    , box(QDir::cleanPath(QDir::current().absoluteFilePath(arguments.box)))
{
    if (!arguments.folder.isNull())
        folder = QDir::cleanPath(QDir::current().absoluteFilePath(arguments.folder));
}

void VerifyCommand::check() const
{
    BoxListing::checkReadable(box);
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        throw CliError(ExitStatus::Failed, QStringLiteral("%1: no such folder").arg(folder));
}

ExitStatus VerifyCommand::run(const QString &password)
{
    ProgressDisplay progress(console.err(), console.errorIsTerminal() && !arguments.quiet);
    progress.attach(engine);
    QStringList differences;
    CCipherBlock::ReadResult result;
    try {
        result = engine.VerifyBlock(box, password, folder, differences);
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    if (result == CCipherBlock::BadHeader)
        throw CliError(ExitStatus::WrongPasswordOrDamaged,
                       QStringLiteral("%1: wrong password or damaged box").arg(box));
    if (Global::StopRequested)
        throw CliError(ExitStatus::Stopped,
                       QStringLiteral("stopped: %1 was not verified to the end").arg(box));
    std::ostream &out = console.out();
    const bool sealed = engine.Catalogue().format == BoxFormatId::Sealed;
    out << ConsoleText::utf8(
               sealed ? QStringLiteral("%1: sealed box, every byte authentic\n").arg(box)
                      : QStringLiteral("%1: format-1 box, its structure is sound; format 1 cannot "
                                       "be authenticated, so altered content would not show\n")
                            .arg(box))
        << std::flush;
    if (folder.isEmpty())
        return ExitStatus::Done;
    for (const QString &difference : std::as_const(differences))
        out << ConsoleText::utf8(ConsoleText::printable(difference)) << '\n';
    if (differences.isEmpty()) {
        out << ConsoleText::utf8(QStringLiteral("%1 holds what %2 holds\n").arg(box, folder))
            << std::flush;
        return ExitStatus::Done;
    }
    out << std::flush;
    throw CliError(
        ExitStatus::Stopped,
        QStringLiteral("%1 differs from %2 in %3 files").arg(box, folder).arg(differences.size()));
}
