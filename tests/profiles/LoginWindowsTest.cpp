#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "core/Global.h"
#include "profiles/UserManagement.h"
#include "profiles/frmNewUser.h"
#include "profiles/frmPassword.h"

#include <QLineEdit>

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

TEST_F(Login, AWrongPasswordLogsNoOneOnAndANewProfileNeverOverwritesOneDifferingInCase)
{
    logOn("anna", "right");
    main->mnuFileItem_Click(3); // logs off
    UserManagement::ListProfiles(appPath());
    const QByteArray anna = TestSupport::readFile(appPath() + "anna.vlu");
    frmPassword w(*main);
    w.txtPassword->setText("wrong");
    w.cmdOK_Click();
    EXPECT_EQ(std::tuple(prompt.messages, Global::CurrentUserName),
              std::tuple(QStringList{"Invalid password"}, QString()));

    whenModal<frmPassword>([&](frmPassword *login) {
        whenModal<frmNewUser>([&](frmNewUser *n) {
            fill(n, "bob/../x", "a", "a");
            n->cmdCreate_Click();
            EXPECT_TRUE(prompt.messages.last().contains("bob/../x"));
            fill(n, "ANNA", "new", "new");
            n->cmdCreate_Click();
            EXPECT_TRUE(prompt.messages.last().contains("already exists"));
            EXPECT_EQ(TestSupport::readFile(appPath() + "anna.vlu"), anna);
            fill(n, "ben", "pw", "pw");
            n->cmdCreate_Click();
        });
        login->cmdNew_Click();
        login->reject();
    });
    EXPECT_EQ(std::tuple(main->UserProfiles(), Global::CurrentUserName),
              std::tuple(qint16(1), QString("ben")));
}
