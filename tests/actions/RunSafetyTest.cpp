#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "actions/ActionListEvents.h"
#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "actions/BoxFlows.h"
#include "actions/frmBlock.h"
#include "core/Global.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"
#include "engine/CCipherBlock.h"
#include "profiles/UserManagement.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>

#include <functional>

namespace {

const QString Password = QStringLiteral("pässwörd✓");
const QString Busy = QStringLiteral("A run is under way; wait until it has finished");

// A main window whose runs use the real engine on a folder with a file of several chunks.
class RunSafety : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start());
        logOn(QStringLiteral("anna"), Password);
        QByteArray content(5 * CCipherBlock::ChunkBytes + 123, '\0');
        for (qsizetype i = 0; i < content.size(); ++i)
            content[i] = char((i * 131) >> 3);
        TestSupport::writeFile(source("big.bin"), content);
        TestSupport::writeFile(source("small.txt"), "small");
        reference = tmp.filePath("reference.vlx");
        ASSERT_EQ(CCipherBlock().CreateBlock(reference, "Work", Password, work(), 0),
                  CCipherBlock::Written);
        Actions::AddAction(1, box(), "Work", work(), 0, 1, "");
    }

    QString work() const { return tmp.filePath("Work"); }
    QString source(const QString &name) const { return tmp.filePath("Work/" + name); }
    QString box() const { return tmp.filePath("boxes/work.vlx"); }
    QString kind(int row = 0) const
    {
        return main->lvMain->row(row)->text(ActionListView::ActionColumn);
    }
    QString status() const { return main->lblStatus->text(); }

    // Runs the actions, giving the command once the engine is inside the file data.
    void runDisturbed(const std::function<void()> &command)
    {
        QObject context;
        int chunks = 0;
        QObject::connect(main->Vaulnix, &CCipherBlock::CipherProgress, &context, [&] {
            if (++chunks == 2)
                command();
        });
        main->Timer_Timer();
        EXPECT_GE(chunks, 2) << "the step had several chunks";
    }

    // The profile as it is on disk, loaded again.
    QString savedKind()
    {
        EXPECT_TRUE(UserManagement::LoadProfile(QStringLiteral("anna"), Password));
        return kind();
    }

    QString reference;
};

struct Disturbance
{
    const char *name;
    std::function<void(frmMain &)> give;
};

// Each of these would touch the password, the keyed cipher, the shared fields, the profile or
// the kinds of rows; a dialog they might open is driven to its worst outcome. One or two from each
// menu and from the list: the menus' commands share one guard, so the others add nothing.
const Disturbance Disturbances[] = {
    {"Logoff", [](frmMain &m) { m.mnuFileItem[3]->trigger(); }},
    {"Run", [](frmMain &m) { m.mnuActionsItem[0]->trigger(), m.Timer_Timer(); }},
    {"Log In",
     [](frmMain &m) {
         whenModal<QDialog>([](QDialog *w) { w->reject(); });
         m.mnuLogin->trigger();
         m.mnuPopupItem[8]->trigger();
     }},
    {"Delete Profile", [](frmMain &m) { m.mnuOptionsItem[2]->trigger(); }},
    {"Shutdown", [](frmMain &m) { m.mnuPopupItem[6]->trigger(); }},
    {"double-click edit with Shred on",
     [](frmMain &m) {
         whenModal<frmCreateBox>([](frmCreateBox *w) {
             w->chkShred->setChecked(true);
             w->cmdCreate_Click();
         });
         whenModal<frmExtractFolder>([](frmExtractFolder *w) {
             w->chkShred->setChecked(true);
             w->cmdOK_Click();
         });
         m.lvMain->setCurrentItem(m.lvMain->row(0));
         m.listEvents().lvMain_DblClick();
     }},
    {"popup Remove", [](frmMain &m) {
         m.lvMain->setCurrentItem(m.lvMain->row(0));
         m.mnuPopupListViewItem[5]->trigger();
     }}};

