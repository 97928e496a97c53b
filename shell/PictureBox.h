#pragma once

#include <QIcon>
#include <QLabel>

// A label holding one picture that tells when its picture is replaced.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    static constexpr int PictureSize = 16;

    using QLabel::QLabel;

    void setPicture(const QPixmap &picture);
    // Shows the artwork at the box's picture size and keeps it for views of other sizes.
    void setPicture(const QIcon &artwork);
    QPixmap picture() const { return current; }
    QIcon artwork() const { return art; }

signals:
    void changed();

private:
    QPixmap current;
    QIcon art;
};
