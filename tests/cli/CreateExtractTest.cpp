#include "CliFixture.h"
#include "TestSupport.h"
#include "core/Global.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

class CreateExtract : public CliFixture
{
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        write("src/Docs/a.txt", "abc");
        write("src/Docs/X/b.txt", "hello");
        write("src/Docs/X/Deep/big.bin", pattern(300000)); // three chunks
        write("src/Docs/empty.txt", "");
        source = tree(path("src/Docs"));
    }

    static QByteArray pattern(qsizetype n)
    {
        QByteArray bytes(n, Qt::Uninitialized);
        for (qsizetype i = 0; i < n; ++i)
            bytes[i] = char((i * 7 + i / 251) & 0xff);
        return bytes;
    }

    // Sets the stop flag at the count-th event of signal.
    template<typename Signal> void stopAt(Signal signal, int count)
    {
        auto seen = std::make_shared<int>(0);
        QObject::connect(&engine, signal, &engine, [seen, count](auto &&...) {
            if (++*seen == count)
                Global::StopRequested = 1;
        });
    }

    QMap<QString, QByteArray> source;
};

QMap<QString, QByteArray> lowerFolders(const QMap<QString, QByteArray> &files)
{
    QMap<QString, QByteArray> result;
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString key = it.key();
        const qsizetype slash = key.lastIndexOf('/');
        result.insert(key.left(slash + 1).toLower() + key.mid(slash + 1), it.value());
    }
    return result;
}

} // namespace

TEST_F(CreateExtract, AFolderRoundTripsThroughABox)
{
    {
        const TestSupport::ScopedUmask usual(022);
        EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 0);
    }
    EXPECT_EQ(console().errors(), "");
#ifdef Q_OS_UNIX
    EXPECT_EQ(TestSupport::fileMode(path("box.vlx")), 0600);
#endif
    EXPECT_EQ(run({"list", path("box.vlx")}), 0);
    EXPECT_EQ(console().output(), "Box Name: Docs\n"
                                  "Root Folder: Docs\n"
                                  "1\t3\ta.txt\n"
                                  "2\t0\tempty.txt\n"
                                  "3\t5\tx\\b.txt\n"
                                  "4\t300000\tx\\deep\\big.bin\n"
                                  "Files: 4  Size: 300008\n");
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out")}), 0);
    EXPECT_EQ(tree(path("out")), lowerFolders(source));
    EXPECT_TRUE(QFileInfo::exists(path("box.vlx")));
    EXPECT_TRUE(QFileInfo::exists(path("src/Docs/a.txt")));
}

TEST_F(CreateExtract, RelativePathsAndTheBoxNameOption)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path("src")));
    EXPECT_EQ(run({"create", "../b.vlx", "Docs/", "--name", "Named"}), 0);
    EXPECT_EQ(run({"extract", "../b.vlx", "../out"}), 0);
    EXPECT_EQ(run({"list", "../b.vlx"}), 0);
    QDir::setCurrent(before);
    EXPECT_EQ(console().output().rfind("Box Name: Named\nRoot Folder: Docs\n", 0), 0u);
    EXPECT_EQ(tree(path("out")), lowerFolders(source));
}

TEST_F(CreateExtract, AFileListBoxIsNamedAfterTheBoxFile)
{
    write("loose/one.txt", "1");
    write("loose/two.txt", "22");
    EXPECT_EQ(run({"create", path("my.list.vlx"), "--files", path("loose/one.txt"),
                   path("src/Docs/X/b.txt"), "--quiet"}),
              0);
    EXPECT_EQ(run({"list", path("my.list.vlx")}), 0);
    EXPECT_EQ(console().output(), "Box Name: my.list\nRoot Folder: \n1\t1\tone.txt\n2\t5\tb.txt\n"
                                  "Files: 2  Size: 6\n");
    EXPECT_EQ(run({"extract", path("my.list.vlx"), path("flat")}), 0);
    EXPECT_EQ(tree(path("flat")),
              (QMap<QString, QByteArray>{{"one.txt", "1"}, {"b.txt", "hello"}}));
}

