#!/usr/bin/env bash
# Installs what is missing, builds the core alone (proving it needs no Qt), then everything, and
# runs every test under ctest; then again with sanitizers, and a short run of every fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --tests

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
test -x "$scratch/usr/libexec/corvinax/corvinax-share-reader"
test -f "$scratch/usr/libexec/corvinax/corvinax-window.so"
"$root/scripts/check-units.sh" "$scratch"
rm -rf "$scratch"
echo "package ok"

echo "== everything"
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 -j2

echo "== everything again, built with AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR="$build_dir-asan" BUILD_TYPE=Debug "$root/scripts/build.sh" -DCORVINAX_WITH_GUI=ON \
    -DCORVINAX_SANITIZE=address,undefined
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ASAN_OPTIONS=detect_leaks=1 "$build_dir-asan/tests/corvinax_core_tests" --gtest_brief=1
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir "$build_dir-asan" --output-on-failure --timeout 900 -j2

echo "== the core again, built with ThreadSanitizer (reports are read ahead on a second thread)"
BUILD_DIR="$build_dir-tsan" BUILD_TYPE=Debug "$root/scripts/build.sh" -DCORVINAX_WITH_GUI=OFF \
    -DCORVINAX_SANITIZE=thread
TSAN_OPTIONS=halt_on_error=1 "$build_dir-tsan/tests/corvinax_core_tests" --gtest_brief=1

echo "== fuzzing, a short bounded run of every target"
FUZZ_BUILD_DIR="$build_dir-fuzz" SECONDS_PER_TARGET=${FUZZ_SECONDS:-15} "$root/scripts/fuzz.sh"

# The last line is ctest's summary of the whole suite.
echo "== every test once more, for the summary"
summary="$build_dir/ctest-summary.log"
if ! ctest --test-dir "$build_dir" --timeout 600 -j2 >"$summary" 2>&1; then
    cat "$summary"
    exit 1
fi
grep -E "tests passed|tests failed" "$summary"
