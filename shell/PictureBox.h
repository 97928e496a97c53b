#pragma once

#include <QLabel>

// A label holding one picture that tells when its picture is replaced.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return current; }

signals:
    void changed();

private:
    QPixmap current;
};
