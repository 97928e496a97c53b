#include "engine/SealedFormat.h"

#include "core/VaulnixError.h"
#include "engine/BoxHeader.h"

#include <QFileDevice>
#include <QtEndian>

#include <QRandomGenerator>

namespace {

constexpr char Magic[] = "\x89VLX\r\n\x1a\n";
constexpr qsizetype MagicBytes = 8;

void putU16(QByteArray &out, quint16 v)
{
    char b[2];
    qToBigEndian(v, b);
    out.append(b, 2);
}
void putU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}
void putU64(QByteArray &out, quint64 v)
{
    char b[8];
    qToBigEndian(v, b);
    out.append(b, 8);
}

// Reads the header's plain text front to back; any read past its end fails the whole parse.
class Reader
{
public:
    explicit Reader(QByteArrayView text)
        : text(text)
    {}
    bool ok() const { return good; }
    bool atEnd() const { return at == text.size(); }
    template<typename T> T number()
    {
        if (!take(sizeof(T)))
            return 0;
        return qFromBigEndian<T>(text.data() + at - qsizetype(sizeof(T)));
    }
    QByteArrayView bytes(qsizetype n)
    {
        if (!take(n))
            return {};
        return text.sliced(at - n, n);
    }

private:
    bool take(qsizetype n)
    {
        good = good && n >= 0 && text.size() - at >= n;
        if (good)
            at += n;
        return good;
    }

    QByteArrayView text;
    qsizetype at = 0;
    bool good = true;
};

} // namespace

// One file's chunks under its own key.
class SealedFormat::Transform : public ChunkTransform
{
public:
    explicit Transform(ChunkAead &aead)
        : aead(aead)
    {}
    bool sealing = true;

    qint64 storedBytes(qint64 n) const override { return n + TagBytes; }
    Outcome apply(qint64 index, const char *in, qint64 n, char *out, bool last) override
    {
        if (sealing) {
            aead.sealChunk(quint64(index), last, in, size_t(n), out);
            return Outcome::Done;
        }
        return aead.openChunk(quint64(index), last, in, size_t(n + TagBytes), out)
                   ? Outcome::Done
                   : Outcome::NotAuthentic;
    }

private:
    ChunkAead &aead;
};

SealedFormat::SealedFormat()
    : transform(std::make_unique<Transform>(aead))
{}

SealedFormat::~SealedFormat() = default;

bool SealedFormat::isSealed(QByteArrayView start)
{
    return start.size() >= PrefixBytes && start.first(MagicBytes) == QByteArrayView(Magic, 8);
}

std::unique_ptr<SealedFormat> SealedFormat::forReading(QByteArrayView start)
{
    std::unique_ptr<SealedFormat> format(new SealedFormat);
    const uchar *p = reinterpret_cast<const uchar *>(start.data());
    format->opsLimit = qFromBigEndian<quint32>(p + 12);
    format->memLimitKiB = qFromBigEndian<quint32>(p + 16);
    format->salt = start.sliced(20, SealedKeys::SaltBytes).toByteArray();
    format->chunk = qFromBigEndian<quint32>(p + 36);
    format->acceptable = isSealed(start) && p[8] == Version && p[9] == KdfArgon2id && p[10] == 0 &&
                         p[11] == 0 &&
                         SealedKeys::acceptable(format->opsLimit, format->memLimitKiB) &&
                         format->chunk >= MinChunkBytes && format->chunk <= MaxChunkBytes;
    return format;
}

std::unique_ptr<SealedFormat> SealedFormat::forWriting(qint64 chunkBytes,
                                                       const QByteArray &fixedSalt)
{
    std::unique_ptr<SealedFormat> format(new SealedFormat);
    format->chunk = chunkBytes;
    if (!fixedSalt.isEmpty()) {
        format->salt = fixedSalt;
        return format;
    }
    // The system's own random source, drawn anew for every box written.
    quint32 words[SealedKeys::SaltBytes / 4];
    QRandomGenerator::system()->fillRange(words);
    format->salt = QByteArray(reinterpret_cast<const char *>(words), sizeof(words));
    return format;
}

void SealedFormat::deriveKey(const QByteArray &password)
{
    // A box that asks for too much is refused here, before anything is derived.
    if (acceptable &&
        keys.derive(password, salt, opsLimit, memLimitKiB) != SealedKeys::Result::Derived)
        acceptable = false;
}

QByteArray SealedFormat::prefix(qint64 headerBytes) const
{
    QByteArray out(Magic, MagicBytes);
    out += char(Version);
    out += char(KdfArgon2id);
    putU16(out, 0);
    putU32(out, opsLimit);
    putU32(out, memLimitKiB);
    out += salt;
    putU32(out, quint32(chunk));
    putU64(out, quint64(headerBytes));
    return out;
}

