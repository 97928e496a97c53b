#include "CliFixture.h"
#include "cli/CliArguments.h"

#include <csignal>
#include <variant>

namespace {

using Result = std::variant<QString, ExitStatus>;
using Passwords = CliFixture;
using Progress = CliFixture;

Result obtain(FakeConsole &console, const std::optional<QString> &file, bool confirm)
{
    try {
        return PasswordSource::obtain(console, file, confirm);
    } catch (const CliError &error) {
        return error.status();
    }
}

struct PasswordCase
{
    const char *why;
    QByteArray file; // the password file; null: no --password-file
    QByteArray input;
    bool terminal;
    bool confirm;
    Result expected;
    int prompts;
};

} // namespace

TEST_F(Passwords, ComeFromAFileThenStandardInputThenAHiddenPrompt)
{
    const QByteArray longest(PasswordSource::MaxBytes, 'x');
    const QString s3cret = QStringLiteral("s3cret"), typed = QStringLiteral("typed");
    const QList<PasswordCase> cases = {
        {"file before stdin", "s3cret\nnext\n", "stdin\n", false, true, s3cret, 0},
        {"file before prompt", "s3cret\r\nnext\r\n", {}, true, true, s3cret, 0},
        {"file, no line end", "s3cret", {}, false, false, s3cret, 0},
        {"file, spaces kept", "  s3cret \n", {}, false, false, QStringLiteral("  s3cret "), 0},
        {"file, longest", longest + '\n', {}, false, false, QString::fromLatin1(longest), 0},
        {"file, too long", longest + 'x', {}, false, false, ExitStatus::Usage, 0},
        {"file, empty", "", {}, false, false, ExitStatus::Usage, 0},
        {"file, empty line", "\r\nsecond\n", {}, false, false, ExitStatus::Usage, 0},
        // Undecodable bytes would all give the same key.
        {"file, not UTF-8", "p\xe4ss\n", {}, false, false, ExitStatus::Usage, 0},
        {"stdin, once for create", {}, "piped\r\nnext\n", false, true, QStringLiteral("piped"), 0},
        {"stdin, empty", {}, "", false, false, ExitStatus::Usage, 0},
        {"prompt, twice for create", {}, "typed\ntyped\n", true, true, typed, 2},
        {"prompt, once otherwise", {}, "typed\n", true, false, typed, 1},
        {"prompt, a typo", {}, "typed\ntypo\n", true, true, ExitStatus::Usage, 2},
        {"prompt, empty", {}, "\n", true, true, ExitStatus::Usage, 1},
    };
    for (const PasswordCase &c : cases) {
        SCOPED_TRACE(c.why);
        FakeConsole console;
        console.input = c.input;
        console.inputTerminal = c.terminal;
        std::optional<QString> file;
        if (!c.file.isNull()) {
            write("pw", c.file);
            file = path("pw");
        }
        EXPECT_EQ(obtain(console, file, c.confirm), c.expected);
        EXPECT_EQ(console.prompts, c.prompts);
    }
    FakeConsole console;
    EXPECT_EQ(obtain(console, path("missing"), false), Result(ExitStatus::Failed));
    EXPECT_EQ(obtain(console, dir.path(), false), Result(ExitStatus::Failed));
    console.inputTerminal = true;
    console.input = "half";
    Global::StopRequested = 1; // Ctrl+C at the prompt
    EXPECT_EQ(obtain(console, std::nullopt, false), Result(ExitStatus::Stopped));
}

TEST_F(Progress, ShowsOneShortLineOnATerminalUnlessQuiet)
{
    write("src/big.bin", QByteArray(400000, 'x'));
    write("src/" + QString(150, 'n') + "\n\x1b[31m.txt", "s");
    const QString box = path("box.vlx");
    const struct
    {
        QStringList arguments;
        bool terminal;
        bool shown;
    } cases[] = {
        {{"create", box, path("src")}, true, true},
        {{"extract", box, path("out"), "--only", "2"}, true, true},
        {{"extract", box, path("out"), "--quiet"}, true, false},
        {{"extract", box, path("out")}, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(run(c.arguments, Password + '\n', c.terminal), 0);
        const QString shown = QString::fromStdString(console().errors.str());
        EXPECT_EQ(shown.contains("100%"), c.shown);
        EXPECT_TRUE(!c.shown || shown.endsWith("\r\033[K")); // the line is cleared at the end
        for (const QString &line : shown.split("\r\033[K")) {
            EXPECT_LE(line.size(), ProgressDisplay::Width);
            EXPECT_FALSE(line.contains('\n') || line.contains('\x1b')) << line.toStdString();
        }
        EXPECT_EQ(console().output.str(), "");
    }
}

TEST(InterruptGuard, CtrlCOnlySetsTheStopFlagWhileInstalled)
{
    Global::StopRequested = 0;
    {
        const InterruptGuard guard;
        std::raise(SIGINT);
        EXPECT_EQ(Global::StopRequested.load(), 1);
        Global::StopRequested = 0;
        std::raise(SIGTERM);
        EXPECT_EQ(Global::StopRequested.load(), 1);
    }
    Global::StopRequested = 0;
    // The previous handler is back: here the default, which would end the test program.
    struct sigaction current = {};
    sigaction(SIGINT, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}
