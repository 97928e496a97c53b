#include "EngineFixture.h"

using FolderScan = EngineFixture;

static QStringList names(const QStringList &paths)
{
    QStringList out;
    for (const QString &p : paths)
        out << p.section('/', -1);
    return out;
}

TEST_F(FolderScan, ListsOwnFilesPatternByPatternBeforeSubfoldersAndPatternsMatchWholeNames)
{
    for (const char *file :
         {"b.doc", "a.txt", "c.TXT", ".hidden.txt", "sub/d.txt", ".hiddendir/e.txt",
          "sub/deeper/f.doc", "zsub/g.txt", "noext", "x.docx", "a+b.doc"})
        make(QStringLiteral("S/") + file, "");
    const std::pair<const char *, QStringList> cases[] = {
        {"*.txt;*.doc", {"a.txt", "c.TXT", "a+b.doc", "b.doc"}},
        {"?.doc", {"b.doc"}},
        {"a+b.*", {"a+b.doc"}},
        {"doc", {}},
        {"*.*", {"a+b.doc", "a.txt", "b.doc", "c.TXT", "noext", "x.docx"}}};
    for (const auto &[pattern, found] : cases)
        EXPECT_EQ(names(engine.GetAllFiles(path("S"), pattern, false)), found) << pattern;
    EXPECT_EQ(names(engine.GetAllFiles(path("S"), "*.txt;*.doc", true)),
              (QStringList{"a.txt", "c.TXT", "a+b.doc", "b.doc", "d.txt", "f.doc", "g.txt"}));
    EXPECT_EQ(engine.GetAllFiles(path("does-not-exist"), "*.*", true), QStringList());
    EXPECT_EQ(engine.GetDirectories(path("S")), (QStringList{"sub", "zsub"}));
    EXPECT_EQ(engine.GetDirectories(path("S"), 2, true),
              (QStringList{path("S/.hiddendir"), path("S/sub"), path("S/zsub")}));
}
