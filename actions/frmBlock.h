#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// Shows what a box holds and lets the user extract chosen files or start a run.
class frmBlock : public QDialog
{
    Q_OBJECT

public:
    explicit frmBlock(QWidget *parent = nullptr);

    // "1,023 bytes", "1.0 Kb", "1.00 Mb" in the user's number format.
    static QString sizeText(qint64 total);

    QLabel *lblName;
    QLabel *lblRoot;
    QLabel *lblFormat;
    QTreeWidget *lvFiles;
    QLabel *lblMsg;
    QPushButton *cmdExtract;
    QPushButton *cmdExtractAll;

    void cmdExtract_Click();
    void cmdExtractAll_Click();
};
