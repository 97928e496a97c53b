#pragma once

#include <QAccessibleWidget>

class QLabel;

// What a screen reader learns of a link label (one with an HTMLLink tag): a link named by its
// text, with a press action that opens it.
class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(QLabel *label);
    // Registers the interface for every link label; once is enough.
    static void Install();

    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
};
