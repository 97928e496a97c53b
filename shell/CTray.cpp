#include "shell/CTray.h"

#include "shell/PictureBox.h"

#include <QMenu>

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

CTray::CTray(QObject *parent, TrayHost *trayHost)
    : QObject(parent)
    , host(trayHost ? trayHost : new TrayHost(this))
    , tipField(TipLength, QLatin1Char(' '))
{
    const TrayHost::Kind found = host->find();
    if (found != TrayHost::Kind::None) {
        makeIcon(found);
        return;
    }
    connect(host, &TrayHost::found, this, [this](TrayHost::Kind later) {
        makeIcon(later);
        if (wanted) {
            trayIcon->show();
            emit trayAppeared();
        }
    });
    host->waitForTray();
}

void CTray::makeIcon(TrayHost::Kind found)
{
    if (trayIcon)
        return;
    kind = found;
    trayIcon = std::make_unique<QSystemTrayIcon>();
    connect(trayIcon.get(), &QSystemTrayIcon::activated, this, &CTray::activated);
    if (mPic)
        trayIcon->setIcon(mPic->artwork());
    trayIcon->setToolTip(shownTip());
    trayIcon->setContextMenu(menu);
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
        pictureChanged();
    }
}

void CTray::ContextMenu(QMenu *popup)
{
    menu = popup;
    if (trayIcon)
        trayIcon->setContextMenu(popup);
}

void CTray::TipText(const QString &text)
{
    tipField = (text + QChar(0)).left(TipLength);
    tipField = tipField.leftJustified(TipLength, QLatin1Char(' '));
    if (trayIcon)
        trayIcon->setToolTip(shownTip());
}

QString CTray::shownTip() const
{
    return tipField.left(tipField.indexOf(QChar(0)));
}

bool CTray::ShowIcon()
{
    if (!mPic)
        return false;
    wanted = true;
    if (trayIcon)
        trayIcon->show();
    return true;
}

void CTray::DeleteIcon()
{
    wanted = false;
    if (trayIcon)
        trayIcon->hide();
}

void CTray::pictureChanged()
{
    if (mPic && trayIcon)
        trayIcon->setIcon(mPic->artwork());
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
        if (kind == TrayHost::Kind::StatusNotifier)
            mouseMessage(LeftDouble);
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
