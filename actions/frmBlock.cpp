#include "actions/frmBlock.h"

#include "core/Global.h"
#include "dialogs/Twips.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmBlock::frmBlock(QWidget *parent)
    : QDialog(parent)
    , lblName(new QLabel)
    , lblRoot(new QLabel)
    , lblFormat(new QLabel)
    , lvFiles(new QTreeWidget)
    , lblMsg(new QLabel)
    , cmdExtract(new QPushButton(QStringLiteral("Extract")))
    , cmdExtractAll(new QPushButton(QStringLiteral("Extract All")))
{
    setWindowTitle(QStringLiteral("Vaulnix Contents"));
    if (parent)
        setWindowIcon(parent->windowIcon());
    lvFiles->setRootIsDecorated(false);
    lvFiles->setUniformRowHeights(true);
    lvFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvFiles->setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Size")});
    lvFiles->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    lvFiles->header()->resizeSection(0, Twips::toPixels(3900));
    lvFiles->header()->resizeSection(1, Twips::toPixels(1200));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblMsg, 1);
    buttons->addWidget(cmdExtract);
    buttons->addWidget(cmdExtractAll);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblName);
    layout->addWidget(lblRoot);
    layout->addWidget(lblFormat);
    layout->addWidget(lvFiles, 1);
    layout->addLayout(buttons);
    resize(Twips::toPixels(5600), Twips::toPixels(4800));

    connect(cmdExtract, &QPushButton::clicked, this, &frmBlock::cmdExtract_Click);
    connect(cmdExtractAll, &QPushButton::clicked, this, &frmBlock::cmdExtractAll_Click);
}

QString frmBlock::sizeText(qint64 total)
{
    const QLocale locale;
    if (total < 1024)
        return locale.toString(total) + QStringLiteral(" bytes");
    if (total < 1048576)
        return locale.toString(double(total) / 1024.0, 'f', 1) + QStringLiteral(" Kb");
    return locale.toString(double(total) / 1048576.0, 'f', 2) + QStringLiteral(" Mb");
}

void frmBlock::cmdExtract_Click()
{
    QStringList positions;
    for (int i = 0; i < lvFiles->topLevelItemCount(); ++i) {
        if (lvFiles->topLevelItem(i)->isSelected())
            positions << QString::number(i + 1);
    }
    if (positions.isEmpty())
        return; // nothing chosen yet: the window stays open
    Global::DialogResult = 2;
    Global::SelectedFiles = positions.join(QLatin1Char(';'));
    accept();
}

void frmBlock::cmdExtractAll_Click()
{
    Global::DialogResult = 1;
    accept();
}
