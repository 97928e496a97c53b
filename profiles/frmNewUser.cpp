#include "profiles/frmNewUser.h"

#include "actions/MainWindowHost.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "dialogs/DialogKeys.h"
#include "profiles/UserManagement.h"
#include "profiles/frmPassword.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmNewUser::frmNewUser(MainWindowHost &window, frmPassword *loginWindow)
    : QDialog(loginWindow ? static_cast<QWidget *>(loginWindow) : window.DialogParent())
    , txtUsername(new QLineEdit)
    , txtPassword(new QLineEdit)
    , txtPassword2(new QLineEdit)
    , cmdCreate(new QPushButton(QStringLiteral("OK")))
    , cmdCancel(new QPushButton(QStringLiteral("Cancel")))
    , main(window)
    , login(loginWindow)
{
    setWindowTitle(QStringLiteral("Vaulnix - New User Profile"));
    setWindowIcon(window.DialogParent()->windowIcon());
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword2->setEchoMode(QLineEdit::Password);
    auto *frame = new QGroupBox(QStringLiteral("User Profile"));
    auto *fields = new QFormLayout(frame);
    fields->addRow(QStringLiteral("User Name:"), txtUsername);
    fields->addRow(QStringLiteral("Password:"), txtPassword);
    fields->addRow(QStringLiteral("Re-Type Password:"), txtPassword2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCreate);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    // Enter moves between the fields instead of pressing a button.
    cmdCreate->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    DialogKeys::Install(this, cmdCreate, cmdCancel);
    for (QLineEdit *field : {txtUsername, txtPassword, txtPassword2})
        field->installEventFilter(this);
    setMinimumWidth(340);

    connect(cmdCreate, &QPushButton::clicked, this, &frmNewUser::cmdCreate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewUser::cmdCancel_Click);
}

bool frmNewUser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == txtUsername)
                txtPassword->setFocus();
            else if (watched == txtPassword)
                txtPassword2->setFocus();
            else if (watched == txtPassword2)
                cmdCreate_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmNewUser::cmdCreate_Click()
{
    const QString name = txtUsername->text();
    if (name.isEmpty()) {
        Prompt::inform(QStringLiteral("User name not specified"));
        txtUsername->setFocus();
        return;
    }
    if (txtPassword->text() != txtPassword2->text()) {
        Prompt::inform(QStringLiteral("Passwords don't match"));
        txtPassword->setFocus();
        return;
    }
    if (txtPassword->text().isEmpty()) {
        Prompt::inform(QStringLiteral("Password not specified"));
        txtPassword->setFocus();
        return;
    }
    // A profile is a file named after its user: the name must be a plain file name, and an
    // existing profile is never written over.
    if (!UserManagement::IsProfileName(name)) {
        Prompt::inform(UserManagement::NameRefusedMessage(name));
        txtUsername->setFocus();
        return;
    }
    if (UserManagement::ProfileExists(name)) {
        Prompt::inform(
            QStringLiteral("A profile named %1 already exists. Choose another name.").arg(name));
        txtUsername->setFocus();
        return;
    }
    Global::CurrentUserName = name;
    Global::CurrentUserPassword = txtPassword->text();
    main.ClearUser();
    if (!UserManagement::SaveProfile()) {
        Global::CurrentUserName.clear();
        Global::CurrentUserPassword.clear();
        return;
    }
    UserManagement::ListProfiles(Global::AppPath);
    if (login)
        login->ShowUsers();
    Global::DialogResult = 1;
    accept();
}

void frmNewUser::cmdCancel_Click()
{
    Global::DialogResult = 0;
    reject();
}
