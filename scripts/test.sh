#!/usr/bin/env bash
# Installs what is missing, builds the core alone (proving it needs no Qt), then everything, and
# runs every test under ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"

echo "== core without the window side"
BUILD_DIR="$build_dir-core" "$root/scripts/build.sh" -DCORVINAX_WITH_GUI=OFF -DCORVINAX_WERROR=ON
ctest --test-dir "$build_dir-core" --output-on-failure --timeout 600 -j2

echo "== everything"
BUILD_DIR="$build_dir" "$root/scripts/build.sh" -DCORVINAX_WITH_GUI=ON -DCORVINAX_WERROR=ON
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 -j2
