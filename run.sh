#!/usr/bin/env bash
# Sets up the machine, builds, and runs the main job on the embedded default installation.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
bash scripts/build.sh
exec bash scripts/run-main.sh "$@"
