// Throughput of the cipher path on 128 KiB chunks: the CCipher wrapper beside the two raw
// ChaCha20 streams it could sit on, all under the same derived key and on the same buffer. Then
// the sealed format's chunk AEAD (ChaCha20-Poly1305 IETF) through OpenSSL and libsodium, and
// through ChunkAead, for 64 KiB, 128 KiB and 1 MiB chunks.
#include "cipher/CCipher.h"
#include "cipher/ChunkAead.h"
#include "cipher/SecretKey.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <sodium.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kChunk = 131072;
const QByteArray kPassword = QByteArrayLiteral("benchmark password");

// The library's derivation, repeated here so the raw streams run under the very same key.
std::array<unsigned char, 32> derivedKey()
{
    static const std::array<unsigned char, 32> key = [] {
        const unsigned char salt[crypto_pwhash_SALTBYTES] = {
            'v', 'a', 'u', 'l', 'n', 'i', 'x', '-', 'q', 'v', 'c', 'r', 'y', 'p', 't', '1'};
        std::array<unsigned char, 32> k{};
        if (sodium_init() < 0 ||
            crypto_pwhash(k.data(), k.size(), kPassword.constData(), size_t(kPassword.size()), salt,
                          2, 67108864, crypto_pwhash_ALG_ARGON2ID13) != 0)
            std::abort();
        return k;
    }();
    return key;
}

std::vector<char> chunk()
{
    std::vector<char> data(kChunk);
    randombytes_buf(data.data(), data.size());
    return data;
}

EVP_CIPHER_CTX *openSslStream()
{
    const unsigned char iv[16] = {};
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    if (!ctx || EVP_EncryptInit_ex(ctx, EVP_chacha20(), nullptr, derivedKey().data(), iv) != 1)
        std::abort();
    return ctx;
}

void openSslXor(EVP_CIPHER_CTX *ctx, char *data, size_t n)
{
    int out = 0;
    auto *bytes = reinterpret_cast<unsigned char *>(data);
    if (EVP_EncryptUpdate(ctx, bytes, &out, bytes, int(n)) != 1)
        std::abort();
}

void sodiumXor(char *data, size_t n, uint32_t block)
{
    const unsigned char nonce[crypto_stream_chacha20_ietf_NONCEBYTES] = {};
    auto *bytes = reinterpret_cast<unsigned char *>(data);
    crypto_stream_chacha20_ietf_xor_ic(bytes, bytes, n, nonce, block, derivedKey().data());
}

// Refuses to report figures unless all three paths give the same stream for the same key.
void checkSameStream()
{
    const std::vector<char> plain = chunk();
    std::vector<char> wrapper = plain, evp = plain, sodium = plain;
    CCipher cipher;
    cipher.Initilize(kPassword);
    for (int i = 0; i < 3; ++i) {
        cipher.Cipher(wrapper.data(), qsizetype(kChunk), wrapper.data());
        sodiumXor(sodium.data(), kChunk, uint32_t(i * kChunk / 64));
    }
    EVP_CIPHER_CTX *ctx = openSslStream();
    for (int i = 0; i < 3; ++i)
        openSslXor(ctx, evp.data(), kChunk);
    EVP_CIPHER_CTX_free(ctx);
    if (wrapper != evp || wrapper != sodium) {
        std::fprintf(stderr, "the three streams differ; figures would not be comparable\n");
        std::exit(1);
    }
}

void BM_CCipher(benchmark::State &state)
{
    std::vector<char> data = chunk();
    CCipher cipher;
    cipher.Initilize(kPassword);
    for (auto _ : state) {
        cipher.Cipher(data.data(), qsizetype(kChunk), data.data());
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kChunk));
}

void BM_CCipherByteArray(benchmark::State &state)
{
    QByteArray data(qsizetype(kChunk), Qt::Uninitialized);
    randombytes_buf(data.data(), kChunk);
    CCipher cipher;
    cipher.Initilize(kPassword);
    for (auto _ : state) {
        data = cipher.Cipher(data);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kChunk));
}

