#include "shell/PictureBox.h"

void PictureBox::setPicture(const QPixmap &picture)
{
    art = QIcon(picture);
    current = picture;
    setPixmap(picture);
    emit changed();
}

void PictureBox::setPicture(const QIcon &artwork)
{
    art = artwork;
    current = artwork.pixmap(PictureSize, PictureSize);
    setPixmap(current);
    emit changed();
}
