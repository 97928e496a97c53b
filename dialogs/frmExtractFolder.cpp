#include "dialogs/frmExtractFolder.h"

#include "core/Global.h"
#include "dialogs/API.h"
#include "dialogs/DialogKeys.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmExtractFolder::frmExtractFolder(QWidget *parent)
    : QDialog(parent)
    , Label1(
          new QLabel(QStringLiteral("Extract the contents of the box into the following folder:")))
    , txtPath(new QLineEdit)
    , cmdBrowse(new QPushButton(QStringLiteral("...")))
    , chkShred(new QCheckBox(QStringLiteral("Shred box after extraction without errors.")))
    , cmdOK(new QPushButton(QStringLiteral("OK")))
    , cmdAuto(new QPushButton(QStringLiteral("Auto-Set")))
    , cmdCancel(new QPushButton(QStringLiteral("Cancel")))
{
    setWindowTitle(QStringLiteral("Select Extraction Folder..."));
    if (parent)
        setWindowIcon(parent->windowIcon());
    Label1->setWordWrap(true);
    Label1->setBuddy(txtPath);

    auto *frame = new QGroupBox(QStringLiteral("Extraction Folder"));
    cmdBrowse->setFixedWidth(cmdBrowse->fontMetrics().horizontalAdvance(cmdBrowse->text()) + 24);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(txtPath);
    pathRow->addWidget(cmdBrowse);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(Label1);
    frameLayout->addLayout(pathRow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdAuto);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(chkShred);
    layout->addLayout(buttons);

    // Nothing to check here, so Enter may confirm from anywhere.
    for (QPushButton *button : {cmdBrowse, cmdAuto, cmdCancel})
        button->setAutoDefault(false);
    cmdBrowse->setAccessibleName(QStringLiteral("Choose the extraction folder"));
    cmdAuto->hide();
    setTabOrder(txtPath, cmdBrowse);
    setTabOrder(cmdBrowse, chkShred);
    setTabOrder(chkShred, cmdOK);
    setTabOrder(cmdOK, cmdAuto);
    setTabOrder(cmdAuto, cmdCancel);
    resize(420, sizeHint().height());

    connect(cmdOK, &QPushButton::clicked, this, &frmExtractFolder::cmdOK_Click);
    connect(cmdAuto, &QPushButton::clicked, this, &frmExtractFolder::cmdAuto_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmExtractFolder::cmdCancel_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmExtractFolder::cmdBrowse_Click);
    DialogKeys::Install(this, cmdOK, cmdCancel);
}

void frmExtractFolder::cmdOK_Click()
{
    Global::DialogResult = 1;
    Global::DialogFolder = txtPath->text();
    Global::DialogShred = chkShred->isChecked() ? 1 : 0;
    accept();
}

void frmExtractFolder::cmdAuto_Click()
{
    Global::DialogAutoSet = -1;
    cmdOK_Click();
}

// DialogResult keeps the 0 the caller set.
void frmExtractFolder::cmdCancel_Click()
{
    reject();
}

void frmExtractFolder::cmdBrowse_Click()
{
    const QString folder = API::BrowseForFolder(QStringLiteral("Select Extraction Folder"));
    if (!folder.isEmpty())
        txtPath->setText(folder);
    txtPath->setFocus();
}
