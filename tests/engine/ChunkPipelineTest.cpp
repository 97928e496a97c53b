#include "BoxBuilder.h"
#include "EngineFixture.h"

using ChunkPipelineTest = EngineFixture;

// More chunks than the ring has buffers, so every buffer is reused on the way; files at chunk
// boundaries between.
TEST_F(ChunkPipelineTest, FilesOfManyChunksGiveTheSingleThreadedBoxAndComeBackWhole)
{
    const qint64 chunk = CCipherBlock::ChunkBytes;
    BoxBuilder reference{"Src", {"Src"}, {}}; // enciphers on this thread, one piece per stream
    for (const qint64 size : {qint64(3), qint64(0), chunk - 1, chunk, chunk + 1,
                              (2 * ChunkPipeline::Slots + 3) * chunk + 7}) {
        QByteArray data(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            data[i] = char(i * 131 + i / 4099 + size);
        const QByteArray name = "f" + QByteArray::number(reference.records.size()) + ".bin";
        make("Src/" + name, data);
        reference.records.append({0, name, data});
    }
    const QString box = path("src.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Src", Password, path("Src"), 0), CCipherBlock::Written);
    EXPECT_TRUE(sealed() || read("src.vlx") == reference.build(Password));
    ASSERT_EQ(engine.ExtractBlock(box, path("out"), Password), CCipherBlock::Extracted);
    ASSERT_EQ(engine.DynamicExtractBlock(box, path("pick"), Password), CCipherBlock::Read);
    engine.DynamicExtractToFile(6, path("pick"));
    engine.DynamicClose();
    for (const BoxBuilder::Record &r : reference.records)
        EXPECT_EQ(read("out/" + r.name), r.data) << r.name.data();
    EXPECT_EQ(read("pick/f5.bin"), reference.records.last().data);
}
