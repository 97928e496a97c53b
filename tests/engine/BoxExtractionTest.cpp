#include "EngineFixture.h"

#include <QFile>

namespace {

class BoxExtraction : public EngineFixture
{
protected:
    // Four files in nested folders, one empty and one of two chunks.
    QString packDocs()
    {
        make("Docs/a.txt", "abc");
        make("Docs/X/b.txt", "hello");
        make("Docs/X/Y/empty.bin", "");
        make("Docs/Z/W/c.txt", QByteArray(CCipherBlock::ChunkBytes + 1, 'c'));
        EXPECT_EQ(engine.CreateBlock(path("docs.vlx"), "Docs", Password, path("Docs"), 0),
                  CCipherBlock::Written);
        log.lines.clear();
        return path("docs.vlx");
    }
    const QStringList docs = {"a.txt", "x/b.txt", "x/y/empty.bin", "z/w/c.txt"};
};

} // namespace

TEST_F(BoxExtraction, UnpacksAFolderBoxOverOlderFilesAndLeavesOthersPartFilesAlone)
{
    const QString box = packDocs();
    make("out/a.txt", "an older and longer file that must be replaced");
    make("out/a.txt.vaulnix-part", "someone else's file");
    ASSERT_EQ(engine.ExtractBlock(box, path("out"), Password), CCipherBlock::Extracted);
    EXPECT_EQ(tree("out"), (QStringList{"a.txt", "a.txt.vaulnix-part", "x/b.txt", "x/y/empty.bin",
                                        "z/w/c.txt"}));
    EXPECT_EQ(read("out/a.txt") + read("out/x/b.txt"), "abchello");
    EXPECT_EQ(read("out/z/w/c.txt"), read("Docs/Z/W/c.txt"));
    EXPECT_EQ(read("out/a.txt.vaulnix-part"), "someone else's file");
    EXPECT_EQ(log.lines,
              (QStringList{"CipherProgress 3/131081 0/3 a.txt", "CipherProgress 8/131081 0/5 b.txt",
                           "CipherProgress 131080/131081 1/131073 c.txt",
                           "CipherProgress 131081/131081 0/131073 c.txt"}));

    // A file-list box unpacks flat, skipping empty items, and an empty box still makes its folder.
    const QString a = make("one/a.txt", "a"), b = make("two/b.txt", "b");
    ASSERT_EQ(engine.CreateSimple(path("list.vlx"), "list", Password, a + ";;" + b + ";", 0),
              CCipherBlock::Written);
    ASSERT_EQ(engine.ExtractBlock(path("list.vlx"), path("flat/deeper"), Password),
              CCipherBlock::Extracted);
    EXPECT_EQ(tree("flat"), (QStringList{"deeper/a.txt", "deeper/b.txt"}));
    QDir().mkpath(path("E"));
    ASSERT_EQ(engine.CreateBlock(path("e.vlx"), "E", Password, path("E"), 0),
              CCipherBlock::Written);
    ASSERT_EQ(engine.ExtractBlock(path("e.vlx"), path("e-out"), Password), CCipherBlock::Extracted);
    EXPECT_TRUE(QFileInfo(path("e-out")).isDir());
}

TEST_F(BoxExtraction, AStopKeepsOlderFilesLeavesNoPartOfANewOneAndShredsNothing)
{
    const QString box = packDocs();
    const qint64 size = QFileInfo(box).size();
    Global::DialogShred = 1;
    make("out/z/w/c.txt", "the older c");
    int chunks = 0;
    auto stopper = QObject::connect(&engine, &CCipherBlock::CipherProgress, [&] {
        if (++chunks == 3) // the first of c.txt's two chunks
            Global::StopRequested = 1;
    });
    for (const QStringList &left : {docs, docs.mid(0, 3)}) { // over an older c.txt, then none
        Global::StopRequested = 0;
        chunks = 0;
        EXPECT_EQ(engine.ExtractBlock(box, path("out"), Password), CCipherBlock::ExtractStopped);
        EXPECT_EQ(tree("out"), left);
        EXPECT_TRUE(exists("docs.vlx"));
        if (left.size() == 4) {
            EXPECT_EQ(read("out/z/w/c.txt"), "the older c");
        }
        QDir(path("out")).removeRecursively();
    }
    QObject::disconnect(stopper);
    Global::StopRequested = 0;
    ASSERT_EQ(engine.ExtractBlock(box, path("out"), Password), CCipherBlock::Extracted);
    EXPECT_FALSE(exists("docs.vlx"));
    EXPECT_EQ(log.named("ShredFile"),
              QStringList{QStringLiteral("ShredFile 1/1 docs.vlx 0/%1").arg(size)});
}

