#include "EngineFixture.h"

#include <QFile>
#include <sys/stat.h>

using BoxWriter = EngineFixture;

TEST_F(BoxWriter, WritesTheKnownBytesAndSkipsItself)
{
    if (sealed())
        GTEST_SKIP() << "the known bytes are format 1's";
    make("Docs/a.txt", "abc");
    make("Docs/X/b.txt", "hello");
    // The second pass finds the box in the folder; a final separator makes no difference.
    for (const char *folder : {"Docs", "Docs/"})
        ASSERT_EQ(engine.CreateBlock(path("Docs/Docs.vlx"), "Docs", TestSupport::VectorPassword,
                                     path(folder), 0),
                  CCipherBlock::Written);
    EXPECT_EQ(read("Docs/Docs.vlx").toHex(),
              TestSupport::readFile(TestSupport::vectorPath("worked-layout.vlx")).toHex());
    EXPECT_EQ(tree("Docs"), (QStringList{"Docs.vlx", "X/b.txt", "a.txt"})) << "no temporary file";
}

TEST_F(BoxWriter, RaisesTheEventsInOrderAndShredsOnlyWhenTheOptionIsOne)
{
    make("F/a.txt", "aa");
    make("F/b.txt", "");
    make("F/sub/c.txt", QByteArray(CCipherBlock::ChunkBytes + 5, 'c'));
    make("F/kept/.hidden", "stays");
    for (const qint16 option : {0, 2, -1}) { // the shred argument is not consulted
        Global::DialogShred = option;
        ASSERT_EQ(engine.CreateBlock(path("f.vlx"), "F", Password, path("F"), 1),
                  CCipherBlock::Written);
        EXPECT_EQ(tree("F").size(), 4) << option;
    }
    log.lines.clear();
    Global::DialogShred = 1;
    ASSERT_EQ(engine.CreateBlock(path("f.vlx"), "F", Password, path("F"), 0),
              CCipherBlock::Written);
    EXPECT_EQ(
        log.lines,
        (QStringList{"AddingToBlock a.txt", "AddingToBlock b.txt", "AddingToBlock c.txt",
                     "CreatingBlock", "BuildingHeader 1/3", "BuildingHeader 2/3",
                     "BuildingHeader 3/3", "CreatingFileBlock", "CipherProgress 2/131079 0/2 a.txt",
                     "CipherProgress 131074/131079 5/131077 c.txt",
                     "CipherProgress 131079/131079 0/131077 c.txt", "ShredFile 1/3 a.txt 0/2",
                     "ShredFile 3/3 c.txt 0/131077", "RemoveDirectory"}));
    EXPECT_EQ(tree("F"), QStringList{"kept/.hidden"}) << "a folder that is not empty stays";
    EXPECT_FALSE(exists("F/sub")) << "emptied folders are removed";
}

