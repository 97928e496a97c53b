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

    static void fill(frmNewUser *w, const QString &name, const QString &one, const QString &two)
    {
        w->txtUsername->setText(name);
        w->txtPassword->setText(one);
        w->txtPassword2->setText(two);
    }
};

} // namespace

TEST_F(Login, TheFirstProfileIsCheckedInOrderAndLeadsIntoTheSettings)
{
    whenModal<frmNewUser>([&](frmNewUser *w) {
        const char *const refused[][4] = {{"", "a", "b", "User name not specified"},
                                          {"bob", "a", "b", "Passwords don't match"},
                                          {"bob", "", "", "Password not specified"},
                                          {"bob/../x", "a", "a", "bob/../x"}};
        for (const auto &[name, one, two, message] : refused) {
            fill(w, name, one, two);
            prompt.messages.clear();
            w->cmdCreate_Click();
            EXPECT_TRUE(prompt.messages.value(0).contains(message)) << message;
        }
        w->txtUsername->setFocus();
        QTest::keyClick(w->txtUsername, Qt::Key_Return);
        EXPECT_EQ(w->focusWidget(), w->txtPassword) << "Enter moves to the next field";
        fill(w, "Anna", "secret", "secret");
        whenModal<frmSettings>([&](frmSettings *s) { s->cmdOK_Click(); });
        w->cmdCreate_Click();
    });
    EXPECT_EQ(main->UserProfiles(), 1);
    EXPECT_EQ(Global::CurrentUserName, "Anna");
    EXPECT_EQ(Global::DefaultFolder, appPath());
    EXPECT_EQ(UserManagement::ProfileNames, QStringList{"anna"});
}

TEST_F(Login, LoginChecksInOrderRetriesAndANewProfileMadeThereStaysLoggedOn)
{
    logOn("anna", "right");
    main->mnuFileItem_Click(3); // logs off
    UserManagement::ListProfiles(appPath());
    const QByteArray anna = readFile(appPath() + "anna.vlu");
    frmPassword w(*main);
    w.cmbUsers->setCurrentIndex(-1);
    w.cmdOK_Click();
    w.cmbUsers->setCurrentIndex(0);
    w.cmdOK_Click();
    w.txtPassword->setText("wrong");
    w.cmdOK_Click();
    EXPECT_EQ(prompt.messages,
              QStringList({"No user selected.", "No password specified.", "Invalid password"}));
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());
    w.txtPassword->setText("right");
    w.cmdOK_Click();
    EXPECT_EQ(Global::CurrentUserName, "anna");

    whenModal<frmPassword>([&](frmPassword *login) {
        whenModal<frmNewUser>([&](frmNewUser *n) {
            fill(n, "ANNA", "new", "new");
            n->cmdCreate_Click();
            EXPECT_TRUE(prompt.messages.last().contains("already exists"));
            EXPECT_EQ(readFile(appPath() + "anna.vlu"), anna) << "never written over";
            fill(n, "ben", "pw", "pw");
            n->cmdCreate_Click();
        });
        login->cmdNew_Click();
        EXPECT_EQ(login->cmbUsers->count(), 2) << "the list is refreshed";
        login->reject();
    });
    EXPECT_EQ(main->UserProfiles(), 1);
    EXPECT_EQ(Global::CurrentUserName, "ben");
}

TEST_F(Login, LogoffSavesTheNextLoginReloadsAndDeleteProfileAsksFirst)
{
    logOn("anna", "pw");
    Actions::AddAction(1, "/b/x.vlx", "x", "/x", 0, 1, "");
    main->mnuFileItem_Click(3);
    EXPECT_EQ(main->lvMain->topLevelItemCount(), 1) << "logoff leaves the list";
    ASSERT_TRUE(UserManagement::LoadProfile("anna", "pw"));
    EXPECT_EQ(main->lvMain->topLevelItemCount(), 1);

    const QString file = appPath() + "anna.vlu";
    const qint64 size = QFileInfo(file).size();
#ifdef Q_OS_UNIX
    // A second name for the file shows what was left on disk.
    const QString witness = tmp.filePath("witness");
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(witness).constData()),
              0);
#endif
    prompt.answers = {Prompt::No, Prompt::Yes};
    main->mnuOptionsItem_Click(2);
    EXPECT_EQ(prompt.messages, QStringList{"Delete anna?"});
    EXPECT_TRUE(QFileInfo::exists(file));
    main->mnuOptionsItem_Click(2);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(Global::CurrentUserName.isEmpty() && Global::CurrentUserPassword.isEmpty());
#ifdef Q_OS_UNIX
    EXPECT_EQ(readFile(witness), QByteArray(size, ' ') + "\r\n");
#endif
}
