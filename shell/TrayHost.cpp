#include "shell/TrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#ifdef VAULNIX_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

bool statusNotifierHost()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(WatcherService).value())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        WatcherService, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    // A hung watcher must not freeze the window.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

bool xembedTray()
{
#ifdef VAULNIX_HAVE_XCB
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    static const char name[] = "_NET_SYSTEM_TRAY_S0";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
#else
    return false;
#endif
}

} // namespace

TrayHost::TrayHost(QObject *parent)
    : QObject(parent)
{
    timer.setInterval(1000);
    connect(&timer, &QTimer::timeout, this, &TrayHost::poll);
}

TrayHost::Kind TrayHost::find() const
{
    if (statusNotifierHost())
        return Kind::StatusNotifier;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb"))
        return xembedTray() ? Kind::Classic : Kind::None;
    if (platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("offscreen") ||
        platform == QLatin1String("minimal"))
        return Kind::None;
    // Windows and macOS always have their own.
    return QSystemTrayIcon::isSystemTrayAvailable() ? Kind::Classic : Kind::None;
}

void TrayHost::waitForTray()
{
    timer.start();
}

void TrayHost::poll()
{
    const Kind kind = find();
    if (kind == Kind::None)
        return;
    timer.stop();
    emit found(kind);
}
