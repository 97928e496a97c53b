#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"

#include <QFile>
#include <QFileInfo>

CCipherBlock::ReadResult CCipherBlock::ViewBlock(const QString &BlockFile, const QString &Password)
{
    EngineHelpers::ClearOnExit clear{cipher};
    const ReadResult result = openBox(BlockFile, Password);
    readHandle.reset();
    return result;
}

CCipherBlock::ReadResult CCipherBlock::openBox(const QString &BlockFile, const QString &Password)
{
    requirePassword(Password);
    readHandle.reset();
    if (BlockFile.isEmpty() || !QFileInfo(BlockFile).isFile())
        return BadHeader;
    auto box = std::make_unique<QFile>(BlockFile);
    // A box we may not read is not a damaged one.
    if (!box->open(QIODevice::ReadOnly))
        throw VaulnixError(
            QStringLiteral("Cannot open the box %1: %2").arg(BlockFile, box->errorString()));
    std::unique_ptr<BoxFormat> found = BoxFormat::detect(*box);
    if (pumpMessages) {
        auto ready = deriveKeyAhead(*found, Password);
        waitPumping(ready);
    } else {
        found->deriveKey(Password.toUtf8());
    }
    std::optional<BoxCatalogue> read = found->readCatalogue(*box, box->size());
    if (!read)
        return BadHeader;
    format = std::move(found);
    catalogue = std::move(*read);
    rootPath = catalogue.rootName;
    directories = catalogue.directories;
    totalBytes = catalogue.totalBytes;
    readHandle = std::move(box);
    return Read;
}

void CCipherBlock::ParseBlockInfo(qint32 Index, QString &BlockFile, QString &FilePath,
                                  qint64 &FileSize)
{
    if (stopRequested())
        return;
    if (Index < 0 || Index >= catalogue.files.size())
        throw VaulnixError(QStringLiteral("There is no file number %1 in the box").arg(Index + 1));
    const BoxCatalogue::File &file = catalogue.files.at(Index);
    BlockFile = file.name;
    FilePath = catalogue.folderOf(file);
    FileSize = file.size;
}
