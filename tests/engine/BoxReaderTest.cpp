#include "BoxBuilder.h"
#include "TestSupport.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"
#include "engine/ConvLong.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

const QString Password = QStringLiteral("secret");

class BoxReader : public ::testing::Test
{
protected:
    QString put(const QByteArray &bytes, const QString &name = QStringLiteral("box.vlx"))
    {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }

    QTemporaryDir dir;
    CCipherBlock engine;
};

} // namespace

TEST_F(BoxReader, ReadsEveryKnownAnswerBox)
{
    const QJsonObject boxes = TestSupport::vectors()["boxes"].toObject();
    ASSERT_EQ(boxes.size(), 4);
    for (auto it = boxes.begin(); it != boxes.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QJsonObject v = it.value().toObject();
        const QString path = TestSupport::vectorPath(it.key() + QStringLiteral(".vlx"));
        ASSERT_EQ(readFile(path).toHex(), v["hex"].toString().toLatin1());
        ASSERT_EQ(engine.ViewBlock(path, TestSupport::VectorPassword), CCipherBlock::Read);
        EXPECT_EQ(engine.HeaderLength(), v["h"].toInt());
        EXPECT_EQ(engine.HeaderLength() + engine.TotalBytes(), v["length"].toInt());
        QStringList entries;
        for (const QJsonValue &e : v["entries"].toArray())
            entries.append(e.toString().toLower());
        EXPECT_EQ(engine.Directories(), entries);
        const QString listing = v["listing"].toString();
        EXPECT_TRUE(listing.startsWith(QStringLiteral("Box Name: ") + engine.BlockName() + '\n'));
        EXPECT_TRUE(listing.contains(QStringLiteral("Root Folder: ") + engine.RootPath() + '\n'));
    }
}

TEST_F(BoxReader, BuilderAgreesWithTheKnownAnswerBox)
{
    const QByteArray vector =
        readFile(TestSupport::vectorPath(QStringLiteral("worked-layout.vlx")));
    EXPECT_EQ(BoxBuilder::workedLayout().build(TestSupport::VectorPassword).toHex(),
              vector.toHex());
}

