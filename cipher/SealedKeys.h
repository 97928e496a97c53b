#pragma once

#include "cipher/SecretKey.h"

#include <QByteArrayView>

#include <cstdint>

// The keys of one sealed box: the box key from the password by Argon2id, and from it (libsodium's
// crypto_kdf, context "vaulnix2") the header key (id 0) and one key per file (ids 1 and up), so
// any file opens without the others.
class SealedKeys
{
public:
    static constexpr std::size_t SaltBytes = 16;
    // What a reader accepts, so that a crafted box cannot ask for gigabytes or minutes.
    static constexpr uint32_t MinOpsLimit = 1;
    static constexpr uint32_t MaxOpsLimit = 10;
    static constexpr uint32_t MinMemLimitKiB = 8192;    // 8 MiB
    static constexpr uint32_t MaxMemLimitKiB = 1048576; // 1 GiB
    // What the writer uses: the same cost as format 1's derivation.
    static constexpr uint32_t WriterOpsLimit = 2;
    static constexpr uint32_t WriterMemLimitKiB = 65536;

    enum class Result { Derived, ParametersRefused };

    static bool acceptable(uint32_t opsLimit, uint32_t memLimitKiB);

    // Checks the parameters and the salt's length first and derives nothing when they are out of
    // bounds. Throws VaulnixError when the derivation itself fails (out of memory).
    Result derive(QByteArrayView password, QByteArrayView salt, uint32_t opsLimit,
                  uint32_t memLimitKiB);
    bool isDerived() const { return derived; }

    const SecretKey &boxKey() const { return box; }
    const SecretKey &headerKey() const { return header; }
    // The key of file 1, 2, ... (table order) into a key the caller reuses from file to file.
    // False, leaving into wiped, before derive or for file 0 (that id is the header's).
    bool fileKey(uint64_t file, SecretKey &into) const;

private:
    SecretKey box;
    SecretKey header;
    bool derived = false;
};
