#include "cli/CliArguments.h"
#include <gtest/gtest.h>

namespace {

// The parse of a space-separated line ('' is an empty argument) in short, or "usage".
QString parsed(const QString &line)
{
    QStringList arguments = line.split(' ', Qt::SkipEmptyParts);
    arguments.replaceInStrings("''", QString());
    CliArguments a;
    try {
        a = CliArguments::parse(arguments);
    } catch (const CliError &error) {
        return error.status() == ExitStatus::Usage ? "usage" : "other error";
    }
    QStringList words{QStringList{"help", "version", "create", "extract", "list"}[int(a.command)]};
    QStringList positions;
    for (const qint32 position : a.only)
        positions << QString::number(position);
    const QString none;
    words << a.box << a.folder << (a.fileList ? "files=" + a.files.join(',') : none)
          << (a.name ? "name=" + *a.name : none)
          << (a.passwordFile ? "pw=" + *a.passwordFile : none)
          << (positions.isEmpty() ? none : "only=" + positions.join(','))
          << (a.shred ? "shred" : none) << (a.quiet ? "quiet" : none);
    words.removeAll(none);
    return words.join(' ');
}

} // namespace

TEST(CliArguments, ParsesTheSynopsisAndRefusesTheRest)
{
    const std::pair<const char *, const char *> cases[] = {
        {"create b.vlx dir --name N --shred --quiet", "create b.vlx dir name=N shred quiet"},
        {"create b.vlx --files x y z --password-file pw", "create b.vlx files=x,y,z pw=pw"},
        {"extract b.vlx out --only 3,1,3", "extract b.vlx out only=3,1"}, // each once, in order
        {"extract b.vlx out --shred --quiet", "extract b.vlx out shred quiet"},
        {"list b.vlx --password-file pw", "list b.vlx pw=pw"},
        {"extract --help", "help"},
        {"create b.vlx dir --name --quiet", "create b.vlx dir name=--quiet"}, // a value as it is
        {"create b.vlx dir --name ''", "create b.vlx dir name="}};
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(parsed(line), expected) << line;
    // Refused lines, separated by "|".
    const QString refused = QStringLiteral(
        "|pack b.vlx dir|--version extra|create b.vlx|create b.vlx ''|create b.vlx --files|"
        "create --files a b|create b.vlx dir --files a|create b.vlx dir extra|"
        "create b.vlx dir --only 1|create b.vlx dir --name|create b.vlx dir --name a --name b|"
        "create b.vlx dir --password|extract b.vlx|extract b.vlx out --name x|"
        "extract b.vlx out --only 1 --shred|extract b.vlx out --shred --only 2|"
        "extract b.vlx out --only|extract b.vlx out --only 0|extract b.vlx out --only 1,,2|"
        "extract b.vlx out --only +1|extract b.vlx out --only 99999999999|"
        "extract b.vlx out --only 1 --only 2|list b.vlx --quiet|list b.vlx --password-file ''|"
        "create b.vlx dir --sealed --format 1");
    for (const QString &line : refused.split('|'))
        EXPECT_EQ(parsed(line), "usage") << line.toStdString();
}
