#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from the build tree with CPack and checks what it holds: the program, the
# launcher, the help file and the print dialogs' module where the program looks for them, the desktop
# entry, the icons and the AppStream data (both passing their validators), and its dependencies.
# Usage: package.sh <cpack> <build folder> <install prefix> <application id> <version>
# Exits 77 (skipped) where there is no dpkg.
set -euo pipefail

cpack=$1 build=$2 prefix=$3 id=$4 version=$5

if ! command -v dpkg-deb >/dev/null; then
    echo "no dpkg-deb: not a Debian system, skipped"
    exit 77
fi
for tool in dpkg-shlibdeps desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh --full installs it)" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillmora-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

if ! (cd "$build" && "$cpack" -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack -G DEB failed" >&2
    exit 1
fi
debs=("$scratch"/out/*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
    echo "FAIL: expected one package, found: ${debs[*]}" >&2
    exit 1
fi
deb=${debs[0]}
echo "made $(basename "$deb")"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The listing: every file is where the desktop expects it, owned by root, the two commands
# executable.
listing=$(dpkg-deb -c "$deb")
share=${prefix#/}/share
expected=(
    "-rwxr-xr-x ${prefix#/}/bin/quillmora"
    "-rwxr-xr-x ${prefix#/}/bin/quillmora-launcher"
    "-rw-r--r-- $share/quillmora/KvHelp.chm"
    "-rw-r--r-- $share/quillmora/KvHelp_en.chm"
    "-rw-r--r-- $share/applications/$id.desktop"
    "-rw-r--r-- $share/metainfo/$id.metainfo.xml"
    "-rw-r--r-- $share/doc/quillmora/copyright"
)
for size in 16 32 48 64 128 256; do
    expected+=("-rw-r--r-- $share/icons/hicolor/${size}x${size}/apps/quillmora.png")
done
for entry in "${expected[@]}"; do
    mode=${entry%% *} path=${entry#* }
    line=$(awk -v p="./$path" '$6 == p' <<<"$listing")
    if [[ -z $line ]]; then
        fail "not in the package: /$path"
    elif [[ $(awk '{print $1, $2}' <<<"$line") != "$mode root/root" ]]; then
        fail "/$path: $(awk '{print $1, $2}' <<<"$line"), expected $mode root/root"
    fi
done
# The print dialogs' module, in a folder of the program's own under the library folder.
module=$(awk '$6 ~ /\/quillmora\/quillmora-print\.so$/ {print $1, $2, $6}' <<<"$listing")
[[ $module == "-rw-r--r-- root/root "* || $module == "-rwxr-xr-x root/root "* ]] ||
    fail "the print dialogs' module: ${module:-not in the package}"
module=${module##* .}
others=$(awk '$2 != "root/root"' <<<"$listing")
[[ -z $others ]] || fail "files not owned by root: $others"

# The unpacked files.
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
tree="$root$prefix"
desktop="$tree/share/applications/$id.desktop"
metainfo="$tree/share/metainfo/$id.metainfo.xml"

[[ $(file -b "$tree/bin/quillmora") == ELF* ]] || fail "bin/quillmora is not a program"
head -n1 "$tree/bin/quillmora-launcher" | grep -q '^#!/bin/sh' || fail "bin/quillmora-launcher is not the launcher"
[[ $(head -c4 "$tree/share/quillmora/KvHelp.chm") == ITSF ]] || fail "KvHelp.chm is not a compiled help file"
# The program looks for its help file in the folder the package puts it in.
grep -qaF "$prefix/share/quillmora" "$tree/bin/quillmora" ||
    fail "the program does not look for its help in $prefix/share/quillmora"
# ... and for its print dialogs' module where the package puts that.
[[ -n $module ]] && grep -qaF "${module%/*}" "$tree/bin/quillmora" ||
    fail "the program does not look for its print dialogs in ${module%/*}"
for size in 16 32 48 64 128 256; do
    kind=$(file -b "$tree/share/icons/hicolor/${size}x${size}/apps/quillmora.png" 2>&1)
    [[ $kind == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] || fail "${size}px icon: $kind"
done

# The entry starts the packaged launcher and shows the packaged icon.
grep -qxF "Exec=$prefix/bin/quillmora-launcher" "$desktop" || fail "desktop entry: $(grep '^Exec=' "$desktop")"
grep -qx 'Icon=quillmora' "$desktop" || fail "desktop entry: $(grep '^Icon=' "$desktop")"
grep -q '^Comment\[ja\]=' "$desktop" || fail "desktop entry: no Japanese comment"
grep -qx 'Categories=Utility;' "$desktop" || fail "desktop entry: $(grep '^Categories=' "$desktop")"
if ! out=$(desktop-file-validate "$desktop" 2>&1) || [[ -n $out ]]; then
    fail "desktop-file-validate: $out"
fi
grep -qF "<release version=\"$version\"" "$metainfo" || fail "metainfo: no release $version"
grep -qF "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" || fail "metainfo: no project licence"
grep -q "^License: GPL-3.0-or-later" "$tree/share/doc/quillmora/copyright" || fail "copyright file names no licence"
if ! out=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1); then
    fail "appstreamcli validate: $out"
fi
# The tree as installed: the metainfo's launchable entry is there too.
if ! out=$(appstreamcli validate-tree --no-net --strict "$tree" 2>&1); then
    fail "appstreamcli validate-tree: $out"
fi

# The control fields: libraries from dpkg-shlibdeps, and what the program needs at run time.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quillmora ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Section) == utils ]] || fail "Section: $(field Section)"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
[[ $(field Description) == *$'\n'* ]] || fail "Description has no long part"
depends=", $(field Depends | tr -s ' \n' ' '),"
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libchm1 fonts-ipafont-gothic qt6-translations-l10n; do
    [[ $depends == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

if [[ $failures -ne 0 ]]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
