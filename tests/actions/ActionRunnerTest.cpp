#include "MainWindowFixture.h"

#include "actions/ActionListView.h"
#include "actions/ActionRunner.h"
#include "actions/Actions.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace {

class Runner : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start());
        logOn();
        main->runner().now = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 41)); };
    }

    QString file(const QString &relative, const QByteArray &bytes = "data")
    {
        TestSupport::writeFile(tmp.filePath(relative), bytes);
        return tmp.filePath(relative);
    }
    QTreeWidgetItem *row(int i) { return main->lvMain->row(i); }
    QString kind(int i) { return row(i)->text(ActionListView::ActionColumn); }
    QString statusText() { return main->lblStatus->text().section(": ", 1); }
    void run() { main->Timer_Timer(); }
};

} // namespace

TEST_F(Runner, AFolderActionPacksThenUnpacksOnTheNextRun)
{
    file("Work/a.txt", "alpha");
    file("Work/sub/b.txt", "beta");
    const QString box = tmp.filePath("boxes/work.vlx");
    Actions::AddAction(1, box, "Work", tmp.filePath("Work"), 0, 1, "");

    run();
    EXPECT_TRUE(QFileInfo(box).isFile());
    EXPECT_EQ(kind(0), "Extract");
    EXPECT_EQ(Actions::UserActions.Item(1)->Action(), 2);
    EXPECT_TRUE(statusText().startsWith("Created in ")) << statusText().toStdString();
    EXPECT_TRUE(statusText().endsWith(" seconds"));
    EXPECT_EQ(
        row(0)->text(ActionListView::LastRanColumn),
        QLocale().toString(QDateTime(QDate(2026, 12, 6), QTime(9, 41)), QLocale::ShortFormat));
    EXPECT_FALSE(main->BusyFlag);
    EXPECT_EQ(main->lblBusy->text(), "OK");

    QDir(tmp.filePath("Work")).removeRecursively();
    run();
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("Work/sub/b.txt")), "beta");
    EXPECT_EQ(kind(0), "Create");
    EXPECT_TRUE(statusText().startsWith("Extracted in "));
}

TEST_F(Runner, FileListActionsStayCreateActions)
{
    const QString files = file("f/one.txt") + ";" + file("f/two.txt");
    Actions::AddAction(1, tmp.filePath("list.vlx"), "list", files, 0, 1, "");
    run();
    run();
    EXPECT_EQ(kind(0), "Create");
    EXPECT_TRUE(QFileInfo(tmp.filePath("list.vlx")).isFile());
}

TEST_F(Runner, AnEngineErrorIsReportedAndTheRunGoesOn)
{
    // First a box to extract later in the same run.
    file("Src/x.txt", "x");
    const QString good = tmp.filePath("good.vlx");
    ASSERT_EQ(main->Vaulnix->CreateBlock(good, "Src", "pw", tmp.filePath("Src"), 0),
              CCipherBlock::Written);
    Actions::AddAction(1, tmp.filePath("bad.vlx"), "Bad", tmp.filePath("missing-folder"), 0, 1, "");
    Actions::AddAction(2, good, "Src", tmp.filePath("Out"), 0, 1, "");

    run();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(tmp.filePath("bad.vlx")));
    EXPECT_TRUE(prompt.messages[0].contains(tmp.filePath("missing-folder")));
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("Out/x.txt")), "x");
    EXPECT_TRUE(statusText().startsWith("Created in ")) << "the extract's success counts";
    EXPECT_EQ(kind(0), "Create") << "a failed step keeps its kind";
    EXPECT_EQ(kind(1), "Create");
    EXPECT_FALSE(main->BusyFlag);
    EXPECT_EQ(main->lblBusy->text(), "OK");
}

