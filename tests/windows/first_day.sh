#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A user's first day with Quillmora, through the keyboard alone, on the desktop this runs on (DISPLAY,
# tests/desktop/on-desktop.sh): the first start in an empty folder (no items: the notice, then the settings
# window), one item registered through the two input boxes, the wait set to its shortest (one minute) and
# confirmed, 開始, the pass taken when it comes (a second start, then the window activated as a click on its
# task-bar entry would; Enter records the count shown) and the settings window closed, which ends the program.
#
#   first_day.sh <empty folder> <item name> <program command...>
#
# Windows are found by their titles through the X server (the Windows program under Wine has X windows of
# its own). Fails when a step's window does not come.
set -euo pipefail
folder=$1
item=$2
shift 2
program=("$@")
cd "$folder"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

fail() {
    echo "FAIL: $*" >&2
    cat "$log" >&2
    exit 1
}

# The newest window with exactly this title, within `seconds` (default 60); shown unless `any` follows
# (a minimised window is not shown).
await_window() {
    local title=$1 seconds=${2:-60} shown=--onlyvisible window
    [[ ${3:-} == any ]] && shown=
    for _ in $(seq $((seconds * 10))); do
        window=$(xdotool search $shown --name "^$title\$" 2>/dev/null | tail -1 || true)
        if [[ -n $window ]]; then
            echo "$window"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$title\" within $seconds s"
}

# Whether the window manager has made the window the active one.
await_active() {
    for _ in $(seq 50); do
        [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return 0
        sleep 0.1
    done
    fail "window $1 did not become the active one"
}

# Gives the window the keyboard, then presses the keys.
keys_to() {
    local window=$1
    shift
    xdotool windowactivate "$window" >/dev/null 2>&1 || true
    await_active "$window"
    sleep 0.3  # Wine takes the focus a moment after the window manager has given it
    xdotool key --delay 150 "$@"
}

"${program[@]}" >>"$log" 2>&1 &
running=$!

# No items yet: the notice, then the settings window with the keyboard on 開始.
keys_to "$(await_window 項目無し 120)" Return
settings=$(await_window Quillmora)
keys_to "$settings" Tab space
keys_to "$(await_window 項目名入力)" --clearmodifiers ctrl+a
xdotool type --delay 100 "$item"
xdotool key Return
keys_to "$(await_window 指示数入力)" 1 Return
keys_to "$(await_window 新規登録終了)" Return

# The shortest wait, confirmed: from 登録 back over 開始 to the scroll bar (the last but one in the order).
keys_to "$settings" shift+Tab shift+Tab shift+Tab Home Tab space
keys_to "$(await_window 設定保存終了)" Return
keys_to "$settings" Tab space

# The training window waits minimised, counting down; the pass comes after a minute.
await_window "Quillmora - .*" 30 any >/dev/null
training=$(await_window Quillmora 150)
"${program[@]}" >>"$log" 2>&1 || fail "the second start failed"
# Where the window manager kept the keyboard from it (openbox, for a Windows program under Wine), the user
# clicks it.
keys_to "$training" Return
for _ in $(seq 100); do
    [[ -s "$item.txt" ]] && break
    sleep 0.1
done
[[ -s "$item.txt" ]] || fail "the count was not recorded"

# The settings window comes back; closing it ends the program.
settings=$(await_window Quillmora)
sleep 1  # the window drops the keys of its first half second
keys_to "$settings" alt+F4
for _ in $(seq 300); do
    kill -0 "$running" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$running" 2>/dev/null; then
    kill "$running"
    fail "the program did not end when its window was closed"
fi
wait "$running" || fail "the program ended with status $?"