TEST_F(BoxWriter, AStopAChangeOrABoxThatDoesNotReadBackEqualLeavesTheOldBoxAndEverySource)
{
    make("T/a.txt", "aaaa");
    make("T/b.txt", QByteArray(3 * CCipherBlock::ChunkBytes, 'b'));
    make("T/sub/c.txt", "c");
    const QString box = make("t.vlx", "the old box");
    Global::DialogShred = 1;
    const auto grow = [&](const char *file) {
        QFile f(path(file));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("grown");
    };
    // Small files are read ahead, large ones chunk by chunk: a change is caught either way.
    int progress = 0, i = 0;
    QObject::connect(&engine, &CCipherBlock::AddingToBlock, [&](const QString &name) {
        if (i == 0)
            Global::StopRequested = 1;
        if (i == 2 && name.endsWith("a.txt"))
            grow("T/a.txt");
    });
    QObject::connect(&engine, &CCipherBlock::CipherProgress,
                     [&](qint32, qint32, qint32, qint32, qint32, const QString &name) {
                         if (i == 1 && ++progress == 2)
                             Global::StopRequested = 1;
                         if (i == 4 && name.endsWith("b.txt")) // a.txt, copied, changes its bytes
                             TestSupport::writeFile(path("T/a.txt"), "changed!!");
                     });
    QObject::connect(&engine, &CCipherBlock::CreatingFileBlock, [&] {
        if (i == 3)
            grow("T/b.txt");
    });
    const qsizetype handles = openHandles();
    for (; i < 5; ++i) {
        Global::StopRequested = 0;
        if (i < 2)
            EXPECT_EQ(engine.CreateBlock(box, "T", Password, path("T"), 0),
                      CCipherBlock::WriteStopped);
        else
            refusal([&] { engine.CreateBlock(box, "T", Password, path("T"), 0); });
        if (i < 4) { // the read-back checks the box in place
            EXPECT_EQ(read("t.vlx"), "the old box");
        }
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"t.vlx"});
        EXPECT_EQ(tree("T"), (QStringList{"a.txt", "b.txt", "sub/c.txt"})) << i;
        EXPECT_EQ(openHandles(), handles);
    }
}

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
    for (const char *named : {"L/link.txt", "L/pipe"})
        refusal([&] { engine.CreateSimple(path("x.vlx"), "x", Password, path(named), 0); });
}

TEST_F(BoxWriter, RefusesWhatABoxCannotHoldBeforeWriting)
{
    const QString box = make("old.vlx", "old");
    for (const char *file :
         {"B/back\\slash.txt", "C/Sub/same.txt", "C/sub/same.txt", "D/x/Docs", "D/x/DOCS/in.txt",
          "E/docs", "E/Docs/deep/in.txt", "back\\slash/a.txt", "N/a.txt"})
        make(file, file);
    const QString one = make("dup1/same.txt", "1"), two = make("dup2/same.txt", "2");
    const auto folder = [&](const QString &name, const QString &boxName = "b") {
        return [=, this] { engine.CreateBlock(box, boxName, Password, path(name), 0); };
    };
    const auto files = [&](const QString &list) {
        return [=, this] { engine.CreateSimple(box, "d", Password, list, 0); };
    };
    const std::pair<std::function<void()>, QStringList> refused[] = {
        // and what it must name
        {folder("B"), {path("B/back\\slash.txt")}},
        {folder("C"), {path("C/Sub/"), path("C/sub/")}},
        {folder("D"), {path("D/x/Docs "), path("D/x/DOCS")}},
        {folder("E"), {path("E/docs "), path("E/Docs")}},
        {folder("back\\slash"), {path("back\\slash")}},
        {folder("N", QString(256, 'n')), {"255"}},
        {folder("missing"), {path("missing")}},
        {files(one + ";" + two), {one, two}},
        {files(one + ";" + path("none")), {path("none")}},
    };
    for (const auto &[pack, named] : refused) {
        const QString message = refusal(pack);
        for (const QString &name : named)
            EXPECT_TRUE(message.contains(name)) << message.toStdString();
        EXPECT_EQ(read("old.vlx"), "old");
    }
    EXPECT_EQ(engine.CreateBlock(path("ok.vlx"), QString(255, 'n'), Password, path("N"), 0),
              CCipherBlock::Written);

    if (sealed())
        return; // a sealed box has no such limits
    // Sparse files cost no disk: one of exactly 2 GiB, then two adding up to more.
    QDir().mkpath(path("H"));
    QFile huge(path("H/huge.bin")), second(path("H/second.bin"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
    EXPECT_TRUE(refusal(folder("H")).contains(path("H/huge.bin")));
    ASSERT_TRUE(huge.resize((qint64(1) << 30) + 1));
    ASSERT_TRUE(second.open(QIODevice::WriteOnly) && second.resize(qint64(1) << 30));
    refusal(folder("H"));
    EXPECT_EQ(read("old.vlx"), "old");
}
