#include "engine/CCipherBlock.h"

#include "core/Global.h"
#include "core/Prompt.h"
#include "core/VaulnixError.h"
#include "engine/ConvLong.h"
#include "engine/FileSystem.h"
#include "engine/FileWriter.h"
#include "engine/NativeFile.h"
#include "engine/TargetFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringBuilder>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <future>

namespace {

// Leaves the process-wide cipher state unkeyed from the password whatever way we leave.
struct ClearOnExit
{
    CCipher &cipher;
    ~ClearOnExit() { cipher.Clear(); }
};

QString withSlash(QString path)
{
    path = QDir::fromNativeSeparators(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString entryToPath(const QString &entry)
{
    QString path = entry;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool matchesPattern(const QString &name, const QString &pattern)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    static QHash<QString, QRegularExpression> cache;
    auto it = cache.find(pattern);
    if (it == cache.end()) {
        // Only "*" and "?" are wildcards; a pattern matches whole names.
        QString expression;
        qsizetype literal = 0; // start of the text since the last wildcard
        for (qsizetype i = 0; i <= pattern.size(); ++i) {
            if (i < pattern.size() && pattern[i] != QLatin1Char('*') &&
                pattern[i] != QLatin1Char('?'))
                continue;
            expression += QRegularExpression::escape(pattern.mid(literal, i - literal));
            if (i < pattern.size())
                expression +=
                    pattern[i] == QLatin1Char('*') ? QLatin1String(".*") : QLatin1String(".");
            literal = i + 1;
        }
        it = cache.insert(pattern,
                          QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::DotMatchesEverythingOption));
    }
    return it->match(name).hasMatch();
}

// Makes the folders of relative ("/"-separated) below root, an existing folder ending in "/".
// Extraction never writes outside root, so an existing link, or anything that is not a folder,
// on the way is refused; checked remembers the folders already seen.
void makeFoldersBelow(const QString &root, const QString &relative, QSet<QString> &checked)
{
    QString folder = root;
    for (const QString &part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder += part;
        if (!checked.contains(folder)) {
            const QFileInfo info(folder);
            if (info.isSymLink() || info.isJunction())
                throw VaulnixError(QStringLiteral("%1 is a link; extraction does not write "
                                                  "through it")
                                       .arg(folder));
            if (info.exists() && !info.isDir())
                throw VaulnixError(
                    QStringLiteral("%1 is in the way of a folder of the box").arg(folder));
            if (!info.exists() && !QDir().mkdir(folder))
                throw VaulnixError(QStringLiteral("Cannot create the folder %1").arg(folder));
            checked.insert(folder);
        }
        folder += QLatin1Char('/');
    }
}

void readExactly(QFileDevice &file, char *buffer, qint64 n, const QString &whatFails)
{
    qint64 done = 0;
    while (done < n) {
        const qint64 got = file.read(buffer + done, n - done);
        if (got <= 0)
            throw VaulnixError(whatFails);
        done += got;
    }
}

void writeAll(QFileDevice &file, const char *data, qint64 n, const QString &name)
{
    // A write that the disk cuts short reports no error; the next one says why.
    while (n > 0) {
        const qint64 put = file.write(data, n);
        if (put <= 0)
            throw VaulnixError(QStringLiteral("Cannot write %1: %2").arg(name, file.errorString()));
        data += put;
        n -= put;
    }
}

void writeAll(QFileDevice &file, const QByteArray &data, const QString &name)
{
    writeAll(file, data.constData(), data.size(), name);
}

} // namespace

CCipherBlock::CCipherBlock(QObject *parent)
    : QObject(parent)
{}

CCipherBlock::~CCipherBlock() = default;

void CCipherBlock::setPump(std::function<void()> pump)
{
    pumpMessages = std::move(pump);
}

void CCipherBlock::setClock(CTick::Clock clock)
{
    rateTick = CTick(std::move(clock));
}

void CCipherBlock::pump()
{
    if (pumpMessages)
        pumpMessages();
}

void CCipherBlock::keyCipher(const QByteArray &key)
{
    cipher.Initilize(key, 0);
    keyedGeneration = CCipher::Generation();
}

void CCipherBlock::requireOwnKey(const QString &BlockFile) const
{
    // Going on under another stream would write garbage and call it done.
    if (CCipher::Generation() != keyedGeneration)
        throw VaulnixError(QStringLiteral("The cipher was re-keyed by another operation while "
                                          "working on the box %1; this step was not completed")
                               .arg(BlockFile));
}

bool CCipherBlock::stopRequested() const
{
    return Global::StopRequested.load() != 0;
}

qint32 CCipherBlock::rate(qint64 milliseconds) const
{
    if (milliseconds < 1000)
        return qint32(rateBytes);
    // nearbyint rounds ties to even under the default rounding mode
    return qint32(std::nearbyint(double(rateBytes) / (double(milliseconds) / 1000.0)));
}

// ---- Reading --------------------------------------------------------------------------------

qint16 CCipherBlock::ViewBlock(const QString &BlockFile, const QString &Password)
{
    cipher.Initilize(Password, 0);
    const qint16 result = ProcessBlock(BlockFile);
    if (result != 1)
        cipher.Clear();
    readHandle.reset();
    return result;
}

qint16 CCipherBlock::ProcessBlock(const QString &BlockFile)
{
    readHandle.reset();
    if (BlockFile.isEmpty())
        return 1;
    auto box = std::make_unique<QFile>(BlockFile);
    if (!QFileInfo(BlockFile).isFile() || !box->open(QIODevice::ReadOnly))
        return 1;
    auto header = readHeader(*box);
    if (!header)
        return 1;
    applyHeader(std::move(*header));
    readHandle = std::move(box);
    return 0;
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

// ---- Scanning -------------------------------------------------------------------------------

QString CCipherBlock::GetPathFromFile(const QString &Pathname)
{
    const qsizetype slash = Pathname.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : Pathname.left(slash + 1);
}

void CCipherBlock::CreateAllFolders(const QString &mPathToCheck)
{
    const QString path = QDir::fromNativeSeparators(mPathToCheck);
    for (qsizetype i = path.indexOf(QLatin1Char('/'), 1); i > 0;
         i = path.indexOf(QLatin1Char('/'), i + 1)) {
        const QString prefix = path.left(i);
        if (QFileInfo::exists(prefix) || QFileInfo(prefix).isSymLink())
            continue;
        if (!QDir().mkdir(prefix))
            throw VaulnixError(QStringLiteral("Cannot create the folder %1").arg(prefix));
    }
}

void CCipherBlock::AddDir(const QString &Path, bool bForceAdd)
{
    QString rel = Path.toLower();
    const QString root = rootPath.toLower();
    if (!root.isEmpty() && rel.startsWith(root))
        rel.remove(0, root.size());
    if (rel.isEmpty() && !bForceAdd)
        return;
    rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
    auto found = directoryIndex.constFind(rel);
    qint32 index;
    if (found == directoryIndex.cend()) {
        directories.append(rel);
        directoryFolders.append(QStringList());
        index = qint32(directories.size());
        directoryIndex.insert(rel, index);
        dirChars += rel.toUtf8().size();
        ++dirCount;
    } else {
        index = *found;
    }
    QStringList &real = directoryFolders[index - 1];
    if (!real.contains(Path))
        real.append(Path);
}

qint32 CCipherBlock::GetPathNumber(const QString &Path) const
{
    QString rel = Path.toLower();
    const QString root = rootPath.toLower();
    if (!root.isEmpty() && rel.startsWith(root))
        rel.remove(0, root.size());
    if (rel.isEmpty())
        return 0;
    rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return directoryIndex.value(rel, 0);
}

QStringList CCipherBlock::GetAllFiles(QString Path, const QString &filespec, bool RecurseDirs)
{
    Path = withSlash(Path);
    QStringList result;
    const QStringList patterns = filespec.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // One listing serves both the files and, when recursing, the subfolders.
    const QList<FolderEntry> entries = listFolder(Path);
    qint32 folder = -1; // this folder's index, known from its first packed file on
    for (const QString &pattern : patterns) {
        for (const FolderEntry &entry : entries) {
            if (entry.folder || !matchesPattern(entry.name, pattern))
                continue;
            // Built in one exact allocation: the list holds one of these per file.
            const QString full = QStringView(Path) % entry.name;
            if (!excludedPath.isEmpty() && entry.name == fileNameOf(excludedPath) &&
                QFileInfo(full) == QFileInfo(excludedPath))
                continue; // the box being written
            if (entry.name.contains(QLatin1Char('\\')))
                throw VaulnixError(
                    QStringLiteral("The name of %1 holds \"\\\", which a box cannot store")
                        .arg(full));
            if (folder < 0) {
                AddDir(Path);
                folder = GetPathNumber(Path);
            }
            result.append(full);
            scanned.push_back({full, entry.size, folder});
            emit AddingToBlock(full);
            pump();
            if (stopRequested())
                return result;
        }
    }
    if (!RecurseDirs)
        return result;

    QStringList subfolders;
    for (const FolderEntry &entry : entries) {
        if (!entry.folder)
            continue;
        if (entry.name.contains(QLatin1Char('\\')))
            throw VaulnixError(QStringLiteral("The name of the folder %1 holds \"\\\", which a box "
                                              "cannot store")
                                   .arg(Path + entry.name));
        subfolders.append(Path + entry.name);
        pump();
        if (stopRequested())
            return result;
    }
    for (const QString &subfolder : std::as_const(subfolders)) {
        result += GetAllFiles(subfolder, filespec, true);
        if (stopRequested())
            return result;
    }
    return result;
}

void CCipherBlock::refuseCaseClashes() const
{
    // Only an entry that more than one real folder maps to can hold two files of one name.
    QHash<QString, qint32> shared;
    for (qsizetype k = 1; k < directoryFolders.size(); ++k) {
        if (directoryFolders.at(k).size() > 1) {
            for (const QString &real : directoryFolders.at(k))
                shared.insert(real, qint32(k));
        }
    }
    if (shared.isEmpty())
        return;
    QHash<QString, QString> owners; // "entry\0name" -> the real folder holding it
    for (const PackedFile &file : scanned) {
        const QString real = GetPathFromFile(file.path);
        const auto entry = shared.constFind(real);
        if (entry == shared.cend())
            continue;
        const QString name = fileNameOf(file.path);
        const QString key = directories.at(*entry) % QLatin1Char('\0') % name;
        const QString owner = owners.value(key);
        if (!owner.isEmpty() && owner != real)
            throw VaulnixError(
                QStringLiteral("The folders %1 and %2 differ only in letter case and "
                               "both hold %3; they would overwrite each other in "
                               "the box")
                    .arg(owner, real, name));
        owners.insert(key, real);
    }
}

void CCipherBlock::refuseFileFolderClashes() const
{
    // Folder entries are lower-cased, so a file whose lower-cased path is also a folder of the
    // box (an entry or a folder on the way to one) could not be extracted beside it.
    if (directories.size() < 2)
        return;
    QHash<QString, QString> folders; // lower-cased relative folder -> the real folder
    for (qsizetype k = 1; k < directoryFolders.size(); ++k) {
        const QStringList lower = directories.at(k).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        const QStringList real = directoryFolders.at(k)
                                     .constFirst()
                                     .mid(rootPath.size())
                                     .split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QString relative;
        QString folder = rootPath;
        for (qsizetype i = 0; i < lower.size() && i < real.size(); ++i) {
            relative += (i == 0 ? QString() : QStringLiteral("\\")) + lower.at(i);
            folder += (i == 0 ? QString() : QStringLiteral("/")) + real.at(i);
            folders.insert(relative, folder);
        }
    }
    const QString root = rootPath.toLower();
    for (const PackedFile &file : scanned) {
        QString rel = file.path.toLower();
        if (rel.startsWith(root))
            rel.remove(0, root.size());
        rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const auto clash = folders.constFind(rel);
        if (clash != folders.cend())
            throw VaulnixError(QStringLiteral("The file %1 and the folder %2 differ only in letter "
                                              "case; they would collide when the box is "
                                              "extracted")
                                   .arg(file.path, *clash));
    }
}

QStringList CCipherBlock::GetDirectories(const QString &Path, qint32 Attributes,
                                         bool IncludePath) const
{
    const QString p = withSlash(Path);
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (Attributes & 2)
        filters |= QDir::Hidden;
    if (Attributes & 4)
        filters |= QDir::System;
    QStringList result;
    for (const QString &name : QDir(p).entryList(filters, QDir::Name))
        result.append(IncludePath ? p + name : name);
    return result;
}

// ---- Writing --------------------------------------------------------------------------------

qint16 CCipherBlock::CreateBlock(const QString &BlockFile, const QString &BlockName,
                                 const QString &Password, const QString &Path, qint16 /*Shread*/)
{
    rateBytes = 0;
    ClearOnExit clear{cipher};
    // The key is derived on another core while the folder is scanned.
    auto keyReady =
        std::async(std::launch::async, [key = Password.toUtf8()] { CCipher::PrepareKey(key); });

    QString folder =
        QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(Path)).absoluteFilePath());
    if (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    if (!QFileInfo(folder).isDir())
        throw VaulnixError(QStringLiteral("The folder %1 was not found").arg(folder));
    const QString rootName = fileNameOf(folder);
    if (rootName.contains(QLatin1Char('\\')))
        throw VaulnixError(
            QStringLiteral("The name of the folder %1 holds \"\\\", which a box cannot store")
                .arg(folder));
    rootPath = withSlash(folder);

    directories = {rootName};
    directoryIndex = {{rootName, 1}};
    directoryFolders = {QStringList{rootPath}};
    dirChars = rootName.toUtf8().size();
    dirCount = 1;
    scanned.clear();
    excludedPath = QFileInfo(BlockFile).absoluteFilePath();

    fileList = GetAllFiles(rootPath, QStringLiteral("*.*"), true);
    excludedPath.clear();
    if (!stopRequested()) {
        refuseCaseClashes();
        refuseFileFolderClashes();
    }
    std::vector<PackedFile> packed = std::move(scanned);
    scanned.clear();
    return writeBox(BlockFile, BlockName, Password, packed, true, keyReady);
}

qint16 CCipherBlock::CreateSimple(const QString &BlockFile, const QString &BlockName,
                                  const QString &Password, const QString &Files, qint16 /*Shread*/)
{
    rateBytes = 0;
    ClearOnExit clear{cipher};
    auto keyReady =
        std::async(std::launch::async, [key = Password.toUtf8()] { CCipher::PrepareKey(key); });

    rootPath.clear();
    dirCount = 0;
    dirChars = 0;
    directories.clear();
    directoryIndex.clear();
    directoryFolders.clear();
    fileList = Files.split(QLatin1Char(';'), Qt::SkipEmptyParts);

    const QFileInfo box(BlockFile);
    std::vector<PackedFile> packed;
    packed.reserve(fileList.size());
    QHash<QString, QString> names;
    for (const QString &path : std::as_const(fileList)) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            throw VaulnixError(QStringLiteral("The file %1 was not found").arg(path));
        if (info.isSymLink() || !info.isFile())
            throw VaulnixError(
                QStringLiteral("%1 is not a regular file; only regular files can be packed")
                    .arg(path));
        if (info == box)
            throw VaulnixError(QStringLiteral("%1 is the box being written").arg(path));
        const QString name = info.fileName();
        if (name.contains(QLatin1Char('\\')))
            throw VaulnixError(
                QStringLiteral("The name of %1 holds \"\\\", which a box cannot store").arg(path));
        const QString other = names.value(name);
        if (!other.isEmpty())
            throw VaulnixError(QStringLiteral("%1 and %2 have the same name and would overwrite "
                                              "each other when the box is extracted")
                                   .arg(other, path));
        names.insert(name, path);
        packed.push_back({path, info.size(), 0});
    }
    return writeBox(BlockFile, BlockName, Password, packed, false, keyReady);
}

