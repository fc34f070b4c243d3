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

echo "== the Debian package, unpacked into a scratch root"
BUILD_DIR="$build_dir" "$root/scripts/build.sh" -DCORVINAX_WITH_GUI=ON -DCORVINAX_WERROR=ON
(cd "$build_dir" && cpack -G DEB >/dev/null)
scratch=$(mktemp -d)
dpkg -x "$build_dir"/corvinax_*.deb "$scratch"
"$scratch/usr/bin/corvinax" --version | grep -qx "Corvinax v.2.00"
test -f "$scratch/usr/share/corvinax/BASE/Smart"
rm -rf "$scratch"
echo "package ok"

echo "== everything"
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 -j2
