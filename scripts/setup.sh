#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing Quillmora need, when they are missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
    libchm-dev fp-utils-3.2.2
    fonts-ipafont-gothic
    dpkg-dev desktop-file-utils appstream file xvfb xauth
    openbox x11-utils xdotool libxcb1-dev dbus at-spi2-core python3-pyatspi
    trayer python3-dbus python3-gi
    sway xwayland qt6-wayland weston i3 grim kwin-wayland
    clang-14 clang-format-14 libfuzzer-14-dev libclang-rt-14-dev
)

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
