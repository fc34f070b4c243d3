#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each for SECONDS (default 15),
# or for RUNS executions when RUNS is set. Finds are kept in build-fuzz/finds/<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${SECONDS_PER_TARGET:-15}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVINAX_FUZZ=ON -DCORVINAX_WITH_GUI=OFF -DCORVINAX_WITH_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "${JOBS:-2}" >/dev/null
for target in profile_parser_fuzz report_fuzz signature_fuzz smart_fuzz get_image_fuzz date_filter_fuzz log_line_fuzz; do
    work=$(mktemp -d)
    cp "$root/tests/fuzz/corpus/$target/"* "$work/"
    rm -rf "$build/finds/$target"
    mkdir -p "$build/finds/$target"
    limit=(-max_total_time="$seconds")
    [ -n "${RUNS:-}" ] && limit=(-runs="$RUNS")
    echo "== $target"
    "$build/tests/fuzz/$target" "${limit[@]}" -max_len=65536 -artifact_prefix="$build/finds/$target/" \
        -print_final_stats=1 "$work" 2>&1 | grep -E "Done|stat::number_of_executed_units|ERROR|SUMMARY" || true
    rm -rf "$work"
    if [ -n "$(ls -A "$build/finds/$target")" ]; then
        echo "$target found a fault: $build/finds/$target"
        exit 1
    fi
done