TEST_F(BoxExtraction, WrongPasswordsAndErrorsEndTheExtractionWithEveryHandleClosedAndTheBoxKept)
{
    const QString box = packDocs();
    EXPECT_EQ(engine.ExtractBlock(box, path("out"), "wrong"), CCipherBlock::ExtractBadHeader);
    EXPECT_EQ(prompt.messages, QStringList{}) << "the caller says why";
    EXPECT_FALSE(exists("out"));
    // A missing box is reported as missing, by name, not as a wrong password.
    EXPECT_TRUE(refusal([&] {
                    engine.ExtractBlock(path("gone.vlx"), path("out"), Password);
                }).contains(path("gone.vlx")));
    Global::DialogShred = 1;
    QDir().mkpath(path("out/x/b.txt")); // a folder where a file must go
    const qsizetype before = openHandles();
    refusal([&] { engine.ExtractBlock(box, path("out"), Password); });
    EXPECT_EQ(openHandles(), before);
    EXPECT_TRUE(exists("docs.vlx"));

    // Nor is a file of the box ever extracted over the box itself.
    make("Self/self.vlx", "inner file with the box's name");
    make("Self/other.txt", "other");
    Global::DialogShred = 0;
    ASSERT_EQ(engine.CreateBlock(path("self.vlx"), "Self", Password, path("Self"), 0),
              CCipherBlock::Written);
    Global::DialogShred = 1;
    const QByteArray self = read("self.vlx");
    refusal([&] { engine.ExtractBlock(path("self.vlx"), tmp.path(), Password); });
    EXPECT_FALSE(exists("other.txt")) << "refused before anything is written";
    ASSERT_EQ(engine.DynamicExtractBlock(path("self.vlx"), tmp.path(), Password),
              CCipherBlock::Read);
    refusal([&] { engine.DynamicExtractToFile(2, tmp.path()); });
    engine.DynamicClose();
    EXPECT_EQ(read("self.vlx"), self);
}

TEST_F(BoxExtraction, NeverWritesThroughALinkedFolder)
{
    const QString box = packDocs();
    make("elsewhere/keep.txt", "k");
    QDir().mkpath(path("out/z"));
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("out/x")));
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("out/z/w")));
    Global::DialogShred = 1;
    EXPECT_TRUE(
        refusal([&] { engine.ExtractBlock(box, path("out"), Password); }).contains(path("out/x")));
    EXPECT_TRUE(exists("docs.vlx")) << "not extracted completely, so not shredded";
    ASSERT_EQ(engine.DynamicExtractBlock(box, path("out"), Password), CCipherBlock::Read);
    for (qint32 index : {2, 3, 4})
        refusal([&] { engine.DynamicExtractToFile(index, path("out")); });
    engine.DynamicClose();
    EXPECT_EQ(tree("elsewhere"), QStringList{"keep.txt"});

    // The extraction folder itself was chosen by the user and may be a link.
    QDir().mkpath(path("real"));
    ASSERT_TRUE(QFile::link(path("real"), path("chosen")));
    ASSERT_EQ(engine.ExtractBlock(box, path("chosen"), Password), CCipherBlock::Extracted);
    EXPECT_EQ(read("real/x/b.txt"), "hello");
}
