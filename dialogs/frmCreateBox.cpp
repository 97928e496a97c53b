#include "dialogs/frmCreateBox.h"

#include "core/Global.h"
#include "core/Prompt.h"
#include "dialogs/API.h"
#include "dialogs/DialogKeys.h"
#include "dialogs/cDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *wrappedLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QHBoxLayout *fieldRow(QLineEdit *field, QPushButton *button)
{
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 24);
    auto *row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(button);
    return row;
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

frmCreateBox::frmCreateBox(QWidget *parent)
    : QDialog(parent)
    , Label6(new QLabel(QStringLiteral("Box &Name:")))
    , txtBoxName(new QLineEdit)
    , Label1(wrappedLabel(QStringLiteral(
          "Enter a name for your box. This is used to reference the contents of your box.")))
    , Label7(new QLabel(QStringLiteral("Box File:")))
    , txtBoxFile(new QLineEdit)
    , cmdFind(new QPushButton(QStringLiteral("...")))
    , Label5(wrappedLabel(
          QStringLiteral("Select a location and name for your box file. This file will contain "
                         "the encrypted contents of of the Folder To Box property below.")))
    , lblBoxType(new QLabel(QStringLiteral("Folder To Box:")))
    , txtPath(new QLineEdit)
    , cmdBrowse(new QPushButton(QStringLiteral("...")))
    , lblTypeDesc(wrappedLabel(QStringLiteral("Select a folder to box. The contents of this folder "
                                              "will be stored in the box file selected above.")))
    , chkShred(
          new QCheckBox(QStringLiteral("Shred original files if box is created without errors.")))
    , cmdCreate(new QPushButton(QStringLiteral("OK")))
    , cmdAuto(new QPushButton(QStringLiteral("Auto-Set")))
    , cmdCancel(new QPushButton(QStringLiteral("Cancel")))
{
    setWindowTitle(QStringLiteral("Create Box"));
    if (parent)
        setWindowIcon(parent->windowIcon());
    Label6->setBuddy(txtBoxName);
    Label7->setBuddy(txtBoxFile);
    lblBoxType->setBuddy(txtPath);

    auto *frame = new QGroupBox(QStringLiteral("Vaulnix Properties"));
    auto *fields = new QVBoxLayout(frame);
    fields->addWidget(Label6);
    fields->addWidget(txtBoxName);
    fields->addWidget(Label1);
    fields->addSpacing(6);
    fields->addWidget(Label7);
    fields->addLayout(fieldRow(txtBoxFile, cmdFind));
    fields->addWidget(Label5);
    fields->addSpacing(6);
    fields->addWidget(lblBoxType);
    fields->addLayout(fieldRow(txtPath, cmdBrowse));
    fields->addWidget(lblTypeDesc);
    fields->addSpacing(6);
    fields->addWidget(chkShred);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCreate);
    buttons->addWidget(cmdAuto);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    for (QPushButton *button : {cmdFind, cmdBrowse, cmdCreate, cmdAuto, cmdCancel})
        button->setAutoDefault(false);
    cmdFind->setAccessibleName(QStringLiteral("Choose the box file"));
    cmdBrowse->setAccessibleName(QStringLiteral("Choose the folder to box"));
    cmdAuto->hide();
    setTabOrder(txtBoxName, txtBoxFile);
    setTabOrder(txtBoxFile, cmdFind);
    setTabOrder(cmdFind, txtPath);
    setTabOrder(txtPath, cmdBrowse);
    setTabOrder(cmdBrowse, chkShred);
    setTabOrder(chkShred, cmdCreate);
    setTabOrder(cmdCreate, cmdAuto);
    setTabOrder(cmdAuto, cmdCancel);
    resize(440, sizeHint().height());

    connect(cmdCreate, &QPushButton::clicked, this, &frmCreateBox::cmdCreate_Click);
    connect(cmdAuto, &QPushButton::clicked, this, &frmCreateBox::cmdAuto_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCreateBox::cmdCancel_Click);
    connect(cmdFind, &QPushButton::clicked, this, &frmCreateBox::cmdFind_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmCreateBox::cmdBrowse_Click);
    DialogKeys::Install(this, cmdCreate, cmdCancel);
    // Enter walks from the name to the box file to the folder; installed last, so it comes first.
    txtBoxName->installEventFilter(this);
    txtBoxFile->installEventFilter(this);
    connect(txtBoxName, &QLineEdit::textChanged, this, &frmCreateBox::LimitBoxName);
}

