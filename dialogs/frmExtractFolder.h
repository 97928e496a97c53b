#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Confirms or edits the folder an extract action unpacks into, and the shred option. The caller
// fills txtPath, sets Global::DialogResult to 0 and shows the window modally; on confirmation the
// window writes Global::DialogFolder and DialogShred and sets DialogResult to 1 ("Auto-Set" also
// sets DialogAutoSet). Nothing is checked.
class frmExtractFolder : public QDialog
{
    Q_OBJECT

public:
    explicit frmExtractFolder(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *txtPath;
    QPushButton *cmdBrowse;
    QCheckBox *chkShred;
    QPushButton *cmdOK;
    QPushButton *cmdAuto;
    QPushButton *cmdCancel;

    void cmdOK_Click();
    void cmdAuto_Click();
    void cmdCancel_Click();
    void cmdBrowse_Click();
};
