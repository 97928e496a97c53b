#include "TestHost.h"
#include "TestSupport.h"

#include "actions/ActionRunner.h"
#include "actions/Actions.h"
#include "core/Global.h"
#include "engine/BoxFormat.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// The runner on a reduced main window: real list, real engine, temporary folders.
class Runner : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Global::CurrentUserName = "anna";
        Global::CurrentUserPassword = "pw";
        Global::StopRequested = 0;
        runner.now = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 41)); };
    }
    void TearDown() override
    {
        Global::CurrentUserName.clear();
        Global::CurrentUserPassword.clear();
    }

    QString file(const QString &relative, const QByteArray &bytes = "data")
    {
        TestSupport::writeFile(tmp.filePath(relative), bytes);
        return tmp.filePath(relative);
    }
    QString kind(int i) const { return host.rows.row(i)->text(ActionListView::ActionColumn); }
    QString lastRan(int i) const { return host.rows.row(i)->text(ActionListView::LastRanColumn); }
    QString status() const { return host.statuses.value(host.statuses.size() - 1); }

    QTemporaryDir tmp;
    RecordingPrompt prompt;
    TestHost host;
    ActionRunner runner{host};
};

} // namespace

TEST_F(Runner, AFolderActionPacksThenUnpacksAndIsSavedAfterEachStep)
{
    file("Work/a.txt", "alpha");
    file("Work/sub/b.txt", "beta");
    const QString box = tmp.filePath("boxes/work.vlx");
    Actions::AddAction(1, box, "Work", tmp.filePath("Work"), 0, 1, "");

    runner.ProcessScript();
    EXPECT_TRUE(QFileInfo(box).isFile());
    EXPECT_EQ(kind(0), "Extract");
    EXPECT_TRUE(status().startsWith("Created in ")) << status().toStdString();
    EXPECT_EQ(lastRan(0), QLocale().toString(runner.now(), QLocale::ShortFormat));

    QDir(tmp.filePath("Work")).removeRecursively();
    runner.ProcessScript();
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("Work/sub/b.txt")), "beta");
    EXPECT_EQ(kind(0), "Create");
    EXPECT_TRUE(status().startsWith("Extracted in "));
    EXPECT_EQ(host.saves, 2);
    EXPECT_EQ(host.savesAskedWhileHeld, 0) << "never while the engine holds the cipher";
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.icon, 0);
}

// A step that fails, is refused or is stopped keeps its kind and its last-run time; the run goes
// on, and a success of either kind makes the create message.
TEST_F(Runner, FailedStepsKeepTheirKindsAndTheRunGoesOn)
{
    file("Src/x.txt", "x");
    const QString good = tmp.filePath("good.vlx");
    ASSERT_EQ(host.engine.CreateBlock(good, "Src", "pw", tmp.filePath("Src"), 0),
              CCipherBlock::Written);
    const QString foreign = tmp.filePath("foreign.vlx");
    ASSERT_EQ(host.engine.CreateBlock(foreign, "Src", "other", tmp.filePath("Src"), 0),
              CCipherBlock::Written);
    Actions::AddAction(1, tmp.filePath("e.vlx"), "empty folder", "", 0, 1, "then");
    Actions::AddAction(1, tmp.filePath("bad.vlx"), "missing", tmp.filePath("missing"), 0, 1, "");
    QFile huge(file("Huge/huge.bin", ""));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
    huge.close();
    Actions::AddAction(1, tmp.filePath("huge.vlx"), "too big", tmp.filePath("Huge"), 0, 1, "");
    Actions::AddAction(2, tmp.filePath("none.vlx"), "no box", tmp.filePath("Out"), 0, 1, "");
    Actions::AddAction(2, foreign, "wrong password", tmp.filePath("Out"), 0, 1, "");
    Actions::AddAction(7, good, "unknown kind", tmp.filePath("Out"), 0, 1, "");
    Actions::AddAction(2, good, "unchecked", tmp.filePath("Out"), 0, 0, "");
    Actions::AddAction(2, good, "good", tmp.filePath("Out"), 0, 1, "");

    runner.ProcessScript();
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("Out/x.txt")), "x");
    const QStringList expected = {"Create",  "Create", "Create",  "Extract",
                                  "Extract", "?",      "Extract", "Create"};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(kind(i), expected[i]) << host.rows.row(i)->text(0).toStdString();
    EXPECT_EQ(lastRan(0), "then");
    EXPECT_TRUE(lastRan(1).isEmpty());
    EXPECT_TRUE(status().startsWith("Created in ")) << "the extract's success counts";
    EXPECT_TRUE(prompt.messages.join('\n').contains(tmp.filePath("missing")));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("huge.vlx")));

    Actions::RemoveAllActions();
    Actions::AddAction(2, good, "good", tmp.filePath("Out"), 0, 1, "");
    Global::CurrentUserPassword.clear();
    runner.ProcessScript();
    EXPECT_EQ(status(), "Box not extracted") << "nobody logged on";
    EXPECT_EQ(kind(0), "Extract");
}