void CCipherBlock::checkLimits(const QString &BlockName,
                               const std::vector<PackedFile> &packed) const
{
    if (BlockName.toUtf8().size() > MaxNameBytes)
        throw VaulnixError(QStringLiteral("The box name \"%1\" is longer than %2 bytes")
                               .arg(BlockName)
                               .arg(MaxNameBytes));
    if (dirCount > MaxFolderIndex)
        throw VaulnixError(QStringLiteral("%1 holds files in %2 folders; a box holds at most %3")
                               .arg(rootPath)
                               .arg(dirCount)
                               .arg(MaxFolderIndex));
    if (dirChars + dirCount > BoxHeader::MaxBytes)
        throw VaulnixError(
            QStringLiteral("The folder names of %1 are too long for one box").arg(rootPath));
    qint64 total = 0;
    qint64 table = 0;
    for (const PackedFile &file : packed) {
        if (file.size > BoxHeader::MaxBytes)
            throw VaulnixError(
                QStringLiteral("%1 is 2 GiB or larger, more than a box can hold").arg(file.path));
        total += file.size;
        table += 6 + fileNameOf(file.path).toUtf8().size() + 4;
    }
    if (total > BoxHeader::MaxBytes)
        throw VaulnixError(
            QStringLiteral("The files add up to 2 GiB or more, more than one box can hold"));
    if (table > BoxHeader::MaxBytes)
        throw VaulnixError(QStringLiteral("Too many files for one box"));
}

