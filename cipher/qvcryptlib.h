#pragma once

#include <cstdint>

// The keyed byte transform and text encoding behind CCipher. One keyed state per process.
extern "C" {

// (Re)keys the process-wide stream from the key bytes. Mode 0 derives the key that boxes use,
// mode 1 a separate key for profiles. Returns 1 when keyed; any other mode is refused: the result
// is 0 and the keyed state is left as it was.
int32_t InitCipher(const char *key, int32_t keyLength, int32_t mode);

// XORs n bytes with the keystream at the current stream position; returns n.
int32_t CipherBuffer(const char *input, int32_t n, char *output);

// As CipherBuffer, but only while the keyed state is still the one of keyGeneration (see
// QvcryptGeneration): the check and the transform happen under one lock, so a stream ciphered
// on another thread never runs on under a key given meanwhile. Returns n, or -1 when re-keyed.
int32_t CipherBufferAt(const char *input, int32_t n, char *output, uint64_t keyGeneration);

// Base64 (RFC 4648, padded) of n bytes; output holds 4 * (n / 3 + 1) characters. Returns the
// number of characters written.
int32_t EncodeText(const char *input, int32_t n, char *output);

// Inverts EncodeText into at most m bytes; returns the number of bytes written, 0 for text that
// is not valid Base64.
int32_t DecodeText(const char *input, int32_t m, char *output);

// Derives the box key (mode 0) for keyBytes into the cache without touching the keyed state, so
// that a later InitCipher with the same key is immediate. Safe to call from another thread.
void PrepareCipherKey(const char *key, int32_t keyLength);

// How many key derivations this process has run (the cache avoids repeats).
uint64_t QvcryptDerivationCount(void);

// Grows by one with every InitCipher call, also one that keys again with the same key (that
// restarts the stream too), so a caller can tell whether its keyed stream is still the current
// one. Safe to call from any thread.
uint64_t QvcryptGeneration(void);
}