TEST_F(Runner, StartupAndShutdownForceCheckedRowsButFileListsOnlyCreate)
{
    const QString files = file("f/one.txt") + ";" + file("f/two.txt");
    Actions::AddAction(1, tmp.filePath("list.vlx"), "list", files, 0, 1, "");
    Actions::AddAction(1, tmp.filePath("w.vlx"), "w", tmp.filePath("w"), 0, 1, "");
    Actions::AddAction(1, tmp.filePath("u.vlx"), "u", tmp.filePath("u"), 0, 0, "");
    runner.StartupActions();
    EXPECT_EQ(kind(0), "Create") << "a list of files can only be packed";
    EXPECT_EQ(kind(1), "Extract");
    EXPECT_EQ(kind(2), "Create") << "unchecked";
    runner.ShutdownActions();
    EXPECT_EQ(kind(1), "Create");
    EXPECT_EQ(host.runsStarted, 2);
    EXPECT_EQ(host.saves, 2);

    runner.ProcessScript();
    runner.ProcessScript();
    EXPECT_EQ(kind(0), "Create") << "a file-list action stays a create action";
    EXPECT_TRUE(QFileInfo(tmp.filePath("list.vlx")).isFile());
}

TEST_F(Runner, ShredFollowsEachRowsOwnOption)
{
    file("A/a.txt", "a");
    file("B/b.txt", "b");
    file("C/c.txt", "c");
    ASSERT_EQ(CCipherBlock().CreateBlock(tmp.filePath("c.vlx"), "C", "pw", tmp.filePath("C"), 0),
              CCipherBlock::Written);
    Actions::AddAction(1, tmp.filePath("a.vlx"), "A", tmp.filePath("A"), 1, 1, "");
    Actions::AddAction(1, tmp.filePath("b.vlx"), "B", tmp.filePath("B"), 0, 1, "");
    Actions::AddAction(2, tmp.filePath("c.vlx"), "C", tmp.filePath("out"), 0, 1, "");
    runner.ProcessScript();
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("A/a.txt")));
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("B/b.txt")), "b");
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("out/c.txt")), "c");
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath("c.vlx"))) << "an extract row without Shred";
}

TEST_F(Runner, AStepWhoseShreddingFailedHalfwayStillTurnsRound)
{
    file("A/a.txt", "a");
    const QString b = file("A/b.txt", "b");
    Actions::AddAction(1, tmp.filePath("a.vlx"), "A", tmp.filePath("A"), 1, 1, "");
    // Once a.txt is shredded, b.txt becomes something that cannot be shredded.
    QObject::connect(&host.Engine(), &CCipherBlock::ShredFile, [&b](qint32 index, auto &&...) {
        if (index == 1 && QFile::remove(b))
            QDir().mkdir(b);
    });
    runner.ProcessScript();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains("Cannot shred " + b))
        << prompt.messages[0].toStdString();
    // The box is now the only copy of a.txt: packed again, the folder would replace it.
    EXPECT_EQ(kind(0), "Extract");
}

TEST_F(Runner, ARunWritesSealedWhenAskedAndNeverUnsealsABox)
{
    file("A/a.txt", "a");
    const QString box = tmp.filePath("a.vlx");
    Actions::AddAction(1, box, "A", tmp.filePath("A"), 0, 1, "");
    const auto pack = [&](bool sealed) {
        host.sealed = sealed;
        runner.ShutdownActions();
        runner.ProcessScript();
        return BoxFormat::formatOf(box);
    };
    EXPECT_EQ(pack(false), BoxFormatId::Plain);
    EXPECT_EQ(pack(false), BoxFormatId::Plain) << "a format-1 box stays format 1";
    EXPECT_EQ(pack(true), BoxFormatId::Sealed);
    EXPECT_EQ(pack(false), BoxFormatId::Sealed) << "no silent downgrade";
}

TEST_F(Runner, ClearAndCountActions)
{
    const qint32 first = Actions::AddAction(1, "/b/one.vlx", "one", "/one", 0, 1, "");
    Actions::AddAction(2, "/b/two.vlx", "two", "/two", 0, 1, "");
    EXPECT_EQ(runner.CountActionsText(),
              QStringLiteral("Count = 2\r\n\r\n%1 - /b/one.vlx\r\n%2 - /b/two.vlx\r\n")
                  .arg(first)
                  .arg(first + 1));
    runner.ClearAllActions();
    EXPECT_EQ(Actions::UserActions.Count(), 0);
    EXPECT_EQ(host.rows.rowCount(), 0);
    EXPECT_EQ(host.saves, 1);
}
