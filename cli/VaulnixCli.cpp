#include "cli/VaulnixCli.h"

#include "cli/CliArguments.h"
#include "cli/Console.h"
#include "cli/CreateCommand.h"
#include "cli/ExtractCommand.h"
#include "cli/ListCommand.h"
#include "cli/VerifyCommand.h"
#include "core/VaulnixError.h"
#include "engine/CCipherBlock.h"

#include <ostream>

namespace {

template<typename Command>
ExitStatus runCommand(Command &&command, const CliArguments &arguments, Console &console,
                      bool confirm)
{
    command.check();
    QString password = PasswordSource::obtain(console, arguments.passwordFile, confirm);
    struct Wipe
    {
        QString &text;
        ~Wipe()
        {
            text.fill(QChar(0));
            text.clear();
        }
    } wipe{password};
    return command.run(password);
}

} // namespace

VaulnixCli::VaulnixCli(Console &console, CCipherBlock &engine)
    : console(console)
    , engine(engine)
{}

QString VaulnixCli::version()
{
    return QStringLiteral(VAULNIX_VERSION);
}

int VaulnixCli::run(const QStringList &arguments)
{
    std::ostream &err = console.err();
    auto fail = [&err](const QString &message) {
        err << "vaulnix-cli: " << ConsoleText::utf8(ConsoleText::printable(message)) << std::endl;
    };
    try {
        const CliArguments args = CliArguments::parse(arguments);
        CliPrompt prompt(err);
        ExitStatus status = ExitStatus::Done;
        switch (args.command) {
        case CliArguments::Command::Help:
            console.out() << ConsoleText::utf8(CliArguments::usage()) << std::flush;
            break;
        case CliArguments::Command::Version:
            console.out() << "vaulnix-cli " << ConsoleText::utf8(version()) << std::endl;
            break;
        case CliArguments::Command::Create:
            status = runCommand(CreateCommand(args, console, engine), args, console, true);
            break;
        case CliArguments::Command::Extract:
            status = runCommand(ExtractCommand(args, console, engine), args, console, false);
            break;
        case CliArguments::Command::List:
            status = runCommand(ListCommand(args, console, engine), args, console, false);
            break;
        case CliArguments::Command::Verify:
            status = runCommand(VerifyCommand(args, console, engine), args, console, false);
            break;
        }
        return int(status);
    } catch (const CliError &error) {
        fail(error.message());
        if (error.status() == ExitStatus::Usage)
            err << "Run 'vaulnix-cli --help' for usage." << std::endl;
        return int(error.status());
    } catch (const VaulnixError &error) {
        fail(error.message());
        return int(error.isDamagedBox() ? ExitStatus::WrongPasswordOrDamaged : ExitStatus::Failed);
    } catch (const std::exception &error) {
        fail(QString::fromLocal8Bit(error.what()));
        return int(ExitStatus::Failed);
    }
}
