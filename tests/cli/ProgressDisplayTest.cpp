#include "CliFixture.h"
#include "cli/Console.h"

namespace {

class Progress : public CliFixture
{
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        write("src/big.bin", QByteArray(400000, 'x'));
        write("src/small.txt", "s");
    }
};

} // namespace

TEST_F(Progress, GoesToATerminalOnlyAndNeverToStandardOutput)
{
    nextConsole().errorTerminal = true;
    nextConsole().input = Password + '\n';
    EXPECT_EQ(run({"create", path("box.vlx"), path("src")}), 0);
    const std::string shown = console().errors();
    EXPECT_NE(shown.find("100%"), std::string::npos);
    EXPECT_NE(shown.find("big.bin"), std::string::npos);
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K"); // the line is cleared at the end
    EXPECT_EQ(console().output(), "");

    nextConsole().errorTerminal = true;
    nextConsole().input = Password + '\n';
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--only", "2"}), 0);
    EXPECT_NE(console().errors().find("100%"), std::string::npos);

    nextConsole().errorTerminal = true;
    nextConsole().input = Password + '\n';
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--quiet"}), 0);
    EXPECT_EQ(console().errors(), "");

    EXPECT_EQ(run({"extract", path("box.vlx"), path("out")}), 0); // not a terminal
    EXPECT_EQ(console().errors(), "");
}

TEST(ProgressDisplayLine, StaysOnOneShortLineWhateverTheFileName)
{
    std::ostringstream err;
    ProgressDisplay progress(err, true);
    progress.data(50, 100, QString(300, 'n') + "\n\x1b[31m/name.txt");
    const std::string line = err.str();
    EXPECT_EQ(line.rfind("\r\033[K", 0), 0u);
    const std::string text = line.substr(4);
    EXPECT_LE(text.size(), size_t(ProgressDisplay::Width));
    EXPECT_EQ(text.find_first_of("\n\x1b"), std::string::npos);
    EXPECT_NE(text.find(" 50%"), std::string::npos);
    EXPECT_NE(text.find("name.txt"), std::string::npos);

    EXPECT_EQ(ProgressDisplay::bytes(1023), "1023 B");
    EXPECT_EQ(ProgressDisplay::bytes(1536), "1.5 KiB");
    EXPECT_EQ(ProgressDisplay::bytes(3LL << 30), "3.0 GiB");
}
