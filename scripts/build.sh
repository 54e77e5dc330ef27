#!/usr/bin/env bash
# Configures and builds the project into ./build (or $XQ_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${XQ_BUILD_DIR:-build}"
GEN=()
command -v ninja >/dev/null 2>&1 && GEN=(-G Ninja)
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
elif [ $# -gt 0 ]; then
  cmake -S . -B "$BUILD_DIR" "$@" >/dev/null
fi
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
