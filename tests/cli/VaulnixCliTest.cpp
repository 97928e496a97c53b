#include "cli/VaulnixCli.h"
#include "FakeConsole.h"
#include "TestSupport.h"
#include "cli/CliArguments.h"
#include "cli/Console.h"
#include "core/Global.h"
#include "engine/BoxFormat.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

using TestSupport::writeFile;

namespace {

class Cli : public ::testing::Test
{
protected:
    static inline const QByteArray Password = "correct horse";

    void TearDown() override { Global::StopRequested = 0; }

    // A null input stands for a terminal at which nobody answers.
    int run(const QStringList &arguments, const QByteArray &input = Password + '\n',
            bool errorTerminal = false)
    {
        last = std::make_unique<FakeConsole>();
        last->input = input;
        last->inputTerminal = input.isNull();
        last->errorTerminal = errorTerminal;
        return VaulnixCli(*last, engine).run(arguments);
    }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    void write(const QString &name, const QByteArray &data) { writeFile(path(name), data); }
    bool said(const std::string &text) const
    {
        return last->errors.str().find(text) != std::string::npos;
    }
    bool printed(const std::string &text) const
    {
        return last->output.str().find(text) != std::string::npos;
    }

    QTemporaryDir dir;
    CCipherBlock engine;
    std::unique_ptr<FakeConsole> last;
};

} // namespace

TEST_F(Cli, EveryOutcomeHasItsExitStatusAndOneLine)
{
    // Name=content. Split at ";" the list "a;b.txt" would name both "a" and "b.txt".
    for (const QString file :
         {"src/a.txt=abc", "src/X/b.txt=hello", "evil/a\tb\x1b[2Jc=1",
          "bad/a\\b.txt=no box can hold", "a=other", "b.txt=other", "a;b.txt=mine"})
        write(file.section('=', 0, 0), file.section('=', 1).toUtf8());
    const QByteArray pw = Password + '\n', wrong = "wrong\n";
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto at = [](const char *name) { return QDir::current().absoluteFilePath(name); };
    const QString b = "box.vlx";
    // Null input: nobody at the terminal answers. Status 3: Ctrl+C at the first data event.
    const std::tuple<QStringList, QByteArray, int, QString> cases[] = {
        {{"create", b, "src/"}, pw, 0, ""},
        {{"list", b}, pw, 0, "Box Name: src\n"},
        {{"create", "my.list.vlx", "--files", "src/a.txt"}, pw, 0, ""},
        {{"list", "my.list.vlx"}, pw, 0, "Box Name: my.list\n"},
        {{"create", "evil.vlx", "evil", "--name", "evil\nRoot Folder: x"}, pw, 0, ""},
        {{"list", "evil.vlx"},
         pw,
         0,
         "evil?Root Folder: x\nRoot Folder: evil\nFormat: 1\n1\t1\ta?b?[2Jc\n"},
        {{}, pw, 2, "--help"},
        {{"extract", b, "out", "--only", "1,5"}, pw, 2, "no file 5"},
        {{"extract", b, "out", "--shred"}, wrong, 1, "wrong password"},
        // Missing or unfit paths are found before a password is asked for.
        {{"create", "new.vlx", "gone"}, {}, 4, at("gone")},
        {{"create", "new.vlx", "--files", "a;b.txt", "--shred"}, {}, 4, at("a;b.txt")},
        {{"extract", b, "a"}, {}, 4, at("a")},             // a file
        {{"create", "new.vlx", "bad"}, pw, 4, "a\\b.txt"}, // the engine's error
        {{"create", "new.vlx", "src", "--shred"}, pw, 3, "stopped"}};
    int expected = 0;
    QObject::connect(&engine, &CCipherBlock::CipherProgress, &engine,
                     [&expected](auto &&...) { Global::StopRequested = expected == 3; });
    for (const auto &[arguments, input, status, shown] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        expected = status;
        EXPECT_EQ(run(arguments, input), status);
        Global::StopRequested = 0;
        const std::string out = last->output.str(), err = last->errors.str();
        const std::string &text = status == 0 ? out : err;
        EXPECT_NE(text.find(shown.toStdString()), std::string::npos) << text;
        if (status != 0) { // a usage error adds where to find the usage
            EXPECT_EQ(text.rfind("vaulnix-cli: ", 0), 0u);
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), status == 2 ? 2 : 1);
        }
        EXPECT_EQ(status == 0 ? err : out, "");
    }
    QDir::setCurrent(before);
    // Refused or stopped, nothing was made, shredded or extracted.
    EXPECT_FALSE(QFileInfo::exists(path("new.vlx")) || QFileInfo::exists(path("out")));
    EXPECT_TRUE(QFileInfo::exists(path("a")) && QFileInfo::exists(path("src/a.txt")) &&
                QFileInfo::exists(path(b)));
}

