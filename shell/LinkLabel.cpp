#include "shell/LinkLabel.h"

#include "shell/HTMLLink.h"

#include <QAccessibleWidget>

namespace {

class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(QLabel *label)
        : QAccessibleWidget(label, QAccessible::Link)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return label()->text();
        if (t == QAccessible::Description)
            return label()->property(HTMLLink::TagProperty).toString();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            HTMLLink::LinkEvent(label(), HTMLLink::LinkClick);
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
};

QAccessibleInterface *linkFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String(LinkLabel::staticMetaObject.className()))
        return nullptr;
    return new LinkAccessible(static_cast<LinkLabel *>(object));
}

} // namespace

LinkLabel::LinkLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    static const bool installed = (QAccessible::installFactory(linkFactory), true);
    Q_UNUSED(installed);
    setFocusPolicy(Qt::StrongFocus);
}
