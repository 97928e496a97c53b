#include "BoxBuilder.h"
#include "EngineFixture.h"
#include "engine/ConvLong.h"

namespace {

class BoxReader : public EngineFixture
{
protected:
    QString put(const QByteArray &bytes) { return make("box.vlx", bytes); }
};

} // namespace

TEST_F(BoxReader, TheFormatDocumentsBoxIsTheWorkedLayout)
{
    EXPECT_EQ(QByteArray::fromHex(TestSupport::documented("box-format.md", "box-secret")).toHex(),
              BoxBuilder::workedLayout().build("secret").toHex());
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
    EXPECT_EQ(engine.BlockName() + engine.RootPath(), "WorkWork");
    EXPECT_EQ(engine.Directories(), (QStringList{"work", "2003\\", "2003\\march\\"}));
    const BoxCatalogue &box = engine.Catalogue();
    EXPECT_EQ(box.files.constLast().offset + box.files.constLast().size, QFileInfo(path).size());
    EXPECT_EQ(box.totalBytes, 10);
    QStringList records;
    QString name, folder;
    qint64 size = -1;
    for (qint32 i = 0; i < box.files.size(); ++i) {
        engine.ParseBlockInfo(i, name, folder, size);
        records << QStringLiteral("%1%2 %3").arg(folder, name).arg(size);
    }
    EXPECT_EQ(records, (QStringList{"top.txt 1", "one.txt 2", "2003\\march\\deep.txt 3",
                                    "2003\\empty.bin 0", "Last.TXT 4"}));
    EXPECT_THROW(engine.ParseBlockInfo(5, name, folder, size), VaulnixError);
}

TEST_F(BoxReader, WrongPasswordAndMissingOrDamagedBoxesAnswerBadHeader)
{
    const QByteArray box = BoxBuilder::workedLayout().build(Password);
    const QString path = put(box);
    ASSERT_EQ(engine.ViewBlock(path, Password), CCipherBlock::Read);
    EXPECT_EQ(engine.ViewBlock(path, "not the password"), CCipherBlock::BadHeader);
    EXPECT_EQ(engine.BlockName(), "Docs") << "a refused box keeps the earlier values";
    EXPECT_EQ(engine.ViewBlock(this->path("missing.vlx"), Password), CCipherBlock::BadHeader);
    EXPECT_FALSE(exists("missing.vlx")) << "reading must not create the box";
    EXPECT_EQ(engine.ViewBlock(tmp.path(), Password), CCipherBlock::BadHeader);
    for (qsizetype length = 0; length < box.size(); ++length)
        EXPECT_EQ(engine.ViewBlock(put(box.left(length)), Password), CCipherBlock::BadHeader)
            << "cut to " << length;
    EXPECT_EQ(engine.ViewBlock(put(box + 'x'), Password), CCipherBlock::BadHeader);
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
    const QByteArray dirs = b.plainDirectoryBlock(), table = b.plainFileTable(), sep(4, '\xff');
    const auto rec = [](int index, int size, const QByteArray &name) {
        return ConvLong::IntToStr(index) + ConvLong::LongToStr(size) + name;
    };
    const auto refused = [&](const QByteArray &d, const QByteArray &t) {
        EXPECT_EQ(engine.ViewBlock(put(b.build(Password, d, t)), Password), CCipherBlock::BadHeader)
            << d.toHex().toStdString() << " " << t.toHex().toStdString();
    };
    // Folder blocks ('|' stands for a zero byte) without a final zero or with unsafe entries.
    for (QByteArray d : {"Docs|x\\", "Docs|..\\|", "Docs|x\\..\\..\\|", "Docs|\\x\\|", "Docs|x|",
                         "Docs|x/..\\|", "Docs|x\\\\|", "Docs|C:\\|", "Docs||"})
        refused(d.replace('|', '\0'), table);
    // A record with a folder index past the entries, sizes short of or past the payload or an
    // unsafe name, as the second record or the first; a record cut short; a final separator.
    const std::tuple<int, int, const char *, bool> records[] = {
        {3, 5, "b.txt", false}, {2, 4, "b.txt", false}, {2, 6, "b.txt", false},
        {2, 5, "..", false},    {2, 5, ".", false},     {0, 3, "../a", true},
        {0, 3, "..\\a", true},  {0, 3, "a|b", true},    {0, 3, "C:a", true}};
    for (const auto &[index, size, name, atFirst] : records) {
        const QByteArray record = rec(index, size, QByteArray(name).replace('|', '\0'));
        refused(dirs,
                atFirst ? record + sep + rec(2, 5, "b.txt") : rec(0, 3, "a.txt") + sep + record);
    }
    refused(dirs, rec(0, 3, "a.txt") + sep + QByteArray("\0\2\0\0\0", 5));
    refused(dirs, table + sep);
    // The root name itself is never a path and may be anything.
    EXPECT_EQ(
        engine.ViewBlock(put(b.build(Password, QByteArray("../..\0x\\\0", 9), table)), Password),
        CCipherBlock::Read);
}
