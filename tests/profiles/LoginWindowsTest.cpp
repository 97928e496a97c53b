#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "core/Global.h"
#include "profiles/UserManagement.h"
#include "profiles/frmNewUser.h"
#include "profiles/frmPassword.h"
#include "shell/frmSettings.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using TestSupport::readFile;

namespace {

class Login : public MainWindowFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(start()); }

    // Makes a saved profile and logs nobody on.
    void makeProfile(const QString &name, const QString &password)
    {
        logOn(name, password);
        Global::CurrentUserName.clear();
        Global::CurrentUserPassword.clear();
        UserManagement::ListProfiles(appPath());
    }
    static void fill(frmNewUser *w, const QString &name, const QString &one, const QString &two)
    {
        w->txtUsername->setText(name);
        w->txtPassword->setText(one);
        w->txtPassword2->setText(two);
    }
};

} // namespace

TEST_F(Login, TheFirstProfileLeadsIntoTheSettings)
{
    ASSERT_TRUE(UserManagement::ProfileNames.isEmpty());
    whenModal<frmNewUser>([&](frmNewUser *w) {
        fill(w, "Anna", "secret", "secret");
        whenModal<frmSettings>([&](frmSettings *s) {
            EXPECT_EQ(s->txtPath->text(), appPath());
            s->cmdOK_Click();
        });
        w->cmdCreate_Click();
    });
    EXPECT_EQ(main->UserProfiles(), 1);
    EXPECT_EQ(Global::CurrentUserName, "Anna");
    EXPECT_EQ(Global::DefaultFolder, appPath());
    EXPECT_TRUE(main->windowTitle().endsWith(" - Anna"));
    EXPECT_TRUE(QFileInfo::exists(appPath() + "Anna.vlu"));
    EXPECT_EQ(UserManagement::ProfileNames, QStringList{"anna"});
}

TEST_F(Login, NewProfileChecksInOrderAndEnterMovesToTheNextField)
{
    makeProfile("carla", "old");
    const QByteArray carla = readFile(appPath() + "carla.vlu");
    frmNewUser w(*main);
    w.show();
    const char *const refused[][4] = {
        {"", "a", "b", "User name not specified"}, {"bob", "a", "b", "Passwords don't match"},
        {"bob", "", "", "Password not specified"}, {"bob/../x", "a", "a", "bob/../x"},
        {"Carla", "new", "new", "already exists"},
    };
    for (const auto &[name, one, two, message] : refused) {
        fill(&w, name, one, two);
        prompt.messages.clear();
        w.cmdCreate_Click();
        EXPECT_TRUE(prompt.messages.value(0).contains(message)) << message;
    }
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());
    EXPECT_EQ(readFile(appPath() + "carla.vlu"), carla) << "never written over";
    EXPECT_EQ(w.result(), 0);

    fill(&w, "dora", "pw", "pw");
    w.txtUsername->setFocus();
    QTest::keyClick(w.txtUsername, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), w.txtPassword);
    QTest::keyClick(w.txtPassword, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), w.txtPassword2);
    QTest::keyClick(w.txtPassword2, Qt::Key_Return);
    EXPECT_EQ(Global::CurrentUserName, "dora");
    EXPECT_EQ(Global::DialogResult, 1);
}

TEST_F(Login, LoginChecksInOrderAndRetriesAfterAWrongPassword)
{
    makeProfile("anna", "right");
    frmPassword w(*main);
    EXPECT_EQ(w.cmbUsers->currentText(), "anna");
    w.cmbUsers->setCurrentIndex(-1);
    w.cmdOK_Click();
    w.cmbUsers->setCurrentIndex(0);
    w.cmdOK_Click();
    w.txtPassword->setText("wrong");
    w.cmdOK_Click();
    EXPECT_EQ(prompt.messages,
              QStringList({"No user selected.", "No password specified.", "Invalid password"}));
    EXPECT_EQ(Global::DialogResult, 2);
    EXPECT_EQ(w.txtPassword->selectedText(), "wrong");
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());

    w.txtPassword->setText("right");
    w.cmdOK_Click();
    EXPECT_EQ(Global::DialogResult, 1);
    EXPECT_EQ(Global::CurrentUserName, "anna");
}

TEST_F(Login, ANewProfileMadeFromTheLoginWindowStaysLoggedOn)
{
    makeProfile("anna", "right");
    whenModal<frmPassword>([&](frmPassword *w) {
        whenModal<frmNewUser>([&](frmNewUser *n) {
            fill(n, "ben", "pw", "pw");
            n->cmdCreate_Click();
        });
        w->cmdNew_Click();
        EXPECT_EQ(w->cmbUsers->count(), 2) << "the list is refreshed";
        w->reject();
    });
    EXPECT_EQ(main->UserProfiles(), 1);
    EXPECT_EQ(Global::CurrentUserName, "ben");
    main->mnuPopupItem_Click(8); // would wait on a login window if ben were not logged on
}

TEST_F(Login, DeleteProfileAsksFirstAndOverwritesTheFile)
{
    logOn("anna", "pw");
    const QString file = appPath() + "anna.vlu";
    const qint64 size = QFileInfo(file).size();
#ifdef Q_OS_UNIX
    // A second name for the same file shows what was left on disk.
    const QString witness = tmp.filePath("witness");
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(witness).constData()),
              0);
#endif
    main->show();
    prompt.answers = {Prompt::No};
    main->mnuOptionsItem_Click(2);
    EXPECT_EQ(prompt.messages, QStringList{"Delete anna?"});
    EXPECT_TRUE(QFileInfo::exists(file));

    prompt.answers = {Prompt::Yes};
    main->mnuOptionsItem_Click(2);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(Global::CurrentUserName.isEmpty() && Global::CurrentUserPassword.isEmpty());
    EXPECT_FALSE(UserManagement::ProfileNames.contains("anna"));
#ifdef Q_OS_UNIX
    EXPECT_EQ(readFile(witness), QByteArray(size, ' ') + "\r\n");
#endif
}

TEST_F(Login, LogoffSavesAndTheNextLoginReloads)
{
    logOn("anna", "pw");
    Actions::AddAction(1, "/b/x.vlx", "x", "/x", 0, 1, "");
    main->mnuFileItem_Click(3);
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());
    EXPECT_EQ(main->lvMain->topLevelItemCount(), 1) << "logoff leaves the list";
    ASSERT_TRUE(UserManagement::LoadProfile("anna", "pw"));
    EXPECT_EQ(Actions::UserActions.Count(), 1);
    EXPECT_EQ(main->lvMain->topLevelItemCount(), 1);
}
