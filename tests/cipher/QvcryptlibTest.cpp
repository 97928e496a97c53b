#include "cipher/qvcryptlib.h"
#include "TestSupport.h"

#include <QJsonObject>
#include <gtest/gtest.h>
#include <sodium.h>

namespace {

void keyWith(const QString &password, int32_t mode = 0)
{
    const QByteArray bytes = password.toUtf8();
    ASSERT_EQ(InitCipher(bytes.constData(), int32_t(bytes.size()), mode), 1);
}

QByteArray stream(int32_t n)
{
    QByteArray out(n, '\0');
    EXPECT_EQ(CipherBuffer(out.constData(), n, out.data()), n);
    return out;
}

} // namespace

TEST(Qvcryptlib, KeyAndKeystreamMatchTheVectorsAndLibsodiumAtEveryOffset)
{
    const QJsonObject v = TestSupport::vectors();
    const QByteArray key = QByteArray::fromHex(v["key"].toString().toLatin1());
    EXPECT_EQ(TestSupport::argon2idKey(v["password"].toString().toUtf8(),
                                       v["salt"].toString().toLatin1()),
              key);
    QByteArray expected(3 * 131072 + 4321, '\0');
    const unsigned char nonce[crypto_stream_chacha20_ietf_NONCEBYTES] = {};
    crypto_stream_chacha20_ietf_xor_ic(
        reinterpret_cast<unsigned char *>(expected.data()),
        reinterpret_cast<const unsigned char *>(expected.constData()), size_t(expected.size()),
        nonce, 0, reinterpret_cast<const unsigned char *>(key.constData()));
    EXPECT_EQ(expected.left(128).toHex(), v["keystream_0_128"].toString().toLatin1());

    // Pieces of awkward sizes must continue the stream exactly where the last call stopped.
    keyWith(TestSupport::VectorPassword);
    QByteArray produced;
    for (const int32_t n : {1, 63, 1, 64, 65, 127, 129, 1000, 131072, 7, 131072, 131072})
        produced += stream(n);
    EXPECT_EQ(produced, expected.left(produced.size()));
    // Every start offset within the first blocks, from a fresh keying each time.
    for (int offset = 0; offset < 200; ++offset) {
        keyWith(TestSupport::VectorPassword);
        stream(offset);
        ASSERT_EQ(stream(70), expected.mid(offset, 70)) << "offset " << offset;
    }
}

TEST(Qvcryptlib, EachPasswordAndModeIsDerivedOnce)
{
    const QString password = QStringLiteral("cache-test-password");
    keyWith(password);
    const uint64_t before = QvcryptDerivationCount();
    const uint64_t generation = QvcryptGeneration();
    for (int i = 0; i < 1000; ++i)
        keyWith(password);
    EXPECT_EQ(QvcryptDerivationCount(), before);
    EXPECT_EQ(QvcryptGeneration(), generation + 1000) << "each keying restarts the stream";

    // The profile key is a second derivation; switching back and forth costs nothing more, and
    // keying again with the current password must still mind the mode.
    QByteArray streams[2];
    for (int i = 0; i < 6; ++i) {
        keyWith(password, i % 2);
        const QByteArray got = stream(16);
        if (i < 2)
            streams[i] = got;
        EXPECT_EQ(got, streams[i % 2]) << i;
        keyWith(password, i % 2);
        EXPECT_EQ(stream(16), streams[i % 2]) << i;
    }
    EXPECT_NE(streams[0], streams[1]);
    EXPECT_EQ(QvcryptDerivationCount(), before + 1);
    keyWith(QStringLiteral("another cache-test password"));
    EXPECT_EQ(QvcryptDerivationCount(), before + 2);
}

TEST(Qvcryptlib, EncodeTextStaysWithinTheCallersBuffer)
{
    char out[8 + 4];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(EncodeText("abcde   ", 5, out), 8);
    EXPECT_EQ(QByteArray(out, sizeof out), QByteArray("YWJjZGU=####"));
    char decoded[8];
    EXPECT_EQ(DecodeText("YWJjZGU=", 8, decoded), 5);
    EXPECT_EQ(QByteArray(decoded, 5), QByteArray("abcde"));
    EXPECT_EQ(DecodeText("not*base64", 10, decoded), 0);
}

TEST(Qvcryptlib, AStreamOfAnEarlierKeyingCiphersNothingMore)
{
    keyWith(TestSupport::VectorPassword);
    const uint64_t mine = QvcryptGeneration();
    QByteArray data(100, '\0');
    ASSERT_EQ(CipherBufferAt(data.constData(), 64, data.data(), mine), 64);
    EXPECT_EQ(data.left(64).toHex(),
              TestSupport::vectors()["keystream_0_128"].toString().toLatin1().left(128));
    keyWith(TestSupport::VectorPassword); // the same key, but a new stream
    const QByteArray before = data;
    EXPECT_EQ(CipherBufferAt(data.constData(), 36, data.data() + 64, mine), -1);
    EXPECT_EQ(data, before);
}
