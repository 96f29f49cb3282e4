#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer under Wine, as a user without administrator rights runs it: installed silently (/S), the
# program started through its Start-menu entry (in the user's data folder, which it makes, from its own
# folder alone: no library of the build), then uninstalled silently. The uninstaller leaves the data folder
# and a file the user put in the program's folder, and takes everything it installed.
#
#   installer.sh <quillmora-setup.exe> <Wine prefix>     (run on a desktop: tests/desktop/on-desktop.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
setup=$1
wine_prefix=$2
wine=("$source/scripts/windows/wine-run.sh" --prefix "$wine_prefix")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[[ -f $setup ]] || fail "$setup is missing: build the target installer"

# The user's folders, as Wine places them.
folder_of() {
    local windows
    windows=$("${wine[@]}" cmd /c echo "$1" | tr -d '\r\n"')  # cmd keeps the quotes of a name with spaces
    "${wine[@]}" winepath -u "$windows" 2>/dev/null | tr -d '\r\n'
}
installed=$(folder_of '%LOCALAPPDATA%\Programs\Quillmora')
data=$(folder_of '%APPDATA%\Quillmora')
menu_entry=$(folder_of '%APPDATA%\Microsoft\Windows\Start Menu\Programs')/Quillmora.lnk
[[ -n $installed && -n $data ]] || fail "Wine did not tell the user's folders"
rm -rf "$installed" "$data" "$menu_entry"

"${wine[@]}" "$setup" /S || fail "the installer failed"
for file in quillmora.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll imageformats/qico.dll imageformats/qgif.dll translations/qtbase_ja.qm qt.conf KvHelp.chm \
    KvHelp_en.chm uninstall.exe; do
    [[ -f $installed/$file ]] || fail "$file was not installed"
done
[[ -f $menu_entry ]] || fail "no Start-menu entry"
"${wine[@]}" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmora' /v QuietUninstallString \
    | grep -q 'uninstall.exe' || fail "not in the list of installed programs"
echo "ok - installed in $installed ($(du -sk "$installed" | cut -f1) KiB)"

# Started as the Start menu starts it: the first start in the new data folder says there are no items.
"${wine[@]}" start /unix "$menu_entry" || fail "the Start-menu entry did not start"
for _ in $(seq 900); do
    notice=$(xdotool search --onlyvisible --name '^項目無し$' 2>/dev/null | tail -1 || true)
    [[ -n $notice ]] && break
    sleep 0.1
done
[[ -n $notice ]] || fail "the installed program did not come up"
[[ -f $data/.quillmora.lock ]] || fail "the program does not run in $data"
echo "ok - started from the Start menu in its data folder"
# The box's OK takes Return once the box has the keyboard; a key that came before is pressed again while the
# box stays (a window manager may take a moment to hand it over).
for attempt in $(seq 300); do
    if ((attempt % 50 == 1)) && xdotool search --onlyvisible --name '^項目無し$' >/dev/null 2>&1; then
        xdotool windowactivate --sync "$notice" key --delay 200 Return 2>/dev/null || true
    fi
    settings=$(xdotool search --onlyvisible --name '^Quillmora$' 2>/dev/null | tail -1 || true)
    [[ -n $settings ]] && break
    sleep 0.1
done
[[ -n $settings ]] || fail "the settings window did not come"
xdotool windowactivate --sync "$settings" key --delay 200 alt+F4
for _ in $(seq 300); do
    [[ -f $data/.quillmora.lock ]] || break
    sleep 0.1
done
[[ ! -f $data/.quillmora.lock ]] || fail "the program did not end"

# The user's files stay: the data folder, and a file kept in the program's folder.
echo '"腕立て伏せ",10' >"$data/kept.txt"
echo 'notes' >"$installed/notes.txt"
"${wine[@]}" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself in the temporary folder.
for _ in $(seq 600); do
    [[ -e $installed/quillmora.exe || -e $installed/uninstall.exe || -e $menu_entry ]] || break
    sleep 0.1
done
leftovers=$(cd "$installed" && find . -mindepth 1 ! -name notes.txt | sort | tr '\n' ' ')
[[ -z $leftovers ]] || fail "the uninstaller left $leftovers"
[[ -f $installed/notes.txt ]] || fail "the uninstaller removed the user's file in the program's folder"
[[ ! -e $menu_entry ]] || fail "the Start-menu entry is left"
[[ -f $data/kept.txt ]] || fail "the uninstaller touched the data folder"
if "${wine[@]}" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmora' >/dev/null 2>&1; then
    fail "the entry in the list of installed programs is left"
fi
rm -rf "$installed" "$data"
echo "ok - uninstalled; the data folder stays"
