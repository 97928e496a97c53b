#include "cli/ListCommand.h"

#include "cli/BoxListing.h"
#include "cli/Console.h"
#include "engine/CCipherBlock.h"

#include <QDir>

#include <ostream>

ListCommand::ListCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine)
    : console(console)
    , engine(engine)
    , box(QDir::cleanPath(QDir::current().absoluteFilePath(arguments.box)))
{}

void ListCommand::check() const
{
    BoxListing::checkReadable(box);
}

ExitStatus ListCommand::run(const QString &password)
{
    if (engine.ViewBlock(box, password) != CCipherBlock::Read)
        throw CliError(ExitStatus::WrongPasswordOrDamaged,
                       QStringLiteral("%1: wrong password or damaged box").arg(box));
    std::ostream &out = console.out();
    out << ConsoleText::utf8(BoxListing::format(engine)) << std::flush;
    if (!out)
        throw CliError(ExitStatus::Failed,
                       QStringLiteral("%1: the listing could not be written").arg(box));
    return ExitStatus::Done;
}
