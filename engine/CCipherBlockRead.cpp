#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"

#include <QFile>
#include <QFileInfo>

qint16 CCipherBlock::ViewBlock(const QString &BlockFile, const QString &Password)
{
    requirePassword(Password);
    cipher.Initilize(Password, 0);
    qint16 result;
    try {
        result = ProcessBlock(BlockFile);
    } catch (...) {
        cipher.Clear();
        throw;
    }
    if (result != BadHeader)
        cipher.Clear();
    readHandle.reset();
    return result;
}

qint16 CCipherBlock::ProcessBlock(const QString &BlockFile)
{
    readHandle.reset();
    if (BlockFile.isEmpty())
        return BadHeader;
    auto box = std::make_unique<QFile>(BlockFile);
    if (!QFileInfo(BlockFile).isFile())
        return BadHeader;
    // A box we may not read is not a damaged one.
    if (!box->open(QIODevice::ReadOnly))
        throw VaulnixError(
            QStringLiteral("Cannot open the box %1: %2").arg(BlockFile, box->errorString()));
    auto header = readHeader(*box);
    if (!header)
        return BadHeader;
    applyHeader(std::move(*header));
    readHandle = std::move(box);
    return Read;
}

std::optional<BoxHeader> CCipherBlock::readHeader(QFile &box)
{
    return BoxHeader::read(box, box.size(), cipher);
}

void CCipherBlock::applyHeader(BoxHeader header)
{
    blockName = QString::fromUtf8(header.name);
    rootPath = header.rootName;
    directories = std::move(header.directories);
    files = std::move(header.records);
    offsets = std::move(header.offsets);
    headerLength = header.headerLength;
    totalBytes = header.payload;
}

void CCipherBlock::ParseDirBlock(const QByteArray &block)
{
    directories.clear();
    rootPath.clear();
    const QList<QByteArrayView> entries = BoxHeader::splitDirectoryBlock(block);
    for (const QByteArrayView entry : entries)
        directories.append(QString::fromUtf8(entry).toLower());
    if (!entries.isEmpty())
        rootPath = QString::fromUtf8(entries.first());
}

void CCipherBlock::ParseFileBlock(const QByteArray &block)
{
    files = BoxHeader::splitFileTable(block);
}

void CCipherBlock::ParseBlockInfo(qint32 Index, QString &BlockFile, QString &FilePath,
                                  qint32 &FileSize)
{
    if (stopRequested())
        return;
    if (Index < 0 || Index >= files.size())
        throw VaulnixError(QStringLiteral("There is no file number %1 in the box").arg(Index + 1));
    const BoxHeader::Record record = BoxHeader::decode(files.at(Index));
    BlockFile = QString::fromUtf8(record.name);
    FilePath = record.folderIndex >= 2 && record.folderIndex <= directories.size()
                   ? directories.at(record.folderIndex - 1)
                   : QString();
    FileSize = record.size;
}
