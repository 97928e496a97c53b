#include "EngineFixture.h"
#include "core/VaulnixError.h"

namespace {

class FolderScan : public EngineFixture
{
};

QStringList names(const QStringList &paths)
{
    QStringList out;
    for (const QString &p : paths)
        out << p.section('/', -1);
    return out;
}

} // namespace

TEST_F(FolderScan, ListsOwnFilesPatternByPatternBeforeSubfolders)
{
    make("S/b.doc", "");
    make("S/a.txt", "");
    make("S/c.TXT", "");
    make("S/.hidden.txt", "");
    make("S/sub/d.txt", "");
    make("S/.hiddendir/e.txt", "");
    make("S/sub/deeper/f.doc", "");
    make("S/zsub/g.txt", "");
    make("S/noext", "");
    EXPECT_EQ(names(engine.GetAllFiles(path("S"), "*.txt;*.doc", true)),
              (QStringList{"a.txt", "c.TXT", "b.doc", "d.txt", "f.doc", "g.txt"}));
    EXPECT_EQ(names(engine.GetAllFiles(path("S"), "*.*", false)),
              (QStringList{"a.txt", "b.doc", "c.TXT", "noext"}));
    EXPECT_EQ(engine.GetAllFiles(path("does-not-exist"), "*.*", true), QStringList());
    EXPECT_EQ(engine.GetDirectories(path("S")), (QStringList{"sub", "zsub"}));
    EXPECT_EQ(engine.GetDirectories(path("S"), 2, true),
              (QStringList{path("S/.hiddendir"), path("S/sub"), path("S/zsub")}));
}

TEST_F(FolderScan, PatternsMatchWholeNames)
{
    for (const char *name : {"x.doc", "x.docx", "Y.DOC", "ab.doc", "a+b.doc", "noext"})
        make(QStringLiteral("W/") + name, "");
    const auto found = [&](const char *pattern) {
        QStringList list = names(engine.GetAllFiles(path("W"), pattern));
        list.sort();
        return list;
    };
    EXPECT_EQ(found("*.doc"), (QStringList{"Y.DOC", "a+b.doc", "ab.doc", "x.doc"}));
    EXPECT_EQ(found("?.doc"), (QStringList{"Y.DOC", "x.doc"}));
    EXPECT_EQ(found("a+b.*"), QStringList{"a+b.doc"});
    EXPECT_EQ(found("doc"), QStringList());
    EXPECT_EQ(found("*.*").size(), 6);
}

TEST_F(FolderScan, PathHelpers)
{
    EXPECT_EQ(CCipherBlock::GetPathFromFile("/a/b.txt"), "/a/");
    EXPECT_EQ(CCipherBlock::GetPathFromFile("b.txt"), "");

    CCipherBlock::CreateAllFolders(path("x/y/box.vlx"));
    EXPECT_TRUE(QFileInfo(path("x/y")).isDir());
    EXPECT_FALSE(exists("x/y/box.vlx"));
    CCipherBlock::CreateAllFolders(path("p/q/"));
    EXPECT_TRUE(QFileInfo(path("p/q")).isDir());

    make("file", "");
    EXPECT_THROW(CCipherBlock::CreateAllFolders(path("file/inner/deeper/")), VaulnixError);
}

TEST_F(FolderScan, AStopEndsTheScanAtOnce)
{
    for (int i = 0; i < 20; ++i)
        make(QStringLiteral("Stop/f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "");
    int seen = 0;
    engine.setPump([&] {
        if (++seen == 5)
            Global::StopRequested = 1;
    });
    EXPECT_EQ(engine.GetAllFiles(path("Stop"), "*.*", true).size(), 5);
}
