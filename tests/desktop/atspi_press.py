#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program through the accessibility bus, as a screen reader or voice control drives it.

Every control a user can reach has a name, the chart's figures are read as they are shown, and pressing
a button through its accessible action returns at once: the button's handler (開始 waits for minutes) runs
afterwards from the program's event loop, exactly once. The help window's tabs read as named page tabs,
the current one selected. Run by on-desktop.sh --a11y with the program's path as argument.

    atspi_press.py --press NAME   presses the button named NAME of the program running already, and
                                  fails if that kept the caller waiting (for tests of other desktops)
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

FOCUSABLE_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_SCROLL_BAR, pyatspi.ROLE_LIST,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_CHECK_BOX,
}


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def wait_for(condition, what, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name and app.name.lower() == "quillmora":
            return app
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def showing_frames(app):
    return [w for w in app if w is not None and w.getState().contains(pyatspi.STATE_SHOWING)]


def find(app, role, name):
    for frame in showing_frames(app):
        for node in walk(frame):
            if node.getRole() == role and node.name == name:
                return node
    return None


def x_window_states():
    # During the wait the training window's title counts down: "Quillmora - あと 1 分未満".
    ids = subprocess.run(["xdotool", "search", "--name", "^Quillmora( - .*)?$"], capture_output=True,
                         text=True).stdout.split()
    states = []
    for window in ids:
        out = subprocess.run(["xprop", "-id", window, "WM_STATE"], capture_output=True, text=True).stdout
        if "window state:" in out:
            states.append(out.split("window state:")[1].split()[0])
    return states


def type_into(frame, keys):
    # Keys go where the X server's focus is, which reaches a window a moment after it shows: the program
    # marks the frame active once its window has the focus.
    wait_for(lambda: frame.getState().contains(pyatspi.STATE_ACTIVE), "%s to have the keyboard" % frame.name)
    subprocess.run(["xdotool", "key", "--clearmodifiers", keys], check=True)


def frame_of(node):
    # The top-level window the node is in.
    while node.parent.getRole() != pyatspi.ROLE_APPLICATION:
        node = node.parent
    return node


def check_names(app, where):
    for frame in showing_frames(app):
        for node in walk(frame):
            state = node.getState()
            if node.getRole() in FOCUSABLE_ROLES and state.contains(pyatspi.STATE_FOCUSABLE) \
                    and state.contains(pyatspi.STATE_SHOWING) and not node.name:
                fail("%s: a %s without a name" % (where, node.getRoleName()))


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = names.index("Press") if "Press" in names else 0
    started = time.monotonic()
    action.doAction(index)
    return time.monotonic() - started


def check_chart_figures(app, settings):
    # Ctrl+G in the settings window opens the chart; its figures are read as they are shown. Escape closes it.
    type_into(settings, "ctrl+g")
    label = wait_for(lambda: next((n for f in showing_frames(app) if f.name == "Quillmora - グラフ" for n in walk(f)
                                   if n.getRole() == pyatspi.ROLE_LABEL and n.name.startswith("合計")), None),
                     "the chart's figures read by their text")
    if "記録した日数" not in label.name:
        fail("the chart's figures read as %r" % label.name)
    type_into(frame_of(label), "Escape")
    wait_for(lambda: not any(f.name == "Quillmora - グラフ" for f in showing_frames(app)), "the chart to close")


def check_help_window(app):
    """The help window's tab bar is a named list of page tabs, the current one selected; a tab
    pressed through its action turns to its pane."""
    press(find(app, pyatspi.ROLE_PUSH_BUTTON, "ヘルプ"))
    tabs = wait_for(lambda: find(app, pyatspi.ROLE_PAGE_TAB_LIST, "目次・キーワード・検索の切り替え"),
                    "the help window's tabs")
    check_names(app, "help window")

    def selected():
        return [tab.name for tab in tabs if tab.getState().contains(pyatspi.STATE_SELECTED)]

    names = [tab.name for tab in tabs]
    if names != ["目次", "キーワード", "検索"] or selected() != ["目次"]:
        fail("help tabs %s, selected %s" % (names, selected()))
    press(tabs[1])
    wait_for(lambda: selected() == ["キーワード"], "the keyword tab selected")
    field = find(app, pyatspi.ROLE_TEXT, "キーワードの入力")
    wait_for(lambda: field.getState().contains(pyatspi.STATE_SHOWING), "the keyword pane")


def main():
    program = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp()
    with open(os.path.join(folder, "項目一覧.txt"), "wb") as f:
        f.write('"A",5\r\n"B",3\r\n'.encode("cp932"))
    with open(os.path.join(folder, "設定.txt"), "wb") as f:
        f.write(b"0,0,1\r\n")
    child = subprocess.Popen([program], cwd=folder)
    try:
        app = wait_for(application, "the program on the accessibility bus")
        cut = wait_for(lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "中断"), "the training window")
        check_names(app, "training window")
        press(cut)
        start = wait_for(lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "開始"), "the settings window")
        check_names(app, "settings window")
        check_chart_figures(app, frame_of(start))
        check_help_window(app)
        # The start button's handler waits a minute: the call must not wait with it.
        took = press(start)
        if took > 5:
            fail("pressing 開始 kept the caller waiting %.1f s" % took)
        # The wait then runs, once: one training window, minimised; the settings window is gone.
        states = wait_for(lambda: x_window_states() or None, "the training window of the wait")
        if states != ["Iconic"]:
            fail("windows during the wait: %s" % states)
        if find(app, pyatspi.ROLE_PUSH_BUTTON, "開始") is not None:
            fail("the settings window stayed during the wait")
        print("PASS: names on every control; help tabs readable; 開始 pressed in %.3f s; the wait runs" % took)
    finally:
        child.terminate()
        child.wait(10)


def press_in_running_program(name):
    app = wait_for(application, "the program on the accessibility bus")
    took = press(wait_for(lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, name), "the button " + name))
    if took > 5:
        fail("pressing %s kept the caller waiting %.1f s" % (name, took))


if __name__ == "__main__":
    if sys.argv[1] == "--press":
        press_in_running_program(sys.argv[2])
    else:
        main()
