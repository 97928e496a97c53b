#include "profiles/frmPassword.h"

#include "actions/MainWindowHost.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "dialogs/DialogKeys.h"
#include "dialogs/NamedComboBox.h"
#include "profiles/UserManagement.h"
#include "profiles/frmNewUser.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPassword::frmPassword(MainWindowHost &window)
    : QDialog(window.DialogParent())
    , cmbUsers(new NamedComboBox)
    , txtPassword(new QLineEdit)
    , cmdOK(new QPushButton(QStringLiteral("OK")))
    , cmdNew(new QPushButton(QStringLiteral("New Profile")))
    , main(window)
{
    setWindowTitle(QStringLiteral("Vaulnix - User Profiles"));
    setWindowIcon(window.DialogParent()->windowIcon());
    txtPassword->setEchoMode(QLineEdit::Password);
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("User Name:"), cmbUsers);
    fields->addRow(QStringLiteral("Password:"), txtPassword);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdNew);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    cmdNew->setAutoDefault(false);
    cmbUsers->setAccessibleName(QStringLiteral("User Name"));
    setMinimumWidth(320);

    connect(cmdOK, &QPushButton::clicked, this, &frmPassword::cmdOK_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmPassword::cmdNew_Click);
    DialogKeys::Install(this, cmdOK);

    Global::DialogResult = 0;
    ShowUsers();
}

void frmPassword::ShowUsers()
{
    cmbUsers->clear();
    cmbUsers->addItems(UserManagement::ProfileNames);
    cmbUsers->setCurrentIndex(cmbUsers->count() > 0 ? 0 : -1);
}

void frmPassword::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    txtPassword->setFocus();
}

void frmPassword::cmdOK_Click()
{
    if (cmbUsers->currentIndex() < 0) {
        Prompt::ask(QStringLiteral("No user selected."), Prompt::Buttons::AbortRetryIgnore,
                    Prompt::Icon::None);
        return;
    }
    if (txtPassword->text().isEmpty()) {
        Prompt::inform(QStringLiteral("No password specified."));
        return;
    }
    if (!UserManagement::LoadProfile(cmbUsers->currentText(), txtPassword->text())) {
        Global::CurrentUserName.clear();
        Global::CurrentUserPassword.clear();
        Global::DialogResult = 2;
        txtPassword->selectAll();
        txtPassword->setFocus();
        return;
    }
    Global::DialogResult = 1;
    accept();
}

void frmPassword::cmdNew_Click()
{
    frmNewUser dialog(main, this);
    dialog.exec();
}
