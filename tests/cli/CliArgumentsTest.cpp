#include "cli/CliArguments.h"

#include <gtest/gtest.h>

namespace {

// The parse of a space-separated line ('' is an empty argument) in short, or "usage".
QString parsed(const char *line)
{
    QStringList arguments = QString::fromUtf8(line).split(' ', Qt::SkipEmptyParts);
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
    const auto add = [&words](bool given, const QString &word) {
        if (given)
            words << word;
    };
    add(!a.box.isNull(), a.box);
    add(!a.folder.isNull(), a.folder);
    add(a.fileList, "files=" + a.files.join(','));
    add(a.name.has_value(), "name=" + a.name.value_or(""));
    add(a.passwordFile.has_value(), "pw=" + a.passwordFile.value_or(""));
    add(!positions.isEmpty(), "only=" + positions.join(','));
    add(a.shred, "shred");
    add(a.quiet, "quiet");
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
        {"--version", "version"},
        {"--help", "help"},
        {"extract --help", "help"},
        {"create b.vlx dir --name --quiet", "create b.vlx dir name=--quiet"}, // a value as it is
        {"create b.vlx dir --name ''", "create b.vlx dir name="},
        {"", "usage"},
        {"pack b.vlx dir", "usage"},
        {"--version extra", "usage"},
        {"create", "usage"},
        {"create b.vlx", "usage"},
        {"create b.vlx ''", "usage"},
        {"create b.vlx --files", "usage"},
        {"create --files a b", "usage"},
        {"create b.vlx dir --files a", "usage"},
        {"create b.vlx dir extra", "usage"},
        {"create b.vlx dir --only 1", "usage"},
        {"create b.vlx dir --name", "usage"},
        {"create b.vlx dir --name a --name b", "usage"},
        {"create b.vlx dir --password", "usage"},
        {"extract b.vlx", "usage"},
        {"extract b.vlx out --name x", "usage"},
        {"extract b.vlx out --only 1 --shred", "usage"},
        {"extract b.vlx out --shred --only 2", "usage"},
        {"extract b.vlx out --only", "usage"},
        {"extract b.vlx out --only 0", "usage"},
        {"extract b.vlx out --only 1,,2", "usage"},
        {"extract b.vlx out --only +1", "usage"},
        {"extract b.vlx out --only 99999999999", "usage"},
        {"extract b.vlx out --only 1 --only 2", "usage"},
        {"list", "usage"},
        {"list b.vlx out", "usage"},
        {"list b.vlx --quiet", "usage"},
        {"list b.vlx --password-file", "usage"},
        {"list b.vlx --password-file ''", "usage"},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(parsed(line), expected) << line;
}
