// libFuzzer target: the input is a box file. It is listed, extracted file by file and
// extracted whole with shredding asked for, under the password of the known-answer boxes.
// Any crash, sanitizer report, file outside the extraction folders, or broken promise of the
// reader (a box accepted by one operation and refused by another, a box shredded after an
// incomplete extraction) ends the run with the input saved.

#include "BoxPlainText.h"
#include "cli/BoxListing.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "core/VaulnixError.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

namespace {

const QString Password = QStringLiteral("vaulnix-test-vector");

class SilentPrompt : public Prompt
{
public:
    Answer message(const QString &, Buttons, Icon, const QString &) override { return Ok; }
};

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "fuzz: %s\n", qUtf8Printable(why));
    std::abort();
}

// The one folder the target may touch: the box file and two extraction folders. After each
// input it must hold nothing else.
struct Workspace
{
    Workspace()
        : dir(QDir::tempPath() + QStringLiteral("/vaulnix-fuzz-XXXXXX"))
        , box(dir.filePath(QStringLiteral("box.vlx")))
        , whole(dir.filePath(QStringLiteral("whole")))
        , selection(dir.filePath(QStringLiteral("selection")))
    {
        if (!dir.isValid())
            fail(QStringLiteral("cannot make a workspace in %1").arg(QDir::tempPath()));
    }

    void writeBox(const uint8_t *data, size_t size) const
    {
        QFile file(box);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            fail(QStringLiteral("cannot write %1").arg(box));
    }

    // Fails, naming the intruder, when anything but the box and the two folders is there;
    // then empties the workspace for the next input.
    void checkAndClear() const
    {
        for (const QFileInfo &entry : QDir(dir.path())
                                          .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot)) {
            const QString path = entry.absoluteFilePath();
            const bool ours = !entry.isSymLink() &&
                              (path == box ? entry.isFile()
                                           : (path == whole || path == selection) && entry.isDir());
            if (!ours)
                fail(QStringLiteral("%1 was written outside the extraction folders").arg(path));
            if (path != box && !QDir(path).removeRecursively())
                fail(QStringLiteral("cannot clear %1").arg(path));
        }
    }

    QTemporaryDir dir;
    QString box;
    QString whole;     // extraction of the whole box
    QString selection; // one file at a time
};

Workspace &workspace()
{
    static Workspace instance;
    return instance;
}

const QByteArray &keystream(size_t size)
{
    static QByteArray stream;
    if (size_t(stream.size()) < size) {
        CCipher cipher;
        cipher.Initilize(Password);
        stream = cipher.Cipher(QByteArray(qsizetype(std::max<size_t>(size, 65536)), '\0'));
        cipher.Clear();
    }
    return stream;
}

// Every path the box names must stay below the folder it is extracted into.
void checkTargets(const CCipherBlock &engine, const QString &folder)
{
    const QString inside = folder + QLatin1Char('/');
    const BoxRecords records = BoxRecords::of(engine);
    for (const BoxRecords::Record &record : records.records()) {
        if (!QDir::cleanPath(inside + record.relativePath).startsWith(inside))
            fail("a record points outside the extraction folder");
    }
    const QStringList &entries = engine.Directories();
    for (qsizetype k = 1; k < entries.size(); ++k) {
        QString entry = entries.at(k);
        entry.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!QDir::cleanPath(inside + entry).startsWith(inside))
            fail("a directory entry points outside the extraction folder");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static SilentPrompt prompt;
    Prompt::install(&prompt);
    workspace();
    keystream(65536);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Workspace &w = workspace();
    w.writeBox(data, size);
    Global::StopRequested = 0;
    Global::DialogShred = 0;
    Global::CurrentUserPassword = Password;

    CCipherBlock engine;
    const qint16 listed = engine.ViewBlock(w.box, Password);
    if (listed == CCipherBlock::Read) {
        checkTargets(engine, w.whole);
        (void)BoxListing::format(engine);
    }

    qint16 opened = -1;
    try {
        opened = engine.DynamicExtractBlock(w.box, w.selection, Password);
        if (opened == CCipherBlock::Read) {
            for (qint32 i = 1; i <= engine.Files().size(); ++i)
                engine.DynamicExtractToFile(i, w.selection);
        }
    } catch (const VaulnixError &) {
        // a name the file system refuses, a file where a folder must go: reported, not fatal
    }
    engine.DynamicClose();

    Global::DialogShred = 1;
    qint16 extracted = -1;
    try {
        extracted = engine.ExtractBlock(w.box, w.whole, Password);
    } catch (const VaulnixError &) {
    }
    Global::DialogShred = 0;
    Global::CurrentUserPassword.clear();

    constexpr qint16 Bad = CCipherBlock::BadHeader;
    if ((listed == Bad) != (opened == Bad) || (listed == Bad) != (extracted == Bad))
        fail("the reader accepted a box in one operation and refused it in another");
    if (listed == Bad && (QFileInfo::exists(w.whole) || QFileInfo::exists(w.selection)))
        fail("a refused box created something");
    const bool done = extracted == CCipherBlock::Extracted;
    if (QFileInfo::exists(w.box) == done)
        fail(done ? "a completely extracted box was not shredded"
                  : "a box was shredded after an incomplete extraction");
    w.checkAndClear();
    return 0;
}

// Mutates the plain form of the box most of the time, so names, tables and lengths change
// while the ciphering stays right; now and then the raw bytes, as damage on disk would.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize,
                                          unsigned int seed)
{
    if (seed % 4 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    const QByteArray &stream = keystream(maxSize);
    BoxPlainText::toggle(data, size, stream, true);
    const size_t mutated = LLVMFuzzerMutate(data, size, maxSize);
    BoxPlainText::toggle(data, mutated, stream, false);
    return mutated;
}
