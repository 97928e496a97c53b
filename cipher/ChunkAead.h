#pragma once

#include <cstddef>
#include <cstdint>

class SecretKey;
struct evp_cipher_ctx_st;

// ChaCha20-Poly1305 (RFC 8439, 96-bit nonce) over one sealed box's chunks and header. Keyed once
// per file; each chunk then only sets its nonce, so nothing is allocated per chunk. Sealed data is
// the ciphertext followed by the 16-byte tag. Input and output may be the same buffer.
class ChunkAead
{
public:
    static constexpr std::size_t TagBytes = 16;
    static constexpr std::size_t NonceBytes = 12;
    // The most one call takes: OpenSSL counts in int.
    static constexpr std::size_t MaxBytes = 0x7fffff00;

    ChunkAead(); // throws VaulnixError when OpenSSL has no ChaCha20-Poly1305
    ~ChunkAead();
    ChunkAead(const ChunkAead &) = delete;
    ChunkAead &operator=(const ChunkAead &) = delete;

    // OpenSSL keeps its own copy of the key in the context until the next setKey or destruction,
    // which wipe it.
    void setKey(const SecretKey &key);

    // Chunk index of a file, big-endian, three zero bytes, then 1 for the file's last chunk.
    static void chunkNonce(uint64_t index, bool last, unsigned char *nonce);

    // A chunk: nonce from index and last flag, no associated data. sealed holds n + TagBytes.
    void sealChunk(uint64_t index, bool last, const char *plain, std::size_t n, char *sealed);
    // False when the chunk does not authenticate under this key, index and flag; plain (n -
    // TagBytes bytes) then holds zeros, never unauthenticated bytes.
    [[nodiscard]] bool openChunk(uint64_t index, bool last, const char *sealed, std::size_t n,
                                 char *plain);

    // The header: a nonce of zeros, the box's clear prefix as associated data.
    void sealHeader(const char *prefix, std::size_t prefixLength, const char *plain, std::size_t n,
                    char *sealed);
    [[nodiscard]] bool openHeader(const char *prefix, std::size_t prefixLength, const char *sealed,
                                  std::size_t n, char *plain);

    // The general form under any nonce and associated data.
    void seal(const unsigned char *nonce, const char *ad, std::size_t adLength, const char *plain,
              std::size_t n, char *sealed);
    [[nodiscard]] bool open(const unsigned char *nonce, const char *ad, std::size_t adLength,
                            const char *sealed, std::size_t n, char *plain);

private:
    bool run(bool sealing, const unsigned char *nonce, const char *ad, std::size_t adLength,
             const char *in, std::size_t n, char *out, unsigned char *tag);

    evp_cipher_ctx_st *ctx;
    bool keyed = false;
};
