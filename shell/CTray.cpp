#include "shell/CTray.h"

#include "shell/PictureBox.h"

namespace {
enum MouseMessage {
    LeftDown = 513,
    LeftUp = 514,
    LeftDouble = 515,
    RightDown = 516,
    RightUp = 517,
    RightDouble = 518
};
}

CTray::CTray(QObject *parent)
    : QObject(parent)
    , tipField(TipLength, QLatin1Char(' '))
{
    connect(&trayIcon, &QSystemTrayIcon::activated, this, &CTray::activated);
}

CTray::~CTray()
{
    DeleteIcon();
}

void CTray::PicBox(PictureBox *box)
{
    if (mPic)
        disconnect(mPic, nullptr, this, nullptr);
    mPic = box;
    if (box) {
        connect(box, &PictureBox::changed, this, &CTray::pictureChanged);
        trayIcon.setIcon(box->artwork());
    }
}

void CTray::TipText(const QString &text)
{
    tipField = (text + QChar(0)).left(TipLength);
    tipField = tipField.leftJustified(TipLength, QLatin1Char(' '));
    trayIcon.setToolTip(shownTip());
}

QString CTray::shownTip() const
{
    return tipField.left(tipField.indexOf(QChar(0)));
}

bool CTray::ShowIcon()
{
    if (!mPic)
        return false;
    trayIcon.show();
    return true;
}

void CTray::DeleteIcon()
{
    trayIcon.hide();
}

void CTray::pictureChanged()
{
    if (mPic)
        trayIcon.setIcon(mPic->artwork());
}

void CTray::activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        mouseMessage(RightDown);
        mouseMessage(RightUp);
        break;
    case QSystemTrayIcon::Trigger:
        mouseMessage(LeftDown);
        mouseMessage(LeftUp);
        break;
    case QSystemTrayIcon::DoubleClick:
        mouseMessage(LeftDouble);
        break;
    default:
        break;
    }
}

void CTray::mouseMessage(int message)
{
    if (inEvent)
        return; // an earlier event is still being handled
    inEvent = true;
    switch (message) {
    case LeftDown:
        emit LButtonDown();
        break;
    case LeftUp:
        emit LButtonUp();
        break;
    case LeftDouble:
        emit LButtonDblClick();
        break;
    case RightDown:
        emit RButtonDown();
        break;
    case RightUp:
        emit RButtonUp();
        break;
    case RightDouble:
        emit RButtonDblClick();
        break;
    default:
        break;
    }
    inEvent = false;
}
