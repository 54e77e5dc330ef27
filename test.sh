#!/usr/bin/env bash
# Sets up the machine (Debian packages), builds everything and runs every test.
# Works without a display: real-window tests use Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
bash scripts/build.sh
cd "${XQ_BUILD_DIR:-build}"
# Tests never open windows on a real display.
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure --parallel "$(nproc)" --timeout 300 "$@"
