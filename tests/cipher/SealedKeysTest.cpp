#include "cipher/SealedKeys.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <gtest/gtest.h>
#include <sodium.h>

namespace {

const QByteArray Salt = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");

QByteArray hex(const unsigned char *key)
{
    return QByteArray(reinterpret_cast<const char *>(key), SecretKey::Size).toHex();
}

QByteArray hex(const SecretKey &key)
{
    return hex(key.data());
}

} // namespace

TEST(SealedKeys, DeriveAsLibsodiumDoesDirectlyWithTheirOwnParameters)
{
    const QByteArray password = QStringLiteral("pässwort").toUtf8();
    SealedKeys keys;
    ASSERT_EQ(keys.derive(password, Salt, 1, 8192), SealedKeys::Result::Derived);
    unsigned char box[32], header[32], file[32];
    ASSERT_EQ(crypto_pwhash(box, 32, password.constData(), size_t(password.size()),
                            reinterpret_cast<const unsigned char *>(Salt.constData()), 1,
                            8192 * 1024, crypto_pwhash_ALG_ARGON2ID13),
              0);
    crypto_kdf_derive_from_key(header, 32, 0, "vaulnix2", box);
    EXPECT_EQ(hex(keys.boxKey()), hex(box));
    EXPECT_EQ(hex(keys.headerKey()), hex(header));
    SecretKey fileKey;
    for (const uint64_t i : {uint64_t(1), uint64_t(2), uint64_t(70000)}) {
        crypto_kdf_derive_from_key(file, 32, i, "vaulnix2", box);
        ASSERT_TRUE(keys.fileKey(i, fileKey));
        EXPECT_EQ(hex(fileKey), hex(file)) << i;
    }
    EXPECT_FALSE(keys.fileKey(0, fileKey)) << "id 0 is the header's";
    EXPECT_EQ(hex(fileKey), QByteArray(32, '\0').toHex());

    // Another salt or cost gives another box key.
    SealedKeys other;
    ASSERT_EQ(other.derive(password, QByteArray(16, '\0'), 1, 8192), SealedKeys::Result::Derived);
    EXPECT_FALSE(other.boxKey() == keys.boxKey());
    ASSERT_EQ(other.derive(password, Salt, 2, 8192), SealedKeys::Result::Derived);
    EXPECT_FALSE(other.boxKey() == keys.boxKey());
}

TEST(SealedKeys, ParametersOutOfBoundsAreRefusedBeforeAnyDerivation)
{
    EXPECT_TRUE(SealedKeys::acceptable(1, 8192));
    EXPECT_TRUE(SealedKeys::acceptable(10, 1048576));
    EXPECT_TRUE(SealedKeys::acceptable(SealedKeys::WriterOpsLimit, SealedKeys::WriterMemLimitKiB));
    const std::pair<uint32_t, uint32_t> refused[] = {
        {0, 65536}, {11, 65536}, {2, 8191}, {2, 1048577}, {2, 4194304}, {UINT32_MAX, UINT32_MAX}};
    SealedKeys keys;
    ASSERT_EQ(keys.derive("pw", Salt, 1, 8192), SealedKeys::Result::Derived);
    QElapsedTimer timer;
    timer.start();
    for (const auto &[ops, mem] : refused) {
        EXPECT_FALSE(SealedKeys::acceptable(ops, mem)) << ops << " " << mem;
        EXPECT_EQ(keys.derive("pw", Salt, ops, mem), SealedKeys::Result::ParametersRefused);
        EXPECT_FALSE(keys.isDerived());
        EXPECT_EQ(hex(keys.boxKey()), QByteArray(32, '\0').toHex()) << "the old key is gone";
    }
    // A 4 GiB or ten-pass derivation would take seconds; a refusal takes none.
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(keys.derive("pw", Salt.left(15), 1, 8192), SealedKeys::Result::ParametersRefused);
    SecretKey file;
    EXPECT_FALSE(keys.fileKey(1, file));
}
