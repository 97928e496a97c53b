#pragma once

#include <QComboBox>

// A list to choose from that screen readers announce by its label (its accessible name or its
// buddy label), then its value; a plain combo box is announced by its value alone here.
class NamedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent = nullptr);
};
