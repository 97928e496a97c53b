#include "EngineFixture.h"
#include "core/VaulnixError.h"
#include "engine/ConvLong.h"

#include <QFile>
#include <csignal>
#include <cstdio>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>

using TestSupport::readFile;

namespace {

class BoxWriter : public EngineFixture
{
};

} // namespace

TEST_F(BoxWriter, WritesTheWorkedLayoutToTheByte)
{
    make("Docs/a.txt", "abc");
    make("Docs/X/b.txt", "hello");
    const QString box = path("out/Docs.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Docs", TestSupport::VectorPassword, path("Docs"), 0),
              CCipherBlock::Written);
    EXPECT_EQ(readFile(box).toHex(),
              readFile(TestSupport::vectorPath("worked-layout.vlx")).toHex());

    // A final separator makes no difference.
    const QString again = path("out/again.vlx");
    ASSERT_EQ(engine.CreateBlock(again, "Docs", TestSupport::VectorPassword, path("Docs/"), 0),
              CCipherBlock::Written);
    EXPECT_EQ(readFile(again), readFile(box));
    EXPECT_EQ(tree("out"), (QStringList{"Docs.vlx", "again.vlx"}))
        << "no temporary file is left behind";
}

TEST_F(BoxWriter, EmptyFolderAndHiddenOnlyFolderGiveAnEmptyBox)
{
    QDir().mkpath(path("Empty"));
    make("Hidden/.secret", "x");
    make("Hidden/.cache/data", "y");
    for (const char *folder : {"Empty", "Hidden"}) {
        const QString box = path(QString(folder) + ".vlx");
        ASSERT_EQ(engine.CreateBlock(box, folder, Password, path(folder), 0),
                  CCipherBlock::Written);
        const QByteArray bytes = readFile(box);
        const int n = int(qstrlen(folder));
        EXPECT_EQ(bytes.size(), 2 + n + 4 + n + 1 + 4);
        EXPECT_EQ(ConvLong::StrToLong(bytes.mid(2 + n, 4)), n + 1) << "D";
        EXPECT_EQ(ConvLong::StrToLong(bytes.mid(6 + 2 * n + 1, 4)), 0) << "F";
        ASSERT_EQ(engine.ViewBlock(box, Password), CCipherBlock::Read);
        EXPECT_TRUE(engine.Files().isEmpty());
    }
}

TEST_F(BoxWriter, SubfoldersAreStoredLowerCasedAndFileNamesKeepTheirCase)
{
    make("Root/Top.TXT", "1");
    make("Root/Reports/March/Sales.Doc", "22");
    make("Root/Reports/March/more.txt", "333");
    make("Root/Only/Deep/Folder/x.bin", "4444");
    const QString box = path("root.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Root", Password, path("Root"), 0), CCipherBlock::Written);
    ASSERT_EQ(engine.ViewBlock(box, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.RootPath(), "Root");
    EXPECT_EQ(engine.Directories(),
              (QStringList{"root", "only\\deep\\folder\\", "reports\\march\\"}));
    QStringList names;
    for (qint32 i = 0; i < engine.Files().size(); ++i) {
        QString name, folder;
        qint32 size;
        engine.ParseBlockInfo(i, name, folder, size);
        names << folder + name;
    }
    EXPECT_EQ(names, (QStringList{"Top.TXT", "only\\deep\\folder\\x.bin",
                                  "reports\\march\\Sales.Doc", "reports\\march\\more.txt"}));
}