TEST_F(RunSafety, CommandsThatWouldDisturbARunAreRefused)
{
    prompt.answers = {Prompt::Yes};
    // Each command is given inside the step, and each refusal says why in the status line. One
    // step is enough: the run is busy from its start to its end, whatever its steps' kinds.
    runDisturbed([this] {
        for (const Disturbance &disturbance : Disturbances) {
            main->lblStatus->clear();
            disturbance.give(*main);
            EXPECT_TRUE(status().endsWith(Busy))
                << disturbance.name << ": " << status().toStdString();
        }
    });
    EXPECT_EQ(TestSupport::readFile(box()), TestSupport::readFile(reference));
    EXPECT_TRUE(status().contains("Created in ")) << status().toStdString();
    ASSERT_EQ(main->lvMain->rowCount(), 1);
    EXPECT_EQ(std::tuple(kind(), Global::CurrentUserName), std::tuple(QString("Extract"), "anna"));
    EXPECT_TRUE(QFileInfo::exists(source("big.bin"))) << "nothing shredded";
    EXPECT_EQ(savedKind(), "Extract") << "the run's result is on disk";
    EXPECT_TRUE(prompt.messages.filter("could not").isEmpty())
        << prompt.messages.join('\n').toStdString();
}

TEST_F(RunSafety, ExitStopsTheRunThenSavesAndCloses)
{
    prompt.answers = {Prompt::Yes};
    runDisturbed([&] { main->mnuFileItem[5]->trigger(); });
    EXPECT_TRUE(main->isClosed());
    EXPECT_EQ(prompt.messages, QStringList{"Cancel current process?"});
    EXPECT_FALSE(QFileInfo::exists(box())) << "a stopped box is not committed";
    EXPECT_TRUE(QDir(tmp.filePath("boxes")).entryList(QDir::Files).isEmpty());
    Global::CurrentUserName = QStringLiteral("anna");
    EXPECT_EQ(savedKind(), "Create") << "saved, with the stopped step's kind";
}

TEST_F(RunSafety, EveryChangeIsSavedAtOnce)
{
    const auto savedCount = [] {
        EXPECT_TRUE(UserManagement::LoadProfile(QStringLiteral("anna"), Password));
        return Actions::UserActions.Count();
    };
    EXPECT_EQ(savedCount(), 0) << "the fixture's action was never saved";

    Global::DefaultFolder = tmp.filePath("boxes/");
    whenModal<frmCreateBox>([](frmCreateBox *w) { w->cmdCreate_Click(); });
    main->flows().NewBoxFromFolder(work(), 1);
    EXPECT_EQ(savedCount(), 1);

    main->lvMain->row(0)->setCheckState(ActionListView::NameColumn, Qt::Unchecked);
    EXPECT_TRUE(UserManagement::LoadProfile(QStringLiteral("anna"), Password));
    EXPECT_FALSE(ActionListView::isChecked(main->lvMain->row(0)));
}

TEST_F(RunSafety, SelectiveExtractionTimesItselfAndCountsOnlyWholeFiles)
{
    const auto extractAll = [this](const QString &to) {
        whenModal<frmBlock>([](frmBlock *w) { w->lvFiles->selectAll(), w->cmdExtract_Click(); });
        main->flows().ViewBox(reference, tmp.filePath(to));
    };
    // An engine error before the first file: the time shown is this extraction's, not the
    // last run's.
    qint64 now = 0;
    main->RunStopwatch = CTick([&now] { return now; });
    main->RunStopwatch.StartTick();
    now = 99000;
    main->RunStopwatch.StopTick();
    TestSupport::writeFile(tmp.filePath("NotAFolder"), "x");
    extractAll("NotAFolder");
    EXPECT_TRUE(status().contains(" in 0.00 seconds")) << status().toStdString();

    // A stop inside the first file: it is removed, and not counted.
    QObject context;
    QObject::connect(main->Vaulnix, &CCipherBlock::CipherProgress, &context,
                     [] { Global::StopRequested = 1; });
    extractAll("Out");
    EXPECT_TRUE(status().contains(": Extracted 0 files in ")) << status().toStdString();
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("Out/big.bin")));
}

} // namespace
