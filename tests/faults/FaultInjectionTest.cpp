// Every file-system call a pack, an extraction, a shred and a profile save make is failed in turn,
// and the program is killed at every write-side call of a pack and an extraction; after each, what
// is on disk must be the old state or the new one, never a mix that loses data.
#include "FakeConsole.h"
#include "FsFaultControl.h"
#include "TestSupport.h"
#include "actions/Actions.h"
#include "cli/VaulnixCli.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"
#include "engine/TargetFile.h"
#include "profiles/UserManagement.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
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

Tree sources()
{
    QByteArray big(3 * CCipherBlock::ChunkBytes + 77, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) >> 5);
    return {{"a.txt", "alpha"},
            {"empty", ""},
            {"big.bin", big},
            {"sub/b.txt", "beta"},
            {"sub/deep/c.txt", "gamma"}};
}

Tree olderSources()
{
    Tree tree = sources();
    for (auto &[name, content] : tree)
        content = "older " + name.toUtf8();
    return tree;
}

void lay(const QString &root, const Tree &tree)
{
    for (const auto &[name, content] : tree)
        writeFile(root + "/" + name, content);
}

// Files below root, relative, with their content.
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
    int error;
    int action;
};

constexpr unsigned AllOps =
    FsOpen | FsRead | FsWrite | FsSync | FsRename | FsList | FsStat | FsRemove | FsMkdir | FsClose;
constexpr unsigned WriteSide = FsWrite | FsSync | FsRename | FsRemove | FsMkdir;

const Fault Faults[] = {
    {"open", FsOpen, EACCES, FsFail},   {"read", FsRead, EIO, FsFail},
    {"write", FsWrite, ENOSPC, FsFail}, {"short write", FsWrite, ENOSPC, FsShortWrite},
    {"sync", FsSync, EIO, FsFail},      {"rename", FsRename, EIO, FsFail},
    {"list", FsList, EIO, FsFail},      {"stat", FsStat, EIO, FsFail},
    {"remove", FsRemove, EIO, FsFail},  {"mkdir", FsMkdir, EACCES, FsFail},
    {"close", FsClose, EIO, FsFail},    {"dead disk", AllOps, EIO, FsFailFromThenOn},
};

// The kinds of call whose failure must be named in the message with the system's words.
constexpr unsigned NamedOps = FsOpen | FsRead | FsWrite | FsSync | FsList | FsMkdir;

enum class Job { Pack, PackOverOld, Extract, ExtractOverOld };

struct Scenario
{
    const char *name;
    Job job;
    bool shred;
    // The syncs (bit k: the k-th) that come before anything is shredded: the box (Qt's own sync
    // that follows is one more, whose failure it ignores) and its folder, or the file system the
    // files went to. Should one fail, nothing may be shredded.
    unsigned syncsFirst = 0;
};

const Scenario Scenarios[] = {
    {"pack", Job::Pack, false},
    {"pack over an old box, shredding", Job::PackOverOld, true, 1u << 1 | 1u << 3},
    {"extract into an empty folder", Job::Extract, false},
    {"extract over an older tree", Job::ExtractOverOld, false},
    {"extract, shredding the box", Job::Extract, true, 1u << 1},
};

class FileSystemFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fault.loaded())
            GTEST_SKIP() << "needs the fault library preloaded";
        const QString scratch = tmp.filePath("scratch");
        // Boxes are made the same way every time: a box of the same folder is the same bytes.
        lay(scratch + "/new/src", sources());
        lay(scratch + "/old/src", olderSources());
        for (const char *which : {"new", "old"})
            ASSERT_EQ(engine.CreateBlock(scratch + "/" + which + ".vlx", "src", Password,
                                         scratch + "/" + which + "/src", 0),
                      CCipherBlock::Written);
        newBox = readFile(scratch + "/new.vlx");
        oldBox = readFile(scratch + "/old.vlx");
    }
    void TearDown() override
    {
        if (fault.loaded())
            fault.disarm();
        Global::StopRequested = 0;
    }

    QString ws() const { return tmp.filePath("ws"); }

    void prepare(const Scenario &s)
    {
        QDir(ws()).removeRecursively();
        switch (s.job) {
        case Job::Pack:
            lay(ws() + "/src", sources());
            break;
        case Job::PackOverOld:
            lay(ws() + "/src", sources());
            writeFile(ws() + "/box.vlx", oldBox);
            break;
        case Job::ExtractOverOld:
            lay(ws() + "/out", olderSources());
            [[fallthrough]];
        case Job::Extract:
            writeFile(ws() + "/box.vlx", newBox);
            break;
        }
    }

    int run(const Scenario &s)
    {
        const bool pack = s.job == Job::Pack || s.job == Job::PackOverOld;
        QStringList arguments{pack ? "create" : "extract", ws() + "/box.vlx",
                              ws() + (pack ? "/src" : "/out")};
        if (s.shred)
            arguments << "--shred";
        console = std::make_unique<FakeConsole>();
        console->input = Password + '\n';
        return VaulnixCli(*console, engine).run(arguments);
    }

    // What may be on disk after the job ended with status (after a crash: killed).
    void checkOutcome(const Scenario &s, int status, bool killed, bool mayLeaveTemporaries)
    {
        const bool pack = s.job == Job::Pack || s.job == Job::PackOverOld;
        const Tree now = found(ws());
        Tree rest = now; // what is left once every expected name is accounted for
        const QByteArray box = now.count("box.vlx") ? now.at("box.vlx") : QByteArray();
        rest.erase("box.vlx");
        if (pack) {
            const bool boxNew = box == newBox;
            EXPECT_TRUE(boxNew ||
                        (s.job == Job::PackOverOld ? box == oldBox : !now.count("box.vlx")))
                << "the box is neither the old one nor the complete new one";
            for (const auto &[name, content] : sources()) {
                const QString path = "src/" + name;
                const bool there = now.count(path) && now.at(path) == content;
                // Shredding overwrites before it deletes: either way the box must be whole.
                EXPECT_TRUE(there || (s.shred && boxNew))
                    << path.toStdString() << " lost without a complete box";
                rest.erase(path);
            }
            if (status == 0 && !killed) {
                EXPECT_TRUE(boxNew);
            }
        } else {
            const Tree want = sources(), older = olderSources();
            bool whole = true;
            for (const auto &[name, content] : want) {
                const QString path = "out/" + name;
                const bool isNew = now.count(path) && now.at(path) == content;
                const bool isOld = s.job == Job::ExtractOverOld && now.count(path) &&
                                   now.at(path) == older.at(name);
                EXPECT_TRUE(isNew || isOld || !now.count(path))
                    << path.toStdString() << " is cut short or mixed";
                whole = whole && isNew;
                rest.erase(path);
            }
            EXPECT_TRUE(box == newBox || (s.shred && whole)) << "the box went before its files";
            if (status == 0 && !killed) {
                EXPECT_TRUE(whole && (s.shred ? !now.count("box.vlx") : box == newBox));
            }
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
        if (s.job == Job::Extract || s.job == Job::ExtractOverOld)
            return readFile(ws() + "/box.vlx") == newBox;
        Tree now = found(ws() + "/src");
        return now == sources();
    }

    FsFaultControl fault;
    QTemporaryDir tmp;
    CCipherBlock engine;
    std::unique_ptr<FakeConsole> console;
    QByteArray newBox, oldBox;
};

} // namespace