void frmCreateBox::cmdCreate_Click()
{
    Confirm(false);
}

void frmCreateBox::cmdAuto_Click()
{
    Confirm(true);
}

void frmCreateBox::cmdCancel_Click()
{
    Global::DialogResult = 0;
    reject();
}

void frmCreateBox::cmdFind_Click()
{
    QString proposal = txtBoxName->text() + QStringLiteral(".") + API::BoxExtension;
    cDialog dialog;
    const QString chosen =
        dialog.GetSaveName(proposal, API::PathFolderPart(txtBoxFile->text()),
                           QStringLiteral("Create Box"), API::BoxFilter, API::BoxExtension);
    if (!chosen.isEmpty())
        txtBoxFile->setText(chosen);
    txtBoxFile->setFocus();
}

void frmCreateBox::cmdBrowse_Click()
{
    const QString folder = API::BrowseForFolder(QString());
    if (!folder.isEmpty())
        txtPath->setText(folder);
    txtPath->setFocus();
}

bool frmCreateBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == txtBoxName || watched == txtBoxFile)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (isEnter(key)) {
            if (watched == txtBoxName)
                txtBoxName_KeyPress(key);
            else
                txtBoxFile_KeyPress(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCreateBox::txtBoxName_KeyPress(int key)
{
    if (isEnter(key))
        txtBoxFile->setFocus();
}

void frmCreateBox::txtBoxFile_KeyPress(int key)
{
    if (isEnter(key))
        txtPath->setFocus();
}

void frmCreateBox::Confirm(bool autoSet)
{
    if (txtPath->text().isEmpty()) {
        Prompt::inform(QStringLiteral("Folder not specified"));
        txtPath->setFocus();
        return;
    }
    if (txtBoxFile->text().isEmpty()) {
        Prompt::inform(QStringLiteral("Box file not specified"));
        // Deliberately the folder field, not the box file field.
        txtPath->setFocus();
        return;
    }
    Global::DialogShred = chkShred->isChecked() ? 1 : 0;
    Global::DialogBoxName = txtBoxName->text();
    Global::DialogFolder = txtPath->text();
    Global::DialogBoxFile = txtBoxFile->text();
    Global::DialogResult = 1;
    if (autoSet)
        Global::DialogAutoSet = -1;
    accept();
}

// Keeps the name within the format's byte limit. What was just typed or pasted sits before the
// cursor, so it is cut first: an edit that does not fit is refused (a paste is shortened), and a
// name filled in by the caller loses its end.
void frmCreateBox::LimitBoxName()
{
    QString name = txtBoxName->text();
    qsizetype bytes = name.toUtf8().size();
    if (bytes <= MaxBoxNameBytes)
        return;
    qsizetype cursor = txtBoxName->cursorPosition();
    auto cutBefore = [&](qsizetype pos) {
        const qsizetype width =
            pos >= 2 && name[pos - 1].isLowSurrogate() && name[pos - 2].isHighSurrogate() ? 2 : 1;
        bytes -= name.mid(pos - width, width).toUtf8().size();
        name.remove(pos - width, width);
        return width;
    };
    while (bytes > MaxBoxNameBytes && cursor > 0)
        cursor -= cutBefore(cursor);
    while (bytes > MaxBoxNameBytes)
        cutBefore(name.size());
    txtBoxName->setText(name);
    txtBoxName->setCursorPosition(int(cursor));
}