TEST_F(BoxReader, ReadsAFolderBoxRecordByRecord)
{
    BoxBuilder b;
    b.name = "Work";
    b.entries = {"Work", "2003\\", "2003\\march\\"};
    b.records = {{0, "top.txt", "t"},
                 {1, "one.txt", "11"},
                 {3, "deep.txt", "333"},
                 {2, "empty.bin", ""},
                 {0, "Last.TXT", "last"}};
    const QString path = put(b.build(Password));
    ASSERT_EQ(engine.ViewBlock(path, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.BlockName(), "Work");
    EXPECT_EQ(engine.RootPath(), "Work");
    EXPECT_EQ(engine.Directories(), (QStringList{"work", "2003\\", "2003\\march\\"}));
    EXPECT_EQ(engine.Files().size(), 5);
    EXPECT_EQ(engine.TotalBytes(), 10);
    EXPECT_EQ(engine.HeaderLength() + engine.TotalBytes(), QFileInfo(path).size());

    QString name, folder;
    qint32 size = -1;
    engine.ParseBlockInfo(1, name, folder, size);
    EXPECT_EQ(name, "one.txt");
    EXPECT_EQ(folder, "");
    EXPECT_EQ(size, 2);
    engine.ParseBlockInfo(2, name, folder, size);
    EXPECT_EQ(folder, "2003\\march\\");
    engine.ParseBlockInfo(3, name, folder, size);
    EXPECT_EQ(name, "empty.bin");
    EXPECT_EQ(size, 0);
    engine.ParseBlockInfo(4, name, folder, size);
    EXPECT_EQ(name, "Last.TXT");

    Global::StopRequested = 1;
    engine.ParseBlockInfo(0, name, folder, size);
    Global::StopRequested = 0;
    EXPECT_EQ(name, "Last.TXT") << "a stop leaves the outputs alone";
}

TEST_F(BoxReader, ReadsFileListEmptyAndNamelessBoxes)
{
    BoxBuilder list;
    list.folderBox = false;
    list.name = "list";
    list.records = {{0, "one.txt", "1"}, {0, "zero.bin", ""}, {0, "two.txt", "22"}};
    ASSERT_EQ(engine.ViewBlock(put(list.build(Password)), Password), CCipherBlock::Read);
    EXPECT_TRUE(engine.Directories().isEmpty());
    EXPECT_EQ(engine.RootPath(), "");
    QString name, folder = "x";
    qint32 size;
    engine.ParseBlockInfo(2, name, folder, size);
    EXPECT_EQ(folder, "");

    BoxBuilder empty;
    empty.name = "Empty";
    empty.entries = {"Empty"};
    const QByteArray emptyBytes = empty.build(Password);
    EXPECT_EQ(emptyBytes.size(), 1 + 1 + 5 + 4 + 6 + 4);
    ASSERT_EQ(engine.ViewBlock(put(emptyBytes), Password), CCipherBlock::Read);
    EXPECT_TRUE(engine.Files().isEmpty());
    EXPECT_EQ(engine.TotalBytes(), 0);
    EXPECT_EQ(engine.HeaderLength(), emptyBytes.size());

    BoxBuilder nameless;
    nameless.entries = {"R"};
    nameless.records = {{0, "f", "x"}};
    ASSERT_EQ(engine.ViewBlock(put(nameless.build(Password)), Password), CCipherBlock::Read);
    EXPECT_EQ(engine.BlockName(), "");
    EXPECT_EQ(engine.RootPath(), "R");
}

TEST_F(BoxReader, WrongPasswordOrMissingBoxAnswersOneAndKeepsEarlierValues)
{
    const QString path = put(BoxBuilder::workedLayout().build(Password));
    ASSERT_EQ(engine.ViewBlock(path, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.ViewBlock(path, QStringLiteral("not the password")), CCipherBlock::BadHeader);
    EXPECT_EQ(engine.BlockName(), "Docs");
    EXPECT_EQ(engine.Directories().size(), 2);

    const QString missing = dir.filePath(QStringLiteral("missing.vlx"));
    EXPECT_EQ(engine.ViewBlock(missing, Password), CCipherBlock::BadHeader);
    EXPECT_FALSE(QFileInfo::exists(missing)) << "reading must not create the box";
    EXPECT_EQ(engine.ViewBlock(QString(), Password), CCipherBlock::BadHeader);
    EXPECT_EQ(engine.ViewBlock(dir.path(), Password), CCipherBlock::BadHeader);
    EXPECT_EQ(engine.ViewBlock(put(QByteArray()), Password), CCipherBlock::BadHeader);
}

TEST_F(BoxReader, EveryTruncationIsRejected)
{
    const QByteArray box = BoxBuilder::workedLayout().build(Password);
    for (qsizetype length = 0; length < box.size(); ++length)
        EXPECT_EQ(engine.ViewBlock(put(box.left(length)), Password), CCipherBlock::BadHeader)
            << "length " << length;
    EXPECT_EQ(engine.ViewBlock(put(box + 'x'), Password), CCipherBlock::BadHeader)
        << "a trailing byte";
}

TEST_F(BoxReader, InconsistentHeadersAreRejected)
{
    const BoxBuilder b = BoxBuilder::workedLayout();
    const QByteArray dirs = b.plainDirectoryBlock();
    const QByteArray table = b.plainFileTable();

    // Length fields whose first byte is 0x80 or more.
    QByteArray box = b.build(Password);
    const int dOffset = 2 + 4;
    QByteArray highD = box;
    highD[dOffset] = char(0x80);
    EXPECT_EQ(engine.ViewBlock(put(highD), Password), CCipherBlock::BadHeader);
    QByteArray highF = box;
    highF[dOffset + 4 + 8] = char(0x80);
    EXPECT_EQ(engine.ViewBlock(put(highF), Password), CCipherBlock::BadHeader);
    QByteArray longF = box;
    longF[dOffset + 4 + 8 + 3] = char(26 + 9); // table past the end of the file
    EXPECT_EQ(engine.ViewBlock(put(longF), Password), CCipherBlock::BadHeader);

    struct Damage
    {
        const char *what;
        QByteArray dirs;
        QByteArray table;
    };
    const QByteArray sep(4, '\xff');
    const auto rec = [](int index, int size, const QByteArray &name) {
        return ConvLong::IntToStr(index) + ConvLong::LongToStr(size) + name;
    };
    const QList<Damage> damages = {
        {"directory block without its final zero", "Docs\0x\\", table},
        {"short record", dirs, rec(0, 3, "a.txt") + sep + QByteArray("\0\2\0\0\0", 5)},
        {"folder index past the entries", dirs, rec(0, 3, "a.txt") + sep + rec(3, 5, "b.txt")},
        {"sizes short of the payload", dirs, rec(0, 3, "a.txt") + sep + rec(2, 4, "b.txt")},
        {"sizes beyond the payload", dirs, rec(0, 3, "a.txt") + sep + rec(2, 6, "b.txt")},
        {"separator after the last record", dirs, table + sep},
        {"name ..", dirs, rec(0, 3, "a.txt") + sep + rec(2, 5, "..")},
        {"name .", dirs, rec(0, 3, "a.txt") + sep + rec(2, 5, ".")},
        {"name with /", dirs, rec(0, 3, "../a") + sep + rec(2, 5, "b.txt")},
        {"name with \\", dirs, rec(0, 3, "..\\a") + sep + rec(2, 5, "b.txt")},
        {"name with NUL", dirs, rec(0, 3, QByteArray("a\0b", 3)) + sep + rec(2, 5, "b.txt")},
        {"drive name", dirs, rec(0, 3, "C:a") + sep + rec(2, 5, "b.txt")},
        {"entry ..", QByteArray("Docs\0..\\\0", 9), table},
        {"entry with .. inside", QByteArray("Docs\0x\\..\\..\\\0", 14), table},
        {"absolute entry", QByteArray("Docs\0\\x\\\0", 9), table},
        {"entry without final \\", QByteArray("Docs\0x\0", 7), table},
        {"entry with /", QByteArray("Docs\0x/..\\\0", 11), table},
        {"entry with empty part", QByteArray("Docs\0x\\\\\0", 9), table},
        {"drive entry", QByteArray("Docs\0C:\\\0", 9), table},
        {"empty entry", QByteArray("Docs\0\0", 6), table},
    };
    for (const Damage &d : damages) {
        SCOPED_TRACE(d.what);
        const QString path = put(b.build(Password, d.dirs, d.table));
        EXPECT_EQ(engine.ViewBlock(path, Password), CCipherBlock::BadHeader);
    }
    // The root name itself is never a path and may be anything.
    EXPECT_EQ(
        engine.ViewBlock(put(b.build(Password, QByteArray("../..\0x\\\0", 9), table)), Password),
        CCipherBlock::Read);
}