TEST_F(BoxWriter, FileListBoxSkipsEmptyItems)
{
    const QString a = make("src/one.txt", "1");
    const QString b = make("elsewhere/two.txt", "22");
    const QString box = path("list.vlx");
    ASSERT_EQ(engine.CreateSimple(box, "list", Password, a + ";;" + b + ";", 0),
              CCipherBlock::Written);
    ASSERT_EQ(engine.ViewBlock(box, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.Files().size(), 2);
    EXPECT_TRUE(engine.Directories().isEmpty());
    EXPECT_EQ(log.count("AddingToBlock"), 0);

    EXPECT_THROW(engine.CreateSimple(box, "list", Password, a + ";" + path("missing.txt"), 0),
                 VaulnixError);
}

TEST_F(BoxWriter, RaisesTheEventsInOrder)
{
    make("F/a.txt", "aa");
    make("F/b.txt", "");
    make("F/sub/c.txt", QByteArray(CCipherBlock::ChunkBytes + 5, 'c'));
    Global::DialogShred = 1;
    ASSERT_EQ(engine.CreateBlock(path("f.vlx"), "F", Password, path("F"), 0),
              CCipherBlock::Written);
    const QStringList expected = {
        "AddingToBlock a.txt",
        "AddingToBlock b.txt",
        "AddingToBlock c.txt",
        "CreatingBlock",
        "BuildingHeader 1/3",
        "BuildingHeader 2/3",
        "BuildingHeader 3/3",
        "CreatingFileBlock",
        "CipherProgress 2/131079 0/2 a.txt",
        "CipherProgress 131074/131079 5/131077 c.txt",
        "CipherProgress 131079/131079 0/131077 c.txt",
        "ShredFile 1/3 a.txt 0/2",
        "ShredFile 3/3 c.txt 0/131077",
        "RemoveDirectory",
    };
    EXPECT_EQ(log.lines, expected);
    EXPECT_FALSE(exists("F")) << "emptied folders are removed";
}

TEST_F(BoxWriter, RateIsBytesPerSecondRoundedToEven)
{
    qint64 now = 0;
    qint64 step = 2000;
    engine.setClock([&] { return now; });
    engine.setPump([&] { now += step; });
    make("R/a.bin", QByteArray(CCipherBlock::ChunkBytes, 'a'));
    make("R/b.bin", QByteArray(5, 'b'));
    ASSERT_EQ(engine.CreateBlock(path("r.vlx"), "R", Password, path("R"), 0),
              CCipherBlock::Written);
    ASSERT_EQ(log.rates.size(), 2);
    EXPECT_EQ(log.rates[0], 65536); // 131,072 bytes in 2 s
    EXPECT_EQ(log.rates[1], 2);     // 5 bytes in 2 s is 2.5, rounded to even

    log.rates.clear();
    step = 500;
    ASSERT_EQ(engine.CreateBlock(path("r.vlx"), "R", Password, path("R"), 0),
              CCipherBlock::Written);
    EXPECT_EQ(log.rates, (QList<qint32>{131072, 5})) << "under a second the rate is the byte count";
}

TEST_F(BoxWriter, ShredsOnlyWhenTheOptionIsExactlyOne)
{
    make("S/a.txt", "a");
    for (qint16 value : {qint16(0), qint16(2), qint16(-1)}) {
        Global::DialogShred = value;
        ASSERT_EQ(engine.CreateBlock(path("s.vlx"), "S", Password, path("S"), 1),
                  CCipherBlock::Written);
        EXPECT_TRUE(exists("S/a.txt")) << value;
    }
    Global::DialogShred = 1;
    ASSERT_EQ(engine.CreateBlock(path("s.vlx"), "S", Password, path("S"), 0),
              CCipherBlock::Written);
    EXPECT_FALSE(exists("S/a.txt"));
}

TEST_F(BoxWriter, ShredOverwritesInMebibyteWritesAndLeavesNonEmptyFolders)
{
    const qint64 mib = CCipherBlock::ShredBytes;
    const QString big = make("P/big.bin", QByteArray(mib * 5 / 2, 'x'));
    make("P/kept/.hidden", "stays");
    make("P/kept/gone.txt", "g");
    Global::DialogShred = 1;
    ASSERT_EQ(engine.CreateBlock(path("p.vlx"), "P", Password, path("P"), 0),
              CCipherBlock::Written);
    EXPECT_EQ(log.named("ShredFile 1/2"),
              (QStringList{
                  QStringLiteral("ShredFile 1/2 big.bin %1/%2").arg(mib * 3 / 2).arg(mib * 5 / 2),
                  QStringLiteral("ShredFile 1/2 big.bin %1/%2").arg(mib / 2).arg(mib * 5 / 2),
                  QStringLiteral("ShredFile 1/2 big.bin 0/%1").arg(mib * 5 / 2)}));
    EXPECT_FALSE(exists("P/big.bin"));
    EXPECT_FALSE(exists("P/kept/gone.txt"));
    EXPECT_TRUE(exists("P/kept/.hidden")) << "a folder that is not empty stays";
    EXPECT_TRUE(exists("P/kept"));
}

TEST_F(BoxWriter, AStopLeavesNoPartialBoxAndTheOldBoxIntact)
{
    make("T/a.txt", "a");
    make("T/b.txt", QByteArray(3 * CCipherBlock::ChunkBytes, 'b'));
    make("T/sub/c.txt", "c");
    const QString box = make("t.vlx", "the old box");

    // During the scan.
    QObject::connect(&engine, &CCipherBlock::AddingToBlock, [&](const QString &name) {
        if (name.endsWith("b.txt"))
            Global::StopRequested = 1;
    });
    EXPECT_EQ(engine.CreateBlock(box, "T", Password, path("T"), 0), CCipherBlock::WriteStopped);
    EXPECT_EQ(read("t.vlx"), "the old box");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"t.vlx"});
    QObject::disconnect(&engine, &CCipherBlock::AddingToBlock, nullptr, nullptr);

    // During the copy, with shredding asked for: nothing is shredded.
    Global::StopRequested = 0;
    Global::DialogShred = 1;
    int chunks = 0;
    QObject::connect(&engine, &CCipherBlock::CipherProgress, [&] {
        if (++chunks == 2)
            Global::StopRequested = 1;
    });
    EXPECT_EQ(engine.CreateBlock(box, "T", Password, path("T"), 0), CCipherBlock::WriteStopped);
    EXPECT_EQ(read("t.vlx"), "the old box");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"t.vlx"});
    EXPECT_EQ(tree("T"), (QStringList{"a.txt", "b.txt", "sub/c.txt"}));
}

