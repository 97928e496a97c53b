// Every file-system call a pack, an extraction, a shred and a profile save make is failed in turn,
// and the program is killed at every write-side call of a pack and an extraction; after each, what
// is on disk must be the old state or the new one, never a mix that loses data.
#include "FakeConsole.h"
#include "FsFault.h"
#include "TestSupport.h"
#include "actions/Actions.h"
#include "cli/VaulnixCli.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"
#include "engine/TargetFile.h"
#include "profiles/UserManagement.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <map>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

using Tree = std::map<QString, QByteArray>; // relative path -> content
const QByteArray Password = "fault-pw";

Tree sources(bool older = false)
{
    QByteArray big(3 * CCipherBlock::ChunkBytes + 77, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) >> 5);
    Tree tree{{"a.txt", "alpha"},
              {"empty", ""},
              {"big.bin", big},
              {"sub/b.txt", "beta"},
              {"sub/deep/c.txt", "gamma"}};
    for (auto &[name, content] : tree)
        content = older ? "older " + name.toUtf8() : content;
    return tree;
}

void lay(const QString &root, const Tree &tree)
{
    for (const auto &[name, content] : tree)
        writeFile(root + "/" + name, content);
}

Tree found(const QString &root)
{
    Tree tree;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        tree[QDir(root).relativeFilePath(file)] = readFile(file);
    }
    return tree;
}

struct Fault
{
    const char *name;
    unsigned ops;
    int error, action;
};
constexpr unsigned WriteSide = FsWrite | FsSync | FsRename | FsRemove | FsMkdir;
const Fault Faults[] = {
    {"open", FsOpen, EACCES, FsFail},   {"read", FsRead, EIO, FsFail},
    {"write", FsWrite, ENOSPC, FsFail}, {"short write", FsWrite, ENOSPC, FsShortWrite},
    {"sync", FsSync, EIO, FsFail},      {"rename", FsRename, EIO, FsFail},
    {"list", FsList, EIO, FsFail},      {"stat", FsStat, EIO, FsFail},
    {"remove", FsRemove, EIO, FsFail},  {"mkdir", FsMkdir, EACCES, FsFail},
    {"close", FsClose, EIO, FsFail},    {"dead disk", 1023, EIO, FsFailFromThenOn}};
// The kinds of call whose failure must be named in the message with the system's words.
constexpr unsigned NamedOps = FsOpen | FsRead | FsWrite | FsSync | FsList | FsMkdir;

struct Scenario
{
    const char *name;
    bool pack, overOld, shred;
    // The syncs (bit k: the k-th) that come before anything is shredded: the box (Qt's own sync
    // that follows is one more, whose failure it ignores) and its folder, or the file system the
    // files went to. Should one fail, nothing may be shredded.
    unsigned syncsFirst = 0;
};
const Scenario Scenarios[] = {
    {"pack", true, false, false},
    {"pack over an old box, shredding", true, true, true, 1u << 1 | 1u << 3},
    {"extract into an empty folder", false, false, false},
    {"extract over an older tree", false, true, false},
    {"extract, shredding the box", false, false, true, 1u << 1}};

class FileSystemFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Boxes are made the same way every time: a box of the same folder is the same bytes.
        for (const bool older : {false, true}) {
            const QString scratch = tmp.filePath(older ? "old" : "new");
            lay(scratch + "/src", sources(older));
            ASSERT_EQ(engine.CreateBlock(scratch + ".vlx", "src", Password, scratch + "/src", 0),
                      CCipherBlock::Written);
            (older ? oldBox : newBox) = readFile(scratch + ".vlx");
        }
    }
    void TearDown() override
    {
        vaulnix_fsfault_disarm();
        Global::StopRequested = 0;
    }

    QString ws() const { return tmp.filePath("ws"); }
    QStringList arguments(const Scenario &s) const
    {
        QStringList list{s.pack ? "create" : "extract", ws() + "/box.vlx",
                         ws() + (s.pack ? "/src" : "/out")};
        return s.shred ? list << "--shred" : list;
    }
    void prepare(const Scenario &s)
    {
        QDir(ws()).removeRecursively();
        if (s.pack)
            lay(ws() + "/src", sources());
        if (!s.pack && s.overOld)
            lay(ws() + "/out", sources(true));
        if (!s.pack || s.overOld)
            writeFile(ws() + "/box.vlx", s.pack ? oldBox : newBox);
    }
    int run(const Scenario &s)
    {
        console = std::make_unique<FakeConsole>();
        console->input = Password + '\n';
        return VaulnixCli(*console, engine).run(arguments(s));
    }

    // What may be on disk after the job ended with status (after a crash: killed).
    void checkOutcome(const Scenario &s, int status, bool killed, bool mayLeaveTemporaries)
    {
        Tree rest = found(ws()); // what is left once every expected name is accounted for
        const bool hasBox = rest.count("box.vlx");
        const QByteArray box = hasBox ? rest.at("box.vlx") : QByteArray();
        rest.erase("box.vlx");
        const bool done = status == 0 && !killed;
        bool whole = true; // every file of the job's other side is complete
        for (const auto &[name, content] : sources()) {
            const QString path = (s.pack ? "src/" : "out/") + name;
            const bool isNew = rest.count(path) && rest.at(path) == content;
            const bool isOld =
                s.overOld && !s.pack && rest.count(path) && rest.at(path) == sources(true).at(name);
            // Shredding overwrites before it deletes: either way the box must be whole.
            if (s.pack)
                EXPECT_TRUE(isNew || (s.shred && box == newBox)) << path.toStdString() << " lost";
            else
                EXPECT_TRUE(isNew || isOld || !rest.count(path)) << path.toStdString() << " cut";
            whole = whole && isNew;
            rest.erase(path);
        }
        if (s.pack) {
            EXPECT_TRUE(box == newBox || (s.overOld ? box == oldBox : !hasBox)) << "a mixed box";
            EXPECT_TRUE(!done || box == newBox);
        } else {
            EXPECT_TRUE(box == newBox || (s.shred && whole)) << "the box went before its files";
            EXPECT_TRUE(!done || (whole && (s.shred ? !hasBox : box == newBox)));
        }
        // Whatever else is there is a part file the program could not remove, or a crash left.
        for (const auto &[name, content] : rest) {
            const QString file = QFileInfo(name).fileName();
            EXPECT_TRUE(mayLeaveTemporaries &&
                        (file.startsWith(TargetFile::PartPrefix) || file.startsWith("box.vlx.")))
                << "unexpected " << name.toStdString();
        }
    }
    bool nothingShredded(const Scenario &s) const
    {
        return s.pack ? found(ws() + "/src") == sources() : readFile(ws() + "/box.vlx") == newBox;
    }

    QTemporaryDir tmp;
    CCipherBlock engine;
    std::unique_ptr<FakeConsole> console;
    QByteArray newBox, oldBox;
};

} // namespace

TEST_F(FileSystemFaults, EveryFailedCallLeavesTheOldStateOrTheNewAndSaysWhy)
{
    const QByteArray prefix = QFile::encodeName(ws());
    int points = 0, injected[std::size(Faults)] = {}; // faults that fired, of each kind
    for (const Scenario &s : Scenarios) {
        for (const Fault &f : Faults) {
            SCOPED_TRACE(std::string(s.name) + ", " + f.name);
            prepare(s);
            vaulnix_fsfault_arm(prefix.constData(), f.ops, 0, f.error, f.action);
            ASSERT_EQ(run(s), 0) << console->errors.str();
            const long calls = vaulnix_fsfault_count();
            vaulnix_fsfault_disarm();
            // Worker threads may order their calls differently from run to run: a few more.
            for (long at = 1; at <= calls + 2; ++at) {
                SCOPED_TRACE("call " + std::to_string(at) + " of " + std::to_string(calls));
                prepare(s);
                vaulnix_fsfault_arm(prefix.constData(), f.ops, at, f.error, f.action);
                const int status = run(s);
                const bool fired = vaulnix_fsfault_fired();
                vaulnix_fsfault_disarm();
                points += fired, injected[&f - Faults] += fired;
                // Success after a fault is right only where the job got round it (a read tried
                // again, another way to make a file): then the new state must be whole.
                const std::string message = console->errors.str();
                EXPECT_TRUE(fired || status == 0) << message;
                EXPECT_EQ(status != 0, !message.empty()) << message;
                EXPECT_TRUE(status == 0 || !(f.ops & NamedOps) || f.action == FsFailFromThenOn ||
                            message.find(std::strerror(f.error)) != std::string::npos)
                    << message;
                checkOutcome(s, status, false, fired && (f.ops & FsRemove));
                const bool beforeShredding = f.ops == FsSync && at < 32 && (s.syncsFirst >> at & 1);
                EXPECT_TRUE(!beforeShredding || nothingShredded(s)) << "shredded before a sync";
            }
        }
    }
    EXPECT_GT(points, 500);
    for (const Fault &f : Faults)
        EXPECT_GT(injected[&f - Faults], 0) << f.name << " was never injected";
}