TEST_F(CreateExtract, APathHoldingASemicolonIsRefusedNotSplit)
{
    // Split at ";" this list would name "a" and "b.txt", both of which exist.
    write("a", "other");
    write("b.txt", "other");
    write("a;b.txt", "mine");
    EXPECT_EQ(run({"create", path("x.vlx"), "--files", path("a;b.txt"), "--shred"}), 4);
    EXPECT_NE(console().errors().find("a;b.txt"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(path("x.vlx")));
    EXPECT_TRUE(QFileInfo::exists(path("a")));
    EXPECT_TRUE(QFileInfo::exists(path("b.txt")));
}

TEST_F(CreateExtract, MissingSourcesAreStatusFourBeforeAnyPassword)
{
    const QList<std::pair<QStringList, QString>> cases = {
        {{"create", path("x.vlx"), path("no-such-folder")}, "no-such-folder"},
        {{"create", path("x.vlx"), "--files", path("src/Docs/a.txt"), path("gone")}, "gone"},
        {{"extract", path("no.vlx"), path("out")}, "no.vlx"},
    };
    for (const auto &[args, missing] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        nextConsole().inputTerminal = true;
        EXPECT_EQ(run(args), 4);
        EXPECT_TRUE(console().prompts.isEmpty());
        EXPECT_NE(console().errors().find(missing.toStdString()), std::string::npos);
    }
    write("file", "x");
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 0);
    EXPECT_EQ(run({"extract", path("box.vlx"), path("file")}), 4);
}

TEST_F(CreateExtract, EngineErrorsAreStatusFourWithOneLine)
{
    write("src/Docs/Sub/a\\b.txt", "a name a box cannot store");
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 4);
    const std::string errors = console().errors();
    EXPECT_EQ(errors.rfind("vaulnix-cli: ", 0), 0u);
    EXPECT_NE(errors.find("a\\b.txt"), std::string::npos);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    EXPECT_FALSE(QFileInfo::exists(path("box.vlx")));
}

TEST_F(CreateExtract, EmptyOrUnconfirmedPasswordsAreUsageErrors)
{
    nextConsole().input = "\n";
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 2);
    FakeConsole &typed = nextConsole();
    typed.inputTerminal = true;
    typed.hiddenAnswers = {"one", "two"};
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 2);
    EXPECT_FALSE(QFileInfo::exists(path("box.vlx")));
    write("pw", Password + "\r\n");
    nextConsole().input = "ignored\n";
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs"), "--password-file", path("pw")}), 0);
    EXPECT_EQ(run({"list", path("box.vlx")}), 0); // the password file's line end was left out
}

TEST_F(CreateExtract, WrongPasswordCreatesNothing)
{
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 0);
    nextConsole().input = "wrong\n";
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--shred"}), 1);
    nextConsole().input = "wrong\n";
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--only", "1"}), 1);
    EXPECT_FALSE(QFileInfo::exists(path("out")));
    EXPECT_TRUE(QFileInfo::exists(path("box.vlx")));
}

TEST_F(CreateExtract, ShredRemovesSourcesAfterACompleteBoxAndTheBoxAfterExtraction)
{
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs"), "--shred"}), 0);
    EXPECT_FALSE(QFileInfo::exists(path("src/Docs"))); // emptied folders go too
    EXPECT_TRUE(QFileInfo::exists(path("src")));
    EXPECT_EQ(Global::DialogShred, 0); // the job's setting does not outlive it
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--shred"}), 0);
    EXPECT_EQ(tree(path("out")), lowerFolders(source));
    EXPECT_FALSE(QFileInfo::exists(path("box.vlx")));
}

TEST_F(CreateExtract, OnlyExtractsTheChosenPositions)
{
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 0);
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--only", "4,1"}), 0);
    EXPECT_EQ(tree(path("out")),
              (QMap<QString, QByteArray>{{"a.txt", "abc"}, {"x/deep/big.bin", pattern(300000)}}));
    EXPECT_TRUE(Global::CurrentUserPassword.isEmpty());

    EXPECT_EQ(run({"extract", path("box.vlx"), path("out2"), "--only", "1,5"}), 2);
    EXPECT_NE(console().errors().find("there is no file 5"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(path("out2")));
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out2"), "--only", "1", "--shred"}), 2);
    EXPECT_TRUE(QFileInfo::exists(path("box.vlx")));
}

