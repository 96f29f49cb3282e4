#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop side of the tray and of notifications, for tests, on the session bus it is started on.

    desktop_services.py [--no-tray]

It owns org.kde.StatusNotifierWatcher (unless --no-tray: a desktop without a tray) and acts as the panel
that shows the items: it reads each item's properties and menu as a panel does, again whenever the item
says they changed, and clicks menu entries as a user does. It also owns org.freedesktop.Notifications,
records every notice and has the do-not-disturb property Inhibited, and owns org.freedesktop.ScreenSaver,
whose screen the test locks. The test reads and drives it through io.github.quillmora.TestDesktop at /Test
(the last name it takes, so once that name is on the bus everything is):

    State() -> s                   everything recorded, as JSON
    ClickMenuItem(s label) -> b    clicks the entry with that label in the menu of the registered item
    InvokeAction(u id, s key, s token)
                                   the user chose an action of a notice (sends the activation token first)
    DismissNotice(u id)            the user closed a notice
    SetDoNotDisturb(b on)          turns do-not-disturb on or off (PropertiesChanged follows)
    SetScreenLocked(b locked)      locks the screen or unlocks it (ActiveChanged follows)
    SetServerName(s name)          the name the notification service gives itself from now on (which
                                   desktop's service it stands for: "gnome-shell", "xfce4-notifyd", ...)

It never waits for the program: its own calls are all asynchronous, so the program's process may call
it at any time, also while it has a call of ours to answer.
"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
NOTIFICATIONS = "org.freedesktop.Notifications"
SCREEN_SAVER = "org.freedesktop.ScreenSaver"
CONTROL = "io.github.quillmora.TestDesktop"
PROPERTIES = "org.freedesktop.DBus.Properties"

state = {"items": [], "notifications": [], "closed": [], "clicks": [], "errors": []}
# What is not shown in the state: per item, how to read it again and its menu entries' ids.
readers = {}
menu_ids = {}


def plain(value):
    """D-Bus values as JSON values."""
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, str):
        return str(value)
    if isinstance(value, int):
        return int(value)
    if isinstance(value, float):
        return float(value)
    if isinstance(value, dict):
        return {str(key): plain(item) for key, item in value.items()}
    if isinstance(value, (list, tuple)):
        return [plain(item) for item in value]
    return repr(value)


def failed(what):
    return lambda error: state["errors"].append("%s: %s" % (what, error))


class Watcher(dbus.service.Object):
    PROPERTY_XML = (
        '<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
        '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
        '<property name="ProtocolVersion" type="i" access="read"/>'
    )

    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        bus.add_signal_receiver(self.name_owner_changed, "NameOwnerChanged", "org.freedesktop.DBus",
                                "org.freedesktop.DBus", "/org/freedesktop/DBus")

    def registered(self):
        return [item["service"] + item["path"] for item in state["items"] if item["registered"]]

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # Items name either their bus name (and live at /StatusNotifierItem) or their object path.
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        item = {"service": str(name), "path": str(path), "sender": str(sender), "registered": True,
                "toolTips": [], "menu": []}
        state["items"].append(item)
        self.follow(len(state["items"]) - 1, item)
        self.StatusNotifierItemRegistered(name + path)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    def properties(self):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.registered(), signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(True), "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()

    # Qt builds its view of the watcher from the introspection data, properties included.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s",
                         path_keyword="object_path", connection_keyword="connection")
    def Introspect(self, object_path, connection):
        xml = dbus.service.Object.Introspect(self, object_path, connection)
        opening = '<interface name="%s">' % WATCHER
        return xml.replace(opening, opening + self.PROPERTY_XML)

    def follow(self, index, item):
        """Reads the item as a panel does, and again whenever it says something changed."""
        name, path = item["service"], item["path"]
        proxy = self.bus.get_object(name, path, introspect=False)

        def read(*_):
            proxy.GetAll(ITEM, dbus_interface=PROPERTIES, reply_handler=lambda props: self.took(index, props),
                         error_handler=failed("reading the item"))

        readers[index] = read
        for signal in ("NewToolTip", "NewTitle", "NewIcon", "NewStatus", "NewMenu"):
            self.bus.add_signal_receiver(read, signal, ITEM, name, path)
        read()

    def took(self, index, props):
        item = state["items"][index]
        tool_tip = plain(props.get("ToolTip", ["", [], "", ""]))
        if not item["toolTips"] or item["toolTips"][-1] != tool_tip[2]:
            item["toolTips"].append(tool_tip[2])
        item["title"] = plain(props.get("Title", ""))
        item["status"] = plain(props.get("Status", ""))
        item["iconName"] = plain(props.get("IconName", ""))
        item["iconSizes"] = [[int(width), int(height)] for width, height, _ in props.get("IconPixmap", [])]
        menu_path = str(props.get("Menu", "/NO_DBUSMENU"))
        if item.get("menuPath") != menu_path:
            item["menuPath"] = menu_path
            self.follow_menu(index, item)

    def follow_menu(self, index, item):
        menu = self.bus.get_object(item["service"], item["menuPath"], introspect=False)

        def read(*_):
            menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU,
                           reply_handler=lambda revision, layout: self.took_menu(index, layout),
                           error_handler=failed("reading the menu"))

        for signal in ("LayoutUpdated", "ItemsPropertiesUpdated"):
            self.bus.add_signal_receiver(read, signal, MENU, item["service"], item["menuPath"])
        read()

    def took_menu(self, index, layout):
        entries = []
        ids = {}
        for child in layout[2]:
            entry_id, props = int(child[0]), child[1]
            if not props.get("visible", True):
                continue  # a panel leaves hidden entries out
            if props.get("type") == "separator":
                entries.append("-")
                continue
            label = str(props.get("label", ""))
            entries.append(label)
            ids[label] = entry_id
        state["items"][index]["menu"] = entries
        menu_ids[index] = ids

    def click(self, label):
        shown = [index for index, item in enumerate(state["items"]) if item["registered"]]
        if not shown or label not in menu_ids.get(shown[-1], {}):
            return False
        index = shown[-1]
        item = state["items"][index]
        menu = self.bus.get_object(item["service"], item["menuPath"], introspect=False)
        menu.Event(menu_ids[index][label], "clicked", dbus.Int32(0), dbus.UInt32(0), dbus_interface=MENU,
                   signature="isvu", reply_handler=lambda: state["clicks"].append(label),
                   error_handler=failed("clicking " + label))
        return True

    def name_owner_changed(self, name, old_owner, new_owner):
        if new_owner:
            return
        for item in state["items"]:
            if item["registered"] and name in (item["service"], item["sender"]):
                item["registered"] = False
                self.StatusNotifierItemUnregistered(item["service"] + item["path"])


