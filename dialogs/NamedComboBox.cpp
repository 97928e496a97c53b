#include "dialogs/NamedComboBox.h"

#include <QAccessibleWidget>

namespace {

class NamedComboAccessible : public QAccessibleWidget
{
public:
    explicit NamedComboAccessible(QComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *comboFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String(NamedComboBox::staticMetaObject.className()))
        return nullptr;
    return new NamedComboAccessible(static_cast<NamedComboBox *>(object));
}

} // namespace

NamedComboBox::NamedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    static const bool installed = (QAccessible::installFactory(comboFactory), true);
    Q_UNUSED(installed);
}
