#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The launcher's choice of data folder. A stub stands in for the program beside the launcher
# and reports the folder it was started in and its arguments; every path has a space in it.
# Usage: launcher.sh <path of quillmora-launcher>
set -euo pipefail

source_launcher=$1
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillmora launcher.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
scratch=$(cd "$scratch" && pwd -P)

bin="$scratch/pre fix/bin"
mkdir -p "$bin" "$scratch/else where"
cp "$source_launcher" "$bin/quillmora-launcher"
chmod +x "$bin/quillmora-launcher"
cat >"$bin/quillmora" <<'STUB'
#!/bin/sh
pwd -P
printf '%s|' "$@"
echo
STUB
chmod +x "$bin/quillmora"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# run <launcher> <env assignments...>: runs it from an unrelated folder with only the given
# environment; sets out, err and status.
run() {
    local launcher=$1
    shift
    status=0
    out=$(cd "$scratch/else where" && env -i PATH=/usr/bin:/bin "$@" "$launcher" 2>"$scratch/stderr") || status=$?
    err=$(cat "$scratch/stderr")
}

# expect_folder <case> <folder>: the program ran in <folder>, which the launcher made private.
expect_folder() {
    local name=$1 folder=$2
    if [[ $status -ne 0 ]]; then
        fail "$name: exit status $status ($err)"
        return
    fi
    [[ $(head -n1 <<<"$out") == "$folder" ]] || fail "$name: ran in '$(head -n1 <<<"$out")', not '$folder'"
    [[ -d $folder ]] || fail "$name: '$folder' was not made"
    [[ $(stat -c %a "$folder") == 700 ]] || fail "$name: '$folder' has mode $(stat -c %a "$folder")"
    echo "ok - $name"
}

launcher="$bin/quillmora-launcher"
home="$scratch/the home"

run "$launcher" HOME="$home" XDG_DATA_HOME="$scratch/x d g"
expect_folder "XDG_DATA_HOME set" "$scratch/x d g/quillmora"
[[ ! -e "$home" ]] || fail "XDG_DATA_HOME set: the home folder was touched"

run "$launcher" HOME="$home"
expect_folder "XDG_DATA_HOME unset" "$home/.local/share/quillmora"
[[ $(stat -c %a "$home/.local") == 700 ]] || fail "XDG_DATA_HOME unset: ~/.local is not private"

# The base directory rules ignore an empty or a relative XDG_DATA_HOME.
rm -rf "$home"
run "$launcher" HOME="$home" XDG_DATA_HOME=
expect_folder "XDG_DATA_HOME empty" "$home/.local/share/quillmora"
rm -rf "$home"
run "$launcher" HOME="$home" XDG_DATA_HOME="relative data"
expect_folder "XDG_DATA_HOME relative" "$home/.local/share/quillmora"
[[ ! -e "$scratch/else where/relative data" ]] || fail "XDG_DATA_HOME relative: made a folder in the current one"

# An existing folder is used as it is: its files and mode stay.
chmod 755 "$home/.local/share/quillmora"
printf 'kept' >"$home/.local/share/quillmora/設定.txt"
run "$launcher" HOME="$home"
if [[ $status -ne 0 || $(head -n1 <<<"$out") != "$home/.local/share/quillmora" ]]; then
    fail "existing folder: status $status, ran in '$(head -n1 <<<"$out")'"
elif [[ $(cat "$home/.local/share/quillmora/設定.txt") != kept || $(stat -c %a "$home/.local/share/quillmora") != 755 ]]; then
    fail "existing folder: its contents or mode changed"
else
    echo "ok - existing folder"
fi

# Reached through a symbolic link elsewhere, as from a folder on PATH; options pass through.
mkdir -p "$scratch/link dir"
ln -s "$launcher" "$scratch/link dir/ql"
status=0
out=$(cd "$scratch/else where" && env -i PATH=/usr/bin:/bin HOME="$home" "$scratch/link dir/ql" -platform "off screen" 2>&1) || status=$?
if [[ $status -ne 0 || $(sed -n 2p <<<"$out") != "-platform|off screen|" ]]; then
    fail "symbolic link: status $status, output '$out'"
else
    echo "ok - symbolic link and arguments"
fi

# Failures stop before the program and say why.
expect_refusal() {
    local name=$1 pattern=$2
    if [[ $status -eq 0 || -n $out ]]; then
        fail "$name: the program was started (status $status)"
    elif [[ $err != *"$pattern"* ]]; then
        fail "$name: message '$err'"
    else
        echo "ok - $name"
    fi
}
printf 'a file' >"$scratch/not a folder"
run "$launcher" HOME="$scratch/not a folder"
expect_refusal "data folder cannot be made" "cannot use the data folder"
run "$launcher"
expect_refusal "no HOME" "HOME"
mkdir -p "$scratch/alone"
cp "$launcher" "$scratch/alone/quillmora-launcher"
run "$scratch/alone/quillmora-launcher" HOME="$home"
expect_refusal "program missing" "is missing"

if [[ $failures -ne 0 ]]; then
    echo "$failures launcher check(s) failed" >&2
    exit 1
fi
