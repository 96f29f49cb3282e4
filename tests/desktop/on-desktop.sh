#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a desktop of its own, as a user's session would run the program: a private X server
# (Xvfb) with the openbox window manager, which decides minimising, restoring, activation and focus as on
# a real desktop. With --dbus the command gets a private D-Bus session (empty: the test starts the
# services it needs on it); with --a11y also the accessibility bus. Without either it has no session bus
# at all, never the one of the session the tests were started from. QUILLMORA_DESKTOP_SCREEN sets the
# screen's size (default 1280x1024x24).
#
#   tests/desktop/on-desktop.sh [--dbus | --a11y] command [arguments...]
#
# Exits 77 (CTest's "skipped") when Xvfb or openbox is missing; scripts/setup.sh installs both.
set -euo pipefail

a11y=0
dbus=0
case "${1:-}" in
    --a11y) a11y=1; dbus=1; shift ;;
    --dbus) dbus=1; shift ;;
esac

for tool in Xvfb openbox xprop xwininfo xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "on-desktop: $tool is missing; skipped" >&2
        exit 77
    fi
done

if [[ $dbus -eq 1 && -z "${QUILLMORA_IN_DBUS_SESSION:-}" ]]; then
    export QUILLMORA_IN_DBUS_SESSION=1
    if [[ $a11y -eq 1 ]]; then
        exec dbus-run-session -- "$0" --a11y "$@"
    fi
    exec dbus-run-session -- "$0" --dbus "$@"
fi
if [[ $dbus -eq 0 ]]; then
    # A bus address that leads nowhere (an unset one would let D-Bus start a bus of its own).
    export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/quillmora-no-session-bus"
fi

workdir=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

# The X server picks a free display and tells its number.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 "${QUILLMORA_DESKTOP_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >"$workdir/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 display <&3 || { echo "on-desktop: Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"

openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

if [[ $a11y -eq 1 ]]; then
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$workdir/atspi.log" 2>&1 &
    pids+=($!)
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    export NO_AT_BRIDGE=0
    sleep 0.5
fi

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$@"
