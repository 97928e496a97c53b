#pragma once

#include "cipher/CCipher.h"
#include "engine/BoxCatalogue.h"
#include "engine/BoxFormat.h"
#include "engine/CTick.h"
#include "engine/ChunkPipeline.h"
#include "engine/FilePrefetcher.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class BoxWriteQueue;
class FileWriter;
class NativeFile;
class QFile;
class TargetFile;
class VaulnixError;
class QFileDevice;

// The box engine: packs folders and file lists into boxes, reads and extracts them, shreds
// sources, and reports its progress through signals. Paths on disk are Qt paths ("/");
// directory entries inside a box use "\" as the format stores them.
//
// Long operations call the pump where the user interface may breathe and stop early once
// Global::StopRequested is set. Failures other than a wrong password are raised as VaulnixError;
// an operation that finds the shared cipher re-keyed by someone else under its feet raises
// rather than go on under the wrong stream. Every box format goes through BoxFormat: what is
// here is the same for all of them.
class CCipherBlock : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 ChunkBytes = BoxFormat::WriterChunkBytes;
    static constexpr qint64 ShredBytes = 1048576;
    // Files up to this size are read or written on a second thread.
    static constexpr qint64 SmallFileBytes = ChunkBytes / 2;
    static inline const QString HeaderMessage =
        QStringLiteral("Password incorrect or header damaged");

    // Results, one type per kind of operation, so that one cannot be taken for another; the
    // values are those the callers have always stored and compared.
    enum class ReadResult : qint16 {
        Read = 0,     // header read and checked; the properties hold it
        BadHeader = 1 // wrong password or damaged header (or, viewing, no box)
    };
    enum class WriteResult : qint16 {
        Stopped = 0,           // a stop came first; an older box is untouched
        Written = 1,           // the box is complete on disk (sources shredded when asked)
        WrittenNotShredded = 2 // the box is complete, but a stop came before the shredding
    };
    enum class ExtractResult : qint16 {
        Extracted = 0,   // every file written (the box shredded when asked)
        BadHeader = 1,   // wrong password or damaged header; nothing written
        NotShredded = 2, // every file written, but a stop came before the box was shredded
        Stopped = 3      // a stop came first; nothing was shredded
    };
    static constexpr ReadResult Read = ReadResult::Read;
    static constexpr ReadResult BadHeader = ReadResult::BadHeader;
    static constexpr WriteResult Written = WriteResult::Written;
    static constexpr WriteResult WriteStopped = WriteResult::Stopped;
    static constexpr WriteResult WrittenNotShredded = WriteResult::WrittenNotShredded;
    static constexpr ExtractResult Extracted = ExtractResult::Extracted;
    static constexpr ExtractResult ExtractBadHeader = ExtractResult::BadHeader;
    static constexpr ExtractResult ExtractedNotShredded = ExtractResult::NotShredded;
    static constexpr ExtractResult ExtractStopped = ExtractResult::Stopped;

    explicit CCipherBlock(QObject *parent = nullptr);
    ~CCipherBlock() override;

    // Called wherever long work lets the user interface breathe.
    void setPump(std::function<void()> pump);
    // Millisecond clock for the transfer rate; tests replace it.
    void setClock(CTick::Clock clock);
    // The format CreateBlock and CreateSimple write (format 1 unless told otherwise).
    void setWriteFormat(BoxFormatId format) { writeFormat = format; }
    BoxFormatId WriteFormat() const { return writeFormat; }

    // Reading.
    // ViewBlock reads the header of BlockFile with Password: Read or BadHeader (also for no
    // box), the box closed either way. Reads no shared field. Raises VaulnixError for an empty
    // password and for a box the system will not let us read, naming the cause.
    ReadResult ViewBlock(const QString &BlockFile, const QString &Password);
    // The box last read or written, whatever its format.
    const BoxCatalogue &Catalogue() const { return catalogue; }
    // Record Index (0-based) of the read header; nothing once Global::StopRequested is set.
    // Raises VaulnixError for an index out of range.
    void ParseBlockInfo(qint32 Index, QString &BlockFile, QString &FilePath, qint64 &FileSize);
    QString RootPath() const { return rootPath; }
    QString BlockName() const { return catalogue.name; }
    const QStringList &Directories() const { return directories; }
    qint64 TotalBytes() const { return totalBytes; }
    qint64 BytesDone() const { return bytesDone; }
    const QStringList &FileList() const { return fileList; }

    // Writing.
    // CreateBlock packs the folder Path (CreateSimple the ";"-separated Files) into BlockFile, in
    // the write format: Written, WriteStopped or WrittenNotShredded. The box is written beside
    // BlockFile and synced, and takes its place (its folder synced too) only when complete: a
    // stop before that leaves an older box as it was. Reads Global::StopRequested and
    // Global::DialogShred: at 1, with no stop, the box is read back against its sources and only
    // then are they shredded (and, for a folder box, the emptied folders removed); a shredding
    // once begun is finished. Shread is not consulted. Raises VaulnixError for an empty
    // password, a folder or entry the scan cannot read, a missing source, a name a box cannot
    // hold (a "\", a case clash, a duplicate name in a list), a limit of the format passed, a
    // source that changed while packed, a failed read, write, sync, read-back or shred, and a
    // re-keyed cipher. The cipher is cleared however it ends.
    WriteResult CreateBlock(const QString &BlockFile, const QString &BlockName,
                            const QString &Password, const QString &Path, qint16 Shread);
    WriteResult CreateSimple(const QString &BlockFile, const QString &BlockName,
                             const QString &Password, const QString &Files, qint16 Shread);
    qint32 GetPathNumber(const QString &Path) const;

    // Scanning and folders.
    // The files of Path matching filespec (";"-separated "*"/"?" patterns on whole names),
    // noted for the writer; returns early once Global::StopRequested is set. Raises
    // VaulnixError for a name holding "\" and for a folder or entry that cannot be read.
    QStringList GetAllFiles(QString Path, const QString &filespec, bool RecurseDirs = false);
    QStringList GetDirectories(const QString &Path, qint32 Attributes = 0,
                               bool IncludePath = false) const;
    void AddDir(const QString &Path, bool bForceAdd = false);
    static QString GetPathFromFile(const QString &Pathname);
    // Makes every missing folder on the way to the last "/"; raises VaulnixError when one
    // cannot be made.
    static void CreateAllFolders(const QString &mPathToCheck);

    // Extraction.
    // ExtractBlock writes every file of BlockFile below Path: Extracted, ExtractBadHeader (the
    // caller tells the user), ExtractStopped (the file being written when the stop came is
    // discarded) or ExtractedNotShredded. Every file takes its name only when complete.
    // Reads Global::StopRequested and Global::DialogShred: at 1, with no stop, the extracted
    // files are synced to disk and only then is the box shredded. Raises VaulnixError for an
    // empty password, a missing or unreadable box, a file that would overwrite the box, a link
    // or file in the way of a folder, a box cut short, a chunk that does not authenticate, a
    // failed read, write or sync and a re-keyed cipher; a target that fails keeps its older
    // file.
    ExtractResult ExtractBlock(const QString &BlockFile, const QString &Path,
                               const QString &Password);
    // DynamicExtractBlock opens BlockFile for DynamicExtractToFile calls: Read leaves it open
    // until DynamicClose, BadHeader closes it (the caller tells the user). Raises VaulnixError
    // as ViewBlock does, for a missing box and an extraction folder that cannot be made.
    ReadResult DynamicExtractBlock(const QString &BlockFile, const QString &Path,
                                   const QString &Password);
    // Writes file Index (1-based) of the open box below Path; does nothing once
    // Global::StopRequested is set. Raises VaulnixError when no box is open or nobody is logged
    // on (Global::CurrentUserPassword empty), for an index out of range and as ExtractBlock does.
    void DynamicExtractToFile(qint32 Index, const QString &Path);
    // True only when the last DynamicExtractToFile wrote its file completely.
    bool LastFileComplete() const { return lastFileComplete; }
    // True once the last create or extraction began shredding: whatever it raised after that,
    // its sources (or its box) may be gone, and the box (or the files) are the copy to keep.
    bool ShredStarted() const { return shredStarted; }
    void DynamicClose();
    void Cleanup();

    // Verifying.
    // VerifyBlock reads every byte of BlockFile and writes nothing: a sealed box's chunks are
    // authenticated, a format-1 box's only deciphered (it has nothing to check them against).
    // With a Folder, each file is compared with the one it would be extracted to below Folder,
    // and files there that the box lacks count too: differences gets one line for each. Read
    // or BadHeader; returns early once Global::StopRequested is set. Raises VaulnixError
    // (damaged) for a chunk that does not authenticate or a box cut short, and as ViewBlock
    // does.
    ReadResult VerifyBlock(const QString &BlockFile, const QString &Password, const QString &Folder,
                           QStringList &differences);

