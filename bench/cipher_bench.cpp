// Throughput of the cipher path on 128 KiB chunks: the CCipher wrapper beside the two raw
// ChaCha20 streams it could sit on, all under the same derived key and on the same buffer.
#include "cipher/CCipher.h"

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

BENCHMARK(BM_CCipher);
BENCHMARK(BM_OpenSslChaCha20);
BENCHMARK(BM_SodiumChaCha20);
BENCHMARK(BM_CCipherByteArray);
BENCHMARK(BM_InitilizeCached);
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
