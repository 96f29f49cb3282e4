#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing Quillmora need, when they are missing.
#
#   scripts/setup.sh          building and running (./run), and ./test: the tests offscreen, on Xvfb with
#                             openbox, the accessibility bus and the tray, the format check
#   scripts/setup.sh --full   also what ./test --full needs: the other desktops (Wayland compositors, i3),
#                             the Debian package's tools, clang 14 for the fuzzers
set -euo pipefail

packages=(
    cmake ninja-build ccache mold lld g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-l10n-tools qt6-tools-dev qt6-wayland libgl-dev
    libchm-dev fp-utils-3.2.2
    fonts-ipafont-gothic
    xvfb xauth openbox x11-utils xdotool libxcb1-dev dbus at-spi2-core python3-pyatspi
    trayer python3-dbus python3-gi gsettings-desktop-schemas libxcb-screensaver0-dev libxcb-sync-dev
    libwayland-dev libwayland-bin wayland-protocols plasma-wayland-protocols
    clang-format-14
)
case "${1:-}" in
    --full)
        packages+=(
            dpkg-dev desktop-file-utils appstream file
            sway xwayland wtype weston i3 grim kwin-wayland icewm gnome-shell gjs
            xfwm4 xfce4-panel xfce4-notifyd xfconf
            clang-14 libfuzzer-14-dev libclang-rt-14-dev
        )
        ;;
    "") ;;
    *) echo "usage: scripts/setup.sh [--full]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
