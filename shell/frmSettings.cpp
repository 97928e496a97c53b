#include "shell/frmSettings.h"

#include "core/Global.h"
#include "core/Prompt.h"
#include "dialogs/API.h"
#include "dialogs/DialogKeys.h"
#include "shell/AutostartEntry.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmSettings::frmSettings(Host h, QWidget *parent)
    : QDialog(parent)
    , txtPath(new QLineEdit)
    , cmdBrowse(new QPushButton(QStringLiteral("...")))
    , cmdOK(new QPushButton(QStringLiteral("OK")))
    , cmdCancel(new QPushButton(QStringLiteral("Cancel")))
    , chkStartAtLogin(new QCheckBox(QStringLiteral("Start Vaulnix when I log in")))
    , chkSealed(
          new QCheckBox(QStringLiteral("Write sealed boxes (no size limit, tamper-evident; not "
                                       "readable by format-1 readers)")))
    , host(std::move(h))
{
    setWindowTitle(QStringLiteral("Settings"));
    if (parent)
        setWindowIcon(parent->windowIcon());
    Global::DialogResult = 0;

    auto *frame = new QGroupBox(QStringLiteral("Default Folder"));
    auto *explanation = new QLabel(
        QStringLiteral("The folder below is your default folder for storing/extracting Vaulnixes. "
                       "If the folder does not exist, it will be created."));
    explanation->setWordWrap(true);
    cmdBrowse->setFixedWidth(cmdBrowse->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                             24);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(txtPath);
    pathRow->addWidget(cmdBrowse);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(explanation);
    frameLayout->addLayout(pathRow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    chkStartAtLogin->setChecked(AutostartEntry().isEnabled());
    layout->addWidget(chkStartAtLogin);
    chkSealed->setChecked(host.WriteSealed && host.WriteSealed());
    layout->addWidget(chkSealed);
    layout->addLayout(buttons);
    cmdBrowse->setAccessibleName(QStringLiteral("Choose the default folder"));
    resize(420, sizeHint().height());

    connect(cmdBrowse, &QPushButton::clicked, this, &frmSettings::cmdBrowse_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmSettings::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
    DialogKeys::Install(this, cmdOK, cmdCancel);
}

void frmSettings::cmdBrowse_Click()
{
    const QString folder = API::BrowseForFolder(QStringLiteral("Select Default Folder"));
    if (!folder.isEmpty())
        txtPath->setText(folder);
    txtPath->setFocus();
}

void frmSettings::cmdOK_Click()
{
    const QString separator = QStringLiteral("/");
    if (txtPath->text() != Global::DefaultFolder)
        changed = true;
    Global::DefaultFolder = txtPath->text();
    if (!Global::DefaultFolder.endsWith(separator)) {
        Global::DefaultFolder += separator;
        changed = true;
    }
    if (changed) {
        host.SaveSettings();
        host.SetStatus(QStringLiteral("Settings Saved"));
        if (!Global::CreatePath(Global::DefaultFolder))
            Prompt::inform(
                QStringLiteral("The folder %1 could not be created.").arg(Global::DefaultFolder));
    }
    applyStartAtLogin();
    if (host.SetWriteSealed)
        host.SetWriteSealed(chkSealed->isChecked());
    Global::DialogResult = 1;
    accept();
}

void frmSettings::applyStartAtLogin()
{
    const AutostartEntry entry;
    const bool wanted = chkStartAtLogin->isChecked();
    if (wanted == entry.isEnabled())
        return;
    if (!(wanted ? entry.enable(QCoreApplication::applicationFilePath()) : entry.disable()))
        Prompt::inform(QStringLiteral("The autostart entry %1 could not be %2.")
                           .arg(entry.filePath(),
                                wanted ? QStringLiteral("written") : QStringLiteral("removed")));
}

void frmSettings::cmdCancel_Click()
{
    reject();
}
