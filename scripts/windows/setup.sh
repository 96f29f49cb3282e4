#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the Windows build needs, on Debian 12: the MinGW-w64 cross compilers, Wine, NSIS, and a Qt for
# x86_64-w64-mingw32 built from Debian's own qt6-base source (the same version as the system's Qt, whose
# tools it uses), once per machine.
#
#   scripts/windows/setup.sh            installs the packages, builds Qt unless it is cached; prints its prefix
#   scripts/windows/setup.sh --prefix   prints where the cached Qt is (or would be), builds nothing
#   scripts/windows/setup.sh --cached   exits 0 when the cached Qt is complete, 1 otherwise
#
# The Qt lives outside the checkout, in $QUILLMORA_WINDOWS_CACHE (default ~/.cache/quillmora-windows), in a
# folder named after the Qt version and the hash of what builds it (build-qt.sh and the toolchain file).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
triple=x86_64-w64-mingw32

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | sed 's/[+~-].*//' || true)
qt_version=${qt_version:-6.4.2}
key=$(cat "$here/build-qt.sh" "$here/mingw-toolchain.cmake" | sha256sum | cut -c1-12)
cache=${QUILLMORA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillmora-windows}
prefix=$cache/qt-$qt_version-$triple-$key

case "${1:-}" in
    --prefix) echo "$prefix"; exit 0 ;;
    --cached) [[ -f $prefix/.complete ]]; exit ;;
    "") ;;
    *) echo "usage: scripts/windows/setup.sh [--prefix|--cached]" >&2; exit 2 ;;
esac
exec 3>&1 1>&2  # the prefix alone goes to the output

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
apt_get() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 "$@"
}

packages=(
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine nsis dpkg-dev locales
    cmake ninja-build ccache qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n fp-utils-3.2.2 xvfb xauth xdotool fonts-ipafont-gothic
)
missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing: ${missing[*]}"
    apt_get update
    apt_get install -y --no-install-recommends "${missing[@]}"
fi

if [[ ! -f $prefix/.complete ]]; then
    start=$SECONDS
    # Debian's source of the system's own Qt version, through a deb-src entry for the system's suite.
    source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
    work=$cache/work-$key
    mkdir -p "$work"
    if [[ ! -d $work/src ]]; then
        if ! apt-cache showsrc qt6-base 2>/dev/null | grep -qx "Version: $source_version"; then
            . /etc/os-release
            echo "Adding a deb-src entry for $VERSION_CODENAME"
            $sudo tee /etc/apt/sources.list.d/quillmora-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $VERSION_CODENAME-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
            apt_get update
        fi
        rm -rf "$work/fetch"
        mkdir -p "$work/fetch"
        (cd "$work/fetch" && apt-get source -q "qt6-base=$source_version")
        mv "$work/fetch/$(cd "$work/fetch" && ls -d qt6-base-*/ | head -1)" "$work/src"
        rm -rf "$work/fetch"
    fi
    nice -n 10 "$here/build-qt.sh" "$work/src" "$work/build" "$prefix"
    touch "$prefix/.complete"
    rm -rf "$work"
    echo "Qt for Windows built in $((SECONDS - start)) s: $prefix"
fi
# Qt's Japanese texts (the standard buttons' キャンセル): the tests load them from Qt's translations folder,
# as the installed program does from its own.
mkdir -p "$prefix/translations"
cp -u /usr/share/qt6/translations/qtbase_ja.qm "$prefix/translations/"
# Wine takes its language from the locale: Japanese and English, compiled here for Wine alone (LOCPATH).
mkdir -p "$cache/locale"
for locale in ja_JP en_US; do
    [[ -d $cache/locale/$locale.UTF-8 ]] || localedef -i "$locale" -f UTF-8 "$cache/locale/$locale.UTF-8" ||
        [[ -d $cache/locale/$locale.UTF-8 ]]
done
echo "$prefix" >&3
