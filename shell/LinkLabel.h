#pragma once

#include <QLabel>

// A label that is a web or mail link (its target in the HTMLLink tag): screen readers hear a
// link named by its text, with a press action that opens it.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);
};
