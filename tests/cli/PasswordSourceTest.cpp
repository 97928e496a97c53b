#include "CliFixture.h"
#include "TestSupport.h"
#include "cli/CliArguments.h"
#include "cli/Console.h"
#include "core/Global.h"

namespace {

class Password : public CliFixture
{
protected:
    // The password, or the exit status it failed with.
    std::variant<QString, ExitStatus> obtain(std::optional<QString> file, bool confirm = false)
    {
        try {
            return PasswordSource::obtain(fake, file, confirm);
        } catch (const CliError &error) {
            return error.status();
        }
    }

    FakeConsole fake;
};

using Result = std::variant<QString, ExitStatus>;

} // namespace

TEST_F(Password, TakesTheFirstLineOfAPasswordFileWithoutItsLineEnd)
{
    fake.input = "from stdin\n";
    write("lf", "s3cret\nsecond line\n");
    write("crlf", "s3cret\r\nsecond line\r\n");
    write("bare", "s3cret");
    write("spaces", "  s3cret \n");
    EXPECT_EQ(obtain(path("lf")), Result(QStringLiteral("s3cret")));
    EXPECT_EQ(obtain(path("crlf")), Result(QStringLiteral("s3cret")));
    EXPECT_EQ(obtain(path("bare")), Result(QStringLiteral("s3cret")));
    EXPECT_EQ(obtain(path("spaces")), Result(QStringLiteral("  s3cret ")));
    write("utf8", "p\xc3\xa4ss\n");
    EXPECT_EQ(obtain(path("utf8")), Result(QString::fromUtf8("p\xc3\xa4ss")));
    EXPECT_EQ(fake.input, "from stdin\n"); // the file wins; standard input is not touched
}

TEST_F(Password, RefusesPasswordsThatCannotBeUsed)
{
    write("empty", "");
    write("emptyline", "\nsecond\n");
    write("crlfonly", "\r\n");
    write("latin1", "p\xe4ss\n"); // would read as the same key as any other broken byte
    write("long", QByteArray(PasswordSource::MaxBytes + 1, 'x'));
    write("longest", QByteArray(PasswordSource::MaxBytes, 'x') + '\n');
    for (const char *name : {"empty", "emptyline", "crlfonly", "latin1", "long"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(obtain(path(name)), Result(ExitStatus::Usage));
    }
    EXPECT_EQ(std::get<QString>(obtain(path("longest"))).size(), PasswordSource::MaxBytes);
    EXPECT_EQ(obtain(path("missing")), Result(ExitStatus::Failed));
    EXPECT_EQ(obtain(dir.path()), Result(ExitStatus::Failed));
}

TEST_F(Password, ReadsOneLineOfAStandardInputThatIsNoTerminal)
{
    fake.input = "piped\r\nnext\n";
    EXPECT_EQ(obtain(std::nullopt, true), Result(QStringLiteral("piped")));
    EXPECT_TRUE(fake.prompts.isEmpty()); // asked once even for create
    fake.input = "";
    EXPECT_EQ(obtain(std::nullopt), Result(ExitStatus::Usage));
}

TEST_F(Password, AsksWithoutEchoAtATerminalAndTwiceForANewBox)
{
    fake.inputTerminal = true;
    fake.hiddenAnswers = {"typed", "typed"};
    EXPECT_EQ(obtain(std::nullopt, true), Result(QStringLiteral("typed")));
    EXPECT_EQ(fake.prompts, QStringList({"Password: ", "Repeat password: "}));

    fake.prompts.clear();
    fake.hiddenAnswers = {"typed"};
    EXPECT_EQ(obtain(std::nullopt, false), Result(QStringLiteral("typed")));
    EXPECT_EQ(fake.prompts.size(), 1);

    fake.hiddenAnswers = {"typed", "typo"};
    EXPECT_EQ(obtain(std::nullopt, true), Result(ExitStatus::Usage));
    fake.hiddenAnswers = {""};
    EXPECT_EQ(obtain(std::nullopt, true), Result(ExitStatus::Usage));
}

TEST_F(Password, CtrlCAtThePromptStops)
{
    fake.inputTerminal = true;
    fake.hiddenAnswers = {"half"};
    Global::StopRequested = 1;
    EXPECT_EQ(obtain(std::nullopt), Result(ExitStatus::Stopped));
}
