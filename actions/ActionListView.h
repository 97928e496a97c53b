#pragma once

#include "actions/ActionRows.h"

#include <QTreeWidget>

// The main window's list of actions: one checkable row per action, tagged with its ID.
class ActionListView : public QTreeWidget, public ActionRows
{
    Q_OBJECT

public:
    enum Column {
        NameColumn,
        BoxFileColumn,
        ActionColumn,
        FolderColumn,
        ShredColumn,
        LastRanColumn
    };
    static constexpr int TagRole = Qt::UserRole;

    explicit ActionListView(QWidget *parent = nullptr);

    void appendRow(const Row &row) override;
    void removeRow(const QString &tag) override;
    void removeAllRows() override;

    int rowCount() const { return topLevelItemCount(); }
    QTreeWidgetItem *row(int position) const { return topLevelItem(position); }
    QTreeWidgetItem *rowWithTag(const QString &tag) const;
    static QString tagOf(const QTreeWidgetItem *item);
    static bool isChecked(const QTreeWidgetItem *item);

private:
    void itemChanged(QTreeWidgetItem *item, int column);
    bool filling = false;
};
