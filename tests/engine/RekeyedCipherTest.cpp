#include "EngineFixture.h"

// Another command keying the shared cipher while the engine pumps messages or raises events.
using RekeyedCipher = EngineFixture;

TEST_F(RekeyedCipher, FailsTheStepAndLeavesEveryFileAsItWas)
{
    make("Src/a.txt", "abc");
    QByteArray big(3 * CCipherBlock::ChunkBytes + 11, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 31 + i / 977);
    make("Src/sub/big.bin", big);
    const QString box = path("box.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Src", Password, path("Src"), 0), CCipherBlock::Written);
    const QByteArray goodBox = read("box.vlx");
    const QStringList sources = {"a.txt", "sub/big.bin"};
    make("out/sub/big.bin", "the older big.bin");
    const auto expectRekeyed = [&](const std::function<void()> &step) {
        const QString message = refusal(step);
        EXPECT_TRUE(message.contains(box) && message.contains("re-keyed")) << message.toStdString();
    };

    const std::function<void()> disturbances[] = {
        [] { CCipher().Initilize(QStringLiteral("other")); },
        [] { CCipher().Clear(); },
    };
    for (const auto &disturb : disturbances) {
        // From the progress of big.bin's first chunk, so the step still has chunks to cipher.
        bool armed = true;
        auto midFile = QObject::connect(
            &engine, &CCipherBlock::CipherProgress,
            [&](qint32, qint32, qint32, qint32 left, qint32 size, const QString &) {
                if (armed && left > 0 && left < size) {
                    armed = false;
                    disturb();
                }
            });

        Global::DialogShred = 1;
        expectRekeyed([&] { engine.CreateBlock(box, "Src", Password, path("Src"), 0); });
        EXPECT_EQ(read("box.vlx"), goodBox);
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"box.vlx"});
        EXPECT_EQ(tree("Src"), sources) << "nothing shredded";

        armed = true;
        expectRekeyed([&] { engine.ExtractBlock(box, path("out"), Password); });
        EXPECT_EQ(read("out/sub/big.bin"), "the older big.bin");
        EXPECT_EQ(tree("out"), sources) << "no part of a file left";
        EXPECT_EQ(read("box.vlx"), goodBox) << "the box is not shredded";
        Global::DialogShred = 0;

        armed = true;
        ASSERT_EQ(engine.DynamicExtractBlock(box, path("pick"), Password), CCipherBlock::Read);
        expectRekeyed([&] { engine.DynamicExtractToFile(2, path("pick")); });
        EXPECT_FALSE(engine.LastFileComplete());
        engine.DynamicClose();
        EXPECT_EQ(tree("pick"), QStringList());
        QObject::disconnect(midFile);

        // The read-back before shredding: the pump after big.bin's first compared chunk (the
        // second pump of that pass).
        bool writing = true;
        int readBackPumps = 0;
        auto written = QObject::connect(&engine, &CCipherBlock::CipherProgress,
                                        [&](qint32, qint32 done, qint32 total) {
                                            if (done == total)
                                                writing = false;
                                        });
        engine.setPump([&] {
            if (!writing && ++readBackPumps == 2)
                disturb();
        });
        Global::DialogShred = 1;
        expectRekeyed([&] { engine.CreateBlock(box, "Src", Password, path("Src"), 0); });
        Global::DialogShred = 0;
        EXPECT_EQ(tree("Src"), sources) << "nothing shredded";
        EXPECT_TRUE(log.named("ShredFile").isEmpty());
        engine.setPump({});
        QObject::disconnect(written);
    }
}
