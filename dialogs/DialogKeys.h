#pragma once

#include <QObject>

class QDialog;
class QPushButton;

// Enter confirms and Escape cancels a dialog on every platform theme. Some themes let Enter
// press whatever button has the focus, so a focused check box would tick instead; some leave a
// window without a default button deaf to Enter. Enter on a focused push button presses that
// button; anywhere else it presses the confirming one. Fields that use Enter themselves (to move
// on to the next field) install their own filter after this one, which then runs first.
class DialogKeys : public QObject
{
    Q_OBJECT

public:
    static void Install(QDialog *dialog, QPushButton *confirm, QPushButton *cancel = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DialogKeys(QDialog *dialog, QPushButton *confirm, QPushButton *cancel);

    QDialog *dialog;
    QPushButton *confirm;
    QPushButton *cancel;
};
