#include "EngineFixture.h"
#include "engine/SealedFormat.h"

#include <QSet>
#include <QtEndian>

namespace {

// Sealed boxes on their own: what only their format promises. Names are long enough that
// random ciphertext does not hold them by chance.
class SealedBox : public EngineFixture
{
protected:
    void SetUp() override
    {
        if (sealed())
            GTEST_SKIP() << "runs once, in the first pass";
        engine.setWriteFormat(BoxFormatId::Sealed);
        make("Sources/a.txt", QByteArray(3 * C + 5, 'a'));
        make("Sources/b.txt", QByteArray(C + 7, 'b'));
        make("Sources/c.txt", "c");
    }

    QByteArray pack(const QString &name)
    {
        EXPECT_EQ(engine.CreateBlock(path(name), "Secret Name", Password, path("Sources"), 0),
                  CCipherBlock::Written);
        return read(name);
    }
    // Where chunk j of file i starts in a box laid out as the last one read.
    qint64 chunkAt(qint32 i, qint64 j) const
    {
        return engine.Catalogue().files.at(i).offset + j * (C + SealedFormat::TagBytes);
    }

    static constexpr qint64 C = CCipherBlock::ChunkBytes;
    static constexpr qint64 Stored = C + SealedFormat::TagBytes;
};

} // namespace

TEST_F(SealedBox, EveryTamperingAndCutIsRefusedWithItsCauseAndNothingIsShredded)
{
    const QByteArray box = pack("box.vlx"), other = pack("other.vlx");
    ASSERT_EQ(engine.ViewBlock(path("box.vlx"), Password), CCipherBlock::Read);
    const auto chunk = [&](const QByteArray &from, qint32 i, qint64 j) {
        return from.mid(chunkAt(i, j), Stored);
    };
    const auto with = [&](qint64 at, const QByteArray &bytes) {
        return QByteArray(box).replace(at, bytes.size(), bytes);
    };
    QByteArray flipped = box, prefix = box, header = box;
    flipped[chunkAt(0, 1) + 100] = char(flipped[chunkAt(0, 1) + 100] ^ 1);
    prefix[13] = char(prefix[13] ^ 1);
    header[60] = char(header[60] ^ 1);
    std::vector<std::pair<const char *, QByteArray>> damages = {
        {"a bit flipped", flipped},
        {"a chunk dropped", QByteArray(box).remove(chunkAt(0, 1), Stored)},
        {"a chunk twice", with(chunkAt(0, 1), chunk(box, 0, 0))},
        {"two chunks swapped", with(chunkAt(0, 0), chunk(box, 0, 1) + chunk(box, 0, 0))},
        {"a chunk of another file", with(chunkAt(0, 0), chunk(box, 1, 0))},
        {"a chunk of another box", with(chunkAt(0, 0), chunk(other, 0, 0))},
        {"the clear prefix changed", prefix},
        {"the header changed", header}};
    for (qint64 cut = 1; cut <= 4; ++cut) { // at chunk boundaries of a.txt, and inside chunks
        damages.emplace_back("cut at a boundary", box.left(chunkAt(0, cut)));
        damages.emplace_back("cut inside a chunk", box.left(chunkAt(0, cut) - 17));
    }
    damages.emplace_back("cut in the header", box.left(100));
    Global::DialogShred = 1;
    for (const auto &[name, bytes] : damages) {
        SCOPED_TRACE(name);
        make("box.vlx", bytes);
        QDir(path("out")).removeRecursively();
        make("out/a.txt", "older");
        QString message = CCipherBlock::HeaderMessage;
        try {
            if (engine.ExtractBlock(path("box.vlx"), path("out"), Password) !=
                CCipherBlock::ExtractBadHeader)
                ADD_FAILURE() << "extracted";
        } catch (const VaulnixError &error) {
            EXPECT_TRUE(error.isDamagedBox());
            message = error.message();
        }
        EXPECT_TRUE(message.contains("cut short") || message.contains("a.txt") ||
                    message == CCipherBlock::HeaderMessage)
            << message.toStdString();
        EXPECT_EQ(read("box.vlx"), bytes) << "not shredded";
        EXPECT_EQ(tree("out"), QStringList{"a.txt"});
        EXPECT_EQ(read("out/a.txt"), "older");
    }
}

TEST_F(SealedBox, AWrongPasswordIsFormat1sAnswerAndAbsurdParametersAreRefusedBeforeDeriving)
{
    const QByteArray box = pack("box.vlx");
    EXPECT_EQ(engine.ViewBlock(path("box.vlx"), "wrong"), CCipherBlock::BadHeader);
    // Deriving under these would throw for want of memory, or run for hours.
    for (const auto &[at, value] : {std::pair{16, 0xffffffffu}, {16, 1048577u}, {12, 11u}}) {
        QByteArray crafted = box;
        qToBigEndian<quint32>(value, crafted.data() + at);
        EXPECT_EQ(engine.ViewBlock(make("crafted.vlx", crafted), Password), CCipherBlock::BadHeader)
            << at << " " << value;
    }
}

