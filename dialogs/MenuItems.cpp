#include "dialogs/MenuItems.h"

#include <QAction>
#include <QMenu>

void MenuItems::Show(QMenu *menu, const QList<QAction *> &items)
{
    QList<QAction *> shown;
    for (QAction *item : items) {
        if (item->isVisible())
            shown << item;
    }
    if (menu->actions() == shown)
        return;
    for (QAction *item : menu->actions())
        menu->removeAction(item);
    menu->addActions(shown);
}
