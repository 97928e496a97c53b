// libFuzzer target: the input is a box file. It is listed, extracted file by file and extracted
// whole with shredding asked for. Any crash, sanitizer report, file outside the extraction
// folders, box accepted by one operation and refused by another, or box shredded after an
// incomplete extraction ends the run with the input saved.

#include "cipher/ChunkAead.h"
#include "cipher/SealedKeys.h"
#include "cli/BoxListing.h"
#include "core/Global.h"
#include "core/VaulnixError.h"
#include "engine/CCipherBlock.h"
#include "engine/SealedFormat.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

namespace {

const QString Password = QStringLiteral("vaulnix-test-vector");

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "fuzz: %s\n", qUtf8Printable(why));
    std::abort();
}

// The one folder the target may touch: the box and two extraction folders.
struct Workspace
{
    QTemporaryDir dir{QDir::tempPath() + "/vaulnix-fuzz-XXXXXX"};
    QString box = dir.filePath("box.vlx");
    QString whole = dir.filePath("whole");         // the whole box
    QString selection = dir.filePath("selection"); // one file at a time

    // Fails, naming the intruder, when anything else is there; then empties the folders.
    void checkAndClear() const
    {
        for (const QFileInfo &entry : QDir(dir.path())
                                          .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot)) {
            const QString path = entry.absoluteFilePath();
            const bool ours = !entry.isSymLink() &&
                              (path == box ? entry.isFile()
                                           : (path == whole || path == selection) && entry.isDir());
            if (!ours)
                fail(path + " was written outside the extraction folders");
            if (path != box && !QDir(path).removeRecursively())
                fail("cannot clear " + path);
        }
    }
};

Workspace &workspace()
{
    static Workspace instance;
    if (!instance.dir.isValid())
        fail("no workspace in " + QDir::tempPath());
    return instance;
}

const QByteArray &keystream(size_t size)
{
    static QByteArray stream;
    if (size_t(stream.size()) < size) {
        CCipher cipher;
        cipher.Initilize(Password);
        stream = cipher.Cipher(QByteArray(qsizetype(std::max<size_t>(size, 65536)), '\0'));
        cipher.Clear();
    }
    return stream;
}

uint64_t be32(const uint8_t *p)
{
    return uint64_t(p[0]) << 24 | uint64_t(p[1]) << 16 | uint64_t(p[2]) << 8 | uint64_t(p[3]);
}

// The data sizes of a plain file table, as far as it can be read.
std::vector<uint64_t> recordSizes(const uint8_t *table, size_t n)
{
    std::vector<uint64_t> sizes;
    for (size_t start = 0;;) {
        size_t end = start;
        while (end + 4 <= n && be32(table + end) != 0xffffffff)
            ++end;
        end = end + 4 > n ? n : end;
        sizes.push_back(end - start >= 6 ? be32(table + start + 2) : 0);
        if (end >= n)
            return sizes;
        start = end + 4;
    }
}

// Turns a box into its plain form and back in place, so that names, tables and lengths are
// mutated instead of ciphertext. The walk follows the plain length fields and the plain file
// table, which both directions see alike, so toggling twice gives any input back.
void toggle(uint8_t *data, size_t size, const QByteArray &stream, bool toPlain)
{
    size_t pos = 0;
    const auto cipher = [&](uint64_t n, size_t &at) {
        n = std::min<uint64_t>(n, size - pos);
        for (size_t i = 0; i < n; ++i, ++at)
            data[pos + i] ^= at < size_t(stream.size()) ? uint8_t(stream[qsizetype(at)]) : 0;
        pos += n;
    };
    const auto length = [&](uint64_t &value) {
        if (size - pos < 4)
            return false;
        value = be32(data + pos);
        pos += 4;
        return true;
    };
    size_t header = 0;
    cipher(1, header); // marker
    if (pos == size)
        return;
    cipher(data[pos++], header); // the name after its length byte
    uint64_t d = 0, f = 0;
    if (!length(d))
        return;
    cipher(d, header);
    if (!length(f))
        return;
    const size_t tableStart = pos, tableLength = std::min<uint64_t>(f, size - pos);
    std::vector<uint64_t> sizes;
    if (!toPlain)
        sizes = recordSizes(data + tableStart, tableLength);
    cipher(tableLength, header);
    if (toPlain)
        sizes = recordSizes(data + tableStart, tableLength);
    if (f > tableLength || tableLength == 0)
        return;
    for (const uint64_t n : sizes) {
        size_t fresh = 0; // every file block is keyed afresh
        cipher(n, fresh);
    }
}