TEST_F(Runner, ExtractStepsNeedSomebodyLoggedOn)
{
    Actions::AddAction(2, tmp.filePath("a.vlx"), "a", tmp.filePath("out"), 0, 1, "");
    Actions::AddAction(2, tmp.filePath("b.vlx"), "b", tmp.filePath("out"), 0, 1, "");
    Global::CurrentUserName.clear();
    Global::CurrentUserPassword.clear();
    run();
    EXPECT_EQ(statusText(), "Box not extracted");
    EXPECT_EQ(kind(0), "Extract");
    EXPECT_EQ(kind(1), "Extract");
    EXPECT_TRUE(row(1)->text(ActionListView::LastRanColumn).isEmpty());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(Runner, EmptyFolderUncheckedAndUnknownRows)
{
    Actions::AddAction(1, tmp.filePath("e.vlx"), "e", "", 0, 1, "");
    Actions::AddAction(7, tmp.filePath("q.vlx"), "q", tmp.filePath("q"), 0, 1, "");
    Actions::AddAction(1, tmp.filePath("u.vlx"), "u", tmp.filePath("u"), 0, 0, "");
    run();
    EXPECT_EQ(statusText(), "Box not created");
    EXPECT_EQ(kind(0), "Create");
    EXPECT_EQ(kind(1), "?");
    EXPECT_TRUE(row(1)->text(ActionListView::LastRanColumn).isEmpty());
    EXPECT_EQ(kind(2), "Create");
    EXPECT_TRUE(row(2)->text(ActionListView::LastRanColumn).isEmpty());

    Actions::RemoveAllActions();
    Actions::AddAction(1, tmp.filePath("u.vlx"), "u", tmp.filePath("u"), 0, 0, "");
    run();
    EXPECT_EQ(statusText(), "No actions performed");
}

TEST_F(Runner, StartupActionsExtractACheckedCreateRow)
{
    file("Start/s.txt", "s");
    const QString box = tmp.filePath("s.vlx");
    ASSERT_EQ(main->Vaulnix->CreateBlock(box, "Start", "pw", tmp.filePath("Start"), 0),
              CCipherBlock::Written);
    Actions::AddAction(1, box, "Start", tmp.filePath("Back"), 0, 1, "");
    Actions::AddAction(1, tmp.filePath("other.vlx"), "o", tmp.filePath("o"), 0, 0, "");
    main->mnuActionsItem_Click(2);
    EXPECT_EQ(kind(0), "Extract");
    EXPECT_EQ(kind(1), "Create") << "unchecked rows keep their kind";
    EXPECT_TRUE(main->Timer->isActive());
    run();
    EXPECT_EQ(TestSupport::readFile(tmp.filePath("Back/s.txt")), "s");
    EXPECT_EQ(kind(0), "Create");

    Actions::RemoveAllActions();
    main->mnuActionsItem_Click(3);
    EXPECT_TRUE(main->Timer->isActive()) << "even with no rows";
    run();
    EXPECT_EQ(statusText(), "No actions performed");
}

TEST_F(Runner, ASecondRunDuringARunIsRefused)
{
    file("Busy/big.bin", QByteArray(3 * CCipherBlock::ChunkBytes, 'b'));
    Actions::AddAction(1, tmp.filePath("busy.vlx"), "Busy", tmp.filePath("Busy"), 0, 1, "");
    int runsSeen = 0;
    QString refusal;
    QObject::connect(main->Vaulnix, &CCipherBlock::CreatingBlock, [&] { ++runsSeen; });
    QObject::connect(main->Vaulnix, &CCipherBlock::CreatingFileBlock, [&] {
        main->Timer_Timer();
        refusal = main->lblStatus->text();
        // A row removed in the middle of the run is skipped, not crashed on.
        Actions::RemoveAction(Actions::UserActions.Item(1)->ID());
    });
    run();
    EXPECT_EQ(runsSeen, 1);
    EXPECT_TRUE(refusal.endsWith("A run is under way; wait until it has finished"));
    EXPECT_TRUE(statusText().startsWith("Created in "));
}

TEST_F(Runner, ClearAndCountActions)
{
    Actions::AddAction(1, "/b/one.vlx", "one", "/one", 0, 1, "");
    const qint32 second = Actions::AddAction(2, "/b/two.vlx", "two", "/two", 0, 1, "");
    EXPECT_EQ(main->runner().CountActionsText(),
              QStringLiteral("Count = 2\r\n\r\n%1 - /b/one.vlx\r\n%2 - /b/two.vlx\r\n")
                  .arg(second - 1)
                  .arg(second));
    main->mnuActionsItem_Click(6);
    EXPECT_EQ(prompt.messages.size(), 1);
    main->mnuActionsItem_Click(5);
    EXPECT_EQ(Actions::UserActions.Count(), 0);
    EXPECT_EQ(main->lvMain->rowCount(), 0);
    main->mnuActionsItem_Click(0);
    EXPECT_FALSE(main->Timer->isActive()) << "an empty list runs nothing";
}
