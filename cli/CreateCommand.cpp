#include "cli/CreateCommand.h"

#include "cli/BoxListing.h"
#include "cli/Console.h"
#include "core/Global.h"
#include "engine/BoxFormat.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString absolute(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

} // namespace

CreateCommand::CreateCommand(const CliArguments &arguments, Console &console, CCipherBlock &engine)
    : arguments(arguments)
    , console(console)
    , engine(engine)
    , box(absolute(arguments.box))
{
    if (arguments.fileList) {
        for (const QString &file : arguments.files)
            files.append(absolute(file));
        name = arguments.name.value_or(QFileInfo(box).completeBaseName());
    } else {
        folder = absolute(arguments.folder);
        name = arguments.name.value_or(QFileInfo(folder).fileName());
    }
}

void CreateCommand::check() const
{
    chosenFormat();
    if (!arguments.fileList) {
        if (!QFileInfo(folder).isDir())
            throw CliError(ExitStatus::Failed, QStringLiteral("%1: no such folder").arg(folder));
        return;
    }
    for (const QString &file : files) {
        // The engine takes the list as one ";"-separated text; such a path would come
        // apart into other files.
        if (file.contains(QLatin1Char(';')))
            throw CliError(ExitStatus::Failed,
                           QStringLiteral("%1: a path holding \";\" cannot go into a file "
                                          "list; pack its folder instead")
                               .arg(file));
        const QFileInfo info(file);
        if (!info.exists() && !info.isSymLink())
            throw CliError(ExitStatus::Failed, QStringLiteral("%1: no such file").arg(file));
    }
}

BoxFormatId CreateCommand::chosenFormat() const
{
    if (arguments.format)
        return *arguments.format == 2 ? BoxFormatId::Sealed : BoxFormatId::Plain;
    // Never a silent downgrade: a sealed box is replaced by format 1 only when asked for.
    if (BoxFormat::keepingSealed(box, BoxFormatId::Plain) == BoxFormatId::Sealed)
        throw CliError(ExitStatus::Usage,
                       QStringLiteral("%1 is a sealed box; give --sealed to write it sealed "
                                      "again, or --format 1 to replace it with a format-1 box")
                           .arg(box));
    return BoxFormatId::Plain;
}

ExitStatus CreateCommand::run(const QString &password)
{
    engine.setWriteFormat(chosenFormat());
    JobSettings job(arguments.shred);
    ProgressDisplay progress(console.err(), console.errorIsTerminal() && !arguments.quiet);
    progress.attach(engine);
    const CCipherBlock::WriteResult result =
        arguments.fileList ? engine.CreateSimple(box, name, password, files.join(QLatin1Char(';')),
                                                 Global::DialogShred)
                           : engine.CreateBlock(box, name, password, folder, Global::DialogShred);
    progress.finish();
    if (result == CCipherBlock::WrittenNotShredded)
        throw CliError(ExitStatus::Stopped,
                       QStringLiteral("stopped: the box %1 is complete, but its sources were not "
                                      "shredded")
                           .arg(box));
    if (result != CCipherBlock::Written)
        throw CliError(ExitStatus::Stopped,
                       QStringLiteral("stopped: the box %1 was not written").arg(box));
    return ExitStatus::Done;
}
