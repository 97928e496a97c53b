#pragma once

#include <QObject>
#include <QTimer>

// Finds the desktop's tray: a StatusNotifierItem host on the session bus (KDE Plasma, GNOME's
// AppIndicator extension, waybar) or, under X11, a classic XEmbed tray. Qt settles on one of the
// two the first time a tray icon is made and never looks again, so the icon must not be made
// before a tray is there: a panel that starts after the program would otherwise never show it.
class TrayHost : public QObject
{
    Q_OBJECT

public:
    enum class Kind { None, Classic, StatusNotifier };

    explicit TrayHost(QObject *parent = nullptr);

    // Asks the desktop now; a StatusNotifierItem host wins, as it does in Qt.
    virtual Kind find() const;
    // Asks again every second until a tray is there, then emits found once.
    void waitForTray();

signals:
    void found(TrayHost::Kind kind);

private:
    void poll();

    QTimer timer;
};
