#include "cipher/qvcryptlib.h"
#include "TestSupport.h"

#include <QJsonObject>
#include <gtest/gtest.h>
#include <sodium.h>

static void keyWith(const QString &password, int32_t mode = 0)
{
    const QByteArray bytes = password.toUtf8();
    ASSERT_EQ(InitCipher(bytes.constData(), int32_t(bytes.size()), mode), 1);
}

static QByteArray stream(int32_t n)
{
    QByteArray out(n, '\0');
    EXPECT_EQ(CipherBuffer(out.constData(), n, out.data()), n);
    return out;
}

TEST(Qvcryptlib, TheKeystreamMatchesTheVectorsAndLibsodiumInPiecesOfAnySize)
{
    const QJsonObject v = TestSupport::vectors();
    const QByteArray key = QByteArray::fromHex(v["key"].toString().toLatin1());
    QByteArray expected(3 * 131072 + 4321, '\0');
    const unsigned char nonce[crypto_stream_chacha20_ietf_NONCEBYTES] = {};
    auto *bytes = reinterpret_cast<unsigned char *>(expected.data());
    crypto_stream_chacha20_ietf_xor_ic(bytes, bytes, size_t(expected.size()), nonce, 0,
                                       TestSupport::u(key));
    EXPECT_EQ(expected.left(128).toHex(), v["keystream_0_128"].toString().toLatin1());
    keyWith(TestSupport::VectorPassword);
    QByteArray produced;
    for (const int32_t n : {1, 63, 1, 64, 65, 127, 129, 1000, 131072, 7, 131072, 131072})
        produced += stream(n);
    EXPECT_EQ(produced, expected.left(produced.size()));

    // Small pieces near the start come from a kept copy of the stream's start, the rest from
    // ChaCha20 itself: both follow the key in use, across a change of key and back.
    const QString other = QStringLiteral("another keystream-test password");
    keyWith(other);
    const QByteArray whole = stream(70000);
    keyWith(other);
    QByteArray pieces = stream(4096);
    pieces += stream(65536 - 4096);
    pieces += stream(70000 - 65536);
    EXPECT_EQ(pieces, whole);
    keyWith(TestSupport::VectorPassword);
    EXPECT_EQ(stream(4096), expected.left(4096));
}

TEST(Qvcryptlib, EachPasswordAndModeIsDerivedOnce)
{
    const QString password = QStringLiteral("cache-test-password");
    keyWith(password);
    const uint64_t before = QvcryptDerivationCount(), generation = QvcryptGeneration();
    for (int i = 0; i < 1000; ++i)
        keyWith(password);
    EXPECT_EQ(QvcryptGeneration(), generation + 1000) << "each keying restarts the stream";
    // The profile key (mode 1) is a second derivation; switching back and forth costs nothing.
    QByteArray streams[2];
    for (int i = 0; i < 6; ++i) {
        keyWith(password, i % 2);
        if (i < 2)
            streams[i] = stream(16);
        else
            EXPECT_EQ(stream(16), streams[i % 2]) << i;
    }
    EXPECT_NE(streams[0], streams[1]);
    EXPECT_EQ(QvcryptDerivationCount(), before + 1);
    keyWith(QStringLiteral("another cache-test password"));
    EXPECT_EQ(QvcryptDerivationCount(), before + 2);
}

TEST(Qvcryptlib, EncodeTextStaysWithinTheCallersBufferAndAnEarlierKeyingsStreamCiphersNothing)
{
    char out[8 + 4];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(EncodeText("abcde   ", 5, out), 8);
    EXPECT_EQ(QByteArray(out, sizeof out), QByteArray("YWJjZGU=####"));

    keyWith(TestSupport::VectorPassword);
    const uint64_t mine = QvcryptGeneration();
    QByteArray data(100, '\0');
    ASSERT_EQ(CipherBufferAt(data.constData(), 64, data.data(), mine), 64);
    keyWith(TestSupport::VectorPassword); // the same key, but a new stream
    const QByteArray before = data;
    EXPECT_EQ(CipherBufferAt(data.constData(), 36, data.data() + 64, mine), -1);
    EXPECT_EQ(data, before);
}
