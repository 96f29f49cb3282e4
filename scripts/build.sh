#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/ (extra arguments go to the configure step; see scripts/configure.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh default "$@"
cmake --build build -j"$(nproc)"
