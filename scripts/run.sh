#!/usr/bin/env bash
# Installs what is missing, builds, and starts Corvinax. On the first start it prepares a sample
# network (build/sample) and a settings file that points at it. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
BUILD_DIR="$build" "$root/scripts/build.sh" >/dev/null
if [ ! -e "$build/app/corvinax.ini" ]; then
    "$build/app/corvinax-sample-network" "$build/sample" "$build/app/corvinax.ini" "$build/app/BASE/Smart"
    echo "Sample network written to $build/sample; settings in $build/app/corvinax.ini"
fi
exec "$build/app/corvinax" "$@"