#ifdef Q_OS_UNIX
TEST_F(BoxWriter, ANewBoxIsPrivateAndAReplacedBoxKeepsItsMode)
{
    using TestSupport::fileMode;
    const TestSupport::ScopedUmask usual(022);
    make("M/a.txt", "a");
    const QString box = path("m.vlx");
    ASSERT_EQ(engine.CreateSimple(box, "M", Password, path("M/a.txt"), 0), CCipherBlock::Written);
    EXPECT_EQ(fileMode(box), 0600);
    for (const int mode : {0640, 0604}) {
        ASSERT_EQ(::chmod(QFile::encodeName(box).constData(), mode_t(mode)), 0);
        ASSERT_EQ(engine.CreateBlock(box, "M", Password, path("M"), 0), CCipherBlock::Written);
        EXPECT_EQ(fileMode(box), mode);
    }
    // What comes out of a box is the user's usual kind of file.
    ASSERT_EQ(engine.ExtractBlock(box, path("out"), Password), CCipherBlock::Extracted);
    EXPECT_EQ(fileMode(path("out/a.txt")), 0644);
}
#endif

TEST_F(BoxWriter, TheBoxNeverPacksItself)
{
    make("Self/a.txt", "a");
    const QString box = path("Self/self.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Self", Password, path("Self"), 0), CCipherBlock::Written);
    ASSERT_EQ(engine.CreateBlock(box, "Self", Password, path("Self"), 0), CCipherBlock::Written);
    ASSERT_EQ(engine.ViewBlock(box, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.Files().size(), 1);
}

