#include "cli/CliArguments.h"

#include <limits>

namespace {

CliError usageError(const QString &message)
{
    return CliError(ExitStatus::Usage, message);
}

QList<qint32> parsePositions(const QString &text)
{
    const QString bad =
        QStringLiteral("--only takes file positions counted from 1, such as 1,3 (got \"%1\")")
            .arg(text);
    QList<qint32> positions;
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 10);
        // toUInt accepts a sign and surrounding spaces; a position is digits only.
        for (const QChar c : part) {
            if (!c.isDigit())
                ok = false;
        }
        if (!ok || value == 0 || value > uint(std::numeric_limits<qint32>::max()))
            throw usageError(bad);
        if (!positions.contains(qint32(value)))
            positions.append(qint32(value));
    }
    return positions;
}

class Parser
{
public:
    explicit Parser(const QStringList &arguments)
        : args(arguments)
    {}

    CliArguments run()
    {
        if (args.isEmpty())
            throw usageError(QStringLiteral("no command given"));
        if (args.contains(QStringLiteral("--help"))) {
            result.command = CliArguments::Command::Help;
            return result;
        }
        const QString command = args.first();
        if (command == QLatin1String("--version")) {
            if (args.size() > 1)
                throw usageError(QStringLiteral("--version takes no arguments"));
            result.command = CliArguments::Command::Version;
            return result;
        }
        if (command == QLatin1String("create"))
            result.command = CliArguments::Command::Create;
        else if (command == QLatin1String("extract"))
            result.command = CliArguments::Command::Extract;
        else if (command == QLatin1String("list"))
            result.command = CliArguments::Command::List;
        else if (command == QLatin1String("verify"))
            result.command = CliArguments::Command::Verify;
        else
            throw usageError(QStringLiteral("unknown command \"%1\"").arg(command));

        for (qsizetype i = 1; i < args.size(); ++i) {
            const QString &arg = args.at(i);
            if (arg.startsWith(QLatin1String("-")) && arg.size() > 1)
                option(arg, i);
            else
                positional(arg);
        }
        finish();
        return result;
    }

private:
    bool allowed(const QString &option) const
    {
        switch (result.command) {
        case CliArguments::Command::Create:
            return option == QLatin1String("--name") || option == QLatin1String("--shred") ||
                   option == QLatin1String("--password-file") ||
                   option == QLatin1String("--quiet") || option == QLatin1String("--files") ||
                   option == QLatin1String("--sealed") || option == QLatin1String("--format");
        case CliArguments::Command::Extract:
            return option == QLatin1String("--only") || option == QLatin1String("--shred") ||
                   option == QLatin1String("--password-file") || option == QLatin1String("--quiet");
        case CliArguments::Command::List:
            return option == QLatin1String("--password-file");
        case CliArguments::Command::Verify:
            return option == QLatin1String("--password-file") || option == QLatin1String("--quiet");
        default:
            return false;
        }
    }

    QString value(const QString &option, qsizetype &i) const
    {
        if (i + 1 >= args.size())
            throw usageError(QStringLiteral("%1 needs a value").arg(option));
        return args.at(++i);
    }

    void option(const QString &arg, qsizetype &i)
    {
        if (!allowed(arg))
            throw usageError(QStringLiteral("%1 is not an option of %2").arg(arg, args.first()));
        if (arg == QLatin1String("--shred")) {
            result.shred = true;
        } else if (arg == QLatin1String("--quiet")) {
            result.quiet = true;
        } else if (arg == QLatin1String("--files")) {
            if (result.fileList)
                throw usageError(QStringLiteral("--files is given twice"));
            if (result.box.isNull())
                throw usageError(QStringLiteral("the box comes before --files"));
            if (!result.folder.isNull())
                throw usageError(QStringLiteral("give either a folder or --files, not both"));
            result.fileList = true;
        } else if (arg == QLatin1String("--name")) {
            if (result.name)
                throw usageError(QStringLiteral("--name is given twice"));
            result.name = value(arg, i);
        } else if (arg == QLatin1String("--password-file")) {
            if (result.passwordFile)
                throw usageError(QStringLiteral("--password-file is given twice"));
            result.passwordFile = value(arg, i);
            if (result.passwordFile->isEmpty())
                throw usageError(QStringLiteral("--password-file needs a file name"));
        } else if (arg == QLatin1String("--sealed") || arg == QLatin1String("--format")) {
            const int format = arg == QLatin1String("--sealed") ? 2 : value(arg, i).toInt();
            if (format != 1 && format != 2)
                throw usageError(QStringLiteral("--format takes 1 or 2"));
            if (result.format && *result.format != format)
                throw usageError(
                    QStringLiteral("--sealed and --format 1 ask for different formats"));
            result.format = format;
        } else if (arg == QLatin1String("--only")) {
            if (!result.only.isEmpty())
                throw usageError(QStringLiteral("--only is given twice"));
            result.only = parsePositions(value(arg, i));
        }
    }

