#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Robustness checks, run by ./test --full: the whole test suite built with AddressSanitizer and UBSan,
# leaks counting as failures (build-asan/, suppressions in tests/lsan.supp), then a short run of every fuzz
# target (fuzz/run, build-fuzz/). Measured figures are in bench/RESULTS.md ("The test commands").
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

scripts/setup.sh --full
echo "== Test suite under AddressSanitizer, UBSan and LeakSanitizer (build-asan/)"
scripts/configure.sh asan >/dev/null
cmake --build build-asan -j"$(nproc)"
(cd build-asan && ctest --output-on-failure -j"$(nproc)")
sanitized=$((SECONDS - start))

echo "== Short fuzz runs (build-fuzz/)"
fuzz/run

echo "robustness checks passed: sanitizer suite ${sanitized} s, fuzzing $((SECONDS - start - sanitized)) s"
