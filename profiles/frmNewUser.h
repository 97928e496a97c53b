#pragma once

#include <QDialog>

class MainWindowHost;
class frmPassword;
class QLineEdit;
class QPushButton;

// Makes a new profile and logs its user on.
class frmNewUser : public QDialog
{
    Q_OBJECT

public:
    // login: the login window whose list is refreshed afterwards, when there is one.
    frmNewUser(MainWindowHost &main, frmPassword *login = nullptr);

    QLineEdit *txtUsername;
    QLineEdit *txtPassword;
    QLineEdit *txtPassword2;
    QPushButton *cmdCreate;
    QPushButton *cmdCancel;

    void cmdCreate_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainWindowHost &main;
    frmPassword *login;
};
