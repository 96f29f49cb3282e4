#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures a build folder from a preset of CMakePresets.json (extra arguments go to CMake):
#   scripts/configure.sh default|asan|fuzz|bench [cmake arguments...]
# The preset `default` builds into build/, each other one into build-<preset>/. A new folder gets the Ninja
# generator where ninja is installed (it keeps both cores busy across targets); a folder configured before
# keeps its generator. CMakeLists.txt puts ccache in front of the compiler where it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
shift
folder=build
[[ $preset == default ]] || folder=build-$preset
generator=()
if [[ ! -f $folder/CMakeCache.txt ]] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
cmake --preset "$preset" "${generator[@]}" "$@"
