#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Turns a box into its plain form and back in place, so that the fuzzer can mutate names,
// tables and lengths instead of ciphertext. The layout is walked from the plain length fields
// and the plain file table, which both directions see alike, so applying it twice gives the
// input back for any bytes at all, well-formed or not.
class BoxPlainText
{
public:
    // keystream: the password's stream from position 0, at least size bytes long.
    static void toggle(uint8_t *data, size_t size, const QByteArray &keystream, bool toPlain);
};
