#pragma once

#include <QDialog>

class MainWindowHost;
class QComboBox;
class QLineEdit;
class QPushButton;

// Logs a user on with a profile name and its password.
class frmPassword : public QDialog
{
    Q_OBJECT

public:
    explicit frmPassword(MainWindowHost &main);

    QComboBox *cmbUsers;
    QLineEdit *txtPassword;
    QPushButton *cmdOK;
    QPushButton *cmdNew;

    void ShowUsers();
    void cmdOK_Click();
    void cmdNew_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    MainWindowHost &main;
};
