#include "shell/PictureBox.h"

void PictureBox::setPicture(const QPixmap &picture)
{
    current = picture;
    setPixmap(picture);
    emit changed();
}
