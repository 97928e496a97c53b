#include "CliFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace {

using Cli = CliFixture;

struct Case
{
    QStringList arguments; // run in the test's folder
    QByteArray input;      // null: a terminal where nobody answers
    int status;
    QString shown = {}; // on standard output for 0, else in the one line on standard error
    bool stop = false;  // Ctrl+C at the first data event
};

} // namespace

TEST_F(Cli, EveryOutcomeHasItsExitStatusAndOneLine)
{
    write("src/a.txt", "abc");
    write("src/X/b.txt", "hello");
    write("evil/a\tb\x1b[2Jc", "1");
    write("bad/a\\b.txt", "a name no box can hold");
    write("file", "x");
    // Split at ";" this list would name "a" and "b.txt", both of which exist.
    write("a", "other");
    write("b.txt", "other");
    write("a;b.txt", "mine");
    const QByteArray pw = Password + '\n', wrong = "wrong\n";
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto at = [](const char *name) { return QDir::current().absoluteFilePath(name); };
    const QString b = "box.vlx";
    const QList<Case> cases = {
        {{"--version"}, pw, 0, "vaulnix-cli"},
        {{"--help"}, pw, 0, "--password-file"},
        {{"create", b, "src/"}, pw, 0},
        {{"list", b}, pw, 0, "Box Name: src\n"},
        {{"create", "n.vlx", "src", "--name", "Named"}, pw, 0},
        {{"list", "n.vlx"}, pw, 0, "Box Name: Named\n"},
        {{"create", "my.list.vlx", "--files", "src/a.txt"}, pw, 0},
        {{"list", "my.list.vlx"}, pw, 0, "Box Name: my.list\n"},
        {{"create", "evil.vlx", "evil", "--name", "evil\nRoot Folder: x"}, pw, 0},
        {{"list", "evil.vlx"}, pw, 0, "evil?Root Folder: x\nRoot Folder: evil\n1\t1\ta?b?[2Jc\n"},
        {{}, pw, 2, "--help"},
        {{"extract", b, "out", "--only", "1", "--shred"}, pw, 2, "--shred"},
        {{"extract", b, "out", "--only", "1,5"}, pw, 2, "no file 5"},
        {{"create", "new.vlx", "src"}, "\n", 2, "empty"},
        {{"list", b}, wrong, 1, "wrong password"},
        {{"extract", b, "out", "--shred"}, wrong, 1, "wrong password"},
        {{"extract", b, "out", "--only", "1"}, wrong, 1, "wrong password"},
        // Missing or unfit paths are found before a password is asked for.
        {{"create", "new.vlx", "gone"}, {}, 4, at("gone")},
        {{"create", "new.vlx", "--files", "src/a.txt", "gone"}, {}, 4, at("gone")},
        {{"create", "new.vlx", "--files", "a;b.txt", "--shred"}, {}, 4, at("a;b.txt")},
        {{"extract", "gone.vlx", "out"}, {}, 4, at("gone.vlx")},
        {{"extract", b, "file"}, {}, 4, at("file")},
        {{"list", "gone.vlx"}, {}, 4, at("gone.vlx")},
        {{"list", "src"}, {}, 4, at("src")},
        {{"create", "new.vlx", "bad"}, pw, 4, "a\\b.txt"}, // the engine's error
        {{"create", "new.vlx", "src", "--shred"}, pw, 3, "stopped", true},
        {{"extract", b, "part"}, pw, 3, "stopped", true},
        {{"extract", b, "part", "--only", "2,1"}, pw, 3, "stopped", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QMetaObject::Connection stop;
        if (c.stop)
            stop = QObject::connect(&engine, &CCipherBlock::CipherProgress, &engine,
                                    [](auto &&...) { Global::StopRequested = 1; });
        EXPECT_EQ(run(c.arguments, c.input), c.status);
        QObject::disconnect(stop);
        Global::StopRequested = 0;
        const std::string out = console().output.str(), err = console().errors.str();
        const std::string &text = c.status == 0 ? out : err;
        EXPECT_NE(text.find(c.shown.toStdString()), std::string::npos) << text;
        if (c.status != 0) { // a usage error adds where to find the usage
            EXPECT_EQ(text.rfind("vaulnix-cli: ", 0), 0u);
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.status == 2 ? 2 : 1);
        }
        EXPECT_EQ(c.status == 0 ? err : out, "");
    }
    QDir::setCurrent(before);
    // Refused or stopped, nothing was made, shredded or extracted.
    EXPECT_FALSE(QFileInfo::exists(path("new.vlx")) || QFileInfo::exists(path("out")));
    EXPECT_TRUE(QFileInfo::exists(path("a")) && QFileInfo::exists(path("src/a.txt")));
}

TEST_F(Cli, ANonAsciiPasswordFileRoundTripsAPrivateBox)
{
    const QString password = QStringLiteral("pässwörd✓");
    write("pw", password.toUtf8() + "\n");
    write("near", QStringLiteral("pässwörd✗").toUtf8() + "\n");
    write("src/a.txt", "abc");
    write("src/X/b.txt", "hello");
    const QString box = path("box.vlx");
    const auto with = [this](QStringList arguments, const char *file) {
        return arguments << "--password-file" << path(file);
    };
    {
        const TestSupport::ScopedUmask usual(022);
        EXPECT_EQ(run(with({"create", box, path("src"), "--shred"}, "pw")), 0);
    }
    EXPECT_EQ(TestSupport::fileMode(box), 0600);
    EXPECT_FALSE(QFileInfo::exists(path("src"))); // --shred reached the engine
    EXPECT_EQ(run(with({"extract", box, path("no")}, "near")), 1);
    EXPECT_EQ(run(with({"extract", box, path("out"), "--only", "2"}, "pw")), 0);
    EXPECT_EQ(TestSupport::readFile(path("out/x/b.txt")), "hello");
    EXPECT_FALSE(QFileInfo::exists(path("out/a.txt")));
    EXPECT_TRUE(Global::CurrentUserPassword.isEmpty()); // no password outlives its command
    EXPECT_EQ(engine.ViewBlock(box, password), 0);      // as the desktop program would take it
    EXPECT_EQ(run(with({"extract", box, path("all"), "--shred"}, "pw")), 0);
    EXPECT_EQ(TestSupport::readFile(path("all/a.txt")), "abc");
    EXPECT_FALSE(QFileInfo::exists(box));
    EXPECT_EQ(Global::DialogShred, 0);
}

TEST_F(Cli, ListPrintsEveryKnownAnswerBoxExactly)
{
    const QJsonObject boxes = TestSupport::vectors()["boxes"].toObject();
    ASSERT_FALSE(boxes.isEmpty());
    for (auto it = boxes.begin(); it != boxes.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(run({"list", TestSupport::vectorPath(it.key() + ".vlx")},
                      TestSupport::VectorPassword.toUtf8() + '\n'),
                  0);
        EXPECT_EQ(console().output.str(),
                  it.value().toObject()["listing"].toString().toStdString());
    }
}
