#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer into ./build-asan and runs
# the tests there. Extra arguments go to ctest (e.g. -L platform).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
XQ_BUILD_DIR=build-asan bash scripts/build.sh -DXQ_SANITIZE=ON
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
cd build-asan
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
