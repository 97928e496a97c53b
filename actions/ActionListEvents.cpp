#include "actions/ActionListEvents.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "actions/BoxFlows.h"
#include "actions/MainWindowHost.h"
#include "core/Global.h"
#include "dialogs/API.h"
#include "dialogs/MenuItems.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

ActionListEvents::ActionListEvents(MainWindowHost &window, BoxFlows &boxFlows)
    : QObject(window.DialogParent())
    , main(window)
    , flows(boxFlows)
{
    connect(&main.Rows(), &ActionListView::rightButtonReleased, this,
            &ActionListEvents::lvMain_MouseUp);
    connect(&main.Rows(), &ActionListView::popupKeyPressed, this,
            &ActionListEvents::lvMain_MouseUp);
    connect(&main.Rows(), &QTreeWidget::itemDoubleClicked, this, [this] { lvMain_DblClick(); });
    connect(&main.Rows(), &ActionListView::editKeyPressed, this, [this] { lvMain_DblClick(); });
    connect(&main.Rows(), &ActionListView::filesDropped, this,
            &ActionListEvents::lvMain_OLEDragDrop);
    for (int i = 0; i < main.ListPopupItems().size(); ++i)
        connect(main.ListPopupItems()[i], &QAction::triggered, this, [this, i] {
            if (!main.RefusedWhileBusy() && !main.RefusedWithoutUser())
                mnuPopupListViewItem_Click(i);
        });
}

CAction *ActionListEvents::actionOf(QTreeWidgetItem *row) const
{
    if (!row)
        return nullptr;
    return Actions::UserActions.Item(Actions::GetAction(ActionListView::tagOf(row).toInt()));
}

bool ActionListEvents::findAgain(QTreeWidgetItem *&row, CAction *&action) const
{
    // A modal dialog pumps messages: the row may have gone meanwhile.
    row = main.Rows().rowWithTag(Actions::TagText(action->ID()));
    action = actionOf(row);
    return action != nullptr;
}

bool ActionListEvents::LayOutPopup()
{
    const CAction *action = actionOf(main.Rows().selectedRow());
    if (!action)
        return false;
    const QList<QAction *> &items = main.ListPopupItems();
    const bool create = action->Action() == CAction::Create;
    for (int i : {0, 2, 3, 4})
        items[i]->setVisible(!create);
    items[1]->setVisible(create);
    items[6]->setChecked(action->Shred() == 1);
    if (Actions::IsFileList(action->Folder())) {
        for (int i : {1, 2, 4})
            items[i]->setVisible(false);
    } else {
        items[2]->setVisible(true);
    }
    items[5]->setVisible(true);
    items[6]->setVisible(true);
    return true;
}

void ActionListEvents::lvMain_MouseUp(const QPoint &globalPosition)
{
    if (LayOutPopup()) {
        MenuItems::Show(&main.ListPopup(), main.ListPopupItems());
        main.ListPopup().popup(globalPosition);
    }
}

void ActionListEvents::mnuPopupListViewItem_Click(int index)
{
    QTreeWidgetItem *row = main.Rows().selectedRow();
    CAction *action = actionOf(row);
    if (!action)
        return;
    switch (index) {
    case 0:
    case 1: {
        const qint16 kind = index == 0 ? CAction::Create : CAction::Extract;
        action->setAction(kind);
        row->setText(ActionListView::ActionColumn, Actions::ActionText(kind));
        main.ProfileChanged();
        break;
    }
    case 3:
        flows.ViewBox(row->text(ActionListView::BoxFileColumn),
                      row->text(ActionListView::FolderColumn));
        break;
    case 5:
        Actions::RemoveAction(action->ID());
        main.ProfileChanged();
        break;
    case 6: {
        // The item shows checked exactly when the option is 1.
        const qint16 shred = action->Shred() == 1 ? 0 : 1;
        action->setShred(shred);
        row->setText(ActionListView::ShredColumn, Actions::ShredText(shred));
        main.ProfileChanged();
        break;
    }
    default:
        break;
    }
}

void ActionListEvents::lvMain_DblClick()
{
    if (main.RefusedWhileBusy() || main.RefusedWithoutUser())
        return;
    QTreeWidgetItem *row = main.Rows().selectedRow();
    CAction *action = actionOf(row);
    if (!action)
        return;
    const QString kind = row->text(ActionListView::ActionColumn);
    if (kind == Actions::CreateText) {
        frmCreateBox dialog(main.DialogParent());
        dialog.txtBoxFile->setText(action->BoxFile());
        dialog.txtBoxName->setText(action->BoxName());
        dialog.txtPath->setText(action->Folder());
        dialog.chkShred->setChecked(action->Shred() == 1);
        Global::DialogResult = 0;
        dialog.cmdAuto->hide();
        const bool fileList = Actions::IsFileList(action->Folder());
        dialog.cmdBrowse->setVisible(!fileList);
        dialog.lblBoxType->setText(fileList ? QStringLiteral("Files To Box:")
                                            : QStringLiteral("Folder To Box:"));
        dialog.lblTypeDesc->setVisible(!fileList);
        dialog.exec();
        if (Global::DialogResult != 1 || !findAgain(row, action))
            return;
        action->setBoxFile(Global::DialogBoxFile);
        action->setBoxName(Global::DialogBoxName);
        action->setFolder(Global::DialogFolder);
        action->setShred(Global::DialogShred);
        row->setText(ActionListView::NameColumn, Global::DialogBoxName);
        row->setText(ActionListView::BoxFileColumn, Global::DialogBoxFile);
        row->setText(ActionListView::FolderColumn, Global::DialogFolder);
        row->setText(ActionListView::ShredColumn, Actions::ShredText(Global::DialogShred));
        main.ProfileChanged();
    } else if (kind == Actions::ExtractText) {
        frmExtractFolder dialog(main.DialogParent());
        dialog.cmdAuto->hide();
        dialog.txtPath->setText(action->Folder());
        Global::DialogResult = 0;
        dialog.exec();
        if (Global::DialogResult != 1 || !findAgain(row, action))
            return;
        action->setFolder(Global::DialogFolder);
        row->setText(ActionListView::FolderColumn, Global::DialogFolder);
        main.ProfileChanged();
    }
}

void ActionListEvents::lvMain_OLEDragDrop(const QStringList &paths)
{
    if (main.RefusedWhileBusy() || main.RefusedWithoutUser())
        return;
    Global::DialogAutoSet = 0;
    const qint16 count = qint16(std::min<qsizetype>(paths.size(), 32767));
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir())
            flows.NewBoxFromFolder(path, count);
        else if (API::PathExtension(path) == API::BoxExtension)
            flows.AddExtractAction(path, count);
    }
    // Auto-Set answers for this drop only.
    Global::DialogAutoSet = 0;
}