    void positional(const QString &arg)
    {
        if (arg.isEmpty())
            throw usageError(QStringLiteral("an empty argument is no path"));
        if (result.box.isNull())
            result.box = arg;
        else if (result.fileList)
            result.files.append(arg);
        else if (result.folder.isNull() && result.command != CliArguments::Command::List)
            result.folder = arg;
        else
            throw usageError(QStringLiteral("unexpected argument \"%1\"").arg(arg));
    }

    void finish() const
    {
        if (result.box.isNull())
            throw usageError(QStringLiteral("%1 needs a box file").arg(args.first()));
        if (result.command == CliArguments::Command::Create) {
            if (result.fileList && result.files.isEmpty())
                throw usageError(QStringLiteral("--files needs at least one file"));
            if (!result.fileList && result.folder.isNull())
                throw usageError(QStringLiteral("create needs a folder or --files"));
        }
        if (result.command == CliArguments::Command::Extract) {
            if (result.folder.isNull())
                throw usageError(QStringLiteral("extract needs a folder to extract into"));
            if (result.shred && !result.only.isEmpty())
                throw usageError(QStringLiteral(
                    "--shred cannot be used with --only: the box is shredded only after all of "
                    "it was extracted"));
        }
    }

    const QStringList &args;
    CliArguments result;
};

} // namespace

CliArguments CliArguments::parse(const QStringList &arguments)
{
    return Parser(arguments).run();
}

QString CliArguments::usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  vaulnix-cli create  BOX FOLDER        [--sealed | --format 1] [--name NAME] [--shred]\n"
        "                                    [--password-file F] [--quiet]\n"
        "  vaulnix-cli create  BOX --files F1 F2 ... [--sealed | --format 1] [--name NAME]\n"
        "                                    [--shred] [--password-file F] [--quiet]\n"
        "  vaulnix-cli extract BOX FOLDER        [--only N[,N...]] [--shred] [--password-file F] "
        "[--quiet]\n"
        "  vaulnix-cli list    BOX               [--password-file F]\n"
        "  vaulnix-cli verify  BOX [FOLDER]      [--password-file F] [--quiet]\n"
        "  vaulnix-cli --help | --version\n"
        "\n"
        "Packs a folder or a list of files into a password-protected box, unpacks a box, or\n"
        "lists what a box holds.\n"
        "\n"
        "  create BOX FOLDER      pack FOLDER and everything below it into BOX\n"
        "  create BOX --files ... pack the given files into BOX; they are extracted side by side\n"
        "  extract BOX FOLDER     unpack BOX below FOLDER\n"
        "  list BOX               print the box name, its root folder, its format and one line\n"
        "                         per file\n"
        "  verify BOX [FOLDER]    check BOX without writing anything: a sealed box is\n"
        "                         authenticated byte by byte, a format-1 box only checked for\n"
        "                         structure; with FOLDER, also compare its content with FOLDER\n"
        "\n"
        "  --name NAME            name stored in the box (default: the folder's name, or the\n"
        "                         box file's name without its extension for --files)\n"
        "  --shred                overwrite and delete the sources after a complete box, or the\n"
        "                         box after a complete extraction\n"
        "  --sealed               write a sealed box (format 2): no size limit, a key of its own,\n"
        "                         every byte authenticated; not readable by format-1 readers\n"
        "  --format 1             write format 1, also over a sealed box\n"
        "  --only N[,N...]        extract only the files at these positions of `list`\n"
        "  --password-file F      take the password from the first line of F\n"
        "  --quiet                show no progress\n"
        "\n"
        "Without --password-file the password is the first line of standard input when that\n"
        "is not a terminal; otherwise it is asked for without echo (twice for create).\n"
        "\n"
        "Without --sealed or --format, create writes format 1, but refuses to replace a sealed\n"
        "box with one.\n"
        "\n"
        "Exit status: 0 done, 1 wrong password or damaged box, 2 usage error,\n"
        "3 stopped by Ctrl+C (verify: the box differs from FOLDER), 4 any other error.\n");
}
