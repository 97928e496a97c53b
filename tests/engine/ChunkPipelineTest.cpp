#include "BoxBuilder.h"
#include "EngineFixture.h"

using TestSupport::readFile;

namespace {

class ChunkPipelineTest : public EngineFixture
{
};

QStringList progressLines(qint64 total, qint64 before, qint64 size, const QString &name)
{
    QStringList lines;
    for (qint64 done = 0; done < size;) {
        done += std::min(size - done, CCipherBlock::ChunkBytes);
        lines << QStringLiteral("CipherProgress %1/%2 %3/%4 %5")
                     .arg(before + done)
                     .arg(total)
                     .arg(size - done)
                     .arg(size)
                     .arg(name);
    }
    return lines;
}

} // namespace

// More chunks than the ring has buffers, so every buffer is reused on the way.
TEST_F(ChunkPipelineTest, AFileOfManyChunksGivesTheSingleThreadedBoxAndEvents)
{
    QByteArray big(qsizetype((2 * ChunkPipeline::Slots + 3) * CCipherBlock::ChunkBytes + 7),
                   Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 131 + i / 4099);
    make("Src/a.txt", "abc");
    make("Src/big.bin", big);
    BoxBuilder reference; // enciphers on this thread, in one piece per stream
    reference.name = "Src";
    reference.entries = {"Src"};
    reference.records = {{0, "a.txt", "abc"}, {0, "big.bin", big}};

    const qint64 total = 3 + big.size();
    QStringList expected = {"AddingToBlock a.txt", "AddingToBlock big.bin", "CreatingBlock",
                            "BuildingHeader 1/2",  "BuildingHeader 2/2",    "CreatingFileBlock"};
    expected += progressLines(total, 0, 3, "a.txt");
    expected += progressLines(total, 3, big.size(), "big.bin");
    const QString box = path("src.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Src", Password, path("Src"), 0), 1);
    EXPECT_EQ(readFile(box), reference.build(Password));
    EXPECT_EQ(log.lines, expected);

    log.lines.clear();
    ASSERT_EQ(engine.ExtractBlock(box, path("out"), Password), 0);
    EXPECT_EQ(read("out/big.bin"), big);
    EXPECT_EQ(log.lines, expected.mid(6));

    log.lines.clear();
    ASSERT_EQ(engine.DynamicExtractBlock(box, path("pick"), Password), 0);
    engine.DynamicExtractToFile(2, path("pick"));
    engine.DynamicClose();
    EXPECT_TRUE(engine.LastFileComplete());
    EXPECT_EQ(read("pick/big.bin"), big);
    EXPECT_EQ(log.lines, progressLines(big.size(), 0, big.size(), "big.bin"));
}

TEST_F(ChunkPipelineTest, AStopEndsTheFileAtTheNextChunk)
{
    make("Src/big.bin", QByteArray(6 * CCipherBlock::ChunkBytes, 'b'));
    const QString box = path("src.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Src", Password, path("Src"), 0), 1);
    QObject::connect(&engine, &CCipherBlock::CipherProgress, [] { Global::StopRequested = 1; });
    log.lines.clear();
    EXPECT_EQ(engine.ExtractBlock(box, path("out"), Password), 3);
    EXPECT_EQ(log.named("CipherProgress").size(), 1);
    EXPECT_FALSE(exists("out/big.bin")) << "no part of a file is left";
    Global::StopRequested = 0;
    log.lines.clear();
    EXPECT_EQ(engine.CreateBlock(path("again.vlx"), "Src", Password, path("Src"), 0), 0);
    EXPECT_EQ(log.named("CipherProgress").size(), 1);
    EXPECT_FALSE(exists("again.vlx"));
}
