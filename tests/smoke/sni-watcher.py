#!/usr/bin/python3
# A minimal StatusNotifierItem host for the tests: owns org.kde.StatusNotifierWatcher on the
# session bus, counts itself as the host, and prints every item that registers, one a line.
#   sni-watcher.py                  the host
#   sni-watcher.py menu ITEM        the item's menu as a host reads it: visible entries, "|"-joined
#   sni-watcher.py click ITEM LABEL clicks the visible entry LABEL ("&" as "_", as dbusmenu has it)
# ITEM is BUSNAME/PATH as the host printed it.
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

IFACE = "org.kde.StatusNotifierWatcher"


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.items = []
        self.name = dbus.service.BusName(IFACE, bus, do_not_queue=True)
        super().__init__(bus, "/StatusNotifierWatcher")

    @dbus.service.method(IFACE, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, item, sender=None):
        # An item names its bus name, or only its object path on the caller's connection.
        full = sender + item if item.startswith("/") else item + "/StatusNotifierItem"
        if full not in self.items:
            self.items.append(full)
        print(full, flush=True)
        self.StatusNotifierItemRegistered(full)

    @dbus.service.method(IFACE, in_signature="s")
    def RegisterStatusNotifierHost(self, host):
        pass

    @dbus.service.signal(IFACE, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(IFACE, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    # Qt reads the properties through introspection, which dbus-python leaves out.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return (
            '<node><interface name="%s">'
            '<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>'
            '<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>'
            '<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
            '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
            '<property name="ProtocolVersion" type="i" access="read"/>'
            '<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>'
            '<signal name="StatusNotifierHostRegistered"/>'
            "</interface></node>" % IFACE
        )

    def props(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": True,
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, iface, prop):
        return self.props()[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        return self.props()


def menu_entries(item):
    bus = dbus.SessionBus()
    name, path = item.split("/", 1)
    props = dbus.Interface(bus.get_object(name, "/" + path), dbus.PROPERTIES_IFACE)
    menu = dbus.Interface(
        bus.get_object(name, props.Get("org.kde.StatusNotifierItem", "Menu")),
        "com.canonical.dbusmenu",
    )
    _, (_, _, children) = menu.GetLayout(0, -1, [])
    entries = []
    for ident, p, _ in children:
        if p.get("visible", True):
            label = "-" if p.get("type") == "separator" else str(p.get("label", ""))
            entries.append((int(ident), label))
    return menu, entries


if len(sys.argv) > 2:
    menu, entries = menu_entries(sys.argv[2])
    if sys.argv[1] == "menu":
        print("|".join(label for _, label in entries))
    else:
        ident = next(i for i, label in entries if label == sys.argv[3])
        menu.Event(ident, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
    sys.exit(0)

DBusGMainLoop(set_as_default=True)
watcher = Watcher(dbus.SessionBus())
GLib.idle_add(watcher.StatusNotifierHostRegistered)
GLib.MainLoop().run()