TEST_F(Cli, CtrlCDuringAWholeExtractionSaysWhatWasLeftUndone)
{
    write("src/a.txt", "abc");
    write("src/X/b.txt", "hello");
    ASSERT_EQ(run({"create", path("box.vlx"), path("src")}), 0);
    bool atLast = false; // else at the first file
    QObject::connect(&engine, &CCipherBlock::CipherProgress, &engine,
                     [&atLast](qint32, qint32 done, qint32 total, auto &&...) {
                         Global::StopRequested = !atLast || done == total;
                     });
    const auto extract = [&](const QString &out, bool shred) {
        const int status = run(
            QStringList{"extract", path("box.vlx"), path(out), "--shred"}.mid(0, shred ? 4 : 3));
        Global::StopRequested = 0;
        return status;
    };
    EXPECT_EQ(extract("first", true), 3);
    EXPECT_TRUE(said("the extraction into " + path("first").toStdString() + " is incomplete"));
    atLast = true;
    EXPECT_EQ(extract("whole", false), 0); // nothing was left to stop
    EXPECT_EQ(extract("kept", true), 3);
    EXPECT_TRUE(said("every file is extracted into " + path("kept").toStdString() +
                     ", but the box " + path("box.vlx").toStdString() + " was not shredded"))
        << last->errors.str();
    EXPECT_EQ(TestSupport::readFile(path("kept/x/b.txt")), "hello"); // as the message says
    EXPECT_TRUE(QFileInfo::exists(path("box.vlx")));
}

TEST_F(Cli, CtrlCOnceTheBoxIsInPlaceKeepsTheSourcesAndSaysSo)
{
    write("src/a.txt", "abc");
    const QString box = path("box.vlx");
    // The box takes its name at the commit; the next breath of the pump is in the read-back.
    engine.setPump([&box] { Global::StopRequested = QFileInfo::exists(box); });
    EXPECT_EQ(run({"create", box, path("src"), "--shred"}), 3);
    engine.setPump({});
    Global::StopRequested = 0;
    EXPECT_TRUE(said("is complete, but its sources were not shredded")) << last->errors.str();
    EXPECT_EQ(TestSupport::readFile(path("src/a.txt")), "abc");
    EXPECT_EQ(run({"list", box}), 0);
}

// create --sealed, list and verify, and no silent downgrade of a sealed box.
TEST_F(Cli, SealedBoxesListVerifyAndAreNeverUnsealedUnasked)
{
    write("src/a.txt", "a");
    write("src/empty", "");
    const QString box = path("box.vlx");
    ASSERT_EQ(run({"create", box, path("src"), "--sealed"}), 0);
    EXPECT_EQ(BoxFormat::formatOf(box), BoxFormatId::Sealed);
    EXPECT_TRUE(run({"list", box}) == 0 && printed("Format: 2 (sealed)\n"));
    EXPECT_TRUE(run({"verify", box, path("src")}) == 0 && printed("every byte authentic"));
    write("src/new.txt", "new");
    write("src/empty", "no longer");
    EXPECT_EQ(run({"verify", box, path("src")}), 3) << "the folder moved on";
    const std::string report = last->output.str();
    EXPECT_EQ(report.substr(report.find('\n') + 1), "differs: empty\nnot in the box: new.txt\n");
    const QByteArray sealed = TestSupport::readFile(box);
    EXPECT_TRUE(run({"create", box, path("src")}) == 2 && said("is a sealed box"));
    EXPECT_EQ(TestSupport::readFile(box), sealed);
    EXPECT_EQ(run({"create", box, path("src"), "--format", "1"}), 0);
    EXPECT_EQ(BoxFormat::formatOf(box), BoxFormatId::Plain);
    EXPECT_TRUE(run({"verify", box}) == 0 && printed("format 1 cannot be authenticated"));
}

TEST_F(Cli, ANonAsciiPasswordFileKeysTheBoxAsTheDesktopDoes)
{
    const QString password = QStringLiteral("pässwörd✓"), box = path("box.vlx");
    write("pw", password.toUtf8() + "\n");
    write("near", QStringLiteral("pässwörd✗").toUtf8() + "\n");
    write("src/b.txt", "hello");
    EXPECT_EQ(run({"create", box, path("src"), "--password-file", path("pw")}), 0);
    EXPECT_EQ(run({"list", box, "--password-file", path("near")}), 1);
    EXPECT_TRUE(Global::CurrentUserPassword.isEmpty()); // no password outlives its command
    EXPECT_EQ(engine.ViewBlock(box, password), CCipherBlock::Read); // as the desktop takes it
}

