#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Confirms or edits a create action: box name, box file, folder (or file list) and shred option.
// The caller fills the fields, sets Global::DialogResult to 0 and shows the window modally; on
// confirmation the window writes Global::DialogBoxName, DialogBoxFile, DialogFolder, DialogShred
// and sets DialogResult to 1 ("Auto-Set" also sets DialogAutoSet).
class frmCreateBox : public QDialog
{
    Q_OBJECT

public:
    // The box format stores the name's length in one byte.
    static constexpr int MaxBoxNameBytes = 255;

    explicit frmCreateBox(QWidget *parent = nullptr);

    QLabel *Label6;
    QLineEdit *txtBoxName;
    QLabel *Label1;
    QLabel *Label7;
    QLineEdit *txtBoxFile;
    QPushButton *cmdFind;
    QLabel *Label5;
    QLabel *lblBoxType;
    QLineEdit *txtPath;
    QPushButton *cmdBrowse;
    QLabel *lblTypeDesc;
    QCheckBox *chkShred;
    QPushButton *cmdCreate;
    QPushButton *cmdAuto;
    QPushButton *cmdCancel;

    void cmdCreate_Click();
    void cmdAuto_Click();
    void cmdCancel_Click();
    void cmdFind_Click();
    void cmdBrowse_Click();
    // key: a Qt::Key; Enter moves the focus on to the next field.
    void txtBoxName_KeyPress(int key);
    void txtBoxFile_KeyPress(int key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs the checks in order; only when they pass, writes the outputs and closes.
    void Confirm(bool autoSet);
    void LimitBoxName();
};
