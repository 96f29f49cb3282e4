#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a desktop of its own, as a user's session would run the program: a private X server
# (Xvfb) with a window manager, or a headless Wayland compositor, which decides minimising, restoring,
# activation and focus as on a real desktop. With --dbus the command gets a private D-Bus session on which
# nothing is activated (session-bus.conf names no service folder): the test starts the services it needs,
# whatever the machine has installed. With --a11y also the accessibility bus. Without either it has no
# session bus at all, never the one of the session the tests were started from.
# QUILLMORA_DESKTOP_SCREEN sets the X server's screen size (default 1280x1024x24).
#
#   tests/desktop/on-desktop.sh [--desktop KIND] [--dbus | --a11y] command [arguments...]
#
# KIND is the desktop (openbox by default):
#   openbox        Xvfb with openbox, a window manager that minimises (the program runs on Qt's xcb)
#   i3             Xvfb with i3, a tiling window manager without a minimised state (xcb)
#   icewm          Xvfb with IceWM, its task bar and its own X11 tray (XEmbed only; xcb)
#   sway           sway, a tiling Wayland compositor without a minimised state (Qt's wayland platform)
#   sway-xwayland  sway, the program on xcb through Xwayland
#   weston         Weston's desktop shell, a floating Wayland compositor (wayland)
#   kwin           KWin, the Plasma desktop's compositor (wayland; always with a D-Bus session, its own
#                  interfaces are on it)
#   gnome          GNOME Shell without extensions but the tests' own view (wayland; with a D-Bus session,
#                  where the shell is the notification service)
#   gnome-xwayland GNOME Shell, the program on xcb through the shell's Xwayland
#   xfce           Xvfb with xfwm4, xfce4-panel (a task bar and a tray) and xfce4-notifyd (xcb; with a
#                  D-Bus session)
# The command learns the kind from QUILLMORA_DESKTOP. Wayland compositors refuse to run as root: run as
# root, the script runs them and the command as the user nobody (the build tree must be readable by it).
#
# A new kind is one block below, "desktop_KIND": it names the tools it needs, Qt's platform for the
# program (xcb or wayland) and whether it needs a D-Bus session, and defines start_desktop; then one line in
# tests/CMakeLists.txt runs the start wait's test on it.
#
# Fails when a tool of the desktop is missing (scripts/setup.sh --full installs them all): a desktop that
# cannot be tried is a test that did not pass.
set -euo pipefail

desktop=openbox
if [[ "${1:-}" == --desktop ]]; then
    desktop=$2
    shift 2
fi
a11y=0
dbus=0
case "${1:-}" in
    --a11y) a11y=1; dbus=1; shift ;;
    --dbus) dbus=1; shift ;;
esac

