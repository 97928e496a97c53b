#pragma once

#include <cstddef>

// 32 key bytes in guarded, locked memory (sodium_malloc), wiped when freed. Not copyable, so a
// key never leaves it except into the cipher that uses it.
class SecretKey
{
public:
    static constexpr std::size_t Size = 32;

    SecretKey(); // zeroed; throws VaulnixError when the memory cannot be had
    ~SecretKey();
    SecretKey(const SecretKey &) = delete;
    SecretKey &operator=(const SecretKey &) = delete;

    unsigned char *data() { return bytes; }
    const unsigned char *data() const { return bytes; }
    bool operator==(const SecretKey &other) const; // in constant time
    void wipe();

private:
    unsigned char *bytes;
};