signals:
    void RemoveDirectory();
    void ShredFile(qint32 FileIndex, qint32 FileCount, const QString &Filename, qint64 BytesLeft,
                   qint64 FileSize);
    void CreatingFileBlock();
    void BuildingHeader(qint32 Current, qint32 Total);
    void AddingToBlock(const QString &Filename);
    void CreatingBlock();
    void CipherProgress(qint32 Rate, qint64 BytesDone, qint64 TotalBytes, qint64 FileBytesLeft,
                        qint64 FileSize, const QString &Filename);

private:
    struct PackedFile
    {
        QString path;
        qint64 size = 0;
        qint32 folderIndex = 0;
    };

    void pump();
    // pump, for a helper thread's queue to call while this thread waits on it; nothing without one.
    std::function<void()> pumpWhileWaiting();
    bool stopRequested() const;
    static void requirePassword(const QString &Password);
    qint32 rate(qint64 milliseconds) const;
    // Opens BlockFile, tells its format, derives its key (pumping) and reads its header into
    // the catalogue: Read leaves the box open under readHandle, BadHeader closed.
    ReadResult openBox(const QString &BlockFile, const QString &Password);
    // A new box in the write format, its key derived ahead.
    std::future<void> startWriting(const QString &Password);
    WriteResult writeBox(const QString &BlockFile, BoxCatalogue &plan,
                         const std::vector<PackedFile> &packed, std::future<void> &keyReady);
    BoxCatalogue plannedBox(const QString &BlockName, const std::vector<PackedFile> &packed,
                            bool folderBox) const;
    void refuseCaseClashes() const;
    void refuseFileFolderClashes() const;
    void AddFileBlock(const PackedFile &file, ChunkTransform &transform, QFileDevice &box);
    // Seals n bytes of data (room for the transform's growth behind them) into the box.
    void encipherInto(QFileDevice &box, ChunkTransform &transform, qint64 index, char *data,
                      qint64 n, bool last);
    void reportWritten(qint64 n, qint64 left, const PackedFile &file);
    // Counts n more deciphered bytes and raises their progress event: against the whole box, or
    // against the one file of a selective extraction.
    void reportDeciphered(qint64 n, qint64 fileDone, qint64 left, qint64 size, bool wholeBox,
                          const QString &shownName);
    void addPrefetched(const PackedFile &file, FilePrefetcher::Item item, ChunkTransform &transform,
                       QFileDevice &box);
    static VaulnixError changedWhilePacked(const PackedFile &file);
    // Raises the error an outcome other than Done stands for.
    static void requireDone(ChunkTransform::Outcome outcome, const QString &BlockFile,
                            const QString &file);
    void extractSmall(const QString &target, const BoxCatalogue::File &file,
                      ChunkTransform &transform, FileWriter &writer);
    // Hands the gathered batch to the box's writer.
    void flushStaged();
    // The same, and waits until everything handed over is written.
    void drainStaged();
    // False when a stop came first.
    bool verifyBox(const QString &BlockFile, const std::vector<PackedFile> &packed);
    void shredFiles(const QStringList &paths);
    void shredOne(const QString &path, qint32 index, qint32 count);
    void removePackedFolders();
    std::vector<PackedFile> scanFolder(const QString &BlockFile);
    static void requireBox(const QString &BlockFile);
    static void refuseOverwritingBox(const QString &BlockFile, const QString &target,
                                     qint64 position);
    QString extractTarget(const BoxCatalogue::File &file) const;
    // True when the whole file was written (false when a stop cut it short).
    bool decipherTo(const QString &target, const BoxCatalogue::File &file,
                    ChunkTransform &transform, bool wholeBox, const QString &shownName);

    // Files of more than one chunk go through the pipeline: reading and the transform on its
    // thread; writing, events, pumping and the stop checks on this one.
    void addPiped(const PackedFile &file, ChunkTransform &transform, NativeFile &source,
                  QFileDevice &box);
    bool decipherPiped(TargetFile &out, const QString &target, const BoxCatalogue::File &file,
                       ChunkTransform &transform, bool wholeBox, const QString &shownName);
    // Writes each chunk with write on a thread of its own and reports it with report (plain
    // bytes, plain bytes left) on this one, which pumps meanwhile; the next chunk is written only
    // once the last is reported, so a stop or a re-key from a handler takes effect at once.
    bool pipeChunks(qint64 size, const QString &BlockFile, const QString &fileName,
                    ChunkTransform &transform, bool sealing, ChunkPipeline::Reader read,
                    const std::function<void(const char *data, qint64 n)> &write,
                    const std::function<void(qint64 plain, qint64 left)> &report);
    // Derives format's key for Password on another thread; the keyed state is left alone.
    static std::future<void> deriveKeyAhead(BoxFormat &format, const QString &Password);
    void waitPumping(std::future<void> &ready);

    CCipher cipher;
    CTick rateTick;
    std::function<void()> pumpMessages;
    BoxFormatId writeFormat = BoxFormatId::Plain;

    QString rootPath;
    QStringList directories;
    QHash<QString, qint32> directoryIndex; // entry -> 1-based position
    QList<QStringList> directoryFolders;   // real folders behind each entry, for shredding
    QStringList fileList;
    std::vector<PackedFile> scanned; // what the scan found, for the writer
    QString excludedPath;
    std::unique_ptr<BoxFormat> format; // of the box being read or written
    BoxCatalogue catalogue;
    qint64 totalBytes = 0;
    qint64 bytesDone = 0;
    qint64 rateBytes = 0;
    qint64 dirChars = 0;
    qint32 dirCount = 0;
    bool lastFileComplete = false;
    bool shredStarted = false;
    std::unique_ptr<QFile> readHandle;
    std::unique_ptr<ChunkPipeline> pipeline;
    QByteArray chunk;                   // one chunk of file data, reused from file to file
    QByteArray staged;                  // enciphered small files waiting to be written together
    BoxWriteQueue *boxWrites = nullptr; // the box's writer while one is written
};
