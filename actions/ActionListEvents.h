#pragma once

#include <QObject>

class BoxFlows;
class CAction;
class MainWindowHost;
class QTreeWidgetItem;

// What the action list does when it is clicked, double-clicked, right-clicked or dropped on.
class ActionListEvents : public QObject
{
    Q_OBJECT

public:
    ActionListEvents(MainWindowHost &main, BoxFlows &flows);

    // Lays out the popup for the selected row; false when no row is selected.
    bool LayOutPopup();
    void lvMain_MouseUp(const QPoint &globalPosition);
    void mnuPopupListViewItem_Click(int index);
    void lvMain_DblClick();
    void lvMain_OLEDragDrop(const QStringList &paths);

private:
    CAction *actionOf(QTreeWidgetItem *row) const;
    bool findAgain(QTreeWidgetItem *&row, CAction *&action) const;

    MainWindowHost &main;
    BoxFlows &flows;
};