std::optional<BoxCatalogue> SealedFormat::readCatalogue(QFileDevice &box, qint64 length)
{
    if (!acceptable || !keys.isDerived() || !box.seek(0))
        return std::nullopt;
    const QByteArray start = box.read(PrefixBytes);
    if (start.size() != PrefixBytes || start.first(PrefixBytes - 8) != prefix(0).first(40))
        return std::nullopt; // not the box the keys were derived for
    const quint64 sealedBytes = qFromBigEndian<quint64>(start.constData() + 40);
    if (sealedBytes < quint64(TagBytes) + 1 || sealedBytes > quint64(MaxHeaderBytes) ||
        qint64(sealedBytes) > length - PrefixBytes)
        return std::nullopt;
    QByteArray text(qsizetype(sealedBytes), Qt::Uninitialized);
    if (box.read(text.data(), text.size()) != text.size()) {
        if (box.error() != QFileDevice::NoError)
            throw VaulnixError(QStringLiteral("Cannot read the box %1: %2")
                                   .arg(box.fileName(), box.errorString()));
        return std::nullopt;
    }
    aead.setKey(keys.headerKey());
    if (!aead.openHeader(start.constData(), size_t(PrefixBytes), text.constData(),
                         size_t(text.size()), text.data()))
        return std::nullopt;
    text.truncate(text.size() - TagBytes);
    std::optional<BoxCatalogue> catalogue = parseHeader(text);
    if (!catalogue)
        return std::nullopt;
    // Where each file starts follows from the sizes alone; the box ends after the last chunk.
    qint64 offset = PrefixBytes + qint64(sealedBytes);
    for (BoxCatalogue::File &file : catalogue->files) {
        file.offset = offset;
        // Sizes are below 2^62 each, so this stays far from overflowing.
        if (offset > qint64(1) << 62)
            return std::nullopt;
        offset += file.size + (file.size + chunk - 1) / chunk * TagBytes;
        catalogue->totalBytes += file.size;
    }
    if (offset < length)
        return std::nullopt;
    if (offset > length)
        throw VaulnixError::damaged(QStringLiteral("The box %1 is cut short: it holds %2 of its "
                                                   "%3 bytes")
                                        .arg(box.fileName())
                                        .arg(length)
                                        .arg(offset));
    return catalogue;
}

std::optional<BoxCatalogue> SealedFormat::parseHeader(QByteArrayView text)
{
    Reader in(text);
    BoxCatalogue catalogue;
    catalogue.format = BoxFormatId::Sealed;
    const quint8 kind = in.number<quint8>();
    catalogue.name = QString::fromUtf8(in.bytes(in.number<quint8>()));
    const quint32 entries = in.number<quint32>();
    if (!in.ok() || (kind != 1 && kind != 2) || (kind == 1) != (entries > 0) ||
        entries > quint32(text.size()) / 2)
        return std::nullopt;
    for (quint32 k = 0; k < entries; ++k) {
        const QByteArrayView entry = in.bytes(in.number<quint16>());
        if (!in.ok() || entry.contains('\0') || (k > 0 && !BoxHeader::isSafeDirectoryEntry(entry)))
            return std::nullopt;
        const QString name = QString::fromUtf8(entry);
        if (k == 0)
            catalogue.rootName = name;
        catalogue.directories.append(name.toLower());
    }
    const quint32 count = in.number<quint32>();
    if (!in.ok() || count > quint32(text.size()) / 14)
        return std::nullopt;
    catalogue.files.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        BoxCatalogue::File file;
        const quint32 folder = in.number<quint32>();
        const quint64 size = in.number<quint64>();
        const QByteArrayView name = in.bytes(in.number<quint16>());
        if (!in.ok() || (folder >= 2 && folder > entries) || size > quint64(1) << 62 ||
            !BoxHeader::isSafeFileName(name))
            return std::nullopt;
        file.folderIndex = qint32(folder);
        file.size = qint64(size);
        file.name = QString::fromUtf8(name);
        catalogue.files.append(std::move(file));
    }
    if (!in.atEnd())
        return std::nullopt;
    return catalogue;
}

void SealedFormat::checkLimits(const BoxCatalogue &catalogue) const
{
    if (catalogue.name.toUtf8().size() > 255)
        throw VaulnixError(
            QStringLiteral("The box name \"%1\" is longer than 255 bytes").arg(catalogue.name));
    if (headerText(catalogue).size() + TagBytes > MaxHeaderBytes)
        throw VaulnixError(QStringLiteral("Too many files for one box: the list of their names "
                                          "would be larger than 256 MiB"));
    for (const QString &entry : catalogue.directories) {
        if (entry.toUtf8().size() > 65535)
            throw VaulnixError(
                QStringLiteral("The folder path %1 is too long for a box").arg(entry));
    }
}

QByteArray SealedFormat::headerText(const BoxCatalogue &catalogue)
{
    QByteArray text;
    text += char(catalogue.isFileList() ? 2 : 1);
    const QByteArray name = catalogue.name.toUtf8();
    text += char(quint8(name.size()));
    text += name;
    putU32(text, quint32(catalogue.directories.size()));
    for (const QString &entry : catalogue.directories) {
        const QByteArray bytes = entry.toUtf8();
        putU16(text, quint16(bytes.size()));
        text += bytes;
    }
    putU32(text, quint32(catalogue.files.size()));
    for (const BoxCatalogue::File &file : catalogue.files) {
        const QByteArray bytes = file.name.toUtf8();
        putU32(text, quint32(file.folderIndex));
        putU64(text, quint64(file.size));
        putU16(text, quint16(bytes.size()));
        text += bytes;
    }
    return text;
}

QByteArray SealedFormat::header(BoxCatalogue &catalogue)
{
    const QByteArray text = headerText(catalogue);
    const QByteArray clear = prefix(text.size() + TagBytes);
    QByteArray out = clear;
    out.resize(clear.size() + text.size() + TagBytes);
    aead.setKey(keys.headerKey());
    aead.sealHeader(clear.constData(), size_t(clear.size()), text.constData(), size_t(text.size()),
                    out.data() + clear.size());
    qint64 offset = out.size();
    for (BoxCatalogue::File &file : catalogue.files) {
        file.offset = offset;
        offset += file.size + (file.size + chunk - 1) / chunk * TagBytes;
    }
    return out;
}

ChunkTransform &SealedFormat::file(qint32 index, bool sealing)
{
    keys.fileKey(quint64(index) + 1, fileKey);
    aead.setKey(fileKey);
    transform->sealing = sealing;
    return *transform;
}
