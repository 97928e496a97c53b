#pragma once

#include <QList>

class QAction;
class QMenu;

// A menu whose items come and go. A hidden item stays in the menu's own list, where screen
// readers still find it; this keeps exactly the visible ones in the menu, in their order.
class MenuItems
{
public:
    static void Show(QMenu *menu, const QList<QAction *> &items);
};
