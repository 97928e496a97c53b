#include "EngineFixture.h"

// Another command keying the shared cipher while the engine pumps messages or raises events.
using RekeyedCipher = EngineFixture;

TEST_F(RekeyedCipher, FailsTheStepAndLeavesEveryFileAsItWas)
{
    if (sealed())
        GTEST_SKIP() << "a sealed box keeps a key of its own, which nobody else can key anew";
    make("Src/a.txt", "abc");
    make("Src/sub/big.bin", QByteArray(3 * CCipherBlock::ChunkBytes + 11, 'b'));
    const QString box = path("box.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Src", Password, path("Src"), 0), CCipherBlock::Written);
    const QByteArray goodBox = read("box.vlx");
    const QStringList sources = {"a.txt", "sub/big.bin"};
    make("out/sub/big.bin", "the older big.bin");
    const auto expectRekeyed = [&](const std::function<void()> &step) {
        const QString message = refusal(step);
        EXPECT_TRUE(message.contains(box) && message.contains("re-keyed")) << message.toStdString();
    };
    // Both from the middle of big.bin, so the step still has chunks to cipher; the read-back
    // before shredding from the pump after big.bin's first compared chunk.
    const auto disturb = [] { CCipher().Initilize(QStringLiteral("other")); };
    bool armed = true, writing = true;
    int readBackPumps = 0;
    QObject::connect(&engine, &CCipherBlock::CipherProgress,
                     [&](qint32, qint32 done, qint32 total, qint32 left, qint32 size) {
                         if (armed && left > 0 && left < size) {
                             armed = false;
                             disturb();
                         }
                         writing = done != total;
                     });
    Global::DialogShred = 1;
    expectRekeyed([&] { engine.CreateBlock(box, "Src", Password, path("Src"), 0); });
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"box.vlx"});
    armed = true;
    expectRekeyed([&] { engine.ExtractBlock(box, path("out"), Password); });
    EXPECT_EQ(read("out/sub/big.bin"), "the older big.bin");
    EXPECT_EQ(tree("out"), sources) << "no part of a file left";
    armed = true;
    ASSERT_EQ(engine.DynamicExtractBlock(box, path("pick"), Password), CCipherBlock::Read);
    expectRekeyed([&] { engine.DynamicExtractToFile(2, path("pick")); });
    EXPECT_FALSE(engine.LastFileComplete());
    engine.DynamicClose();
    EXPECT_EQ(tree("pick"), QStringList());
    engine.setPump([&] {
        if (!writing && ++readBackPumps == 2)
            disturb();
    });
    expectRekeyed([&] { engine.CreateBlock(box, "Src", Password, path("Src"), 0); });
    EXPECT_EQ(read("box.vlx"), goodBox);
    EXPECT_EQ(tree("Src"), sources) << "nothing shredded";
    EXPECT_TRUE(log.named("ShredFile").isEmpty());
}