void BM_OpenSslChaCha20(benchmark::State &state)
{
    std::vector<char> data = chunk();
    EVP_CIPHER_CTX *ctx = openSslStream();
    for (auto _ : state) {
        openSslXor(ctx, data.data(), kChunk);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    EVP_CIPHER_CTX_free(ctx);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kChunk));
}

void BM_SodiumChaCha20(benchmark::State &state)
{
    std::vector<char> data = chunk();
    uint32_t block = 0;
    for (auto _ : state) {
        sodiumXor(data.data(), kChunk, block);
        block += uint32_t(kChunk / 64);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kChunk));
}

// Keying again with a password already seen: paid once per file of a box.
void BM_InitilizeCached(benchmark::State &state)
{
    CCipher cipher;
    cipher.Initilize(kPassword);
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.Initilize(kPassword));
}

// One Argon2id derivation with the library's parameters: paid once per box operation.
void BM_DeriveKey(benchmark::State &state)
{
    CCipher cipher;
    int n = 0;
    for (auto _ : state) {
        const QByteArray fresh = "derivation " + QByteArray::number(n++);
        cipher.Initilize(fresh);
    }
}

void setAeadBytes(benchmark::State &state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

// The context keeps the key; each chunk sets only its nonce.
void BM_OpenSslAeadSeal(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    std::vector<unsigned char> data(n + 16);
    randombytes_buf(data.data(), n);
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    if (!ctx || EVP_EncryptInit_ex(ctx, EVP_chacha20_poly1305(), nullptr, derivedKey().data(),
                                   nullptr) != 1)
        std::abort();
    unsigned char nonce[12];
    uint64_t index = 0;
    for (auto _ : state) {
        ChunkAead::chunkNonce(index++, false, nonce);
        int out = 0;
        if (EVP_EncryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce) != 1 ||
            EVP_EncryptUpdate(ctx, data.data(), &out, data.data(), int(n)) != 1 ||
            EVP_EncryptFinal_ex(ctx, data.data() + out, &out) != 1 ||
            EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_GET_TAG, 16, data.data() + n) != 1)
            std::abort();
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    EVP_CIPHER_CTX_free(ctx);
    setAeadBytes(state);
}

void BM_SodiumAeadSeal(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    std::vector<unsigned char> data(n + 16);
    randombytes_buf(data.data(), n);
    unsigned char nonce[12];
    uint64_t index = 0;
    for (auto _ : state) {
        ChunkAead::chunkNonce(index++, false, nonce);
        crypto_aead_chacha20poly1305_ietf_encrypt_detached(data.data(), data.data() + n, nullptr,
                                                           data.data(), n, nullptr, 0, nullptr,
                                                           nonce, derivedKey().data());
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    setAeadBytes(state);
}

// The class the sealed format uses: sealing in place, or opening into a second buffer.
void BM_ChunkAead(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    const bool open = state.range(1) != 0;
    std::vector<char> data(n + ChunkAead::TagBytes), plain(n);
    randombytes_buf(data.data(), n);
    SecretKey key;
    std::memcpy(key.data(), derivedKey().data(), SecretKey::Size);
    ChunkAead aead;
    aead.setKey(key);
    aead.sealChunk(0, true, data.data(), n, data.data());
    for (auto _ : state) {
        if (!open)
            aead.sealChunk(1, false, data.data(), n, data.data());
        else if (!aead.openChunk(0, true, data.data(), data.size(), plain.data()))
            std::abort();
        benchmark::DoNotOptimize(plain.data());
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    setAeadBytes(state);
}

BENCHMARK(BM_CCipher);
BENCHMARK(BM_OpenSslChaCha20);
BENCHMARK(BM_SodiumChaCha20);
BENCHMARK(BM_CCipherByteArray);
BENCHMARK(BM_InitilizeCached);
BENCHMARK(BM_OpenSslAeadSeal)->Arg(65536)->Arg(131072)->Arg(1048576);
BENCHMARK(BM_SodiumAeadSeal)->Arg(65536)->Arg(131072)->Arg(1048576);
BENCHMARK(BM_ChunkAead)->ArgsProduct({{131072}, {0, 1}});
BENCHMARK(BM_DeriveKey)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    checkSameStream();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
