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

    // Header clicks: the same column flips the order, another column sorts ascending.
    void ColumnClick(int column);
    int sortColumnNow() const { return sortedBy; }
    Qt::SortOrder sortOrderNow() const { return order; }
    // The row the list's commands work on.
    QTreeWidgetItem *selectedRow() const;

signals:
    void rightButtonReleased(const QPoint &globalPosition);
    // The Menu key or Shift+F10: the popup, at the current row.
    void popupKeyPressed(const QPoint &globalPosition);
    // Enter or F2: edit the current row, as a double click does.
    void editKeyPressed();
    void filesDropped(const QStringList &paths);
    // The user ticked or unticked a row.
    void checkToggled();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void resort();
    // Widens "Last Ran" to its text while the header has room for it.
    void fitLastColumn();
    int sortedBy = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    bool sorting = false;
    void itemChanged(QTreeWidgetItem *item, int column);
    bool filling = false;
};
