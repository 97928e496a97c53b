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
        std::tie(Global::CurrentUserName, Global::CurrentUserPassword) = std::pair("anna", "pw");
        Global::StopRequested = 0;
        runner.now = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 41)); };
    }
    void TearDown() override
    {
        Global::CurrentUserName.clear(), Global::CurrentUserPassword.clear();
    }

    QString file(const QString &relative, const QByteArray &bytes = "data")
    {
        TestSupport::writeFile(tmp.filePath(relative), bytes);
        return tmp.filePath(relative);
    }
    QString kind(int i) const { return host.rows.row(i)->text(ActionListView::ActionColumn); }
    QStringList kinds() const
    {
        QStringList out;
        for (int i = 0; i < host.rows.rowCount(); ++i)
            out << kind(i);
        return out;
    }
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
    // Saved twice, never while the engine holds the cipher.
    EXPECT_EQ(std::tuple(host.saves, host.savesAskedWhileHeld, host.busy, host.icon),
              std::tuple(2, 0, false, qint16(0)));
}

// A step that fails, is refused or is stopped keeps its kind and its last-run time; the run goes
// on, and a success of either kind makes the create message.
TEST_F(Runner, FailedStepsKeepTheirKindsAndTheRunGoesOn)
{
    file("Src/x.txt", "x");
    const QString good = tmp.filePath("good.vlx");
    ASSERT_EQ(host.engine.CreateBlock(good, "Src", "pw", tmp.filePath("Src"), 0),
              CCipherBlock::Written);
    Actions::AddAction(1, tmp.filePath("e.vlx"), "empty folder", "", 0, 1, "then");
    Actions::AddAction(1, tmp.filePath("bad.vlx"), "missing", tmp.filePath("missing"), 0, 1, "");
    Actions::AddAction(2, tmp.filePath("none.vlx"), "no box", tmp.filePath("Out"), 0, 1, "");
    Actions::AddAction(7, good, "unknown kind", tmp.filePath("Out"), 0, 1, "");
    Actions::AddAction(2, good, "unchecked", tmp.filePath("Out"), 0, 0, "");
    Actions::AddAction(2, good, "good", tmp.filePath("Out"), 0, 1, "");

    runner.ProcessScript();
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("Out/x.txt")), "x");
    EXPECT_EQ(kinds(), (QStringList{"Create", "Create", "Extract", "?", "Extract", "Create"}));
    EXPECT_EQ(std::tuple(lastRan(0), lastRan(1)), std::tuple(QString("then"), QString()));
    EXPECT_TRUE(status().startsWith("Created in ")) << "the extract's success counts";
    EXPECT_TRUE(prompt.messages.join('\n').contains(tmp.filePath("missing")));

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
    runner.StartupActions(); // a list of files can only be packed; row 3 is unchecked
    EXPECT_EQ(kinds(), (QStringList{"Create", "Extract", "Create"}));
    runner.ShutdownActions();
    EXPECT_EQ(kind(1), "Create");
    EXPECT_EQ(std::tuple(host.runsStarted, host.saves), std::tuple(2, 2));

    runner.ProcessScript();
    runner.ProcessScript();
    EXPECT_EQ(kind(0), "Create") << "a file-list action stays a create action";
    EXPECT_TRUE(QFileInfo(tmp.filePath("list.vlx")).isFile());
}

TEST_F(Runner, ShredFollowsEachRowsOwnOptionAndAHalfwayFailureStillTurnsRound)
{
    for (const char *name : {"A/a.txt", "B/b.txt", "C/c.txt"})
        file(name, QByteArray(1, name[2]));
    const QString stuck = file("A/stuck.txt");
    ASSERT_EQ(CCipherBlock().CreateBlock(tmp.filePath("c.vlx"), "C", "pw", tmp.filePath("C"), 0),
              CCipherBlock::Written);
    Actions::AddAction(1, tmp.filePath("a.vlx"), "A", tmp.filePath("A"), 1, 1, "");
    Actions::AddAction(1, tmp.filePath("b.vlx"), "B", tmp.filePath("B"), 0, 1, "");
    Actions::AddAction(2, tmp.filePath("c.vlx"), "C", tmp.filePath("out"), 0, 1, "");
    // Once a.txt is shredded, stuck.txt becomes something that cannot be shredded.
    QObject::connect(&host.Engine(), &CCipherBlock::ShredFile, [&stuck](qint32 index, auto &&...) {
        if (index == 1 && QFile::remove(stuck))
            QDir().mkdir(stuck);
    });
    runner.ProcessScript();
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("A/a.txt")));
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("B/b.txt")), "b");
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("out/c.txt")), "c");
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath("c.vlx"))) << "an extract row without Shred";
    EXPECT_TRUE(prompt.messages.size() == 1 && prompt.messages[0].contains("Cannot shred " + stuck))
        << prompt.messages.join('\n').toStdString();
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
    EXPECT_EQ(std::tuple(Actions::UserActions.Count(), host.rows.rowCount(), host.saves),
              std::tuple(0, 0, 1));
}
