#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program against the Linux one, from outside: each takes the same first day (first_day.sh)
# in an empty folder on a desktop of its own (Xvfb with openbox; the Windows program under Wine), side by
# side. Then the two folders must hold the same files with the same bytes: code page 932, CR LF. Only the
# time of day in the history's record is left out of the comparison (each run records its own).
#
#   blackbox.sh <Linux program> <Windows program> <Wine prefix> <Qt for Windows>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
linux=$1
windows=$2
wine_prefix=$3
qt=$4
# A kanji whose second byte in the code page is the backslash's (0x95 0x5C). One character not on the
# keyboard: the typing tool maps it onto a spare key, and Wine takes no second mapping of that key.
item=表

# The desktops give the runs homes of their own: Wine's locales stay where setup.sh made them.
export QUILLMORA_WINDOWS_CACHE=${QUILLMORA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillmora-windows}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/linux" "$scratch/windows"

"$source/tests/desktop/on-desktop.sh" bash "$here/first_day.sh" "$scratch/linux" "$item" "$linux" \
    >"$scratch/linux.log" 2>&1 &
linux_run=$!
"$source/tests/desktop/on-desktop.sh" bash "$here/first_day.sh" "$scratch/windows" "$item" \
    "$source/scripts/windows/wine-run.sh" --qt "$qt" --prefix "$wine_prefix" "$windows" \
    >"$scratch/windows.log" 2>&1 &
windows_run=$!
failed=0
wait "$linux_run" || { echo "FAIL: the Linux program's first day"; cat "$scratch/linux.log"; failed=1; }
wait "$windows_run" || { echo "FAIL: the Windows program's first day"; cat "$scratch/windows.log"; failed=1; }
[[ $failed -eq 0 ]] || exit 1

python3 - "$scratch/linux" "$scratch/windows" "$item" <<'EOF'
import os, re, sys

linux, windows, item = sys.argv[1:4]
names = sorted(os.listdir(linux))
if names != sorted(os.listdir(windows)):
    sys.exit(f"FAIL: the folders differ: {names} against {sorted(os.listdir(windows))}")
if f"{item}.txt" not in names:
    sys.exit(f"FAIL: no history file among {names}")
# "hh時nn分ss秒" in code page 932; the one record of the history has it once.
time_of_day = re.compile(rb'"\d\d\x8e\x9e\d\d\x95\xaa\d\d\x95\x62"')
for name in names:
    with open(os.path.join(linux, name), "rb") as f:
        expected = f.read()
    with open(os.path.join(windows, name), "rb") as f:
        got = f.read()
    if name == f"{item}.txt":
        if len(time_of_day.findall(expected)) != 1 or len(time_of_day.findall(got)) != 1:
            sys.exit(f"FAIL: {name} does not hold one record with its time of day: {expected!r} / {got!r}")
        expected, got = (time_of_day.sub(b'"TIME"', data) for data in (expected, got))
    if expected != got:
        sys.exit(f"FAIL: {name} differs: Linux {expected!r}, Windows {got!r}")
    print(f"ok - {name}: {len(got)} bytes alike")
EOF
