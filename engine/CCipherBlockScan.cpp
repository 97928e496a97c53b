#include "engine/CCipherBlock.h"

#include "core/VaulnixError.h"
#include "engine/EngineHelpers.h"
#include "engine/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringBuilder>

using namespace EngineHelpers;

namespace {

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

} // namespace

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
        QString failure;
        if (!makeFolder(prefix, failure) && !QFileInfo(prefix).isDir())
            throw VaulnixError(
                QStringLiteral("Cannot create the folder %1: %2").arg(prefix, failure));
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