TEST_F(FileSystemFaults, AWriteTheSystemHoldsUpNeverHoldsUpTheWindow)
{
    // A write held until a pump lets it go, which a window whose thread waited on it would never
    // get to: one of big.bin's chunks (the third write); or the first, the box's header or a.txt
    // extracted, whose writer thread the engine waits for before big.bin.
    const QByteArray prefix = QFile::encodeName(ws());
    bool releasedByPump = false;
    engine.setPump([&] { releasedByPump = vaulnix_fsfault_release() || releasedByPump; });
    for (const auto &[s, write] :
         {std::pair{Scenarios[0], 3}, {Scenarios[0], 1}, {Scenarios[2], 3}, {Scenarios[2], 1}}) {
        SCOPED_TRACE(std::string(s.name) + ", write " + std::to_string(write));
        prepare(s);
        releasedByPump = false;
        vaulnix_fsfault_arm(prefix.constData(), FsWrite, write, 0, FsHold);
        EXPECT_EQ(run(s), 0) << console->errors.str();
        EXPECT_TRUE(vaulnix_fsfault_fired() && releasedByPump);
        vaulnix_fsfault_disarm();
        checkOutcome(s, 0, false, false);
    }
    engine.setPump(nullptr);
}

TEST_F(FileSystemFaults, AFailedProfileSaveKeepsTheSavedProfile)
{
    RecordingPrompt prompt;
    UserManagement::SetClearUser(Actions::RemoveAllActions);
    UserManagement::OpenProfileStore();
    QDir().mkpath(ws());
    UserManagement::ListProfiles(ws());
    Global::CurrentUserName = "anna";
    Global::CurrentUserPassword = "anna-pw";
    Actions::AddAction(1, "/b/one.vlx", "one", "/one", 0, 1, "");
    ASSERT_TRUE(UserManagement::SaveProfile());
    const QString profile = UserManagement::ProfilePath("anna");
    const QByteArray saved = readFile(profile);
    Actions::AddAction(2, "/b/two.vlx", "two", "/two", 1, 1, "");
    const QByteArray prefix = QFile::encodeName(ws());
    int points = 0;
    for (const Fault &f : Faults) {
        vaulnix_fsfault_arm(prefix.constData(), f.ops, 0, f.error, f.action);
        UserManagement::SaveProfile();
        const long calls = vaulnix_fsfault_count();
        vaulnix_fsfault_disarm();
        for (long at = 1; at <= calls; ++at) {
            writeFile(profile, saved);
            vaulnix_fsfault_arm(prefix.constData(), f.ops, at, f.error, f.action);
            const bool ok = UserManagement::SaveProfile();
            points += vaulnix_fsfault_fired();
            vaulnix_fsfault_disarm();
            if (readFile(profile) == saved)
                continue;
            EXPECT_TRUE(ok) << f.name << " call " << at; // then the new profile, whole
            ASSERT_TRUE(UserManagement::LoadProfile("anna", "anna-pw"));
            EXPECT_EQ(Actions::UserActions.Count(), 2) << f.name << " call " << at;
        }
    }
    EXPECT_GT(points, 10);
    UserManagement::SetClearUser({});
    Global::CurrentUserName.clear();
    Global::CurrentUserPassword.clear();
}

// The real program, killed at every write-side call (or an even spread of them) of an
// extraction of a file of many chunks and of a pack over an old box.
TEST_F(FileSystemFaults, AKilledProgramNeverLeavesAFileCutShortOrAShreddedOnlyCopy)
{
    writeFile(tmp.filePath("pw"), Password + '\n');
    for (const Scenario &s :
         {Scenarios[2], Scenario{"extract over an older tree, shredding", false, true, true},
          Scenarios[1]}) {
        SCOPED_TRACE(s.name);
        const auto runKilledAt = [&](long at) {
            prepare(s);
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("VAULNIX_FSFAULT_PATH", ws());
            env.insert("VAULNIX_FSFAULT_OPS", QString::number(WriteSide));
            env.insert("VAULNIX_FSFAULT_AT", QString::number(at));
            env.insert("VAULNIX_FSFAULT_ACTION", "kill");
            env.insert("VAULNIX_FSFAULT_REPORT", tmp.filePath("report"));
            cli.setProcessEnvironment(env);
            QFile::remove(tmp.filePath("report"));
            cli.start(VAULNIX_CLI, arguments(s) << "--password-file" << tmp.filePath("pw"));
            EXPECT_TRUE(cli.waitForFinished(60000));
            const bool killed = cli.exitStatus() == QProcess::CrashExit;
            checkOutcome(s, killed ? -1 : cli.exitCode(), killed, killed);
            return killed;
        };
        runKilledAt(0);
        const QByteArray report = readFile(tmp.filePath("report"));
        const long calls = report.split(' ').value(1).toLong(), spread = std::min(calls, 24L);
        ASSERT_GT(calls, 5) << report.constData();
        for (long i = 0; i < spread; ++i) {
            const long at = 1 + i * (calls - 1) / std::max(1L, spread - 1);
            SCOPED_TRACE("killed at call " + std::to_string(at) + " of " + std::to_string(calls));
            EXPECT_TRUE(runKilledAt(at));
        }
    }
}
