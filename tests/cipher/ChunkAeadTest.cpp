#include "cipher/ChunkAead.h"
#include "cipher/SecretKey.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <sodium.h>

#include <cstring>

namespace {

void setKey(SecretKey &key, const QByteArray &bytes)
{
    std::memcpy(key.data(), bytes.constData(), SecretKey::Size);
}

QByteArray random(qsizetype n)
{
    QByteArray out(n, Qt::Uninitialized);
    randombytes_buf(out.data(), size_t(n));
    return out;
}

// libsodium's ChaCha20-Poly1305 IETF, the reference the OpenSSL path must match byte for byte.
QByteArray sodiumSeal(const SecretKey &key, const unsigned char *nonce, const QByteArray &ad,
                      const QByteArray &plain)
{
    QByteArray out(plain.size() + 16, '\0');
    crypto_aead_chacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char *>(out.data()), nullptr,
        reinterpret_cast<const unsigned char *>(plain.constData()), size_t(plain.size()),
        reinterpret_cast<const unsigned char *>(ad.constData()), size_t(ad.size()), nullptr, nonce,
        key.data());
    return out;
}

class ChunkAeadTest : public testing::Test
{
protected:
    ChunkAeadTest() { setKey(key, random(32)); }

    QByteArray sealChunk(uint64_t index, bool last, const QByteArray &plain)
    {
        QByteArray sealed(plain.size() + qsizetype(ChunkAead::TagBytes), '\0');
        aead.sealChunk(index, last, plain.constData(), size_t(plain.size()), sealed.data());
        return sealed;
    }

    bool opens(uint64_t index, bool last, const QByteArray &sealed, QByteArray *plain = nullptr)
    {
        QByteArray out(sealed.size() - 16, '#');
        const bool ok =
            aead.openChunk(index, last, sealed.constData(), size_t(sealed.size()), out.data());
        EXPECT_TRUE(ok || out == QByteArray(out.size(), '\0')) << "no unauthenticated bytes";
        if (plain)
            *plain = out;
        return ok;
    }

    SecretKey key;
    ChunkAead aead;
};

} // namespace

TEST_F(ChunkAeadTest, Rfc8439AeadVector)
{
    setKey(key,
           QByteArray::fromHex("808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f"));
    aead.setKey(key);
    const QByteArray nonce = QByteArray::fromHex("070000004041424344454647");
    const QByteArray ad = QByteArray::fromHex("50515253c0c1c2c3c4c5c6c7");
    const QByteArray plain = "Ladies and Gentlemen of the class of '99: If I could offer you only "
                             "one tip for the future, sunscreen would be it.";
    const QByteArray expected = QByteArray::fromHex(
        "d31a8d34648e60db7b86afbc53ef7ec2a4aded51296e08fea9e2b5a736ee62d63dbea45e8ca9671282fafb69"
        "da92728b1a71de0a9e060b2905d6a5b67ecd3b3692ddbd7f2d778b8c9803aee328091b58fab324e4fad67594"
        "5585808b4831d7bc3ff4def08e4b7a9de576d26586cec64b6116"
        "1ae10b594f09e26a7e902ecbd0600691");
    const auto *n = reinterpret_cast<const unsigned char *>(nonce.constData());
    QByteArray sealed = plain + QByteArray(16, '\0');
    aead.seal(n, ad.constData(), size_t(ad.size()), sealed.constData(), size_t(plain.size()),
              sealed.data()); // in place
    EXPECT_EQ(sealed.toHex(), expected.toHex());
    EXPECT_EQ(sodiumSeal(key, n, ad, plain).toHex(), expected.toHex());
    QByteArray opened(plain.size(), '\0');
    ASSERT_TRUE(aead.open(n, ad.constData(), size_t(ad.size()), sealed.constData(),
                          size_t(sealed.size()), opened.data()));
    EXPECT_EQ(opened, plain);
}

TEST_F(ChunkAeadTest, ChunksAndHeadersMatchLibsodiumAndRoundTripInPlace)
{
    aead.setKey(key);
    unsigned char nonce[12];
    ChunkAead::chunkNonce(0x0102030405060708, true, nonce);
    EXPECT_EQ(QByteArray(reinterpret_cast<char *>(nonce), 12).toHex(), "010203040506070800000001");
    // Several chunks in a row on one context, of the sizes a file meets, a failure in between.
    const std::tuple<uint64_t, bool, qsizetype> chunks[] = {
        {0, false, 131072}, {1, false, 131072}, {2, true, 1}, {7, true, 4096}, {0, true, 100}};
    for (const auto &[index, last, size] : chunks) {
        const QByteArray plain = random(size);
        ChunkAead::chunkNonce(index, last, nonce);
        const QByteArray sealed = sealChunk(index, last, plain);
        EXPECT_EQ(sealed, sodiumSeal(key, nonce, {}, plain)) << index;
        EXPECT_FALSE(opens(index, !last, sealed));
        QByteArray inPlace = sealed;
        ASSERT_TRUE(aead.openChunk(index, last, inPlace.constData(), size_t(inPlace.size()),
                                   inPlace.data()));
        EXPECT_EQ(inPlace.chopped(16), plain);
    }
    const QByteArray prefix = random(48), header = random(300);
    QByteArray sealed(header.size() + 16, '\0');
    aead.sealHeader(prefix.constData(), 48, header.constData(), size_t(header.size()),
                    sealed.data());
    const unsigned char zero[12] = {};
    EXPECT_EQ(sealed, sodiumSeal(key, zero, prefix, header));
    QByteArray opened(header.size(), '\0');
    ASSERT_TRUE(aead.openHeader(prefix.constData(), 48, sealed.constData(), size_t(sealed.size()),
                                opened.data()));
    EXPECT_EQ(opened, header);
    QByteArray otherPrefix = prefix;
    otherPrefix[40] = char(otherPrefix[40] ^ 1); // a changed length in the clear
    EXPECT_FALSE(aead.openHeader(otherPrefix.constData(), 48, sealed.constData(),
                                 size_t(sealed.size()), opened.data()));
    EXPECT_EQ(opened, QByteArray(header.size(), '\0'));
}

TEST_F(ChunkAeadTest, AnyChangeOfBytesPlaceOrKeyIsRefused)
{
    aead.setKey(key);
    const QByteArray plain = random(5000);
    const QByteArray sealed = sealChunk(3, false, plain);
    QByteArray opened;
    ASSERT_TRUE(opens(3, false, sealed, &opened));
    EXPECT_EQ(opened, plain);
    for (const qsizetype at : {qsizetype(0), qsizetype(4999), qsizetype(5000), qsizetype(5015)}) {
        QByteArray flipped = sealed; // ciphertext, then tag
        flipped[at] = char(flipped[at] ^ 0x10);
        EXPECT_FALSE(opens(3, false, flipped)) << at;
    }
    EXPECT_FALSE(opens(2, false, sealed)) << "another index";
    EXPECT_FALSE(opens(3 + (uint64_t(1) << 32), false, sealed)) << "index's high half";
    EXPECT_FALSE(opens(3, true, sealed)) << "marked last";
    EXPECT_FALSE(opens(3, false, sealed.chopped(1))) << "cut short";
    EXPECT_FALSE(opens(3, false, sealed.left(15))) << "shorter than a tag";
    SecretKey otherFile;
    setKey(otherFile, random(32));
    aead.setKey(otherFile);
    EXPECT_FALSE(opens(3, false, sealed)) << "another file's key";
    aead.setKey(key);
    EXPECT_TRUE(opens(3, false, sealed));
}