TEST_F(CreateExtract, CtrlCWhileWritingLeavesTheOldBoxAsItWas)
{
    write("old/keep.txt", "previous box");
    EXPECT_EQ(run({"create", path("box.vlx"), path("old")}), 0);
    const QByteArray oldBox = TestSupport::readFile(path("box.vlx"));

    stopAt(&CCipherBlock::CipherProgress, 2); // inside big.bin
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs"), "--shred"}), 3);
    EXPECT_NE(console().errors().find("stopped"), std::string::npos);
    EXPECT_EQ(TestSupport::readFile(path("box.vlx")), oldBox);
    EXPECT_EQ(tree(path("src/Docs")), source); // nothing shredded
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"box.vlx"}));

    Global::StopRequested = 0;
    QObject::disconnect(&engine, nullptr, nullptr, nullptr);
    stopAt(&CCipherBlock::AddingToBlock, 1); // during the scan
    EXPECT_EQ(run({"create", path("new.vlx"), path("src/Docs")}), 3);
    EXPECT_FALSE(QFileInfo::exists(path("new.vlx")));
}

TEST_F(CreateExtract, CtrlCWhileExtractingKeepsTheOlderFileAndNoCutShortOne)
{
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 0);
    // An older big.bin that the stopped extraction does not finish: it stays as it was.
    write("out/x/deep/big.bin", "older");
    write("out/x/b.txt", "older");
    stopAt(&CCipherBlock::CipherProgress, 4); // a.txt, b.txt, then into big.bin
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--shred"}), 3);
    EXPECT_EQ(tree(path("out")), (QMap<QString, QByteArray>{{"a.txt", "abc"},
                                                            {"empty.txt", ""},
                                                            {"x/b.txt", "hello"},
                                                            {"x/deep/big.bin", "older"}}));
    EXPECT_TRUE(QFileInfo::exists(path("box.vlx"))); // never shredded when incomplete

    Global::StopRequested = 0;
    QObject::disconnect(&engine, nullptr, nullptr, nullptr);
    stopAt(&CCipherBlock::CipherProgress, 2);
    EXPECT_EQ(run({"extract", path("box.vlx"), path("sel"), "--only", "1,4,3"}), 3);
    EXPECT_EQ(tree(path("sel")), (QMap<QString, QByteArray>{{"a.txt", "abc"}}));
}

TEST_F(CreateExtract, AStoppedExtractionKeepsFilesItNeverReached)
{
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs")}), 0);
    write("out/x/deep/big.bin", "older");
    stopAt(&CCipherBlock::CipherProgress, 1); // during a.txt
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out")}), 3);
    EXPECT_EQ(tree(path("out")),
              (QMap<QString, QByteArray>{{"a.txt", "abc"}, {"x/deep/big.bin", "older"}}));
}

TEST_F(CreateExtract, RefusesToExtractAFileOverTheBoxItself)
{
    // The packed folder held an older copy of the box under the same name.
    write("data/box.vlx", "an older box");
    write("data/keep.txt", "k");
    EXPECT_EQ(run({"create", path("box.vlx"), path("data")}), 0);
    const QByteArray box = TestSupport::readFile(path("box.vlx"));
    for (const QStringList &extra : {QStringList{"--shred"}, QStringList{"--only", "1"}}) {
        SCOPED_TRACE(extra.join(' ').toStdString());
        EXPECT_EQ(run(QStringList{"extract", path("box.vlx"), dir.path()} + extra), 4);
        EXPECT_NE(console().errors().find("overwrite the box"), std::string::npos);
        EXPECT_EQ(TestSupport::readFile(path("box.vlx")), box);
        EXPECT_FALSE(QFileInfo::exists(path("keep.txt")));
    }
    EXPECT_EQ(run({"extract", path("box.vlx"), dir.path(), "--only", "2"}), 0);
    EXPECT_TRUE(QFileInfo::exists(path("keep.txt")));
}

TEST_F(CreateExtract, ANonAsciiPasswordRoundTripsThroughAPasswordFile)
{
    const QString password = QStringLiteral("pässwörd✓");
    write("pw", password.toUtf8() + "\n");
    write("near", QStringLiteral("pässwörd✗").toUtf8() + "\n");
    EXPECT_EQ(run({"create", path("box.vlx"), path("src/Docs"), "--password-file", path("pw")}), 0);
    EXPECT_EQ(run({"extract", path("box.vlx"), path("no"), "--password-file", path("near")}), 1);
    EXPECT_EQ(run({"extract", path("box.vlx"), path("out"), "--password-file", path("pw")}), 0);
    EXPECT_EQ(tree(path("out")), lowerFolders(source));
    // The desktop program, given the same text, opens the same box.
    EXPECT_EQ(engine.ViewBlock(path("box.vlx"), password), CCipherBlock::Read);
}