class Notifications(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.last_id = 0
        self.inhibited = False
        self.server_name = "test desktop"

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface != NOTIFICATIONS or name != "Inhibited":
            raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.UnknownProperty")
        return dbus.Boolean(self.inhibited)

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def set_inhibited(self, on):
        self.inhibited = bool(on)
        self.PropertiesChanged(NOTIFICATIONS, {"Inhibited": dbus.Boolean(self.inhibited)}, dbus.Array([], signature="s"))

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        if replaces_id:
            notice_id = int(replaces_id)
        else:
            self.last_id += 1
            notice_id = self.last_id
        state["notifications"].append({
            "id": notice_id, "replacesId": int(replaces_id), "appName": str(app_name), "appIcon": str(app_icon),
            "summary": str(summary), "body": str(body), "actions": plain(actions), "hints": plain(hints),
            "timeout": int(timeout)})
        return dbus.UInt32(notice_id)

    @dbus.service.method(NOTIFICATIONS, in_signature="u")
    def CloseNotification(self, notice_id):
        state["closed"].append(int(notice_id))
        self.NotificationClosed(notice_id, dbus.UInt32(3))

    @dbus.service.method(NOTIFICATIONS, out_signature="as")
    def GetCapabilities(self):
        return dbus.Array(["body", "actions"], signature="s")

    @dbus.service.method(NOTIFICATIONS, out_signature="ssss")
    def GetServerInformation(self):
        return (self.server_name, "Quillmora tests", "1", "1.2")

    @dbus.service.signal(NOTIFICATIONS, signature="uu")
    def NotificationClosed(self, notice_id, reason):
        pass

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActionInvoked(self, notice_id, key):
        pass

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActivationToken(self, notice_id, token):
        pass


class ScreenSaver(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/ScreenSaver")
        self.active = False

    @dbus.service.method(SCREEN_SAVER, out_signature="b")
    def GetActive(self):
        return dbus.Boolean(self.active)

    @dbus.service.signal(SCREEN_SAVER, signature="b")
    def ActiveChanged(self, active):
        pass

    def set_active(self, active):
        self.active = bool(active)
        self.ActiveChanged(dbus.Boolean(self.active))


class Control(dbus.service.Object):
    def __init__(self, bus, watcher, notifications, screen_saver):
        super().__init__(bus, "/Test")
        self.watcher = watcher
        self.notifications = notifications
        self.screen_saver = screen_saver

    @dbus.service.method(CONTROL, out_signature="s")
    def State(self):
        return json.dumps(state, ensure_ascii=False)

    @dbus.service.method(CONTROL, in_signature="s", out_signature="b")
    def ClickMenuItem(self, label):
        return self.watcher.click(str(label))

    @dbus.service.method(CONTROL, in_signature="uss")
    def InvokeAction(self, notice_id, key, token):
        if token:
            self.notifications.ActivationToken(notice_id, token)
        self.notifications.ActionInvoked(notice_id, key)

    # The user closes a notice (reason 2: dismissed by the user).
    @dbus.service.method(CONTROL, in_signature="u")
    def DismissNotice(self, notice_id):
        self.notifications.NotificationClosed(notice_id, dbus.UInt32(2))

    @dbus.service.method(CONTROL, in_signature="b")
    def SetDoNotDisturb(self, on):
        self.notifications.set_inhibited(on)

    @dbus.service.method(CONTROL, in_signature="s")
    def SetServerName(self, name):
        self.notifications.server_name = str(name)

    @dbus.service.method(CONTROL, in_signature="b")
    def SetScreenLocked(self, locked):
        self.screen_saver.set_active(locked)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    notifications = Notifications(bus)
    screen_saver = ScreenSaver(bus)
    control = Control(bus, watcher, notifications, screen_saver)
    owned = [NOTIFICATIONS, SCREEN_SAVER, CONTROL]
    if "--no-tray" not in sys.argv:
        owned.insert(0, WATCHER)
    names = [dbus.service.BusName(name, bus, do_not_queue=True) for name in owned]
    print("desktop services ready", file=sys.stderr, flush=True)
    try:
        GLib.MainLoop().run()
    finally:
        del names, control


if __name__ == "__main__":
    main()
