#include "EngineFixture.h"
#include "core/VaulnixError.h"

#include <functional>

using TestSupport::readFile;

namespace {

// Another command keying the shared cipher while the engine pumps messages or raises events.
class RekeyedCipher : public EngineFixture
{
protected:
    void expectRekeyed(const std::function<void()> &step, const QString &box)
    {
        try {
            step();
            ADD_FAILURE() << "the step went on under another key";
        } catch (const VaulnixError &e) {
            EXPECT_TRUE(e.message().contains(box) && e.message().contains("re-keyed"))
                << e.message().toStdString();
        }
    }
};

} // namespace

TEST_F(RekeyedCipher, FailsTheStepAndLeavesEveryFileAsItWas)
{
    make("Src/a.txt", "abc");
    QByteArray big(3 * CCipherBlock::ChunkBytes + 11, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 31 + i / 977);
    make("Src/sub/big.bin", big);
    const QString box = path("box.vlx");
    ASSERT_EQ(engine.CreateBlock(box, "Src", Password, path("Src"), 0), CCipherBlock::Written);
    const QByteArray goodBox = readFile(box);
    const QStringList sources = {"a.txt", "sub/big.bin"};
    make("out/sub/big.bin", "the older big.bin");

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
        expectRekeyed([&] { engine.CreateBlock(box, "Src", Password, path("Src"), 0); }, box);
        EXPECT_EQ(readFile(box), goodBox);
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"box.vlx"});
        EXPECT_EQ(tree("Src"), sources) << "nothing shredded";

        armed = true;
        expectRekeyed([&] { engine.ExtractBlock(box, path("out"), Password); }, box);
        EXPECT_EQ(read("out/sub/big.bin"), "the older big.bin");
        EXPECT_EQ(tree("out"), sources) << "no part of a file left";
        EXPECT_EQ(readFile(box), goodBox) << "the box is not shredded";
        Global::DialogShred = 0;

        armed = true;
        ASSERT_EQ(engine.DynamicExtractBlock(box, path("pick"), Password), CCipherBlock::Read);
        expectRekeyed([&] { engine.DynamicExtractToFile(2, path("pick")); }, box);
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
        expectRekeyed([&] { engine.CreateBlock(box, "Src", Password, path("Src"), 0); }, box);
        Global::DialogShred = 0;
        EXPECT_EQ(tree("Src"), sources) << "nothing shredded";
        EXPECT_EQ(log.count("ShredFile"), 0);
        engine.setPump({});
        QObject::disconnect(written);
    }
}
