#include "shell/LinkAccessible.h"

#include "shell/HTMLLink.h"

#include <QLabel>

namespace {

QAccessibleInterface *linkFactory(const QString &className, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (className != QLatin1String("QLabel") || !label ||
        !label->property(HTMLLink::TagProperty).isValid())
        return nullptr;
    return new LinkAccessible(label);
}

} // namespace

LinkAccessible::LinkAccessible(QLabel *label)
    : QAccessibleWidget(label, QAccessible::Link)
{}

void LinkAccessible::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(linkFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QString LinkAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return static_cast<QLabel *>(widget())->text();
    if (t == QAccessible::Description)
        return widget()->property(HTMLLink::TagProperty).toString();
    return QAccessibleWidget::text(t);
}

QStringList LinkAccessible::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void LinkAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        HTMLLink::LinkEvent(static_cast<QLabel *>(widget()), HTMLLink::LinkClick);
    else
        QAccessibleWidget::doAction(actionName);
}
