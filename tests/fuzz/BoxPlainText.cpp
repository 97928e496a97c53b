#include "BoxPlainText.h"

#include <algorithm>
#include <vector>

namespace {

uint64_t be32(const uint8_t *p)
{
    return uint64_t(p[0]) << 24 | uint64_t(p[1]) << 16 | uint64_t(p[2]) << 8 | uint64_t(p[3]);
}

struct Walker
{
    uint8_t *data;
    size_t size;
    const QByteArray &keystream;
    size_t pos = 0;

    size_t left() const { return size - pos; }

    // XORs the next n bytes (or what is left) with the stream from streamPos on.
    void cipher(size_t n, size_t &streamPos)
    {
        n = std::min(n, left());
        for (size_t i = 0; i < n; ++i) {
            const size_t k = streamPos + i;
            if (k < size_t(keystream.size()))
                data[pos + i] ^= uint8_t(keystream[qsizetype(k)]);
        }
        streamPos += n;
        pos += n;
    }

    bool length(uint64_t &value)
    {
        if (left() < 4)
            return false;
        value = be32(data + pos);
        pos += 4;
        return true;
    }
};

std::vector<uint64_t> recordSizes(const uint8_t *table, size_t n)
{
    std::vector<uint64_t> sizes;
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end + 4 <= n && be32(table + end) != 0xffffffff)
            ++end;
        if (end + 4 > n)
            end = n;
        sizes.push_back(end - start >= 6 ? be32(table + start + 2) : 0);
        if (end >= n)
            return sizes;
        start = end + 4;
    }
}

} // namespace

void BoxPlainText::toggle(uint8_t *data, size_t size, const QByteArray &keystream, bool toPlain)
{
    Walker w{data, size, keystream};
    size_t header = 0;
    w.cipher(1, header); // marker
    if (w.left() == 0)
        return;
    const size_t nameLength = w.data[w.pos++];
    w.cipher(nameLength, header);
    uint64_t d = 0;
    if (!w.length(d))
        return;
    w.cipher(size_t(std::min<uint64_t>(d, w.left())), header);
    uint64_t f = 0;
    if (!w.length(f))
        return;
    const size_t tableStart = w.pos;
    const size_t tableLength = size_t(std::min<uint64_t>(f, w.left()));
    std::vector<uint64_t> sizes;
    if (!toPlain)
        sizes = recordSizes(data + tableStart, tableLength);
    w.cipher(tableLength, header);
    if (toPlain)
        sizes = recordSizes(data + tableStart, tableLength);
    if (f > tableLength || tableLength == 0)
        return;
    for (const uint64_t n : sizes) {
        if (w.left() == 0)
            return;
        size_t stream = 0; // every file block is keyed afresh
        w.cipher(size_t(std::min<uint64_t>(n, w.left())), stream);
    }
}
