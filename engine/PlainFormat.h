#pragma once

#include "engine/BoxFormat.h"

// Format 1: the header and every file XORed with the one keystream of the password, through the
// process-wide keyed state of the crypto library.
class PlainFormat : public BoxFormat
{
public:
    static constexpr int MaxNameBytes = 255;
    static constexpr qint32 MaxFolderIndex = 65535;

    PlainFormat();
    ~PlainFormat() override;

    BoxFormatId id() const override { return BoxFormatId::Plain; }
    void deriveKey(const QByteArray &password) override;
    std::optional<BoxCatalogue> readCatalogue(QFileDevice &box, qint64 length) override;
    void checkLimits(const BoxCatalogue &catalogue) const override;
    QByteArray header(BoxCatalogue &catalogue) override;
    qint64 chunkBytes() const override { return WriterChunkBytes; }
    qint64 chunkOverhead() const override { return 0; }
    ChunkTransform &file(qint32 index, bool sealing) override;

private:
    class Stream;

    QByteArray key;
    std::unique_ptr<Stream> stream;
};
