#!/usr/bin/env bash
# Installs what is missing, builds, and starts Corvinax. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" >/dev/null
exec "${BUILD_DIR:-$root/build}/app/corvinax" "$@"
