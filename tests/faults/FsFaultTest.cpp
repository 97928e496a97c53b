#include "FsFaultControl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Unbuffered: Qt's buffered save file commits after a failed final write.
bool save(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
           file.write(data) == data.size() && file.commit();
}

// Each kind of call with a Qt operation that makes it, false when Qt saw the failure.
const std::pair<unsigned, bool (*)(const QString &)> opCases[] = {
    {FsOpen, [](const QString &f) { return QFile(f + "/a").open(QIODevice::ReadOnly); }},
    {FsRead, [](const QString &f) { return readAll(f + "/a") == "old content"; }},
    {FsWrite, [](const QString &f) { return save(f + "/b", "new"); }},
    {FsSync,
     [](const QString &f) {
         QFile a(f + "/a");
         return a.open(QIODevice::ReadWrite) && ::fsync(a.handle()) == 0;
     }},
    {FsRename, [](const QString &f) { return save(f + "/a", "old content"); }},
    {FsList, [](const QString &f) { return QDir(f).entryList().contains("a"); }},
    {FsStat, [](const QString &f) { return QFileInfo(f + "/a").isFile(); }},
    {FsRemove, [](const QString &f) { return save(f + "/c", "x") && QFile::remove(f + "/c"); }},
    {FsMkdir, [](const QString &f) { return QDir(f).mkdir("d") && QDir(f).rmdir("d"); }},
    {FsClose,
     [](const QString &f) {
         QFile a(f + "/a");
         a.open(QIODevice::ReadOnly), a.close();
         return a.error() == QFileDevice::NoError;
     }},
};

class FsFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fault.loaded()) << "run with LD_PRELOAD of the fault library";
        ASSERT_TRUE(QDir(root.path()).mkpath("w") && save(file, "old content"));
    }
    void TearDown() override { fault.disarm(); }
    void arm(unsigned ops, long at, int error = EIO, int action = FsFail)
    {
        fault.arm(watched.toLocal8Bit().constData(), ops, at, error, action);
    }

    FsFaultControl fault;
    QTemporaryDir root;
    QString watched = root.path() + "/w";
    QString file = watched + "/a";
};

// Counted through Qt, the first call fails the Qt operation; paths that only begin like the
// folder are not counted.
TEST_F(FsFaultTest, EachKindFailsAtTheChosenCall)
{
    for (const auto &[op, run] : opCases) {
        SCOPED_TRACE(op);
        arm(op, 0);
        ASSERT_TRUE(run(watched));
        ASSERT_TRUE(fault.count() >= 1 && !fault.fired());
        arm(op, 1);
        EXPECT_TRUE(!run(watched) && fault.fired());
    }
    arm(~0u, 1);
    const QString other = watched + "x";
    EXPECT_TRUE(save(other, "data") && readAll(other) == "data" && QFile::remove(other));
    EXPECT_EQ(fault.count(), 0);
}

// A dead disk keeps failing, a short write writes half, a kill ends the process at the call.
TEST_F(FsFaultTest, EachActionDoesWhatItSays)
{
    arm(FsOpen | FsStat, 2, EIO, FsFailFromThenOn);
    EXPECT_TRUE(QFileInfo(file).exists());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(QFile(file).open(QIODevice::ReadOnly));
    EXPECT_EQ(fault.count(), 4);
    fault.disarm();

    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    arm(FsWrite, 1, ENOSPC, FsShortWrite);
    EXPECT_TRUE(out.write("0123456789") != 10 && fault.count() == 2);
    fault.disarm();
    EXPECT_EQ(readAll(file), "01234");

    const pid_t child = fork();
    if (child == 0) {
        arm(FsOpen, 1, EIO, FsKill);
        QFile(file).open(QIODevice::ReadOnly);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

// A child process is armed through its environment and reports its count in a file.
TEST_F(FsFaultTest, EnvironmentArmsAChildAndReports)
{
    const QString report = root.path() + "/report";
    // The exit status of cat, then the report.
    auto cat = [&](const char *at) {
        const QString command = QString("VAULNIX_FSFAULT_PATH='%1' VAULNIX_FSFAULT_OPS=read,open "
                                        "VAULNIX_FSFAULT_AT=%2 VAULNIX_FSFAULT_ERRNO=EACCES "
                                        "VAULNIX_FSFAULT_REPORT='%3' sh -c 'cat \"%4\"' 2>&1")
                                    .arg(watched, at, report, file);
        const int status = WEXITSTATUS(std::system(command.toLocal8Bit().constData()));
        return QByteArray::number(status) + " " + readAll(report);
    };
    EXPECT_EQ(cat("0"), "0 count 3 fired 0\n");
    EXPECT_EQ(cat("2"), "1 count 2 fired 1\n");
}

} // namespace
