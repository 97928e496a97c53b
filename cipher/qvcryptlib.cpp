#include "qvcryptlib.h"

#include <openssl/evp.h>
#include <sodium.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// One salt per mode: 0 keys boxes, 1 keys profiles, so the two never share a keystream.
constexpr int kModes = 2;
constexpr unsigned char kSalts[kModes][crypto_pwhash_SALTBYTES] = {
    {'v', 'a', 'u', 'l', 'n', 'i', 'x', '-', 'q', 'v', 'c', 'r', 'y', 'p', 't', '1'},
    {'v', 'a', 'u', 'l', 'n', 'i', 'x', '-', 'q', 'v', 't', 'e', 'x', 't', '0', '1'}};
static_assert(crypto_pwhash_SALTBYTES == 16);
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 67108864;
constexpr size_t kKeyBytes = 32;
constexpr int kCacheSlots = 8;
constexpr char kClearKey = '*';
// Every file of a box starts the stream anew, so the stream's first bytes are kept and small
// pieces are XORed with them instead of running ChaCha20 again for each file.
constexpr size_t kPrefixBytes = 65536;
constexpr size_t kBlockBytes = 64; // ChaCha20's block

// Derived keys of the passwords and modes seen in this process, found by a keyed hash of both so
// the password itself is never kept. Lives in guarded, locked memory and is wiped at exit.
struct CacheSlot
{
    unsigned char fingerprint[crypto_generichash_BYTES];
    unsigned char key[kKeyBytes];
    uint64_t lastUse;
    bool used;
};

constexpr size_t kRememberedKeyBytes = 256;

struct SecretArea
{
    unsigned char fingerprintKey[crypto_generichash_KEYBYTES];
    unsigned char currentKey[kKeyBytes];
    unsigned char prefixKey[kKeyBytes]; // the key the kept prefix of stream belongs to
    CacheSlot slots[kCacheSlots];
    // The key and mode behind currentKey, so keying again with them (once per file of a box) is a
    // compare.
    unsigned char currentPassword[kRememberedKeyBytes];
    size_t currentPasswordLength;
    int currentMode;
    bool currentPasswordKnown;
};

class CipherState
{
public:
    CipherState()
    {
        if (sodium_init() < 0)
            std::abort();
        secrets = static_cast<SecretArea *>(sodium_malloc(sizeof(SecretArea)));
        prefix = static_cast<unsigned char *>(sodium_malloc(kPrefixBytes));
        if (!secrets || !prefix)
            std::abort();
        sodium_memzero(secrets, sizeof(SecretArea));
        randombytes_buf(secrets->fingerprintKey, sizeof secrets->fingerprintKey);
        ctx = EVP_CIPHER_CTX_new();
        if (!ctx)
            std::abort();
    }

    ~CipherState()
    {
        EVP_CIPHER_CTX_free(ctx);
        sodium_free(prefix); // both wiped before freeing
        sodium_free(secrets);
    }

    void key(const char *bytes, int32_t length, int mode)
    {
        if (!bytes || length < 0)
            length = 0;
        if (length == 1 && *bytes == kClearKey) {
            // Clearing: forget the current key now; the clear key's own stream is derived
            // only if something is ever transformed under it.
            sodium_memzero(secrets->currentKey, kKeyBytes);
            forgetPassword();
            forgetPrefix();
            EVP_CIPHER_CTX_reset(ctx);
            contextAt = kUnpositioned;
            keyed = false;
            return;
        }
        use(reinterpret_cast<const unsigned char *>(bytes), size_t(length), mode);
    }

    void transform(const char *input, int32_t n, char *output)
    {
        if (!keyed)
            use(reinterpret_cast<const unsigned char *>(&kClearKey), 1, 0);
        const size_t length = size_t(n);
        if (position + length <= kPrefixBytes) {
            if (!prefixValid)
                fillPrefix();
            xorWithStream(reinterpret_cast<const unsigned char *>(input), prefix + position,
                          reinterpret_cast<unsigned char *>(output), length);
            position += length;
            return;
        }
        if (contextAt != position)
            seek(position);
        run(reinterpret_cast<const unsigned char *>(input), length,
            reinterpret_cast<unsigned char *>(output));
        position += length;
        contextAt = position;
    }

    // Fills the cache for a box key without the lock held during the derivation, so that it can run
    // on another thread while this one goes on.
    void prepare(const unsigned char *password, size_t length)
    {
        unsigned char fingerprint[crypto_generichash_BYTES];
        {
            std::lock_guard guard(lock);
            fingerprintOf(password, length, 0, fingerprint);
            if (findSlot(fingerprint)) {
                sodium_memzero(fingerprint, sizeof fingerprint);
                return;
            }
        }
        auto *key = static_cast<unsigned char *>(sodium_malloc(kKeyBytes));
        if (!key)
            std::abort();
        derive(password, length, 0, key);
        {
            std::lock_guard guard(lock);
            store(fingerprint, key);
        }
        sodium_free(key);
        sodium_memzero(fingerprint, sizeof fingerprint);
    }

