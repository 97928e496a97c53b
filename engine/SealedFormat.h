#pragma once

#include "cipher/ChunkAead.h"
#include "cipher/SealedKeys.h"
#include "engine/BoxFormat.h"

// Format 2: a clear prefix (magic, Argon2id parameters, salt, chunk size, header length), the
// header sealed with ChaCha20-Poly1305 under a key of its own, then every file's chunks sealed
// under the file's own key. Every key belongs to one box: its salt is drawn anew for each write.
class SealedFormat : public BoxFormat
{
public:
    static constexpr qint64 PrefixBytes = 48;
    static constexpr quint8 Version = 2;
    static constexpr quint8 KdfArgon2id = 1;
    static constexpr qint64 MinChunkBytes = 4096;
    // Readers keep a few chunks in flight: larger ones would cost memory, not speed.
    static constexpr qint64 MaxChunkBytes = 1048576;
    static constexpr qint64 MaxHeaderBytes = 268435456;
    static constexpr qint64 TagBytes = ChunkAead::TagBytes;

    // Whether the first bytes of a file (at least PrefixBytes of them) begin a sealed box.
    static bool isSealed(QByteArrayView start);
    // A box whose prefix is start; one whose parameters are refused reads as damaged, and
    // derives nothing.
    static std::unique_ptr<SealedFormat> forReading(QByteArrayView start);
    // A new box under a salt of its own; a given salt is for known-answer vectors only.
    static std::unique_ptr<SealedFormat> forWriting(qint64 chunkBytes,
                                                    const QByteArray &fixedSalt = {});

    ~SealedFormat() override;

    BoxFormatId id() const override { return BoxFormatId::Sealed; }
    void deriveKey(const QByteArray &password) override;
    std::optional<BoxCatalogue> readCatalogue(QFileDevice &box, qint64 length) override;
    void checkLimits(const BoxCatalogue &catalogue) const override;
    QByteArray header(BoxCatalogue &catalogue) override;
    qint64 chunkBytes() const override { return chunk; }
    qint64 chunkOverhead() const override { return TagBytes; }
    ChunkTransform &file(qint32 index, bool sealing) override;

private:
    class Transform;

    SealedFormat();
    QByteArray prefix(qint64 headerBytes) const;
    static QByteArray headerText(const BoxCatalogue &catalogue);
    static std::optional<BoxCatalogue> parseHeader(QByteArrayView text);

    quint32 opsLimit = SealedKeys::WriterOpsLimit;
    quint32 memLimitKiB = SealedKeys::WriterMemLimitKiB;
    QByteArray salt;
    qint64 chunk = 0;
    bool acceptable = true; // the prefix's parameters are within what a reader allows
    SealedKeys keys;
    SecretKey fileKey;
    ChunkAead aead;
    std::unique_ptr<Transform> transform;
};