fail() {
    echo "on-desktop: $1" >&2
    cat "$workdir"/*.log >&2 || true
    exit 1
}

# Waits up to five seconds for a condition.
await() {
    for _ in $(seq 50); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

start_x_server() {
    # The X server picks a free display and tells its number.
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 "${QUILLMORA_DESKTOP_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >"$workdir/xvfb.log" 2>&1 &
    pids+=($!)
    read -r -t 10 display <&3 || fail "Xvfb did not start"
    export DISPLAY=":$display"
}

window_manager_runs() {
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

# An X11 window manager on an X server of its own: start_x_window_manager NAME COMMAND [ARGUMENTS...]
start_x_window_manager() {
    local name=$1
    shift
    start_x_server
    "$@" >"$workdir/$name.log" 2>&1 &
    pids+=($!)
    await window_manager_runs || fail "$name did not start"
}

wayland_socket() {
    [[ -S "$XDG_RUNTIME_DIR/wayland-quillmora" ]]
}

sway_socket() {
    SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null) && [[ -S "$SWAYSOCK" ]]
}

start_sway() {
    {
        echo "output HEADLESS-1 resolution 1280x1024"
        [[ $platform == xcb ]] && echo "xwayland force" || echo "xwayland disable"
    } >"$workdir/sway.conf"
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WAYLAND_DISPLAY= DISPLAY= \
        sway -c "$workdir/sway.conf" >"$workdir/sway.log" 2>&1 &
    pids+=($!)
    await sway_socket || fail "sway did not start"
    sway_socket
    export SWAYSOCK
    export WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* | grep -v lock | head -1)
    if [[ $platform == xcb ]]; then
        # sway tells its children the display of its Xwayland.
        swaymsg exec 'echo $DISPLAY >$XDG_RUNTIME_DIR/x-display' >/dev/null
        await test -s "$XDG_RUNTIME_DIR/x-display" || fail "sway's Xwayland did not start"
        export DISPLAY=$(cat "$XDG_RUNTIME_DIR/x-display")
    fi
}

# The desktops. Each sets `tools` (what it needs on PATH), `session` (x11: an X server and window manager;
# wayland: a Wayland compositor, run as nobody when the script runs as root), `platform` (Qt's platform for
# the program: xcb or wayland) and `needs_dbus`, and defines start_desktop.
needs_dbus=0
desktop_openbox() {
    tools=(Xvfb openbox) session=x11 platform=xcb
    start_desktop() { start_x_window_manager openbox openbox --sm-disable; }
}
desktop_i3() {
    tools=(Xvfb i3) session=x11 platform=xcb
    start_desktop() {
        printf 'font pango:monospace 8\n' >"$workdir/i3.conf"
        start_x_window_manager i3 i3 -c "$workdir/i3.conf"
    }
}
desktop_icewm() {
    tools=(Xvfb icewm) session=x11 platform=xcb
    start_desktop() {
        # IceWM's task bar has a tray of its own (the XEmbed protocol only) at the bottom of the screen.
        mkdir -p "$HOME/.icewm"
        printf 'TaskBarShowTray=1\nTaskBarAtTop=0\n' >"$HOME/.icewm/preferences"
        start_x_window_manager icewm icewm --config="$HOME/.icewm/preferences"
    }
}
xfce_libexec=/usr/lib/x86_64-linux-gnu/xfce4
desktop_xfce() {
    tools=(Xvfb xfwm4 xfce4-panel "$xfce_libexec/xfconf/xfconfd" "$xfce_libexec/notifyd/xfce4-notifyd")
    session=x11 platform=xcb needs_dbus=1
    start_desktop() {
        # The panel's settings (a task bar and its tray) are read through xfconfd, started here as the
        # session bus would.
        local channels="$HOME/.config/xfce4/xfconf/xfce-perchannel-xml"
        mkdir -p "$channels"
        cp "$(dirname "$0")/xfce4-panel.xml" "$channels/"
        start_x_server
        "$xfce_libexec/xfconf/xfconfd" >"$workdir/xfconfd.log" 2>&1 &
        pids+=($!)
        await dbus-send --session --print-reply --dest=org.xfce.Xfconf /org/xfce/Xfconf org.freedesktop.DBus.Peer.Ping ||
            fail "xfconfd did not start"
        xfwm4 --compositor=off >"$workdir/xfwm4.log" 2>&1 &
        pids+=($!)
        await window_manager_runs || fail "xfwm4 did not start"
        xfce4-panel >"$workdir/xfce4-panel.log" 2>&1 &
        pids+=($!)
        "$xfce_libexec/notifyd/xfce4-notifyd" >"$workdir/xfce4-notifyd.log" 2>&1 &
        pids+=($!)
        await dbus-send --session --print-reply --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
            org.freedesktop.Notifications.GetServerInformation || fail "xfce4-notifyd did not start"
    }
}

shell_view_answers() {
    gdbus call --session --dest io.github.quillmora.ShellView --object-path /ShellView \
        --method io.github.quillmora.ShellView.Notifications >/dev/null 2>&1
}

# GNOME Shell, headless, with the tests' extension that tells its view (gnome_view/) enabled.
start_gnome_shell() {
    # The shell asks the system bus for the login manager: a bus of its own, where nothing answers.
    dbus-daemon --config-file="$(dirname "$0")/session-bus.conf" --nofork --print-address=4 \
        4>"$workdir/system-bus" >"$workdir/system-bus.log" 2>&1 &
    pids+=($!)
    await test -s "$workdir/system-bus" || fail "the system bus for GNOME Shell did not start"
    export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$workdir/system-bus")
    local extension=quillmora-test-view@quillmora.github.io
    mkdir -p "$HOME/.local/share/gnome-shell/extensions/$extension" "$HOME/.config/glib-2.0/settings"
    cp "$(dirname "$0")"/gnome_view/* "$HOME/.local/share/gnome-shell/extensions/$extension/"
    # No welcome tour, no warning that the screen cannot lock, no screen shield while a test waits.
    touch "$HOME/.local/share/gnome-shell/lock-warning-shown"
    cat >"$HOME/.config/glib-2.0/settings/keyfile" <<KEYS
[org/gnome/shell]
enabled-extensions=['$extension']
disable-user-extensions=false
welcome-dialog-last-shown-version='999'
[org/gnome/desktop/session]
idle-delay=uint32 0
[org/gnome/desktop/screensaver]
lock-enabled=false
KEYS
    export GSETTINGS_BACKEND=keyfile
    # As a GNOME session tells the programs it starts.
    export XDG_CURRENT_DESKTOP=GNOME
    gnome-shell --headless --wayland "$@" --virtual-monitor 1280x800 --wayland-display=wayland-quillmora \
        >"$workdir/gnome-shell.log" 2>&1 &
    pids+=($!)
    # Up once its view answers (it takes several seconds).
    for _ in $(seq 6); do await shell_view_answers && break; done
    shell_view_answers || fail "GNOME Shell did not start"
    # The notification service is a process of the shell's own that the session bus would start.
    gjs /usr/share/gnome-shell/org.gnome.Shell.Notifications >"$workdir/gnome-notifications.log" 2>&1 &
    pids+=($!)
    await dbus-send --session --print-reply --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
        org.freedesktop.Notifications.GetServerInformation || fail "GNOME Shell's notification service did not start"
    export WAYLAND_DISPLAY=wayland-quillmora
    if [[ $platform == xcb ]]; then
        shell_env() {
            gdbus call --session --dest io.github.quillmora.ShellView --object-path /ShellView \
                --method io.github.quillmora.ShellView.Getenv "$1" | sed -e "s/^('//" -e "s/',)$//"
        }
        export DISPLAY=$(shell_env DISPLAY) XAUTHORITY=$(shell_env XAUTHORITY)
        [[ -n $DISPLAY ]] || fail "GNOME Shell's Xwayland did not start"
    fi
}
desktop_gnome() {
    tools=(gnome-shell gjs dbus-daemon gdbus) session=wayland platform=wayland needs_dbus=1
    start_desktop() { start_gnome_shell --no-x11; }
}
desktop_gnome-xwayland() {
    tools=(gnome-shell gjs dbus-daemon gdbus Xwayland) session=wayland platform=xcb needs_dbus=1
    start_desktop() { start_gnome_shell; }
}
desktop_sway() {
    tools=(sway swaymsg grim wtype) session=wayland platform=wayland
    start_desktop() { start_sway; }
}
desktop_sway-xwayland() {
    tools=(sway swaymsg grim Xwayland) session=wayland platform=xcb
    start_desktop() { start_sway; }
}
desktop_weston() {
    tools=(weston weston-debug) session=wayland platform=wayland
    start_desktop() {
        weston --backend=headless-backend.so --use-pixman --socket=wayland-quillmora --width=1280 --height=1024 \
            --idle-time=0 --debug >"$workdir/weston.log" 2>&1 &
        pids+=($!)
        await wayland_socket || fail "weston did not start"
        export WAYLAND_DISPLAY=wayland-quillmora
    }
}
desktop_kwin() {
    tools=(kwin_wayland) session=wayland platform=wayland needs_dbus=1
    start_desktop() {
        # KWin's binary asks for a capability that a container may not grant; a copy asks for none.
        cp "$(command -v kwin_wayland)" "$workdir/kwin_wayland"
        KWIN_COMPOSE=Q "$workdir/kwin_wayland" --virtual --socket wayland-quillmora --width 1280 --height 1024 \
            --no-lockscreen --no-global-shortcuts >"$workdir/kwin.log" 2>&1 &
        pids+=($!)
        await wayland_socket || fail "kwin did not start"
        export WAYLAND_DISPLAY=wayland-quillmora
    }
}

if ! declare -F "desktop_$desktop" >/dev/null; then
    echo "on-desktop: no desktop \"$desktop\"" >&2
    exit 2
fi
"desktop_$desktop"
[[ $needs_dbus -eq 1 ]] && dbus=1
mode=()
[[ $dbus -eq 1 ]] && mode=(--dbus)
[[ $a11y -eq 1 ]] && mode=(--a11y)

[[ $dbus -eq 1 ]] && tools+=(dbus-run-session dbus-send)
[[ $session == wayland ]] && tools+=(setpriv) || tools+=(xprop xwininfo xdotool)
for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "on-desktop: $tool is missing (scripts/setup.sh --full installs it)" >&2
        exit 1
    fi
done
if [[ $platform == wayland ]] && ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
    echo "on-desktop: Qt's Wayland platform (qt6-wayland) is missing" >&2
    exit 1
fi

if [[ $session == wayland && $(id -u) -eq 0 ]]; then
    if ! setpriv --reuid=nobody --regid=nogroup --clear-groups test -r "$1" -a -r "$0"; then
        echo "on-desktop: the user nobody cannot read $1 or $0; the checkout's folders must be readable by all" >&2
        exit 1
    fi
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent "$0" --desktop "$desktop" \
        "${mode[@]}" "$@"
fi

if [[ $dbus -eq 1 && -z "${QUILLMORA_IN_DBUS_SESSION:-}" ]]; then
    export QUILLMORA_IN_DBUS_SESSION=1
    exec dbus-run-session --config-file="$(dirname "$0")/session-bus.conf" -- "$0" --desktop "$desktop" "${mode[@]}" "$@"
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
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export HOME="$workdir/home"
mkdir "$HOME"
export QUILLMORA_DESKTOP=$desktop

start_desktop

if [[ $a11y -eq 1 ]]; then
    # Nothing is activated on the session bus: the accessibility bus is started here, and the program may
    # ask for it once its launcher answers.
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$workdir/atspi.log" 2>&1 &
    pids+=($!)
    await dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress ||
        fail "the accessibility bus did not start"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    export NO_AT_BRIDGE=0
fi

export QT_QPA_PLATFORM=$platform
if [[ $platform == xcb ]]; then
    # Started from a launcher that knows nothing of Wayland, an X11 program under a Wayland compositor
    # learns of the compositor from its X server alone. A test that plays a session which tells its
    # programs the compositor's display finds it here.
    export QUILLMORA_WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-}
    unset WAYLAND_DISPLAY
fi
"$@"