    uint64_t derivations = 0;
    std::mutex lock;

private:
    void forgetPassword()
    {
        sodium_memzero(secrets->currentPassword, kRememberedKeyBytes);
        secrets->currentPasswordLength = 0;
        secrets->currentPasswordKnown = false;
    }

    bool isCurrentKey(const unsigned char *bytes, size_t length, int mode) const
    {
        return secrets->currentPasswordKnown && mode == secrets->currentMode &&
               length == secrets->currentPasswordLength &&
               sodium_memcmp(secrets->currentPassword, bytes, length) == 0;
    }

    void use(const unsigned char *bytes, size_t length, int mode)
    {
        if (!isCurrentKey(bytes, length, mode)) {
            deriveKey(bytes, length, mode);
            if (sodium_memcmp(secrets->prefixKey, secrets->currentKey, kKeyBytes) != 0)
                forgetPrefix();
            forgetPassword();
            if (length <= kRememberedKeyBytes) {
                std::memcpy(secrets->currentPassword, bytes, length);
                secrets->currentPasswordLength = length;
                secrets->currentMode = mode;
                secrets->currentPasswordKnown = true;
            }
        }
        // The context is set up only when a piece reaches past the kept prefix.
        position = 0;
        contextAt = kUnpositioned;
        keyed = true;
    }

    // Puts the context at byte at of the current key's stream (nonce of 12 zero bytes).
    void seek(uint64_t at)
    {
        const uint64_t block = at / kBlockBytes;
        if (block > UINT32_MAX)
            std::abort();          // past ChaCha20's 32-bit block counter; a box is far smaller
        unsigned char iv[16] = {}; // the block counter, little-endian, then the nonce
        for (int i = 0; i < 4; ++i)
            iv[i] = static_cast<unsigned char>(block >> (8 * i));
        // Once the context holds ChaCha20, keying again skips looking the cipher up.
        const EVP_CIPHER *cipher = EVP_CIPHER_CTX_get0_cipher(ctx) ? nullptr : EVP_chacha20();
        if (EVP_EncryptInit_ex(ctx, cipher, nullptr, secrets->currentKey, iv) != 1)
            std::abort();
        if (const size_t into = size_t(at % kBlockBytes)) {
            unsigned char skipped[kBlockBytes] = {};
            run(skipped, into, skipped);
            sodium_memzero(skipped, sizeof skipped);
        }
        contextAt = at;
    }

    void run(const unsigned char *input, size_t n, unsigned char *output)
    {
        int outLength = 0;
        if (EVP_EncryptUpdate(ctx, output, &outLength, input, int(n)) != 1 ||
            size_t(outLength) != n)
            std::abort();
    }

    void fillPrefix()
    {
        sodium_memzero(prefix, kPrefixBytes);
        seek(0);
        run(prefix, kPrefixBytes, prefix);
        std::memcpy(secrets->prefixKey, secrets->currentKey, kKeyBytes);
        contextAt = kPrefixBytes;
        prefixValid = true;
    }

    void forgetPrefix()
    {
        if (prefixValid)
            sodium_memzero(prefix, kPrefixBytes);
        sodium_memzero(secrets->prefixKey, kKeyBytes);
        prefixValid = false;
    }

