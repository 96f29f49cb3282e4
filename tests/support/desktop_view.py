#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the desktop itself shows of a program's windows, asked of the compositor or window manager.

    desktop_view.py PID
    desktop_view.py --notices                 (GNOME Shell only)
    desktop_view.py --choose TITLE [LABEL]    (GNOME Shell only)
    desktop_view.py --launch-token            (GNOME Shell only)

Prints one JSON list, one entry per top-level window of the process that the desktop has taken on:
{"title": ..., "shown": bool, "focused": bool}. "shown" means on screen, neither minimised nor unmapped;
a window the program keeps hidden is not listed at all (nothing of it reaches the desktop). On X11 each
entry also has the window's "id", its ICCCM "state" (Normal, Iconic), whether it is "mapped" and whether it
is the "top" of the window manager's stacking order, and its "frame" on the screen ([x, y, width, height],
null while unframed). The desktop is the one on-desktop.sh started, named by
QUILLMORA_DESKTOP (openbox where none is named).

--notices prints the shell's notices and its banner (see gnome_view/extension.js); --choose clicks the
button LABEL of the newest notice titled TITLE, or the notice itself without LABEL, and fails when there
is no such notice or button. --launch-token prints the startup id the shell's launchers give a program
they start now.
"""
import json
import os
import re
import subprocess
import sys


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=10).stdout


# X11 (openbox, i3, Xfce, IceWM): the X server's record of each window: the ICCCM state the window manager
# set, the map state, the window manager's active window and its stacking order.
def root_windows(name):
    found = re.search(r"#(.*)", run("xprop", "-root", name))
    return [int(w, 16) for w in re.findall(r"0x[0-9a-fA-F]+", found.group(1))] if found else []


# Where the window manager put the window's whole frame (the window and _NET_FRAME_EXTENTS) on the screen, as
# [x, y, width, height]; None while the manager has not framed it.
def x11_frame(window, info):
    def field(name):
        found = re.search(name + r": +(-?\d+)", info)
        return int(found.group(1)) if found else 0
    extents = re.search(r"= (\d+), (\d+), (\d+), (\d+)", run("xprop", "-id", window, "_NET_FRAME_EXTENTS"))
    if not extents:
        return None
    left, right, top, bottom = (int(e) for e in extents.groups())
    return [field("Absolute upper-left X") - left, field("Absolute upper-left Y") - top,
            field("Width") + left + right, field("Height") + top + bottom]


def x11_view(pid):
    active = root_windows("_NET_ACTIVE_WINDOW")
    stacking = root_windows("_NET_CLIENT_LIST_STACKING")
    windows = []
    for window in run("xdotool", "search", "--pid", str(pid)).split():
        state = re.search(r"window state: (\w+)", run("xprop", "-id", window, "WM_STATE"))
        if not state:
            continue  # never taken on by the window manager
        title = re.search(r'= "(.*)"', run("xprop", "-id", window, "_NET_WM_NAME"))
        info = run("xwininfo", "-id", window)
        mapped = "IsViewable" in info
        windows.append({"id": int(window), "title": title.group(1) if title else "", "state": state.group(1),
                        "mapped": mapped, "shown": state.group(1) == "Normal" and mapped,
                        "focused": int(window) in active, "top": bool(stacking) and stacking[-1] == int(window),
                        "frame": x11_frame(window, info)})
    return windows


# sway: its tree of containers; each view carries its client's process, visibility and focus.
def sway_view(pid):
    windows = []

    def walk(node):
        if node.get("pid") == pid:
            windows.append({"title": node.get("name") or "", "shown": bool(node.get("visible")),
                            "focused": bool(node.get("focused"))})
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child)

    walk(json.loads(run("swaymsg", "-r", "-t", "get_tree")))
    return windows


# Weston: its scene graph through the debug protocol (weston --debug). Each view names its role and its
# client's process; a view in a layer of the scene other than the hidden one is on screen (a minimised
# view is in no layer at all). Weston does not tell the keyboard focus: "focused" is None.
WESTON_HIDDEN_LAYER = "0x00000100"


def weston_view(pid):
    windows = []
    layer = ""
    for line in run("timeout", "5", "weston-debug", "scene-graph").splitlines():
        found_layer = re.match(r"\s*Layer \d+ \(pos (0x[0-9a-f]+)\)", line)
        if found_layer:
            layer = found_layer.group(1)
            continue
        view = re.match(r"\s*View \d+ \(role xdg_toplevel, PID (\d+), .*?'(.*)'", line)
        if view and int(view.group(1)) == pid:
            windows.append({"title": view.group(2), "shown": layer != WESTON_HIDDEN_LAYER, "focused": None})
    return windows


# KWin: a script run through its D-Bus scripting interface reports the windows back over D-Bus.
KWIN_SCRIPT = """
const all = workspace.windowList ? workspace.windowList() : workspace.clientList();
const windows = all.filter(w => w.pid == %d && w.normalWindow).map(w => ({
    title: w.caption, shown: !w.minimized && !w.hidden, focused: w.active}));
callDBus("%s", "/", "%s", "report", JSON.stringify(windows));
"""


def kwin_view(pid):
    import dbus
    import dbus.service
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib
    import tempfile

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = "io.github.quillmora.DesktopView"
    loop = GLib.MainLoop()
    result = {}

    class Listener(dbus.service.Object):
        @dbus.service.method(name, in_signature="s")
        def report(self, windows):
            result["windows"] = json.loads(str(windows))
            loop.quit()

    listener = Listener(bus, "/")
    owned = dbus.service.BusName(name, bus, do_not_queue=True)
    with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as script:
        script.write(KWIN_SCRIPT % (pid, name, name))
    plugin = "quillmora-view-%d" % os.getpid()
    scripting = dbus.Interface(bus.get_object("org.kde.KWin", "/Scripting"), "org.kde.kwin.Scripting")
    try:
        scripting.loadScript(script.name, plugin, signature="ss")
        scripting.start()
        GLib.timeout_add_seconds(5, loop.quit)
        loop.run()
    finally:
        scripting.unloadScript(plugin, signature="s")
        os.unlink(script.name)
        del owned, listener
    if "windows" not in result:
        raise SystemExit("KWin did not run the script")
    return result["windows"]


# GNOME Shell: Mutter's windows through the tests' shell extension (gnome_view/).
def shell_view():
    import dbus
    view = dbus.SessionBus().get_object("io.github.quillmora.ShellView", "/ShellView")
    return dbus.Interface(view, "io.github.quillmora.ShellView")


def gnome_view(pid):
    import dbus
    return json.loads(str(shell_view().Windows(dbus.UInt32(pid))))


VIEWS = {"openbox": x11_view, "i3": x11_view, "xfce": x11_view, "icewm": x11_view, "sway": sway_view, "sway-xwayland": sway_view,
         "weston": weston_view, "kwin": kwin_view,
         "gnome": gnome_view, "gnome-xwayland": gnome_view}

if __name__ == "__main__":
    if sys.argv[1] == "--notices":
        print(str(shell_view().Notifications()))
    elif sys.argv[1] == "--launch-token":
        print(str(shell_view().LaunchToken()))
    elif sys.argv[1] == "--choose":
        sys.exit(0 if shell_view().Choose(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else "") else 1)
    else:
        print(json.dumps(VIEWS[os.environ.get("QUILLMORA_DESKTOP", "openbox")](int(sys.argv[1])), ensure_ascii=False))
