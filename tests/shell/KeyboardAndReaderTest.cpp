#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "core/Global.h"
#include "dialogs/frmCreateBox.h"
#include "profiles/UserManagement.h"
#include "profiles/frmNewUser.h"
#include "profiles/frmPassword.h"
#include "shell/WidgetPrompt.h"

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

// The main window without a tray, used as a keyboard and a screen reader use it.
namespace {

class NoTray : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        whenModal<frmNewUser>([](frmNewUser *w) { w->reject(); }); // the first login offer
        ASSERT_TRUE(start(0));
        QCoreApplication::processEvents();
        logOn();
        UserManagement::ListProfiles(Global::AppPath);
        main->SetTitle("anna");
        box = tmp.filePath("papers.vlx"), folder = tmp.filePath("Papers-of-anna");
        TestSupport::writeFile(folder + "/letter.txt", "text");
        Actions::AddAction(1, box, "papers", folder, 0, 1, "");
        main->lvMain->setCurrentItem(main->lvMain->row(0));
        main->SetStatus("Shredding " + folder + "/letter.txt");
    }
    void expectNothingOfHers()
    {
        EXPECT_EQ(main->windowTitle(), Global::VersionTitle());
        EXPECT_EQ(main->lvMain->rowCount(), 0);
        EXPECT_FALSE(main->lblStatus->text().contains("anna")) << "her folder's name";
    }
    static QString nameOf(QObject *object)
    {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    }
    QString box, folder;
};

} // namespace

TEST_F(NoTray, LogoffThenEscapeLeavesNothingOfHersAndF5LeadsToTheLoginWithoutWritingABox)
{
    whenModal<frmPassword>([](frmPassword *w) { QTest::keyClick(w->txtPassword, Qt::Key_Escape); });
    main->mnuFileItem[3]->trigger();
    expectNothingOfHers();

    // The rows are back as they were: F5 must still not run them, having no password.
    Actions::AddAction(1, box, "papers", folder, 0, 1, "");
    for (QAction *command : {main->mnuActionsItem[0], main->mnuActionsItem[3],
                             main->mnuPopupItem[3], main->mnuFileItem[0]}) {
        int logins = 0;
        whenModal<frmPassword>([&logins](frmPassword *w) { ++logins, w->reject(); });
        command->trigger();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(logins, 1) << command->text().toStdString();
    }
    main->Timer_Timer();
    EXPECT_FALSE(QFile::exists(box)) << "a run with nobody logged on";
}

TEST_F(NoTray, DeleteProfileAsksWithNoAsDefaultAndLeavesNothingOfHersAndOnlySpacesOnDisk)
{
    const QString file = appPath() + "anna.vlu", witness = tmp.filePath("witness");
    const qint64 size = QFileInfo(file).size();
    // A second name for the file shows what was left on disk.
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(witness).constData()),
              0);
    prompt.answers = {Prompt::No};
    main->mnuOptionsItem[2]->trigger();
    EXPECT_EQ(std::tuple(prompt.messages, prompt.safeAnswers.value("Delete anna?")),
              std::tuple(QStringList{"Delete anna?"}, Prompt::No));
    EXPECT_TRUE(main->lvMain->rowCount() == 1 && QFileInfo::exists(file)) << "No deletes nothing";
    whenModal<frmNewUser>([](frmNewUser *w) { w->reject(); });
    main->mnuOptionsItem[2]->trigger();
    expectNothingOfHers();
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(Global::CurrentUserName.isEmpty() && Global::CurrentUserPassword.isEmpty());
    EXPECT_EQ(TestSupport::readFile(witness), QByteArray(size, ' ') + "\r\n");

    // The real message box: No is the default and the Escape button.
    WidgetPrompt real;
    whenModal<QMessageBox>([](QMessageBox *m) {
        EXPECT_EQ(m->defaultButton(), m->button(QMessageBox::No));
        QTest::keyClick(m, Qt::Key_Escape);
    });
    EXPECT_EQ(real.question("Delete anna?", Prompt::Buttons::YesNo, Prompt::Icon::Information,
                            "Vaulnix", Prompt::No),
              Prompt::No);
}

TEST_F(NoTray, TheRowPopupAndTheEditOpenFromTheKeyboardAndScreenReadersHearEachControl)
{
    main->show();
    for (const auto &[key, modifiers] :
         {std::pair(Qt::Key_Menu, Qt::NoModifier), std::pair(Qt::Key_F10, Qt::ShiftModifier)}) {
        QTest::keyClick(main->lvMain, key, modifiers);
        EXPECT_TRUE(main->mnuPopupListView->isVisible()); // what it offers: the box contents test
        main->mnuPopupListView->hide();
    }
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
        int edits = 0;
        whenModal<frmCreateBox>([&edits](frmCreateBox *w) { ++edits, w->reject(); });
        QTest::keyClick(main->lvMain, key);
        EXPECT_EQ(edits, 1);
    }

    // The list, a "..." button and the login's user list; the other buttons are named alike.
    frmCreateBox create;
    frmPassword login(*main);
    EXPECT_EQ((QStringList{nameOf(main->lvMain), nameOf(create.cmdFind), nameOf(login.cmbUsers)}),
              (QStringList{"Actions", "Choose the box file", "User Name"}));
}

TEST(ActionList, LastRanIsNotCutShortWhileTheHeaderHasRoom)
{
    ActionListView list;
    list.resize(900, 200);
    list.show();
    for (int i = 0; i < 5; ++i)
        list.header()->resizeSection(i, 60);
    list.header()->resizeSection(ActionListView::LastRanColumn, 30);
    list.appendRow({"n", "b.vlx", "Create", "/f", true, "No", "12/6/26 2:45 PM", "0"});
    const int wanted = list.fontMetrics().horizontalAdvance("12/6/26 2:45 PM");
    EXPECT_GT(list.header()->sectionSize(ActionListView::LastRanColumn), wanted);
}
