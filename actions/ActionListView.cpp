#include "actions/ActionListView.h"

#include "actions/Actions.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

ActionListView::ActionListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHeaderLabels({QStringLiteral("Name"), QStringLiteral("BoxFile"), QStringLiteral("Action"),
                     QStringLiteral("Folder"), QStringLiteral("Shred"),
                     QStringLiteral("Last Ran")});
    headerItem()->setTextAlignment(ActionColumn, Qt::AlignCenter);
    headerItem()->setTextAlignment(ShredColumn, Qt::AlignCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(this, &QTreeWidget::itemChanged, this, &ActionListView::itemChanged);
    connect(header(), &QHeaderView::sectionClicked, this, &ActionListView::ColumnClick);
    connect(header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != LastRanColumn)
            fitLastColumn();
    });
}

void ActionListView::appendRow(const Row &row)
{
    filling = true;
    auto *item = new QTreeWidgetItem;
    item->setText(NameColumn, row.Name);
    item->setText(BoxFileColumn, row.BoxFile);
    item->setText(ActionColumn, row.Action);
    item->setTextAlignment(ActionColumn, Qt::AlignCenter);
    item->setText(FolderColumn, row.Folder);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(NameColumn, row.Checked ? Qt::Checked : Qt::Unchecked);
    item->setText(ShredColumn, row.Shred);
    item->setTextAlignment(ShredColumn, Qt::AlignCenter);
    item->setText(LastRanColumn, row.LastRan);
    item->setData(NameColumn, TagRole, row.Tag);
    addTopLevelItem(item);
    filling = false;
    resort();
    fitLastColumn();
}

void ActionListView::removeRow(const QString &tag)
{
    delete rowWithTag(tag);
}

void ActionListView::removeAllRows()
{
    clear();
}

QTreeWidgetItem *ActionListView::rowWithTag(const QString &tag) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (tagOf(topLevelItem(i)) == tag)
            return topLevelItem(i);
    }
    return nullptr;
}

QString ActionListView::tagOf(const QTreeWidgetItem *item)
{
    return item ? item->data(NameColumn, TagRole).toString() : QString();
}

bool ActionListView::isChecked(const QTreeWidgetItem *item)
{
    return item && item->checkState(NameColumn) == Qt::Checked;
}

void ActionListView::itemChanged(QTreeWidgetItem *item, int column)
{
    if (column == LastRanColumn)
        fitLastColumn();
    if (filling || column != NameColumn)
        return;
    CAction *action = Actions::UserActions.Item(Actions::GetAction(tagOf(item).toInt()));
    if (!action)
        return;
    const qint16 checked = isChecked(item) ? -1 : 0;
    if (action->Checked() == checked)
        return;
    action->setChecked(checked);
    emit checkToggled();
}

void ActionListView::ColumnClick(int column)
{
    // The list starts unsorted, by the first column ascending: a first click there flips it.
    if (column == sortedBy) {
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    } else {
        sortedBy = column;
        order = Qt::AscendingOrder;
    }
    sorting = true;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(sortedBy, order);
    resort();
}

void ActionListView::resort()
{
    if (sorting)
        sortItems(sortedBy, order);
}

QTreeWidgetItem *ActionListView::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    if (!selected.isEmpty())
        return selected.contains(currentItem()) ? currentItem() : selected.first();
    return nullptr;
}

void ActionListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        emit rightButtonReleased(event->globalPosition().toPoint());
}

void ActionListView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool popupKey = (key == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
                          (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
    const bool editKey = modifiers == Qt::NoModifier &&
                         (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2);
    QTreeWidgetItem *current = currentItem();
    if (!(popupKey || editKey) || !current) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // The commands work on the selected row: the one the keyboard is on.
    if (!current->isSelected())
        setCurrentItem(current);
    if (editKey) {
        emit editKeyPressed();
        return;
    }
    scrollToItem(current);
    // At the row's visible start, not the middle of columns that may be scrolled out of sight.
    const QRect shown = visualItemRect(current).intersected(viewport()->rect());
    emit popupKeyPressed(
        viewport()->mapToGlobal(QPoint(shown.left() + shown.height(), shown.center().y())));
}

void ActionListView::resizeEvent(QResizeEvent *event)
{
    QTreeWidget::resizeEvent(event);
    fitLastColumn();
}

void ActionListView::fitLastColumn()
{
    const int room = viewport()->width() - header()->sectionPosition(LastRanColumn);
    const int wanted =
        std::max(sizeHintForColumn(LastRanColumn), header()->sectionSizeHint(LastRanColumn));
    const int size = header()->sectionSize(LastRanColumn);
    if (size < wanted && room > size)
        header()->resizeSection(LastRanColumn, std::min(wanted, room));
}

namespace {
// Files from the file manager are copied in; anything else is not taken.
void offerCopy(QDropEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
} // namespace

void ActionListView::dragEnterEvent(QDragEnterEvent *event)
{
    offerCopy(event);
}

void ActionListView::dragMoveEvent(QDragMoveEvent *event)
{
    offerCopy(event);
}

void ActionListView::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!paths.isEmpty())
        emit filesDropped(paths);
}
