#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "profiles/UserManagement.h"
#include "profiles/frmNewUser.h"
#include "profiles/frmPassword.h"
#include "core/Global.h"
#include "shell/frmSettings.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
    void fill(frmNewUser *w, const QString &name, const QString &one, const QString &two)
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
        EXPECT_EQ(w->windowTitle(), "Vaulnix - New User Profile");
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
    EXPECT_EQ(main->windowTitle(), "Vaulnix v1.0.0 - Anna");
    EXPECT_TRUE(QFileInfo::exists(appPath() + "Anna.vlu"));
    EXPECT_EQ(UserManagement::ProfileNames, QStringList{"anna"});
}

TEST_F(Login, NewProfileChecksInOrder)
{
    frmNewUser w(*main);
    w.show();
    const auto create = [&](const QString &name, const QString &one, const QString &two) {
        fill(&w, name, one, two);
        prompt.messages.clear();
        w.cmdCreate_Click();
        return prompt.messages.value(0);
    };
    EXPECT_EQ(create("", "a", "b"), "User name not specified");
    EXPECT_EQ(create("bob", "a", "b"), "Passwords don't match");
    EXPECT_EQ(create("bob", "", ""), "Password not specified");
    EXPECT_TRUE(create("bob/../x", "a", "a").contains("bob/../x"));
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());

    makeProfile("carla", "old");
    const QByteArray before = TestSupport::readFile(appPath() + "carla.vlu");
    EXPECT_TRUE(create("Carla", "new", "new").contains("already exists"));
    EXPECT_EQ(TestSupport::readFile(appPath() + "carla.vlu"), before) << "never written over";
    EXPECT_EQ(w.result(), 0);
}

TEST_F(Login, EnterMovesThroughTheNewProfileFields)
{
    frmNewUser w(*main);
    w.show();
    w.txtUsername->setFocus();
    fill(&w, "dora", "pw", "pw");
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
    EXPECT_EQ(w.windowTitle(), "Vaulnix - User Profiles");
    EXPECT_EQ(w.cmbUsers->currentText(), "anna");

    w.cmbUsers->setCurrentIndex(-1);
    w.cmdOK_Click();
    EXPECT_EQ(prompt.messages.value(0), "No user selected.");
    w.cmbUsers->setCurrentIndex(0);
    w.cmdOK_Click();
    EXPECT_EQ(prompt.messages.value(1), "No password specified.");

    w.txtPassword->setText("wrong");
    w.cmdOK_Click();
    EXPECT_EQ(prompt.messages.value(2), "Invalid password");
    EXPECT_EQ(Global::DialogResult, 2);
    EXPECT_EQ(w.txtPassword->selectedText(), "wrong");
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());

    w.txtPassword->setText("right");
    w.cmdOK_Click();
    EXPECT_EQ(Global::DialogResult, 1);
    EXPECT_EQ(Global::CurrentUserName, "anna");
}

TEST_F(Login, ClosingTheLoginWindowAfterAFailureLogsNobodyOn)
{
    makeProfile("anna", "right");
    whenModal<frmPassword>([&](frmPassword *w) {
        w->txtPassword->setText("wrong");
        w->cmdOK_Click();
        w->reject();
    });
    EXPECT_EQ(main->UserProfiles(), 2);
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());
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
    main->mnuPopupItem_Click(8);
}

TEST_F(Login, DeleteProfileAsksFirst)
{
    logOn("anna", "pw");
    main->show();
    prompt.answers = {Prompt::No};
    main->mnuOptionsItem_Click(2);
    EXPECT_EQ(prompt.messages, QStringList{"Delete anna?"});
    EXPECT_TRUE(QFileInfo::exists(appPath() + "anna.vlu"));

    prompt.answers = {Prompt::Yes};
    main->mnuOptionsItem_Click(2);
    EXPECT_FALSE(QFileInfo::exists(appPath() + "anna.vlu"));
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());
    EXPECT_FALSE(UserManagement::ProfileNames.contains("anna"));
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