    static void xorWithStream(const unsigned char *input, const unsigned char *stream,
                              unsigned char *output, size_t n)
    {
        size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t a;
            uint64_t b;
            std::memcpy(&a, input + i, 8);
            std::memcpy(&b, stream + i, 8);
            a ^= b;
            std::memcpy(output + i, &a, 8);
        }
        for (; i < n; ++i)
            output[i] = input[i] ^ stream[i];
    }

    void fingerprintOf(const unsigned char *password, size_t length, int mode,
                       unsigned char *fingerprint)
    {
        const unsigned char modeByte = static_cast<unsigned char>(mode);
        crypto_generichash_state hash;
        crypto_generichash_init(&hash, secrets->fingerprintKey, sizeof secrets->fingerprintKey,
                                crypto_generichash_BYTES);
        crypto_generichash_update(&hash, &modeByte, 1);
        crypto_generichash_update(&hash, password, length);
        crypto_generichash_final(&hash, fingerprint, crypto_generichash_BYTES);
        sodium_memzero(&hash, sizeof hash);
    }

    CacheSlot *findSlot(const unsigned char *fingerprint)
    {
        for (CacheSlot &slot : secrets->slots) {
            if (slot.used &&
                sodium_memcmp(slot.fingerprint, fingerprint, crypto_generichash_BYTES) == 0) {
                slot.lastUse = ++clock;
                return &slot;
            }
        }
        return nullptr;
    }

    void store(const unsigned char *fingerprint, const unsigned char *key)
    {
        if (findSlot(fingerprint))
            return;
        CacheSlot *victim = &secrets->slots[0];
        for (CacheSlot &slot : secrets->slots) {
            if (!slot.used || (victim->used && slot.lastUse < victim->lastUse))
                victim = &slot;
        }
        std::memcpy(victim->fingerprint, fingerprint, crypto_generichash_BYTES);
        std::memcpy(victim->key, key, kKeyBytes);
        victim->lastUse = ++clock;
        victim->used = true;
        ++derivations;
    }

    static void derive(const unsigned char *password, size_t length, int mode, unsigned char *key)
    {
        if (crypto_pwhash(key, kKeyBytes, reinterpret_cast<const char *>(password), length,
                          kSalts[mode], kOpsLimit, kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0)
            std::abort(); // out of memory: no safe way to go on keying
    }

    void deriveKey(const unsigned char *password, size_t length, int mode)
    {
        unsigned char fingerprint[crypto_generichash_BYTES];
        fingerprintOf(password, length, mode, fingerprint);
        if (const CacheSlot *slot = findSlot(fingerprint)) {
            std::memcpy(secrets->currentKey, slot->key, kKeyBytes);
        } else {
            derive(password, length, mode, secrets->currentKey);
            store(fingerprint, secrets->currentKey);
        }
        sodium_memzero(fingerprint, sizeof fingerprint);
    }

    static constexpr uint64_t kUnpositioned = UINT64_MAX;

    SecretArea *secrets = nullptr;
    unsigned char *prefix = nullptr; // the current key's first kPrefixBytes of stream
    bool prefixValid = false;
    uint64_t position = 0;              // bytes transformed since the last keying
    uint64_t contextAt = kUnpositioned; // where the context's stream stands
    EVP_CIPHER_CTX *ctx = nullptr;
    uint64_t clock = 0;
    bool keyed = false;
};

std::atomic<uint64_t> generation{0};

CipherState &state()
{
    static CipherState instance;
    return instance;
}

} // namespace

extern "C" {

int32_t InitCipher(const char *key, int32_t keyLength, int32_t mode)
{
    if (mode < 0 || mode >= kModes)
        return 0;
    CipherState &s = state();
    std::lock_guard guard(s.lock);
    s.key(key, keyLength, int(mode));
    generation.fetch_add(1);
    return 1;
}

int32_t CipherBuffer(const char *input, int32_t n, char *output)
{
    if (n <= 0)
        return 0;
    CipherState &s = state();
    std::lock_guard guard(s.lock);
    s.transform(input, n, output);
    return n;
}

int32_t CipherBufferAt(const char *input, int32_t n, char *output, uint64_t keyGeneration)
{
    CipherState &s = state();
    std::lock_guard guard(s.lock);
    // InitCipher counts under this lock, so nobody can key between the check and the transform.
    if (generation.load() != keyGeneration)
        return -1;
    if (n <= 0)
        return 0;
    s.transform(input, n, output);
    return n;
}

int32_t EncodeText(const char *input, int32_t n, char *output)
{
    if (n <= 0)
        return 0;
    (void)state(); // sodium_init
    const size_t encodedLength =
        sodium_base64_encoded_len(size_t(n), sodium_base64_VARIANT_ORIGINAL);
    // The caller's buffer has no room for the terminator when n is not a multiple of 3.
    std::vector<char> text(encodedLength);
    sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char *>(input),
                      size_t(n), sodium_base64_VARIANT_ORIGINAL);
    const size_t written = encodedLength - 1;
    std::memcpy(output, text.data(), written);
    return int32_t(written);
}

int32_t DecodeText(const char *input, int32_t m, char *output)
{
    if (m <= 0)
        return 0;
    (void)state();
    size_t written = 0;
    if (sodium_base642bin(reinterpret_cast<unsigned char *>(output), size_t(m), input, size_t(m),
                          nullptr, &written, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
        return 0;
    return int32_t(written);
}

void PrepareCipherKey(const char *key, int32_t keyLength)
{
    if (!key || keyLength <= 0)
        return;
    state().prepare(reinterpret_cast<const unsigned char *>(key), size_t(keyLength));
}

uint64_t QvcryptDerivationCount(void)
{
    CipherState &s = state();
    std::lock_guard guard(s.lock);
    return s.derivations;
}

uint64_t QvcryptGeneration(void)
{
    return generation.load();
}
}
