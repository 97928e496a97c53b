#include "cipher/ChunkAead.h"
#include "TestSupport.h"
#include "cipher/SecretKey.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <sodium.h>

#include <cstring>

namespace {

using TestSupport::u;

struct ChunkAeadTest : testing::Test
{
    ChunkAeadTest() { use(random(32)); }
    void use(const QByteArray &k)
    {
        std::memcpy(key.data(), k.constData(), SecretKey::Size);
        aead.setKey(key);
    }
    static QByteArray random(qsizetype n)
    {
        QByteArray b(n, '\0');
        randombytes_buf(b.data(), size_t(n));
        return b;
    }
    // libsodium's AEAD: OpenSSL's must give the very same bytes.
    QByteArray sodiumSeal(const unsigned char *nonce, const QByteArray &plain)
    {
        QByteArray out(plain.size() + 16, '\0');
        crypto_aead_chacha20poly1305_ietf_encrypt(reinterpret_cast<unsigned char *>(out.data()),
                                                  nullptr, u(plain), size_t(plain.size()), nullptr,
                                                  0, nullptr, nonce, key.data());
        return out;
    }
    QByteArray seal(uint64_t index, bool last, const QByteArray &plain)
    {
        QByteArray out = plain + QByteArray(16, '\0'); // in place
        aead.sealChunk(index, last, out.constData(), size_t(plain.size()), out.data());
        return out;
    }
    QByteArray opened(uint64_t index, bool last, const QByteArray &sealed)
    {
        QByteArray out(sealed.size() - 16, '#');
        if (aead.openChunk(index, last, sealed.constData(), size_t(sealed.size()), out.data()))
            return out;
        EXPECT_EQ(out, QByteArray(out.size(), '\0')) << "no unauthenticated bytes";
        return "refused";
    }
    SecretKey key;
    ChunkAead aead;
};

} // namespace

TEST_F(ChunkAeadTest, Rfc8439AeadVector)
{
    use(QByteArray::fromHex("808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f"));
    const QByteArray nonce = QByteArray::fromHex("070000004041424344454647");
    const QByteArray ad = QByteArray::fromHex("50515253c0c1c2c3c4c5c6c7");
    const QByteArray plain = "Ladies and Gentlemen of the class of '99: If I could offer you only "
                             "one tip for the future, sunscreen would be it.";
    const QByteArray expected =
        "d31a8d34648e60db7b86afbc53ef7ec2a4aded51296e08fea9e2b5a736ee62d63dbea45e8ca9671282fafb69"
        "da92728b1a71de0a9e060b2905d6a5b67ecd3b3692ddbd7f2d778b8c9803aee328091b58fab324e4fad67594"
        "5585808b4831d7bc3ff4def08e4b7a9de576d26586cec64b61161ae10b594f09e26a7e902ecbd0600691";
    QByteArray sealed(plain.size() + 16, '\0');
    aead.seal(u(nonce), ad.constData(), 12, plain.constData(), size_t(plain.size()), sealed.data());
    EXPECT_EQ(sealed.toHex(), expected);
    QByteArray back(plain.size(), '\0');
    ASSERT_TRUE(aead.open(u(nonce), ad.constData(), 12, sealed.constData(), size_t(sealed.size()),
                          back.data()));
    EXPECT_EQ(back, plain);
}

TEST_F(ChunkAeadTest, ChunksMatchLibsodiumOneAfterAnother)
{
    unsigned char nonce[12];
    ChunkAead::chunkNonce(0x0102030405060708, true, nonce);
    EXPECT_EQ(QByteArray(reinterpret_cast<char *>(nonce), 12).toHex(), "010203040506070800000001");
    // One context through the sizes a file meets, a refusal in between.
    const std::tuple<int, bool, int> chunks[] = {
        {0, false, 131072}, {1, false, 131072}, {2, true, 1}, {7, true, 4096}, {0, true, 100}};
    for (const auto &[index, last, size] : chunks) {
        const QByteArray plain = random(size), sealed = seal(uint64_t(index), last, plain);
        ChunkAead::chunkNonce(uint64_t(index), last, nonce);
        EXPECT_EQ(sealed, sodiumSeal(nonce, plain)) << index;
        EXPECT_EQ(opened(uint64_t(index), !last, sealed), "refused");
        EXPECT_EQ(opened(uint64_t(index), last, sealed), plain);
    }
}

TEST_F(ChunkAeadTest, AnyChangeOfBytesOrIndexIsRefused)
{
    const QByteArray plain = random(5000), sealed = seal(3, false, plain);
    ASSERT_EQ(opened(3, false, sealed), plain);
    for (const int at : {0, 4999, 5000, 5015}) { // ciphertext, then tag
        QByteArray flipped = sealed;
        flipped[at] = char(flipped[at] ^ 0x10);
        EXPECT_EQ(opened(3, false, flipped), "refused") << at;
    }
    EXPECT_EQ(opened(3 + (uint64_t(1) << 32), false, sealed), "refused") << "index's high half";
    EXPECT_EQ(opened(3, false, sealed.chopped(1)), "refused") << "cut short";
    EXPECT_FALSE(aead.openChunk(3, false, sealed.constData(), 15, nullptr)) << "under a tag";
}
