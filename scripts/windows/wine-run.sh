#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a program of the Windows build under wine64: CTest's emulator for the cross build's tests, and what
# the black-box and installer tests start the program with.
#
#   scripts/windows/wine-run.sh [--qt <Qt prefix>] --prefix <Wine prefix> <program.exe> [arguments...]
#
# The Wine prefix is made on first use (wineboot), with the Japanese fonts (IPA Gothic) in its Fonts folder;
# concurrent first uses wait for one another. With --qt, Qt's libraries and the MinGW-w64 runtime are found
# through WINEPATH and Qt's plugins beside its libraries (a program of the build folder); without it the
# program has only what its own folder holds (an installed one). Qt's platform is Windows' own: Wine
# keeps Linux's QT_ variables (QT_QPA_PLATFORM=offscreen among them) from its programs. Windows has no C
# locale: a test asking for LC_ALL=C.UTF-8 (the program's Japanese) runs with Japanese as Wine's language,
# and an English one with English, from the locales scripts/windows/setup.sh compiles (LOCPATH). Without a
# display one is made (xvfb-run).
set -euo pipefail

qt="" prefix=""
while [[ $# -gt 0 ]]; do
    case $1 in
        --qt) qt=$2; shift 2 ;;
        --prefix) prefix=$2; shift 2 ;;
        *) break ;;
    esac
done
[[ -n $prefix && $# -gt 0 ]] || { echo "usage: wine-run.sh [--qt DIR] --prefix DIR PROGRAM [ARGS...]" >&2; exit 2; }

if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" ${qt:+--qt "$qt"} --prefix "$prefix" "$@"
fi

windows_path() {
    local path
    path=$(cd "$1" && pwd -P)
    echo "Z:${path//\//\\}"
}

cache=${QUILLMORA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillmora-windows}
export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono, Gecko or menu entries: nothing of them is used, and they would be fetched from the network.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export LOCPATH=$cache/locale
language=ja_JP.UTF-8
[[ ${LC_ALL:-${LANG:-C}} == en_* ]] && language=en_US.UTF-8

mkdir -p "$prefix"
(
    flock 9
    if [[ ! -f $prefix/.ready ]]; then
        wineboot -u >/dev/null 2>&1 || true
        wineserver -w
        fonts=$prefix/drive_c/windows/Fonts
        mkdir -p "$fonts"
        cp /usr/share/fonts/opentype/ipafont-gothic/ipag*.ttf "$fonts/"
        touch "$prefix/.ready"
    fi
    if [[ ! -f $prefix/.crashes-reported ]]; then
        # A crash has Wine's debugger print the backtrace, each frame with its module and offset, instead of
        # opening its window.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
        wineserver -w
        touch "$prefix/.crashes-reported"
    fi
) 9>"$prefix.lock"

if [[ -n $qt ]]; then
    runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
    export WINEPATH="$(windows_path "$qt/bin");$(windows_path "$runtime");$(windows_path /usr/x86_64-w64-mingw32/lib)"
fi
# Qt Test's own output does not reach the console under Wine: a test program writes its log into a file,
# shown when it ends. Wine's server and its own programs (services, the desktop), started by whichever
# program comes first, outlive it and keep what it had open: given CTest's pipe, CTest would wait for them
# (a short test ended with the longest beside it, or past its time). So the test's console is a file too.
if [[ $(basename "$1") == tst_*.exe ]]; then
    log=$(mktemp --suffix=.txt)
    status=0
    # Without Qt Test's crash handler, which finds no symbols here: a crash goes to Wine's debugger.
    env LC_ALL=$language LANG=$language wine "$@" -nocrashhandler -o "$log,txt" </dev/null >"$log.console" 2>&1 ||
        status=$?
    cat "$log" "$log.console"
    rm -f "$log" "$log.console"
    exit $status
fi
# The shell itself never takes the locale: only Wine has it (LOCPATH).
exec env LC_ALL=$language LANG=$language wine "$@"
