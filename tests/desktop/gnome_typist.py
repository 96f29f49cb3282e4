#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Types on GNOME Shell's Wayland desktop as a keyboard would, through Mutter's remote desktop interface
(the keys go to the focused window, and the shell's idle time follows them).

    gnome_typist.py type MS WORDS CHUNKS   types WORDS and Enter over and over for MS milliseconds at a
                                           typist's pace, appending a line to CHUNKS after each Enter
    gnome_typist.py key NAME               presses and releases one key (an X keysym name: Return, a, 2)
"""
import sys
import time

import dbus

KEYSYMS = {" ": 0x20, "Return": 0xff0d}


def keysym(name):
    return KEYSYMS.get(name, ord(name) if len(name) == 1 else None)


def session():
    bus = dbus.SessionBus()
    name = "org.gnome.Mutter.RemoteDesktop"
    desktop = dbus.Interface(bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop"), name)
    typing = dbus.Interface(bus.get_object(name, desktop.CreateSession()), name + ".Session")
    typing.Start()
    # The shell sets up the session's keyboard with its first key: a Shift, then a moment.
    typing.NotifyKeyboardKeysym(dbus.UInt32(0xffe1), True)
    typing.NotifyKeyboardKeysym(dbus.UInt32(0xffe1), False)
    time.sleep(0.5)
    return typing


def press(typing, name):
    typing.NotifyKeyboardKeysym(dbus.UInt32(keysym(name)), True)
    typing.NotifyKeyboardKeysym(dbus.UInt32(keysym(name)), False)


def main():
    typing = session()
    try:
        if sys.argv[1] == "key":
            press(typing, sys.argv[2])
            return
        end = time.monotonic() + int(sys.argv[2]) / 1000
        while time.monotonic() < end:
            for character in sys.argv[3]:
                press(typing, character)
                time.sleep(0.15)
            press(typing, "Return")
            with open(sys.argv[4], "a") as chunks:
                chunks.write("\n")
    finally:
        time.sleep(0.5)  # the last keys reach the shell before the session goes
        typing.Stop()


if __name__ == "__main__":
    main()
