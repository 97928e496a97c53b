#include "cipher/ChunkAead.h"

#include "cipher/SecretKey.h"
#include "core/VaulnixError.h"

#include <openssl/evp.h>

#include <cstring>

namespace {

[[noreturn]] void fail(const char *what)
{
    throw VaulnixError(
        QStringLiteral("OpenSSL's ChaCha20-Poly1305 failed: %1.").arg(QString::fromLatin1(what)));
}

const unsigned char *bytes(const char *p)
{
    return reinterpret_cast<const unsigned char *>(p);
}

unsigned char *bytes(char *p)
{
    return reinterpret_cast<unsigned char *>(p);
}

} // namespace

ChunkAead::ChunkAead()
    : ctx(EVP_CIPHER_CTX_new())
{
    if (!ctx ||
        EVP_CipherInit_ex(ctx, EVP_chacha20_poly1305(), nullptr, nullptr, nullptr, 1) != 1) {
        EVP_CIPHER_CTX_free(ctx);
        fail("no cipher");
    }
}

ChunkAead::~ChunkAead()
{
    EVP_CIPHER_CTX_free(ctx); // cleanses the key it holds
}

void ChunkAead::setKey(const SecretKey &key)
{
    if (EVP_CipherInit_ex(ctx, nullptr, nullptr, key.data(), nullptr, -1) != 1)
        fail("setting the key");
    keyed = true;
}

void ChunkAead::chunkNonce(uint64_t index, bool last, unsigned char *nonce)
{
    for (int i = 0; i < 8; ++i)
        nonce[i] = static_cast<unsigned char>(index >> (56 - 8 * i));
    nonce[8] = nonce[9] = nonce[10] = 0;
    nonce[11] = last ? 1 : 0;
}

void ChunkAead::sealChunk(uint64_t index, bool last, const char *plain, std::size_t n, char *sealed)
{
    unsigned char nonce[NonceBytes];
    chunkNonce(index, last, nonce);
    seal(nonce, nullptr, 0, plain, n, sealed);
}

bool ChunkAead::openChunk(uint64_t index, bool last, const char *sealed, std::size_t n, char *plain)
{
    unsigned char nonce[NonceBytes];
    chunkNonce(index, last, nonce);
    return open(nonce, nullptr, 0, sealed, n, plain);
}

void ChunkAead::sealHeader(const char *prefix, std::size_t prefixLength, const char *plain,
                           std::size_t n, char *sealed)
{
    const unsigned char nonce[NonceBytes] = {};
    seal(nonce, prefix, prefixLength, plain, n, sealed);
}

bool ChunkAead::openHeader(const char *prefix, std::size_t prefixLength, const char *sealed,
                           std::size_t n, char *plain)
{
    const unsigned char nonce[NonceBytes] = {};
    return open(nonce, prefix, prefixLength, sealed, n, plain);
}

void ChunkAead::seal(const unsigned char *nonce, const char *ad, std::size_t adLength,
                     const char *plain, std::size_t n, char *sealed)
{
    if (!keyed)
        fail("no key");
    if (n > MaxBytes || adLength > MaxBytes)
        fail("a piece too large");
    if (!run(true, nonce, ad, adLength, plain, n, sealed, bytes(sealed + n)))
        fail("sealing");
}

bool ChunkAead::open(const unsigned char *nonce, const char *ad, std::size_t adLength,
                     const char *sealed, std::size_t n, char *plain)
{
    if (!keyed || n < TagBytes || n - TagBytes > MaxBytes || adLength > MaxBytes)
        return false;
    const std::size_t length = n - TagBytes;
    unsigned char tag[TagBytes]; // copied first: plain may overlap it
    std::memcpy(tag, sealed + length, TagBytes);
    if (run(false, nonce, ad, adLength, sealed, length, plain, tag))
        return true;
    std::memset(plain, 0, length); // deciphered before the tag was checked
    return false;
}

bool ChunkAead::run(bool sealing, const unsigned char *nonce, const char *ad, std::size_t adLength,
                    const char *in, std::size_t n, char *out, unsigned char *tag)
{
    int written = 0;
    if (EVP_CipherInit_ex(ctx, nullptr, nullptr, nullptr, nonce, sealing ? 1 : 0) != 1)
        return false;
    if (adLength > 0 && EVP_CipherUpdate(ctx, nullptr, &written, bytes(ad), int(adLength)) != 1)
        return false;
    if (n > 0 && (EVP_CipherUpdate(ctx, bytes(out), &written, bytes(in), int(n)) != 1 ||
                  std::size_t(written) != n))
        return false;
    if (!sealing && EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_SET_TAG, int(TagBytes), tag) != 1)
        return false;
    if (EVP_CipherFinal_ex(ctx, bytes(out) + n, &written) != 1)
        return false;
    return !sealing || EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_GET_TAG, int(TagBytes), tag) == 1;
}
