#include "cipher/SecretKey.h"

#include "core/VaulnixError.h"

#include <sodium.h>

SecretKey::SecretKey()
{
    if (sodium_init() < 0)
        throw VaulnixError(QStringLiteral("The crypto library libsodium could not start."));
    bytes = static_cast<unsigned char *>(sodium_malloc(Size));
    if (!bytes)
        throw VaulnixError(QStringLiteral("Out of locked memory for a key."));
    wipe();
}

SecretKey::~SecretKey()
{
    sodium_free(bytes); // wipes before freeing
}

bool SecretKey::operator==(const SecretKey &other) const
{
    return sodium_memcmp(bytes, other.bytes, Size) == 0;
}

void SecretKey::wipe()
{
    sodium_memzero(bytes, Size);
}