qint16 CCipherBlock::writeBox(const QString &BlockFile, const QString &BlockName,
                              const QString &Password, std::vector<PackedFile> &packed,
                              bool folderBox, std::future<void> &keyReady)
{
    checkLimits(BlockName, packed);
    // Small files are read ahead by two threads, taking turns, so the system's per-file work
    // runs on both cores; they start while the key is still being derived.
    std::vector<std::pair<QString, qint64>> small[2];
    std::size_t smallCount = 0;
    for (const PackedFile &file : packed) {
        if (file.size <= SmallFileBytes)
            small[smallCount++ % 2].emplace_back(file.path, file.size);
    }
    FilePrefetcher even(std::move(small[0]));
    FilePrefetcher odd(std::move(small[1]));
    waitPumping(keyReady);
    const QByteArray key = Password.toUtf8();
    keyCipher(key);
    if (stopRequested())
        return 0;
    emit CreatingBlock();
    const qint64 d = folderBox ? std::max<qint64>(dirChars + dirCount, 0) : 0;

    CreateAllFolders(BlockFile);
    // Written beside the target and renamed over it only when complete; a stop or an error
    // leaves an existing box as it was. Unbuffered, so every failed write is seen at once.
    QSaveFile box(BlockFile);
    box.setDirectWriteFallback(false);
    if (!openPrivate(box, QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw VaulnixError(
            QStringLiteral("Cannot create the box %1: %2").arg(BlockFile, box.errorString()));
    // A new box is its owner's alone; a box written over keeps the mode its owner gave it.
    if (!keepModeOf(BlockFile, box))
        throw VaulnixError(QStringLiteral("Cannot set the access rights of the box %1: %2")
                               .arg(BlockFile, QString::fromLocal8Bit(std::strerror(errno))));

    // The header is built in memory and written at once, its table length already in place.
    requireOwnKey(BlockFile);
    const QByteArray name = BlockName.toUtf8();
    QByteArray header = cipher.Cipher(QByteArray(1, BoxHeader::Marker));
    header += char(quint8(name.size()));
    header += cipher.Cipher(name);
    header += ConvLong::LongToStr(qint32(d));
    if (folderBox) {
        for (qsizetype i = 0; i < directories.size(); ++i) {
            header += cipher.Cipher(directories.at(i).toUtf8() + '\0');
            if ((i + 1) % 10 == 0) {
                pump();
                requireOwnKey(BlockFile);
            }
            if (stopRequested())
                return 0;
        }
    }

    // The stream runs on from record to record, so the table is enciphered in one piece.
    totalBytes = 0;
    bytesDone = 0;
    QByteArray table;
    const qint32 count = qint32(packed.size());
    for (qint32 i = 0; i < count; ++i) {
        const PackedFile &file = packed[size_t(i)];
        table += ConvLong::IntToStr(file.folderIndex);
        table += ConvLong::LongToStr(qint32(file.size));
        table += QStringView(file.path).mid(file.path.lastIndexOf(QLatin1Char('/')) + 1).toUtf8();
        if (i + 1 < count)
            table += BoxHeader::Separator;
        totalBytes += file.size;
        if (stopRequested())
            return 0;
        emit BuildingHeader(i + 1, count);
        if ((i + 1) % 10 == 0)
            pump();
    }
    header += ConvLong::LongToStr(qint32(table.size()));
    requireOwnKey(BlockFile);
    cipher.Cipher(table.constData(), table.size(), table.data());
    writeAll(box, header, BlockFile);
    writeAll(box, table, BlockFile);
    table = QByteArray();

    emit CreatingFileBlock();
    staged.clear();
    rateTick.StartTick();
    smallCount = 0;
    for (const PackedFile &file : packed) {
        if (stopRequested())
            return 0;
        keyCipher(key);
        if (file.size <= SmallFileBytes)
            addPrefetched(file, (smallCount++ % 2 == 0 ? even : odd).take(), box);
        else
            AddFileBlock(file, box);
    }
    if (stopRequested())
        return 0;

    flushStaged(box);
    QString failure;
    if (!syncToDisk(box, &failure))
        throw VaulnixError(QStringLiteral("Cannot save the box %1: %2").arg(BlockFile, failure));
    if (!box.commit())
        throw VaulnixError(
            QStringLiteral("Cannot save the box %1: %2").arg(BlockFile, box.errorString()));

    if (Global::DialogShred == 1 && !stopRequested()) {
        verifyBox(BlockFile, Password, packed);
        QStringList paths;
        paths.reserve(qsizetype(packed.size()));
        for (const PackedFile &file : packed)
            paths.append(file.path);
        shredFiles(paths);
        if (folderBox)
            removePackedFolders();
    }
    rateTick.StopTick();
    return 1;
}

void CCipherBlock::encipherInto(QFileDevice &box, char *data, qint64 n)
{
    // Small pieces are enciphered straight into a batch written at once; whole chunks go out
    // as they are.
    constexpr qsizetype batch = 1048576;
    requireOwnKey(box.fileName());
    if (n > SmallFileBytes) {
        flushStaged(box);
        cipher.Cipher(data, n, data);
        writeAll(box, data, n, box.fileName());
        return;
    }
    const qsizetype end = staged.size();
    staged.resize(end + n);
    cipher.Cipher(data, n, staged.data() + end);
    if (staged.size() >= batch)
        flushStaged(box);
}

void CCipherBlock::reportWritten(qint64 n, qint64 left, const PackedFile &file)
{
    bytesDone += n;
    rateBytes += n;
    const qint32 currentRate = rate(rateTick.GetRealElapsedTicks());
    rateTick.StopTick();
    emit CipherProgress(currentRate, qint32(bytesDone), qint32(totalBytes), qint32(left),
                        qint32(file.size), file.path);
    rateTick.StartTick();
    rateBytes = 0;
}

void CCipherBlock::addPrefetched(const PackedFile &file, FilePrefetcher::Item item,
                                 QFileDevice &box)
{
    if (!item.error.isEmpty())
        throw VaulnixError(QStringLiteral("Cannot read %1: %2").arg(file.path, item.error));
    if (item.data.size() != file.size)
        throw changedWhilePacked(file);
    if (file.size == 0)
        return;
    encipherInto(box, item.data.data(), file.size);
    pump();
    reportWritten(file.size, 0, file);
}

VaulnixError CCipherBlock::changedWhilePacked(const PackedFile &file)
{
    return VaulnixError(
        QStringLiteral("%1 changed while it was packed; the box was not written").arg(file.path));
}

void CCipherBlock::flushStaged(QFileDevice &box)
{
    if (staged.isEmpty())
        return;
    writeAll(box, staged, box.fileName());
    staged.clear();
}

void CCipherBlock::AddFileBlock(const PackedFile &file, QFileDevice &box)
{
    NativeFile source;
    if (!source.open(file.path, NativeFile::Mode::Read))
        throw VaulnixError(
            QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
    if (file.size > ChunkBytes)
        return addPiped(file, source, box);
    chunk.resize(ChunkBytes + 1);
    qint64 left = file.size;
    if (left == 0 && source.read(chunk.data(), 1) != 0)
        throw changedWhilePacked(file);
    while (left > 0 && !stopRequested()) {
        const qint64 n = std::min(left, ChunkBytes);
        // Asking for one byte more with the last chunk shows a file that grew, without a read
        // of its own.
        const qint64 got = source.read(chunk.data(), n == left ? n + 1 : n);
        if (got < 0)
            throw VaulnixError(
                QStringLiteral("Cannot read %1: %2").arg(file.path, source.errorString()));
        if (got != n)
            throw changedWhilePacked(file);
        left -= n;
        encipherInto(box, chunk.data(), n);
        pump();
        reportWritten(n, left, file);
    }
}

void CCipherBlock::verifyBox(const QString &BlockFile, const QString &Password,
                             const std::vector<PackedFile> &packed)
{
    const QString failed =
        QStringLiteral("The box %1 does not read back equal to its sources; nothing was shredded")
            .arg(BlockFile);
    QFile box(BlockFile);
    if (!box.open(QIODevice::ReadOnly))
        throw VaulnixError(failed);
    const QByteArray key = Password.toUtf8();
    keyCipher(key);
    const auto header = readHeader(box);
    if (!header || header->records.size() != qsizetype(packed.size()))
        throw VaulnixError(failed);
    QByteArray stored(ChunkBytes, Qt::Uninitialized);
    QByteArray original(ChunkBytes, Qt::Uninitialized);
    for (size_t i = 0; i < packed.size(); ++i) {
        const BoxHeader::Record record = BoxHeader::decode(header->records.at(qsizetype(i)));
        if (record.size != packed[i].size || record.name != fileNameOf(packed[i].path).toUtf8())
            throw VaulnixError(failed);
        QFile source(packed[i].path);
        if (!source.open(QIODevice::ReadOnly))
            throw VaulnixError(failed);
        keyCipher(key);
        for (qint64 left = record.size; left > 0;) {
            const qint64 n = std::min(left, ChunkBytes);
            readExactly(box, stored.data(), n, failed);
            readExactly(source, original.data(), n, failed);
            requireOwnKey(BlockFile);
            cipher.Cipher(stored.constData(), n, stored.data());
            if (std::memcmp(stored.constData(), original.constData(), size_t(n)) != 0)
                throw VaulnixError(failed);
            left -= n;
            pump();
        }
    }
}

// ---- Shredding ------------------------------------------------------------------------------

void CCipherBlock::shredFiles(const QStringList &paths)
{
    const qint32 count = qint32(paths.size());
    for (qint32 i = 0; i < count; ++i)
        shredOne(paths.at(i), i + 1, count);
}

void CCipherBlock::shredOne(const QString &path, qint32 index, qint32 count)
{
    QFile file(path);
    const qint64 size = QFileInfo(path).size();
    if (size > 0) {
        // Read-write keeps the contents: the spaces land on the file's own blocks.
        if (!file.open(QIODevice::ReadWrite))
            throw VaulnixError(QStringLiteral("Cannot shred %1: %2").arg(path, file.errorString()));
        const QByteArray spaces(qsizetype(std::min(size, ShredBytes)), ' ');
        qint64 left = size;
        while (left > 0) {
            const qint64 n = std::min(left, ShredBytes);
            writeAll(file, spaces.constData(), n, path);
            left -= n;
            emit ShredFile(index, count, path, qint32(left), qint32(size));
        }
        QString failure;
        if (!syncToDisk(file, &failure))
            throw VaulnixError(QStringLiteral("Cannot shred %1: %2").arg(path, failure));
        file.close();
    }
    if (!file.remove())
        throw VaulnixError(QStringLiteral("Cannot delete %1: %2").arg(path, file.errorString()));
}

void CCipherBlock::removePackedFolders()
{
    emit RemoveDirectory();
    // Entries stand before their subfolders, so the reverse order empties the deepest first.
    for (qsizetype k = directoryFolders.size(); k >= 2; --k) {
        for (const QString &folder : std::as_const(directoryFolders[k - 1]))
            QDir().rmdir(folder); // a folder that still holds something stays
        if (k % 10 == 0)
            pump();
    }
    if (!QDir(rootPath).isRoot())
        QDir().rmdir(rootPath);
}

// ---- Extraction -----------------------------------------------------------------------------

QString CCipherBlock::extractTarget(const BoxHeader::Record &record) const
{
    const QString name = QString::fromUtf8(record.name);
    if (record.folderIndex >= 2)
        return rootPath + entryToPath(directories.at(record.folderIndex - 1)) + name;
    return rootPath + name;
}

void CCipherBlock::refuseOverwritingBox(const QString &BlockFile, const QString &target,
                                        qint64 position)
{
    // Extracting a file over the box being read would replace the box, and shredding the box
    // afterwards would destroy the file just extracted.
    if (fileNameOf(target).compare(fileNameOf(BlockFile), Qt::CaseInsensitive) != 0)
        return;
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() &&
        targetInfo.canonicalFilePath() == QFileInfo(BlockFile).canonicalFilePath())
        throw VaulnixError(QStringLiteral("File %1 of the box %2 would overwrite the box itself; "
                                          "extract into another folder")
                               .arg(position)
                               .arg(BlockFile));
}

void CCipherBlock::requireBox(const QString &BlockFile)
{
    // A missing box is an error of its own, not a wrong password.
    if (!QFileInfo(BlockFile).isFile())
        throw VaulnixError(QStringLiteral("The box %1 was not found").arg(BlockFile));
}

qint16 CCipherBlock::ExtractBlock(const QString &BlockFile, const QString &Path,
                                  const QString &Password)
{
    requireBox(BlockFile);
    prepareKeyPumping(Password);
    cipher.Initilize(Password, 0);
    qint16 result = ProcessBlock(BlockFile);
    rootPath = withSlash(Path);
    if (result == 1) {
        Prompt::inform(HeaderMessage);
        readHandle.reset();
        return 1;
    }
    {
        ClearOnExit clear{cipher};
        struct CloseOnExit
        {
            std::unique_ptr<QFile> &handle;
            ~CloseOnExit() { handle.reset(); }
        } close{readHandle};

        const QString boxName = fileNameOf(QDir::fromNativeSeparators(BlockFile));
        for (qsizetype i = 0; i < files.size(); ++i) {
            const BoxHeader::Record record = BoxHeader::decode(files.at(i));
            if (QString::fromUtf8(record.name).compare(boxName, Qt::CaseInsensitive) == 0)
                refuseOverwritingBox(BlockFile, extractTarget(record), i + 1);
        }
        // Each folder's path is made once, not once per file.
        QStringList folders(directories.size());
        CreateAllFolders(rootPath);
        QSet<QString> checked;
        for (qsizetype k = 1; k < directories.size(); ++k) {
            folders[k] = rootPath + entryToPath(directories.at(k));
            makeFoldersBelow(rootPath, entryToPath(directories.at(k)), checked);
        }
        rateBytes = 0;
        bytesDone = 0;
        rateTick.StartTick();
        const QByteArray key = Password.toUtf8();
        // Two writers share the per-file work of the system; a target always goes to the same
        // one, so files of one name keep the box's order.
        FileWriter writers[2];
        for (const QByteArray &raw : std::as_const(files)) {
            if (stopRequested())
                break;
            const BoxHeader::Record record = BoxHeader::decode(raw);
            keyCipher(key);
            const QString folder =
                record.folderIndex >= 2 ? folders.at(record.folderIndex - 1) : rootPath;
            const QString target = folder + QString::fromUtf8(record.name);
            if (record.size <= SmallFileBytes) {
                extractSmall(target, record.size, writers[qHash(target) % 2]);
            } else {
                for (FileWriter &writer : writers)
                    writer.finish();
                ExtractToFile(target, record.size);
            }
        }
        for (FileWriter &writer : writers)
            writer.finish();
        rateTick.StopTick();
    }
    result = 0;
    if (Global::DialogShred == 1 && !stopRequested())
        shredOne(BlockFile, 1, 1);
    if (stopRequested())
        result = 3;
    return result;
}

void CCipherBlock::extractSmall(const QString &target, qint64 size, FileWriter &writer)
{
    QByteArray data(size, Qt::Uninitialized);
    if (size > 0 && readHandle->read(data.data(), size) != size)
        throw VaulnixError(QStringLiteral("The box %1 is cut short; %2 is incomplete")
                               .arg(readHandle->fileName(), target));
    requireOwnKey(readHandle->fileName());
    cipher.Cipher(data.constData(), size, data.data());
    writer.add(target, data);
    if (size == 0)
        return;
    bytesDone += size;
    rateBytes += size;
    rateTick.StopTick();
    const qint32 currentRate = rate(rateTick.GetRealElapsedTicks());
    rateTick.StartTick();
    rateBytes = 0;
    emit CipherProgress(currentRate, qint32(bytesDone), qint32(totalBytes), 0, qint32(size),
                        target);
}

void CCipherBlock::ExtractToFile(const QString &FilePath, qint32 FileSize)
{
    decipherTo(FilePath, FileSize, true, FilePath);
}

bool CCipherBlock::decipherTo(const QString &target, qint64 size, bool wholeBox,
                              const QString &shownName)
{
    if (!readHandle)
        throw VaulnixError(QStringLiteral("No box is open"));
    TargetFile out(target);
    if (size > ChunkBytes)
        return decipherPiped(out, target, size, wholeBox, shownName);
    chunk.resize(ChunkBytes);
    qint64 left = size;
    qint64 fileDone = 0;
    while (left > 0 && !stopRequested()) {
        const qint64 n = std::min(left, ChunkBytes);
        if (readHandle->read(chunk.data(), n) != n)
            throw VaulnixError(QStringLiteral("The box %1 is cut short; %2 is incomplete")
                                   .arg(readHandle->fileName(), target));
        left -= n;
        requireOwnKey(readHandle->fileName());
        cipher.Cipher(chunk.constData(), n, chunk.data());
        out.write(chunk.constData(), n);
        bytesDone += n;
        fileDone += n;
        rateBytes += n;
        rateTick.StopTick();
        const qint32 currentRate = rate(rateTick.GetRealElapsedTicks());
        rateTick.StartTick();
        rateBytes = 0;
        if (wholeBox)
            emit CipherProgress(currentRate, qint32(bytesDone), qint32(totalBytes), qint32(left),
                                qint32(size), shownName);
        else
            emit CipherProgress(currentRate, qint32(fileDone), qint32(size), qint32(left),
                                qint32(size), shownName);
    }
    if (left != 0)
        return false; // a stopped file goes with out
    out.finish();
    return true;
}

qint16 CCipherBlock::DynamicExtractBlock(const QString &BlockFile, const QString &Path,
                                         const QString &Password)
{
    requireBox(BlockFile);
    prepareKeyPumping(Password);
    cipher.Initilize(Password, 0);
    const qint16 result = ProcessBlock(BlockFile);
    rootPath = withSlash(Path);
    if (result == 1) {
        Prompt::inform(HeaderMessage);
        readHandle.reset();
        return 1;
    }
    try {
        CreateAllFolders(rootPath);
    } catch (...) {
        readHandle.reset();
        throw;
    }
    rateBytes = 0;
    bytesDone = 0;
    rateTick.StartTick();
    return 0;
}

void CCipherBlock::DynamicExtractToFile(qint32 Index, const QString &Path)
{
    lastFileComplete = false;
    if (stopRequested())
        return;
    if (!readHandle)
        throw VaulnixError(QStringLiteral("No box is open"));
    if (Index < 1 || Index > files.size())
        throw VaulnixError(QStringLiteral("There is no file number %1 in the box %2")
                               .arg(Index)
                               .arg(readHandle->fileName()));
    const BoxHeader::Record record = BoxHeader::decode(files.at(Index - 1));
    const QString name = QString::fromUtf8(record.name);
    const QString base = withSlash(Path);
    QString dest = base;
    if (record.folderIndex >= 2)
        dest = withSlash(dest + entryToPath(directories.at(record.folderIndex - 1)));
    refuseOverwritingBox(readHandle->fileName(), dest + name, Index);
    CreateAllFolders(base);
    QSet<QString> checked;
    makeFoldersBelow(base, dest.mid(base.size()), checked);
    ClearOnExit clear{cipher};
    keyCipher(Global::CurrentUserPassword.toUtf8());
    if (!readHandle->seek(headerLength + offsets[size_t(Index - 1)]))
        throw VaulnixError(QStringLiteral("Cannot read the box %1").arg(readHandle->fileName()));
    lastFileComplete = decipherTo(dest + name, record.size, false, name);
}

void CCipherBlock::DynamicClose()
{
    readHandle.reset();
}

void CCipherBlock::Cleanup()
{
    directories.clear();
    directoryIndex.clear();
    directoryFolders.clear();
}
