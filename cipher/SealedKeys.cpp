#include "cipher/SealedKeys.h"

#include "core/VaulnixError.h"

#include <sodium.h>

namespace {

constexpr char kContext[crypto_kdf_CONTEXTBYTES + 1] = "vaulnix2";
static_assert(crypto_kdf_CONTEXTBYTES == 8 && sizeof kContext == 9);
static_assert(crypto_pwhash_SALTBYTES == SealedKeys::SaltBytes);
static_assert(crypto_kdf_KEYBYTES == SecretKey::Size);

void deriveSubkey(const SecretKey &box, uint64_t id, SecretKey &into)
{
    if (crypto_kdf_derive_from_key(into.data(), SecretKey::Size, id, kContext, box.data()) != 0)
        throw VaulnixError(QStringLiteral("libsodium could not derive a subkey."));
}

} // namespace

bool SealedKeys::acceptable(uint32_t opsLimit, uint32_t memLimitKiB)
{
    return opsLimit >= MinOpsLimit && opsLimit <= MaxOpsLimit && memLimitKiB >= MinMemLimitKiB &&
           memLimitKiB <= MaxMemLimitKiB;
}

SealedKeys::Result SealedKeys::derive(QByteArrayView password, QByteArrayView salt,
                                      uint32_t opsLimit, uint32_t memLimitKiB)
{
    derived = false;
    box.wipe();
    header.wipe();
    if (!acceptable(opsLimit, memLimitKiB) || salt.size() != qsizetype(SaltBytes))
        return Result::ParametersRefused;
    if (crypto_pwhash(box.data(), SecretKey::Size, password.data(), size_t(password.size()),
                      reinterpret_cast<const unsigned char *>(salt.data()), opsLimit,
                      size_t(memLimitKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        box.wipe();
        throw VaulnixError(QStringLiteral("Not enough memory to derive the box key: Argon2id "
                                          "needs %1 MiB.")
                               .arg(memLimitKiB / 1024));
    }
    deriveSubkey(box, 0, header);
    derived = true;
    return Result::Derived;
}

bool SealedKeys::fileKey(uint64_t file, SecretKey &into) const
{
    into.wipe();
    if (!derived || file == 0)
        return false;
    deriveSubkey(box, file, into);
    return true;
}
