#!/usr/bin/env bash
# The main job on the staged installation. While the host shell is not built yet, this says so
# and runs the platform self-check instead.
set -euo pipefail
cd "$(dirname "$0")/.."
STAGE="$(cd "${XQ_BUILD_DIR:-build}/stage" && pwd)"
# The staged registry file names the stage as the installation folder.
export XQ_REGISTRY="${XQ_REGISTRY:-$STAGE/registry.ini}"
if [ -x "$STAGE/bin/erp-host" ]; then
  exec "$STAGE/bin/erp-host" "$@"
fi
echo "The host shell (erp-host) is not built yet; running the platform self-check instead."
exec "$STAGE/bin/platform-selfcheck" "$@"