TEST_F(BoxWriter, LinksDevicesAndPipesAreNotPacked)
{
    make("L/real.txt", "r");
    make("outside/secret.txt", "s");
    ASSERT_TRUE(QFile::link(path("outside/secret.txt"), path("L/link.txt")));
    ASSERT_TRUE(QFile::link(path("outside"), path("L/linkdir")));
    ASSERT_EQ(mkfifo(path("L/pipe").toLocal8Bit().constData(), 0600), 0);
    Global::DialogShred = 1;
    ASSERT_EQ(engine.CreateBlock(path("l.vlx"), "L", Password, path("L"), 0),
              CCipherBlock::Written);
    EXPECT_EQ(engine.FileList().size(), 1);
    EXPECT_TRUE(exists("outside/secret.txt")) << "shredding never follows a link";

    EXPECT_THROW(engine.CreateSimple(path("x.vlx"), "x", Password, path("L/link.txt"), 0),
                 VaulnixError);
    EXPECT_THROW(engine.CreateSimple(path("x.vlx"), "x", Password, path("L/pipe"), 0),
                 VaulnixError);
}

TEST_F(BoxWriter, RefusesWhatTheFormatCannotHoldBeforeWriting)
{
    const QString box = make("old.vlx", "old");
    const auto refusal = [&](const std::function<void()> &pack) {
        try {
            pack();
        } catch (const VaulnixError &e) {
            EXPECT_EQ(read("old.vlx"), "old");
            return e.message();
        }
        ADD_FAILURE() << "no refusal";
        return QString();
    };

    make("B/back\\slash.txt", "b");
    EXPECT_TRUE(refusal([&] {
                    engine.CreateBlock(box, "B", Password, path("B"), 0);
                }).contains(path("B/back\\slash.txt")));

    make("C/Sub/same.txt", "1");
    make("C/sub/same.txt", "2");
    const QString clash = refusal([&] { engine.CreateBlock(box, "C", Password, path("C"), 0); });
    EXPECT_TRUE(clash.contains(path("C/Sub/")) && clash.contains(path("C/sub/")))
        << clash.toStdString();

    make("D/x/Docs", "a file");
    make("D/x/DOCS/in.txt", "in a folder");
    const QString fileAndFolder =
        refusal([&] { engine.CreateBlock(box, "D", Password, path("D"), 0); });
    EXPECT_TRUE(fileAndFolder.contains(path("D/x/Docs ")) &&
                fileAndFolder.contains(path("D/x/DOCS")))
        << fileAndFolder.toStdString();
    make("E/docs", "a file beside a folder on the way to another");
    make("E/Docs/deep/in.txt", "in");
    const QString onTheWay = refusal([&] { engine.CreateBlock(box, "E", Password, path("E"), 0); });
    EXPECT_TRUE(onTheWay.contains(path("E/docs ")) && onTheWay.contains(path("E/Docs")))
        << onTheWay.toStdString();

    make("back\\slash/a.txt", "a");
    EXPECT_TRUE(refusal([&] {
                    engine.CreateBlock(box, "R", Password, path("back\\slash"), 0);
                }).contains(path("back\\slash")));

    make("N/a.txt", "a");
    EXPECT_TRUE(refusal([&] {
                    engine.CreateBlock(box, QString(256, 'n'), Password, path("N"), 0);
                }).contains("255"));
    EXPECT_EQ(engine.CreateBlock(path("ok.vlx"), QString(255, 'n'), Password, path("N"), 0),
              CCipherBlock::Written);

    // A sparse file of exactly 2 GiB costs no disk.
    QFile huge(path("H/huge.bin"));
    QDir().mkpath(path("H"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
    huge.close();
    EXPECT_TRUE(refusal([&] {
                    engine.CreateBlock(box, "H", Password, path("H"), 0);
                }).contains(path("H/huge.bin")));
    ASSERT_TRUE(huge.resize((qint64(1) << 30) + 1));
    make("H/second.bin", QByteArray());
    QFile second(path("H/second.bin"));
    ASSERT_TRUE(second.resize(qint64(1) << 30));
    refusal([&] { engine.CreateBlock(box, "H", Password, path("H"), 0); });

    const QString one = make("dup1/same.txt", "1");
    const QString two = make("dup2/same.txt", "2");
    refusal([&] { engine.CreateSimple(box, "dup", Password, one + ";" + two, 0); });
    EXPECT_THROW(engine.CreateBlock(box, "M", Password, path("missing"), 0), VaulnixError);
}

TEST_F(BoxWriter, AFileThatChangesWhilePackedFailsTheBox)
{
    // Small files are read ahead, large ones chunk by chunk: a change after the size was taken
    // is caught either way.
    const QString small = make("G/a.txt", "aaaa");
    const QString large = make("G/b.bin", QByteArray(CCipherBlock::ChunkBytes + 7, 'b'));
    const QString box = make("g.vlx", "old");
    const auto grow = [](const QString &file) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("grown");
    };
    auto changer =
        QObject::connect(&engine, &CCipherBlock::AddingToBlock, [&](const QString &name) {
            if (name == small)
                grow(small);
        });
    EXPECT_THROW(engine.CreateBlock(box, "G", Password, path("G"), 0), VaulnixError);
    EXPECT_EQ(read("g.vlx"), "old");
    QObject::disconnect(changer);

    QObject::connect(&engine, &CCipherBlock::CreatingFileBlock, [&] { grow(large); });
    EXPECT_THROW(engine.CreateBlock(box, "G", Password, path("G"), 0), VaulnixError);
    EXPECT_EQ(read("g.vlx"), "old");
}

TEST_F(BoxWriter, ABoxThatDoesNotReadBackEqualShredsNothing)
{
    const QString a = make("V/a.txt", "original");
    make("V/b.txt", "bbbb");
    Global::DialogShred = 1;
    // Changed after it was copied, with the same size: the box no longer matches.
    QObject::connect(&engine, &CCipherBlock::CipherProgress,
                     [&](qint32, qint32, qint32, qint32, qint32, const QString &name) {
                         if (name.endsWith("b.txt"))
                             TestSupport::writeFile(a, "changed!");
                     });
    EXPECT_THROW(engine.CreateBlock(path("v.vlx"), "V", Password, path("V"), 0), VaulnixError);
    EXPECT_EQ(tree("V"), (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(log.count("ShredFile"), 0);
}

TEST_F(BoxWriter, ErrorsCloseEveryHandle)
{
    const auto openHandles = [] {
        return QDir("/proc/self/fd")
            .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files | QDir::Dirs)
            .size();
    };
    const QString a = make("E/a.txt", "aaaa");
    const qsizetype before = openHandles();
    QObject::connect(&engine, &CCipherBlock::AddingToBlock, [&] { QFile::remove(a); });
    EXPECT_THROW(engine.CreateBlock(path("e.vlx"), "E", Password, path("E"), 0), VaulnixError);
    EXPECT_EQ(openHandles(), before);
    EXPECT_FALSE(exists("e.vlx"));
}

// Runs in a child process: packs with a file size limit, as a nearly full disk would stop it.
[[noreturn]] static void packWithFileSizeLimit(CCipherBlock &engine, const QString &box,
                                               const QString &folder, const QString &password)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 2 * CCipherBlock::ChunkBytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
        engine.CreateBlock(box, "Big", password, folder, 0);
    } catch (const VaulnixError &e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        std::_Exit(0);
    }
    std::_Exit(1);
}

TEST_F(BoxWriter, AFullDiskIsReportedWithItsCause)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    make("Big/big.bin", QByteArray(4 * CCipherBlock::ChunkBytes, 'b'));
    // The child runs this test again in a folder of its own.
    EXPECT_EXIT(packWithFileSizeLimit(engine, path("b.vlx"), path("Big"), Password),
                ::testing::ExitedWithCode(0),
                ::testing::AllOf(::testing::HasSubstr("/b.vlx: File too large"),
                                 ::testing::Not(::testing::HasSubstr("Unknown error"))));
}
