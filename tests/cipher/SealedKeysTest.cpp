#include "cipher/SealedKeys.h"
#include "TestSupport.h"
#include "cipher/ChunkAead.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <numeric>
#include <sodium.h>

namespace {

const QByteArray Salt = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");

using TestSupport::u;

std::string hex(const unsigned char *bytes, qsizetype n = 32)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), n).toHex(' ').toStdString();
}

} // namespace

TEST(SealedKeys, DeriveAsLibsodiumDoesDirectly)
{
    const QByteArray password = QStringLiteral("pässwort").toUtf8();
    SealedKeys keys;
    ASSERT_EQ(keys.derive(password, Salt, 1, 8192), SealedKeys::Result::Derived);
    unsigned char box[32], sub[32];
    ASSERT_EQ(crypto_pwhash(box, 32, password.constData(), size_t(password.size()), u(Salt), 1,
                            8192 * 1024, crypto_pwhash_ALG_ARGON2ID13),
              0);
    EXPECT_EQ(hex(keys.boxKey().data()), hex(box));
    crypto_kdf_derive_from_key(sub, 32, 0, "vaulnix2", box);
    EXPECT_EQ(hex(keys.headerKey().data()), hex(sub));
    SecretKey file;
    for (const uint64_t i : {1, 2, 70000}) {
        crypto_kdf_derive_from_key(sub, 32, i, "vaulnix2", box);
        ASSERT_TRUE(keys.fileKey(i, file));
        EXPECT_EQ(hex(file.data()), hex(sub)) << i;
    }
    EXPECT_FALSE(keys.fileKey(0, file)) << "id 0 is the header's";
}

TEST(SealedKeys, ParametersOutOfBoundsAreRefusedBeforeAnyDerivation)
{
    EXPECT_TRUE(SealedKeys::acceptable(1, 8192) && SealedKeys::acceptable(10, 1048576));
    SealedKeys keys;
    ASSERT_EQ(keys.derive("pw", Salt, 1, 8192), SealedKeys::Result::Derived);
    QElapsedTimer timer;
    timer.start();
    const std::pair<uint32_t, uint32_t> refused[] = {{0, 65536},   {11, 65536},  {2, 8191},
                                                     {2, 1048577}, {2, 4194304}, {~0u, ~0u}};
    for (const auto &[ops, mem] : refused) {
        EXPECT_FALSE(SealedKeys::acceptable(ops, mem)) << ops << " " << mem;
        EXPECT_EQ(keys.derive("pw", Salt, ops, mem), SealedKeys::Result::ParametersRefused);
        EXPECT_FALSE(keys.isDerived());
        EXPECT_EQ(hex(keys.boxKey().data()), hex(SecretKey().data())) << "the old key is gone";
    }
    EXPECT_LT(timer.elapsed(), 1000) << "a 4 GiB or ten-pass derivation takes seconds";
    EXPECT_EQ(keys.derive("pw", Salt.left(15), 1, 8192), SealedKeys::Result::ParametersRefused);
    SecretKey file;
    EXPECT_FALSE(keys.fileKey(1, file));
}

// The sealed format's document ends with vectors; this build must produce them.
TEST(SealedKeys, TheFormatDocumentsVectorsMatchThisBuild)
{
    const auto documented = [](const char *name) {
        return TestSupport::documented("box-format-2.md", name).toStdString();
    };
    SealedKeys keys;
    ASSERT_EQ(keys.derive(TestSupport::VectorPassword.toUtf8(), Salt, 2, 65536),
              SealedKeys::Result::Derived);
    EXPECT_EQ(hex(keys.boxKey().data()), documented("box-key"));
    EXPECT_EQ(hex(keys.headerKey().data()), documented("header-key"));
    SecretKey file;
    ASSERT_TRUE(keys.fileKey(1, file));
    EXPECT_EQ(hex(file.data()), documented("file-1-key"));
    ChunkAead aead;
    aead.setKey(file);
    unsigned char sealed[116], plain[100];
    std::iota(plain, plain + 100, 0);
    aead.sealChunk(0, true, reinterpret_cast<char *>(plain), 100, reinterpret_cast<char *>(sealed));
    EXPECT_EQ(hex(sealed, 116), documented("chunk-0-last"));
    aead.sealChunk(1, false, reinterpret_cast<char *>(plain), 100,
                   reinterpret_cast<char *>(sealed));
    EXPECT_EQ(hex(sealed, 116), documented("chunk-1"));
}
