#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

#include "shell/TrayHost.h"

class PictureBox;
class QMenu;

// The notification-area icon: takes its picture from a picture box, keeps a 64-character tip
// field, and turns the platform's activation notices into six mouse events. The icon is made
// once the desktop has a tray, so a tray that appears later still gets it.
class CTray : public QObject
{
    Q_OBJECT

public:
    static constexpr int TipLength = 64;

    // Without a host of its own making, the tray icon asks the desktop.
    explicit CTray(QObject *parent = nullptr, TrayHost *host = nullptr);
    ~CTray() override;

    void PicBox(PictureBox *box);
    QString TipText() const { return tipField; }
    void TipText(const QString &text);
    // The part of the tip field before its zero character, as the platform shows it.
    QString shownTip() const;
    bool ShowIcon();
    void DeleteIcon();
    void ContextMenu(QMenu *menu);
    // The platform's icon; null until a tray was found.
    QSystemTrayIcon *icon() const { return trayIcon.get(); }
    TrayHost::Kind hostKind() const { return kind; }

    // A notice from the tray. A StatusNotifierItem host has no double click: its one activation
    // is the item's main action, what the double click does on a classic tray.
    void activated(QSystemTrayIcon::ActivationReason reason);

    // Raises the event for a classic mouse message number (513 to 518); others raise nothing.
    void mouseMessage(int message);

signals:
    void RButtonDown();
    void RButtonUp();
    void RButtonDblClick();
    void LButtonDown();
    void LButtonUp();
    void LButtonDblClick();
    // A tray appeared after the program started and now shows the icon.
    void trayAppeared();

private:
    void makeIcon(TrayHost::Kind found);
    void pictureChanged();

    TrayHost *host;
    TrayHost::Kind kind = TrayHost::Kind::None;
    std::unique_ptr<QSystemTrayIcon> trayIcon;
    QPointer<QMenu> menu;
    bool wanted = false;
    QPointer<PictureBox> mPic;
    QString tipField;
    bool inEvent = false;
};
