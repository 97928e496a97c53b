#include "engine/PlainFormat.h"

#include "cipher/CCipher.h"
#include "core/VaulnixError.h"
#include "engine/BoxHeader.h"
#include "engine/ConvLong.h"

#include <QFileDevice>

// The shared keystream from the start of a file, valid while nobody keys the library anew.
class PlainFormat::Stream : public ChunkTransform
{
public:
    quint64 generation = 0;

    qint64 storedBytes(qint64 n) const override { return n; }
    Outcome apply(qint64, const char *in, qint64 n, char *out, bool) override
    {
        return CCipher::CipherAt(generation, in, n, out) ? Outcome::Done : Outcome::Rekeyed;
    }
    bool keyHeld() const override { return CCipher::Generation() == generation; }
};

PlainFormat::PlainFormat()
    : stream(std::make_unique<Stream>())
{}

PlainFormat::~PlainFormat()
{
    key.fill('\0');
}

void PlainFormat::deriveKey(const QByteArray &password)
{
    key = password;
    CCipher::PrepareKey(key);
}

std::optional<BoxCatalogue> PlainFormat::readCatalogue(QFileDevice &box, qint64 length)
{
    CCipher cipher;
    cipher.Initilize(key, CCipher::BoxMode);
    if (!box.seek(0))
        return std::nullopt;
    std::optional<BoxHeader> header = BoxHeader::read(box, length, cipher);
    if (!header)
        return std::nullopt;
    BoxCatalogue catalogue;
    catalogue.format = BoxFormatId::Plain;
    catalogue.name = QString::fromUtf8(header->name);
    catalogue.rootName = header->rootName;
    catalogue.directories = std::move(header->directories);
    catalogue.files.reserve(header->records.size());
    for (qsizetype i = 0; i < header->records.size(); ++i) {
        const BoxHeader::Record record = BoxHeader::decode(header->records.at(i));
        catalogue.files.append({record.folderIndex,
                                record.size,
                                QString::fromUtf8(record.name),
                                header->headerLength + header->offsets[size_t(i)],
                                {}});
    }
    catalogue.totalBytes = header->payload;
    return catalogue;
}

void PlainFormat::checkLimits(const BoxCatalogue &catalogue) const
{
    const QString hint = QStringLiteral(" A sealed box can hold it: turn on \"Write sealed boxes\" "
                                        "in Options > Settings, or use vaulnix-cli create "
                                        "--sealed.");
    if (catalogue.name.toUtf8().size() > MaxNameBytes)
        throw VaulnixError(QStringLiteral("The box name \"%1\" is longer than %2 bytes")
                               .arg(catalogue.name)
                               .arg(MaxNameBytes));
    const qint64 dirCount = catalogue.directories.size();
    if (dirCount > MaxFolderIndex)
        throw VaulnixError(QStringLiteral("%1 holds files in %2 folders; a box holds at most %3.")
                               .arg(catalogue.source)
                               .arg(dirCount)
                               .arg(MaxFolderIndex) +
                           hint);
    qint64 dirChars = 0;
    for (const QString &entry : catalogue.directories)
        dirChars += entry.toUtf8().size();
    if (dirChars + dirCount > BoxHeader::MaxBytes)
        throw VaulnixError(QStringLiteral("The folder names of %1 are too long for one box.")
                               .arg(catalogue.source) +
                           hint);
    qint64 table = 0;
    for (const BoxCatalogue::File &file : catalogue.files) {
        if (file.size > BoxHeader::MaxBytes)
            throw VaulnixError(QStringLiteral("%1 is 2 GiB or larger, more than a box can hold.")
                                   .arg(file.source) +
                               hint);
        table += 6 + file.name.toUtf8().size() + 4;
    }
    if (catalogue.totalBytes > BoxHeader::MaxBytes)
        throw VaulnixError(
            QStringLiteral("The files add up to 2 GiB or more, more than one box can hold.") +
            hint);
    if (table > BoxHeader::MaxBytes)
        throw VaulnixError(QStringLiteral("Too many files for one box.") + hint);
}

QByteArray PlainFormat::header(BoxCatalogue &catalogue)
{
    // One stream from the marker to the end of the table, built in memory and written at once.
    CCipher cipher;
    cipher.Initilize(key, CCipher::BoxMode);
    const QByteArray name = catalogue.name.toUtf8();
    QByteArray header = cipher.Cipher(QByteArray(1, BoxHeader::Marker));
    header += char(quint8(name.size()));
    header += cipher.Cipher(name);
    qint64 d = 0;
    QByteArray entries;
    for (const QString &entry : std::as_const(catalogue.directories))
        entries += entry.toUtf8() + '\0';
    d = entries.size();
    header += ConvLong::LongToStr(qint32(d));
    header += cipher.Cipher(entries);
    QByteArray table;
    const qsizetype count = catalogue.files.size();
    for (qsizetype i = 0; i < count; ++i) {
        const BoxCatalogue::File &file = catalogue.files.at(i);
        table += ConvLong::IntToStr(file.folderIndex);
        table += ConvLong::LongToStr(qint32(file.size));
        table += file.name.toUtf8();
        if (i + 1 < count)
            table += BoxHeader::Separator;
    }
    header += ConvLong::LongToStr(qint32(table.size()));
    header += cipher.Cipher(table);
    qint64 offset = header.size();
    for (BoxCatalogue::File &file : catalogue.files) {
        file.offset = offset;
        offset += file.size;
    }
    return header;
}

ChunkTransform &PlainFormat::file(qint32, bool)
{
    // Every file starts the stream anew; the key is cached, so this costs no derivation.
    CCipher().Initilize(key, CCipher::BoxMode);
    stream->generation = CCipher::Generation();
    return *stream;
}