TEST_F(Cli, ListPrintsEveryKnownAnswerBoxExactly)
{
    const QJsonObject boxes = TestSupport::vectors()["boxes"].toObject();
    ASSERT_FALSE(boxes.isEmpty());
    const QByteArray pw = TestSupport::VectorPassword.toUtf8() + '\n';
    for (auto it = boxes.begin(); it != boxes.end(); ++it) {
        EXPECT_EQ(run({"list", TestSupport::vectorPath(it.key() + ".vlx")}, pw), 0);
        // The listing of the vectors, with the format after the root folder.
        QString listing = it.value().toObject()["listing"].toString();
        const qsizetype rootEnd = listing.indexOf('\n', listing.indexOf("Root Folder: ")) + 1;
        listing.insert(rootEnd, "Format: 1\n");
        EXPECT_EQ(last->output.str(), listing.toStdString()) << it.key().toStdString();
    }
}

TEST_F(Cli, PasswordsComeFromAFileThenStandardInputThenAHiddenPrompt)
{
    // The password, or the exit status of the refusal (2: a usage error).
    const auto obtain = [](FakeConsole &console, const std::optional<QString> &file, bool confirm) {
        try {
            return PasswordSource::obtain(console, file, confirm);
        } catch (const CliError &error) {
            return QString::number(int(error.status()));
        }
    };
    // the password file (null: none), standard input, at a terminal, confirm, result, prompts
    const std::tuple<QByteArray, QByteArray, bool, bool, QString, int> cases[] = {
        {"s3cret\nnext\n", "stdin\n", false, true, "s3cret", 0},
        {"s3cret", {}, false, false, "s3cret", 0},
        {"  s3cret \n", {}, false, false, "  s3cret ", 0},
        {QByteArray(PasswordSource::MaxBytes + 1, 'x'), {}, false, false, "2", 0},
        {"\r\nsecond\n", {}, false, false, "2", 0},
        {"p\xe4ss\n", {}, false, false, "2", 0}, // undecodable bytes would all give one key
        {{}, "piped\r\nnext\n", false, true, "piped", 0},
        {{}, "typed\ntyped\n", true, true, "typed", 2},
        {{}, "typed\n", true, false, "typed", 1},
        {{}, "typed\ntypo\n", true, true, "2", 2}};
    for (const auto &[file, input, terminal, confirm, expected, prompts] : cases) {
        SCOPED_TRACE((file.left(12) + '|' + input).toStdString());
        FakeConsole console;
        console.input = input;
        console.inputTerminal = terminal;
        write("pw", file);
        const std::optional<QString> from =
            file.isNull() ? std::nullopt : std::optional(path("pw"));
        EXPECT_EQ(obtain(console, from, confirm), expected);
        EXPECT_EQ(console.prompts, prompts);
    }
    FakeConsole console;
    EXPECT_EQ(obtain(console, path("missing"), false), QString::number(int(ExitStatus::Failed)));
    console.inputTerminal = true;
    console.input = "half";
    Global::StopRequested = 1; // Ctrl+C at the prompt
    EXPECT_EQ(obtain(console, std::nullopt, false), QString::number(int(ExitStatus::Stopped)));
}

TEST_F(Cli, ProgressShowsOneShortLineOnATerminalUnlessQuiet)
{
    write("src/big.bin", QByteArray(400000, 'x'));
    write("src/" + QString(150, 'n') + "\n\x1b[31m.txt", "s");
    const QString box = path("box.vlx");
    const std::tuple<QStringList, bool, bool> cases[] = {
        {{"create", box, path("src")}, true, true},
        {{"extract", box, path("out"), "--quiet"}, true, false},
        {{"extract", box, path("out")}, false, false}};
    for (const auto &[arguments, terminal, shown] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(run(arguments, Password + '\n', terminal), 0);
        const QString err = QString::fromStdString(last->errors.str());
        EXPECT_EQ(err.contains("100%"), shown);
        EXPECT_TRUE(!shown || err.endsWith("\r\033[K")); // the line is cleared at the end
        for (const QString &line : err.split("\r\033[K")) {
            EXPECT_LE(line.size(), ProgressDisplay::Width);
            EXPECT_FALSE(line.contains('\n') || line.contains('\x1b')) << line.toStdString();
        }
        EXPECT_EQ(last->output.str(), "");
    }
}

TEST(InterruptGuard, CtrlCAndSigtermOnlySetTheStopFlagWhileInstalled)
{
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        const auto original = std::signal(signalNumber, SIG_IGN);
        std::signal(signalNumber, original);
        Global::StopRequested = 0;
        {
            InterruptGuard guard;
            std::raise(signalNumber);
            EXPECT_EQ(Global::StopRequested, 1);
        }
        Global::StopRequested = 0;
        EXPECT_EQ(std::signal(signalNumber, original), original) << "restored with the guard";
    }
}
