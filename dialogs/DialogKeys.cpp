#include "dialogs/DialogKeys.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

DialogKeys::DialogKeys(QDialog *owner, QPushButton *ok, QPushButton *no)
    : QObject(owner)
    , dialog(owner)
    , confirm(ok)
    , cancel(no)
{}

void DialogKeys::Install(QDialog *dialog, QPushButton *confirm, QPushButton *cancel)
{
    auto *keys = new DialogKeys(dialog, confirm, cancel);
    confirm->setDefault(true);
    dialog->installEventFilter(keys);
    for (QWidget *child : dialog->findChildren<QWidget *>())
        child->installEventFilter(keys);
}

bool DialogKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Popups (a combo box's list) keep their own keys.
    if (event->type() != QEvent::KeyPress || static_cast<QWidget *>(watched)->window() != dialog)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    if (key->key() == Qt::Key_Escape) {
        if (cancel && cancel->isVisible())
            cancel->click();
        else
            dialog->reject();
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    auto *button = qobject_cast<QPushButton *>(watched);
    if (!button) {
        const bool field = qobject_cast<QLineEdit *>(watched) ||
                           qobject_cast<QComboBox *>(watched) ||
                           qobject_cast<QAbstractButton *>(watched) || watched == dialog;
        if (!field)
            return false;
        button = confirm;
    }
    if (button->isVisible() && button->isEnabled())
        button->click();
    return true;
}
