#include "cli/CliArguments.h"

#include <gtest/gtest.h>

namespace {

QStringList split(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

ExitStatus statusOf(const char *line)
{
    try {
        CliArguments::parse(split(line));
    } catch (const CliError &error) {
        return error.status();
    }
    return ExitStatus::Done;
}

} // namespace

TEST(CliArguments, ReadsEveryFormOfTheSynopsis)
{
    CliArguments a = CliArguments::parse(split("create b.vlx dir --name N --shred --quiet"));
    EXPECT_EQ(a.command, CliArguments::Command::Create);
    EXPECT_EQ(a.box, "b.vlx");
    EXPECT_EQ(a.folder, "dir");
    EXPECT_FALSE(a.fileList);
    EXPECT_EQ(a.name.value_or("?"), "N");
    EXPECT_TRUE(a.shred);
    EXPECT_TRUE(a.quiet);

    a = CliArguments::parse(split("create b.vlx --files x y z --password-file pw"));
    EXPECT_TRUE(a.fileList);
    EXPECT_EQ(a.files, QStringList({"x", "y", "z"}));
    EXPECT_EQ(a.passwordFile.value_or("?"), "pw");
    EXPECT_FALSE(a.name.has_value());

    a = CliArguments::parse(split("extract b.vlx out --only 3,1,3"));
    EXPECT_EQ(a.command, CliArguments::Command::Extract);
    EXPECT_EQ(a.folder, "out");
    EXPECT_EQ(a.only, QList<qint32>({3, 1})); // each position once, in the order given

    a = CliArguments::parse(split("list b.vlx"));
    EXPECT_EQ(a.command, CliArguments::Command::List);

    EXPECT_EQ(CliArguments::parse(split("--version")).command, CliArguments::Command::Version);
    EXPECT_EQ(CliArguments::parse(split("--help")).command, CliArguments::Command::Help);
    EXPECT_EQ(CliArguments::parse(split("extract --help")).command, CliArguments::Command::Help);

    // A value is taken as it comes, even when it looks like an option.
    a = CliArguments::parse({"create", "b.vlx", "dir", "--name", "--quiet"});
    EXPECT_EQ(a.name.value_or("?"), "--quiet");
    EXPECT_FALSE(a.quiet);
    a = CliArguments::parse({"create", "b.vlx", "dir", "--name", ""});
    EXPECT_EQ(a.name.value_or("?"), "");
}

TEST(CliArguments, RefusesWhatTheSynopsisDoesNotAllow)
{
    const char *const wrong[] = {
        "",
        "pack b.vlx dir",
        "--version extra",
        "create",
        "create b.vlx",
        "create b.vlx --files",
        "create --files a b",
        "create b.vlx dir --files a",
        "create b.vlx dir extra",
        "create b.vlx dir --only 1",
        "create b.vlx dir --name",
        "create b.vlx dir --name a --name b",
        "create b.vlx dir --password",
        "create b.vlx dir -q",
        "extract b.vlx",
        "extract b.vlx out --name x",
        "extract b.vlx out --only 1 --shred",
        "extract b.vlx out --shred --only 2",
        "extract b.vlx out --only",
        "extract b.vlx out --only 0",
        "extract b.vlx out --only 1,,2",
        "extract b.vlx out --only -1",
        "extract b.vlx out --only +1",
        "extract b.vlx out --only 1x",
        "extract b.vlx out --only 99999999999",
        "extract b.vlx out --only 1 --only 2",
        "list",
        "list b.vlx out",
        "list b.vlx --quiet",
        "list b.vlx --shred",
        "list b.vlx --password-file",
    };
    for (const char *line : wrong) {
        SCOPED_TRACE(line);
        EXPECT_EQ(statusOf(line), ExitStatus::Usage);
    }
    EXPECT_EQ(statusOf("list b.vlx --password-file pw"), ExitStatus::Done);
    try {
        CliArguments::parse({"create", "b.vlx", ""});
        ADD_FAILURE() << "an empty path was taken";
    } catch (const CliError &error) {
        EXPECT_EQ(error.status(), ExitStatus::Usage);
    }
}
