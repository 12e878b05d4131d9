#!/usr/bin/python3
"""Stand-ins for the desktop's services on a private session bus, recording
every call as one JSON line in LOG (flushed at once).

  stand_in_services.py notifications LOG   org.freedesktop.Notifications
  stand_in_services.py watcher LOG         org.kde.StatusNotifierWatcher
  stand_in_services.py portal LOG SCHEME   org.freedesktop.portal.Desktop whose
                                           color-scheme is SCHEME (0, 1 dark, 2 light),
                                           with the portal's notifications

The notification service answers Notify with a new id, or with replaces_id
when it names a notification it gave. The watcher records the items that
register, with their Id, Title, ToolTip, Menu, IconName and Status and the
labels of their menu (com.canonical.dbusmenu GetLayout).
Ends on SIGTERM."""
import json
import os
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


def record(log, **entry):
    log.write(json.dumps(entry, ensure_ascii=False) + "\n")
    log.flush()


def plain(value):
    """A D-Bus value as plain JSON."""
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.Array, dbus.Struct, list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Byte, dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64, int)):
        return int(value)
    if isinstance(value, dbus.Boolean):
        return bool(value)
    return str(value)


class Notifications(dbus.service.Object):
    IFACE = "org.freedesktop.Notifications"

    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.last = 0
        self.given = set()

    @dbus.service.method(IFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        if replaces_id in self.given:
            nid = int(replaces_id)
        else:
            self.last += 1
            nid = self.last
            self.given.add(nid)
        record(self.log, call="Notify", app_name=str(app_name), replaces_id=int(replaces_id),
               app_icon=str(app_icon), summary=str(summary), body=str(body),
               hints=plain(hints), timeout=int(timeout), id=nid)
        return nid

    @dbus.service.method(IFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        record(self.log, call="GetCapabilities")
        return ["body"]

    @dbus.service.method(IFACE, in_signature="u", out_signature="")
    def CloseNotification(self, nid):
        record(self.log, call="CloseNotification", id=int(nid))

    @dbus.service.method(IFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ["stand-in", "tests", "1", "1.2"]


class Watcher(dbus.service.Object):
    IFACE = "org.kde.StatusNotifierWatcher"

    def __init__(self, bus, log):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        self.log = log
        self.items = []

    @dbus.service.method(IFACE, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # The item names its bus name, or its object path on the caller's name.
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        self.items.append(name + path)
        entry = {"call": "RegisterStatusNotifierItem", "service": str(service), "sender": str(sender)}
        try:
            props = dbus.Interface(self.bus.get_object(name, path),
                                   "org.freedesktop.DBus.Properties")
            dump = os.environ.get("STAND_IN_ICON_DIR")
            if dump:
                # Each picture of the item's icon as a PAM file (RGBA).
                for width, height, argb in props.Get("org.kde.StatusNotifierItem", "IconPixmap"):
                    argb = bytes(argb)
                    rgba = bytearray()
                    for i in range(0, len(argb), 4):
                        rgba += argb[i + 1:i + 4] + argb[i:i + 1]
                    with open(os.path.join(dump, "icon-%d.pam" % width), "wb") as f:
                        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                                % (width, height) + bytes(rgba))
            for prop in ("Id", "Title", "ToolTip", "Menu", "IconName", "Status"):
                try:
                    entry[prop] = plain(props.Get("org.kde.StatusNotifierItem", prop))
                except dbus.DBusException as e:
                    entry[prop] = "error: " + e.get_dbus_name()
            menu = dbus.Interface(self.bus.get_object(name, str(entry["Menu"])),
                                  "com.canonical.dbusmenu")
            _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
            entry["menu"] = [str(child[1].get("label", child[1].get("type", "")))
                             for child in layout[2]]
        except dbus.DBusException as e:
            entry["error"] = e.get_dbus_name()
        record(self.log, **entry)
        self.StatusNotifierItemRegistered(name + path)

    @dbus.service.method(IFACE, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        record(self.log, call="RegisterStatusNotifierHost", service=str(service))

    @dbus.service.signal(IFACE, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(IFACE, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    @dbus.service.signal(IFACE, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self.GetAll(interface)[prop]

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="s",
                         out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }


class Portal(dbus.service.Object):
    IFACE = "org.freedesktop.portal.Settings"

    def __init__(self, bus, log, scheme):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.log = log
        self.scheme = scheme

    @dbus.service.method(IFACE, in_signature="ss", out_signature="v")
    def Read(self, group, key):
        record(self.log, call="Read", group=str(group), key=str(key))
        if (group, key) != ("org.freedesktop.appearance", "color-scheme"):
            raise dbus.DBusException("no such setting",
                                     name="org.freedesktop.portal.Error.NotFound")
        # As the portal's Read does: the value in one variant more.
        return dbus.types.UInt32(self.scheme, variant_level=1)

    @dbus.service.signal(IFACE, signature="ssv")
    def SettingChanged(self, group, key, value):
        pass

    @dbus.service.method("org.freedesktop.portal.Notification", in_signature="sa{sv}",
                         out_signature="")
    def AddNotification(self, nid, notification):
        record(self.log, call="AddNotification", id=str(nid), notification=plain(notification))

    @dbus.service.method("org.freedesktop.portal.Notification", in_signature="s",
                         out_signature="")
    def RemoveNotification(self, nid):
        record(self.log, call="RemoveNotification", id=str(nid))


def main():
    kind, path = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = open(path, "a", encoding="utf-8")
    if kind == "notifications":
        service = Notifications(bus, log)
        name = dbus.service.BusName("org.freedesktop.Notifications", bus)
    elif kind == "portal":
        service = Portal(bus, log, int(sys.argv[3]))
        name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    else:
        service = Watcher(bus, log)
        name = dbus.service.BusName("org.kde.StatusNotifierWatcher", bus)
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    record(log, call="ready", name=name.get_name())
    loop.run()
    del service


if __name__ == "__main__":
    main()
