#include "BoxBuilder.h"
#include "EngineFixture.h"
#include "cipher/CCipher.h"
#include "engine/ConvLong.h"

#include <QJsonArray>
#include <QRegularExpression>

using TestSupport::readFile;

namespace {

class BoxReader : public EngineFixture
{
protected:
    QString put(const QByteArray &bytes) { return make("box.vlx", bytes); }
};

// A hex vector of the format document.
QByteArray documented(const QString &name)
{
    const QString doc =
        QString::fromUtf8(readFile(QStringLiteral(VAULNIX_DOCS_DIR "/box-format.md")));
    const QRegularExpression block(
        QStringLiteral("<!-- vector:%1 -->\\s*```\\s*([0-9a-f\\s]+)```").arg(name));
    QString hex = block.match(doc).captured(1);
    return QByteArray::fromHex(hex.remove(QRegularExpression(QStringLiteral("\\s"))).toLatin1());
}

} // namespace

TEST_F(BoxReader, ReadsEveryKnownAnswerBoxAndTheDocumentAgrees)
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
    // The test's own builder, and the format document, give the same bytes as this build.
    const BoxBuilder worked = BoxBuilder::workedLayout();
    EXPECT_EQ(worked.build(TestSupport::VectorPassword),
              readFile(TestSupport::vectorPath(QStringLiteral("worked-layout.vlx"))));
    CCipher cipher;
    cipher.Initilize(QStringLiteral("secret"), 0);
    EXPECT_EQ(documented("plain-header").toHex(), worked.plainHeader().toHex());
    EXPECT_EQ(documented("keystream-secret").toHex(), cipher.Cipher(QByteArray(32, '\0')).toHex());
    EXPECT_EQ(documented("box-secret").toHex(), worked.build(QStringLiteral("secret")).toHex());
}

TEST_F(BoxReader, ReadsAFolderBoxRecordByRecord)
{
    BoxBuilder b{"Work", {"Work", "2003\\", "2003\\march\\"}, {}};
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
    EXPECT_EQ(engine.HeaderLength() + engine.TotalBytes(), QFileInfo(path).size());
    QStringList records;
    for (qint32 i = 0; i < engine.Files().size(); ++i) {
        QString name, folder;
        qint32 size = -1;
        engine.ParseBlockInfo(i, name, folder, size);
        records << QStringLiteral("%1%2 %3").arg(folder, name).arg(size);
    }
    EXPECT_EQ(records, (QStringList{"top.txt 1", "one.txt 2", "2003\\march\\deep.txt 3",
                                    "2003\\empty.bin 0", "Last.TXT 4"}));
    QString name;
    QString folder;
    qint32 size;
    EXPECT_THROW(engine.ParseBlockInfo(5, name, folder, size), VaulnixError);
    Global::StopRequested = 1;
    engine.ParseBlockInfo(0, name, folder, size);
    EXPECT_EQ(name, "") << "a stop leaves the outputs alone";
}

TEST_F(BoxReader, WrongPasswordAndMissingOrDamagedBoxesAnswerBadHeader)
{
    const QByteArray box = BoxBuilder::workedLayout().build(Password);
    const QString path = put(box);
    ASSERT_EQ(engine.ViewBlock(path, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.ViewBlock(path, QStringLiteral("not the password")), CCipherBlock::BadHeader);
    EXPECT_EQ(engine.BlockName(), "Docs") << "a refused box keeps the earlier values";

    EXPECT_EQ(engine.ViewBlock(this->path("missing.vlx"), Password), CCipherBlock::BadHeader);
    EXPECT_FALSE(exists("missing.vlx")) << "reading must not create the box";
    EXPECT_EQ(engine.ViewBlock(QString(), Password), CCipherBlock::BadHeader);
    EXPECT_EQ(engine.ViewBlock(tmp.path(), Password), CCipherBlock::BadHeader);
    for (qsizetype length = 0; length < box.size(); ++length)
        EXPECT_EQ(engine.ViewBlock(put(box.left(length)), Password), CCipherBlock::BadHeader)
            << "cut to " << length;
    EXPECT_EQ(engine.ViewBlock(put(box + 'x'), Password), CCipherBlock::BadHeader)
        << "a trailing byte";
    // Length fields whose first byte is 0x80 or more, and a table past the end of the file.
    for (const auto &[at, value] : {std::pair{6, 0x80}, {18, 0x80}, {21, 26 + 9}}) {
        QByteArray damaged = box;
        damaged[at] = char(value);
        EXPECT_EQ(engine.ViewBlock(put(damaged), Password), CCipherBlock::BadHeader) << at;
    }
}

TEST_F(BoxReader, InconsistentHeadersAndUnsafeNamesAreRejected)
{
    const BoxBuilder b = BoxBuilder::workedLayout();
    const QByteArray dirs = b.plainDirectoryBlock();
    const QByteArray table = b.plainFileTable();
    const QByteArray sep(4, '\xff');
    const auto rec = [](int index, int size, const QByteArray &name) {
        return ConvLong::IntToStr(index) + ConvLong::LongToStr(size) + name;
    };
    const auto second = [&](const QByteArray &record) { return rec(0, 3, "a.txt") + sep + record; };
    const struct
    {
        const char *what;
        QByteArray dirs;
        QByteArray table;
    } damages[] = {
        {"directory block without its final zero", "Docs\0x\\", table},
        {"short record", dirs, second(QByteArray("\0\2\0\0\0", 5))},
        {"folder index past the entries", dirs, second(rec(3, 5, "b.txt"))},
        {"sizes short of the payload", dirs, second(rec(2, 4, "b.txt"))},
        {"sizes beyond the payload", dirs, second(rec(2, 6, "b.txt"))},
        {"separator after the last record", dirs, table + sep},
        {"name ..", dirs, second(rec(2, 5, ".."))},
        {"name .", dirs, second(rec(2, 5, "."))},
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
    for (const auto &d : damages)
        EXPECT_EQ(engine.ViewBlock(put(b.build(Password, d.dirs, d.table)), Password),
                  CCipherBlock::BadHeader)
            << d.what;
    // The root name itself is never a path and may be anything.
    EXPECT_EQ(
        engine.ViewBlock(put(b.build(Password, QByteArray("../..\0x\\\0", 9), table)), Password),
        CCipherBlock::Read);
}
