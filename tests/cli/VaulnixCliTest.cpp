#include "cli/VaulnixCli.h"
#include "CliFixture.h"
#include "cli/CliArguments.h"

TEST_F(CliFixture, HelpVersionAndUsageErrors)
{
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(console().output(), "vaulnix-cli 1.0.0\n");
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(console().output(), CliArguments::usage().toStdString());
    EXPECT_EQ(console().errors(), "");

    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(console().output(), "");
    EXPECT_NE(console().errors().find("--help"), std::string::npos);
    EXPECT_EQ(run({"extract", path("b.vlx"), path("out"), "--only", "1", "--shred"}), 2);
    EXPECT_NE(console().errors().find("--shred"), std::string::npos);
}