TEST_F(FileSystemFaults, EveryFailedCallLeavesTheOldStateOrTheNewAndSaysWhy)
{
    const QByteArray prefix = QFile::encodeName(ws());
    int points = 0;
    for (const Scenario &s : Scenarios) {
        for (const Fault &f : Faults) {
            SCOPED_TRACE(std::string(s.name) + ", " + f.name);
            prepare(s);
            fault.arm(prefix.constData(), f.ops, 0, f.error, f.action);
            ASSERT_EQ(run(s), 0) << console->errors.str();
            const long calls = fault.count();
            fault.disarm();
            // Worker threads may order their calls differently from run to run: a few more.
            for (long at = 1; at <= calls + 2; ++at) {
                SCOPED_TRACE("call " + std::to_string(at) + " of " + std::to_string(calls));
                prepare(s);
                fault.arm(prefix.constData(), f.ops, at, f.error, f.action);
                const int status = run(s);
                const bool fired = fault.fired();
                fault.disarm();
                if (!fired) {
                    EXPECT_EQ(status, 0) << console->errors.str();
                    checkOutcome(s, status, false, false);
                    continue;
                }
                ++points;
                // Success after a fault is right only where the job got round it (a read tried
                // again, another way to make a file): then the new state must be whole.
                const std::string message = console->errors.str();
                EXPECT_EQ(status != 0, !message.empty()) << message;
                if (status != 0 && (f.ops & NamedOps) && f.action != FsFailFromThenOn) {
                    EXPECT_NE(message.find(std::strerror(f.error)), std::string::npos) << message;
                }
                checkOutcome(s, status, false, (f.ops & FsRemove) != 0);
                const bool beforeShredding = f.ops == FsSync && at < 32 && (s.syncsFirst >> at & 1);
                EXPECT_TRUE(!beforeShredding || nothingShredded(s))
                    << "shredded before the copy was on disk";
            }
        }
    }
    std::printf("failure points tried: %d\n", points);
    EXPECT_GT(points, 500);
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
    Global::DefaultFolder = "/data/";
    Actions::AddAction(1, "/b/one.vlx", "one", "/one", 0, 1, "");
    ASSERT_TRUE(UserManagement::SaveProfile());
    const QString profile = UserManagement::ProfilePath("anna");
    const QByteArray saved = readFile(profile);
    Actions::AddAction(2, "/b/two.vlx", "two", "/two", 1, 1, "");
    const QByteArray prefix = QFile::encodeName(ws());
    int points = 0;
    for (const Fault &f : Faults) {
        fault.arm(prefix.constData(), f.ops, 0, f.error, f.action);
        UserManagement::SaveProfile();
        const long calls = fault.count();
        fault.disarm();
        for (long at = 1; at <= calls; ++at, ++points) {
            writeFile(profile, saved);
            fault.arm(prefix.constData(), f.ops, at, f.error, f.action);
            const bool ok = UserManagement::SaveProfile();
            fault.disarm();
            const QByteArray now = readFile(profile);
            EXPECT_TRUE(now == saved || ok) << f.name << " call " << at;
            if (now != saved) { // the new profile, whole
                ASSERT_TRUE(UserManagement::LoadProfile("anna", "anna-pw"));
                EXPECT_EQ(Actions::UserActions.Count(), 2) << f.name << " call " << at;
            }
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
    const Scenario cases[] = {{"extract", Job::Extract, false},
                              {"extract over an older tree", Job::ExtractOverOld, true},
                              {"pack over an old box", Job::PackOverOld, true}};
    const QString library = QStringLiteral(VAULNIX_FSFAULT_LIBRARY);
    writeFile(tmp.filePath("pw"), Password + '\n');
    int points = 0;
    for (const Scenario &s : cases) {
        SCOPED_TRACE(s.name);
        const bool pack = s.job == Job::PackOverOld;
        const auto runKilledAt = [&](long at) {
            prepare(s);
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("LD_PRELOAD", library);
            env.insert("VAULNIX_FSFAULT_PATH", ws());
            env.insert("VAULNIX_FSFAULT_OPS", QString::number(WriteSide));
            env.insert("VAULNIX_FSFAULT_AT", QString::number(at));
            env.insert("VAULNIX_FSFAULT_ACTION", "kill");
            env.insert("VAULNIX_FSFAULT_REPORT", tmp.filePath("report"));
            cli.setProcessEnvironment(env);
            QStringList arguments{pack ? "create" : "extract", ws() + "/box.vlx",
                                  ws() + (pack ? "/src" : "/out"), "--password-file",
                                  tmp.filePath("pw")};
            if (s.shred)
                arguments << "--shred";
            QFile::remove(tmp.filePath("report"));
            cli.start(QStringLiteral(VAULNIX_CLI), arguments);
            EXPECT_TRUE(cli.waitForFinished(60000));
            const bool killed = cli.exitStatus() == QProcess::CrashExit;
            checkOutcome(s, killed ? -1 : cli.exitCode(), killed, killed);
            return killed;
        };
        runKilledAt(0);
        const QByteArray report = readFile(tmp.filePath("report"));
        const long calls = report.split(' ').value(1).toLong();
        ASSERT_GT(calls, 5) << report.constData();
        constexpr long Spread = 24;
        for (long i = 0; i < std::min(calls, Spread); ++i) {
            const long at = 1 + i * (calls - 1) / std::max(1L, std::min(calls, Spread) - 1);
            SCOPED_TRACE("killed at call " + std::to_string(at) + " of " + std::to_string(calls));
            EXPECT_TRUE(runKilledAt(at));
            ++points;
        }
    }
    std::printf("kill points tried: %d\n", points);
}
