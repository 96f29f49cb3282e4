#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows part of the test command (./test --windows, and ./test --full): the Qt for Windows (built
# once per machine, scripts/windows/setup.sh), the cross build into build-windows/ with warnings as errors,
# the installer, and every test of the Windows build under Wine (tests/CMakeLists.txt: the unit and window
# tests, tst_windows, the first day against the Linux program, the installer). Needs the native build in
# build/ (its help files, and its program for the comparison).
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

prefix=$(scripts/windows/setup.sh)
qt_ready=$SECONDS

cmake --build build --target quillmora help_chm help_chm_en
generator=()
[[ -f build-windows/CMakeCache.txt ]] || generator=(-G Ninja)
QUILLMORA_WINDOWS_QT=$prefix cmake --preset windows-cross "${generator[@]}" >/dev/null
cmake --build build-windows
cmake --build build-windows --target installer
built=$SECONDS

# One X server for the unit and window tests (Wine's windows, on Qt's Windows platform); the desktop tests make
# theirs.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
read -r -t 10 display <&3
export DISPLAY=:$display
(cd build-windows && ctest --output-on-failure -j2)

echo "Windows part passed: Qt $((qt_ready - start)) s, build and installer $((built - qt_ready)) s," \
    "tests under Wine $((SECONDS - built)) s"