// A sealed box's header opened with the known password, mutated as plain text and sealed again
// (its length and so the clear prefix follow), so the header's parser sees what a forger with
// the password could write; the chunks after it stay as they were. False for anything else.
bool mutateSealedHeader(uint8_t *data, size_t &size, size_t maxSize)
{
    constexpr size_t Prefix = SealedFormat::PrefixBytes, Tag = SealedFormat::TagBytes;
    if (!SealedFormat::isSealed(
            QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size))))
        return false;
    const quint32 ops = qFromBigEndian<quint32>(data + 12),
                  mem = qFromBigEndian<quint32>(data + 16);
    const quint64 sealedBytes = qFromBigEndian<quint64>(data + 40);
    if (sealedBytes < Tag || sealedBytes > size - Prefix || !SealedKeys::acceptable(ops, mem))
        return false;
    static QByteArray derivedFor;
    static SealedKeys keys;
    const QByteArray params(reinterpret_cast<const char *>(data + 12), 24);
    if (params != derivedFor) {
        if (keys.derive(Password.toUtf8(), params.mid(8, 16), ops, mem) !=
            SealedKeys::Result::Derived)
            return false;
        derivedFor = params;
    }
    ChunkAead aead;
    aead.setKey(keys.headerKey());
    std::vector<char> plain(std::max<size_t>(sealedBytes, maxSize));
    if (!aead.openHeader(reinterpret_cast<const char *>(data), Prefix,
                         reinterpret_cast<const char *>(data + Prefix), sealedBytes, plain.data()))
        return false;
    const std::vector<uint8_t> chunks(data + Prefix + sealedBytes, data + size);
    const size_t room = maxSize > Prefix + Tag ? maxSize - Prefix - Tag : 0;
    const size_t mutated = LLVMFuzzerMutate(reinterpret_cast<uint8_t *>(plain.data()),
                                            sealedBytes - Tag, std::min(room, plain.size()));
    qToBigEndian<quint64>(mutated + Tag, data + 40);
    aead.sealHeader(reinterpret_cast<const char *>(data), Prefix, plain.data(), mutated,
                    reinterpret_cast<char *>(data + Prefix));
    size = Prefix + mutated + Tag;
    const size_t kept = std::min(chunks.size(), maxSize - size);
    std::copy_n(chunks.begin(), kept, data + size);
    size += kept;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    workspace();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Workspace &w = workspace();
    QFile file(w.box);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        fail("cannot write " + w.box);
    file.close();
    Global::StopRequested = 0;
    Global::CurrentUserPassword = Password;

    CCipherBlock engine;
    // A box found damaged once its header opened (cut short, a chunk forged) raises instead.
    std::optional<CCipherBlock::ReadResult> listed;
    try {
        listed = engine.ViewBlock(w.box, Password);
    } catch (const VaulnixError &error) {
        if (!error.isDamagedBox())
            fail("listing raised " + error.message());
    }
    if (listed == CCipherBlock::Read)
        (void)BoxListing::format(engine);
    std::optional<CCipherBlock::ReadResult> opened;
    std::optional<CCipherBlock::ExtractResult> extracted;
    try {
        opened = engine.DynamicExtractBlock(w.box, w.selection, Password);
        for (qint32 i = 1; opened == CCipherBlock::Read && i <= engine.Catalogue().files.size();
             ++i)
            engine.DynamicExtractToFile(i, w.selection);
    } catch (const VaulnixError &) {
        // a name the file system refuses, a file where a folder must go: reported, not fatal
    }
    engine.DynamicClose();
    Global::DialogShred = 1;
    try {
        extracted = engine.ExtractBlock(w.box, w.whole, Password);
    } catch (const VaulnixError &) {
    }
    Global::DialogShred = 0;
    Global::CurrentUserPassword.clear();

    const bool bad = listed == CCipherBlock::BadHeader;
    if (bad != (opened == CCipherBlock::BadHeader) ||
        bad != (extracted == CCipherBlock::ExtractBadHeader))
        fail("the reader accepted a box in one operation and refused it in another");
    if (!listed && (opened || extracted))
        fail("a box found damaged when listed was opened for extraction");
    if ((bad || !listed) && (QFileInfo::exists(w.whole) || QFileInfo::exists(w.selection)))
        fail("a refused box created something");
    const bool done = extracted == CCipherBlock::Extracted;
    if (QFileInfo::exists(w.box) == done)
        fail(done ? "a completely extracted box was not shredded"
                  : "a box was shredded after an incomplete extraction");
    w.checkAndClear();
    return 0;
}

// Mutates the plain form of the box most of the time, so names, tables and lengths change
// while the ciphering stays right; now and then the raw bytes, as damage on disk would.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize,
                                          unsigned int seed)
{
    if (seed % 4 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 4 == 1 && mutateSealedHeader(data, size, maxSize))
        return size;
    const QByteArray &stream = keystream(maxSize);
    toggle(data, size, stream, true);
    const size_t mutated = LLVMFuzzerMutate(data, size, maxSize);
    toggle(data, mutated, stream, false);
    return mutated;
}
