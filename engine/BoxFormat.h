#pragma once

#include "engine/BoxCatalogue.h"
#include "engine/ChunkTransform.h"

#include <QByteArray>

#include <memory>
#include <optional>

class QFileDevice;

// The layout and cipher of one box format. The engine's shared work (scanning, events, pumping,
// stops, part files, path safety, shredding) goes through this for everything that differs.
class BoxFormat
{
public:
    // The chunk of the writers, and the pieces format 1's stream is cut into.
    static constexpr qint64 WriterChunkBytes = 131072;

    virtual ~BoxFormat() = default;

    // The format of the box open in box, from its first bytes, for reading; the device is left
    // anywhere. Raises VaulnixError when the system refuses the read.
    static std::unique_ptr<BoxFormat> detect(QFileDevice &box);
    static std::unique_ptr<BoxFormat> forWriting(BoxFormatId id);
    // The format of an existing box file; nothing when it is missing or cannot be read.
    static std::optional<BoxFormatId> formatOf(const QString &path);
    // The format to write over the box at path when wanted is asked for: a sealed box stays
    // sealed. Raises VaulnixError when a file is there that cannot be read to tell.
    static BoxFormatId keepingSealed(const QString &path, BoxFormatId wanted);

    virtual BoxFormatId id() const = 0;
    // Derives the key from password; long (Argon2id), and safe on another thread: nothing shared
    // is touched. Raises VaulnixError for key parameters outside sane bounds.
    virtual void deriveKey(const QByteArray &password) = 0;
    // Reads and checks the whole header from position 0 of box, length bytes long: nothing for
    // a wrong password or a damaged header. Raises VaulnixError when the system refuses a read.
    virtual std::optional<BoxCatalogue> readCatalogue(QFileDevice &box, qint64 length) = 0;
    // Raises VaulnixError for what this format cannot hold, before anything is written.
    virtual void checkLimits(const BoxCatalogue &catalogue) const = 0;
    // The header of catalogue, whose sizes are final; fills in where each file's content starts.
    virtual QByteArray header(BoxCatalogue &catalogue) = 0;
    // The plain bytes of every chunk of a file but its last.
    virtual qint64 chunkBytes() const = 0;
    // The bytes a chunk takes in the box beyond its plain bytes.
    virtual qint64 chunkOverhead() const = 0;
    // The transform of file index (0-based in the table), ready for its chunk 0.
    virtual ChunkTransform &file(qint32 index, bool sealing) = 0;
};
