#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Chooses the logged-on user's default folder.
class frmSettings : public QDialog
{
    Q_OBJECT

public:
    struct Host
    {
        std::function<void()> SaveSettings;
        std::function<void(const QString &)> SetStatus;
        std::function<bool()> WriteSealed = {};
        std::function<void(bool)> SetWriteSealed = {};
    };

    explicit frmSettings(Host host, QWidget *parent = nullptr);

    QLineEdit *txtPath;
    QPushButton *cmdBrowse;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QCheckBox *chkStartAtLogin; // the computer user's autostart entry, not the profile's
    QCheckBox *chkSealed;       // the program's settings store, not the profile

    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void applyStartAtLogin();

    Host host;
    bool changed = false;
};
