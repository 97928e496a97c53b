#include "EngineFixture.h"

using FolderScan = EngineFixture;

namespace {

QStringList names(const QStringList &paths, bool sorted = false)
{
    QStringList out;
    for (const QString &p : paths)
        out << p.section('/', -1);
    if (sorted)
        out.sort();
    return out;
}

} // namespace

TEST_F(FolderScan, ListsOwnFilesPatternByPatternBeforeSubfolders)
{
    for (const char *file : {"b.doc", "a.txt", "c.TXT", ".hidden.txt", "sub/d.txt",
                             ".hiddendir/e.txt", "sub/deeper/f.doc", "zsub/g.txt", "noext"})
        make(QStringLiteral("S/") + file, "");
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
    const struct
    {
        const char *pattern;
        QStringList found;
    } cases[] = {
        {"*.doc", {"Y.DOC", "a+b.doc", "ab.doc", "x.doc"}},
        {"?.doc", {"Y.DOC", "x.doc"}},
        {"a+b.*", {"a+b.doc"}},
        {"doc", {}},
        {"*.*", {"Y.DOC", "a+b.doc", "ab.doc", "noext", "x.doc", "x.docx"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(names(engine.GetAllFiles(path("W"), c.pattern), true), c.found) << c.pattern;
}

TEST_F(FolderScan, CreatesFoldersOnTheWayAndAStopEndsTheScanAtOnce)
{
    CCipherBlock::CreateAllFolders(path("x/y/box.vlx"));
    EXPECT_TRUE(QFileInfo(path("x/y")).isDir());
    EXPECT_FALSE(exists("x/y/box.vlx"));
    make("file", "");
    EXPECT_THROW(CCipherBlock::CreateAllFolders(path("file/inner/deeper/")), VaulnixError);

    for (int i = 0; i < 20; ++i)
        make(QStringLiteral("Stop/f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "");
    int seen = 0;
    engine.setPump([&] {
        if (++seen == 5)
            Global::StopRequested = 1;
    });
    EXPECT_EQ(engine.GetAllFiles(path("Stop"), "*.*", true).size(), 5);
}