TEST_F(SealedBox, TwoBoxesOfOneFolderShareNoCiphertextAndShowNoName)
{
    const QByteArray one = pack("one.vlx"), two = pack("two.vlx");
    QSet<QByteArray> blocks;
    for (qsizetype at = SealedFormat::PrefixBytes; at + 64 <= one.size(); at += 64)
        blocks.insert(one.mid(at, 64));
    for (qsizetype at = SealedFormat::PrefixBytes; at + 64 <= two.size(); at += 64)
        EXPECT_FALSE(blocks.contains(two.mid(at, 64))) << at;
    for (const QByteArray name : {"Secret Name", "Sources", "a.txt", "c.txt"})
        EXPECT_FALSE(one.contains(name)) << name.constData();
}

TEST_F(SealedBox, NamesOfAnyKindAndDeepFoldersComeBackWhole)
{
    const QString deep = "Tree/" + QString("Ünïcode ✓/").repeated(12);
    make(deep + "Grüße ✓.txt", "unicode");
    make("Tree/empty", "");
    make("Tree/Sub/empty too", "");
    ASSERT_EQ(engine.CreateBlock(path("tree.vlx"), "Tree", Password, path("Tree"), 0),
              CCipherBlock::Written);
    ASSERT_EQ(engine.ExtractBlock(path("tree.vlx"), path("t"), Password), CCipherBlock::Extracted);
    EXPECT_EQ(read("t/" + deep.mid(5).toLower() + "Grüße ✓.txt"), "unicode");
    EXPECT_EQ(tree("t").size(), 3);
}

// The document's worked layout, written under its fixed salt, is the known-answer box, and the
// reader takes it and the file-list vector apart as documented.
TEST(SealedVectors, TheWorkedLayoutAndTheKnownAnswerBoxesAgreeWithTheBuild)
{
    const auto build = [](const QString &name, const QStringList &directories,
                          const QList<std::tuple<qint32, QString, QByteArray>> &files) {
        BoxCatalogue plan;
        plan.name = name;
        plan.rootName = directories.value(0);
        plan.directories = directories;
        QList<QByteArray> contents;
        for (const auto &[folder, file, content] : files) {
            plan.files.append({folder, content.size(), file, 0, {}});
            contents << content;
        }
        auto format = SealedFormat::forWriting(
            CCipherBlock::ChunkBytes, QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"));
        format->deriveKey(TestSupport::VectorPassword.toUtf8());
        QByteArray box = format->header(plan);
        for (qint32 i = 0; i < contents.size(); ++i) {
            if (contents[i].isEmpty())
                continue;
            QByteArray sealed(contents[i].size() + SealedFormat::TagBytes, Qt::Uninitialized);
            format->file(i, true).apply(0, contents[i].constData(), contents[i].size(),
                                        sealed.data(), true);
            box += sealed;
        }
        return box;
    };
    const QByteArray worked =
        build("Docs", {"Docs", "x\\"}, {{0, "a.txt", "abc"}, {2, "b.txt", "hello"}});
    const QByteArray list =
        build("list", {}, {{0, "one.txt", "one"}, {0, "zero.bin", ""}, {0, "two.txt", "two"}});
    EXPECT_EQ(worked, TestSupport::readFile(TestSupport::vectorPath("sealed-worked-layout.vlx")));
    EXPECT_EQ(list, TestSupport::readFile(TestSupport::vectorPath("sealed-file-list.vlx")));
    EXPECT_EQ(QByteArray::fromHex(TestSupport::documented("box-format-2.md", "worked-layout")),
              worked);

    CCipherBlock engine;
    QStringList differences;
    ASSERT_EQ(engine.ViewBlock(TestSupport::vectorPath("sealed-file-list.vlx"),
                               TestSupport::VectorPassword),
              CCipherBlock::Read);
    EXPECT_TRUE(engine.Catalogue().isFileList());
    EXPECT_EQ(engine.Catalogue().files.at(2).offset, list.size() - 3 - SealedFormat::TagBytes);
    ASSERT_EQ(engine.VerifyBlock(TestSupport::vectorPath("sealed-worked-layout.vlx"),
                                 TestSupport::VectorPassword, QString(), differences),
              CCipherBlock::Read);
    EXPECT_EQ(engine.Catalogue().storedPath(engine.Catalogue().files.at(1)), "x\\b.txt");
}
