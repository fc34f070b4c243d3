#!/usr/bin/env bash
# Takes the screenshots of the README from the running program on the sample network, under Xvfb.
# Needs: xvfb, xdotool, imagemagick (apt-get install xvfb xdotool imagemagick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$root/app/doc
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

cp "$build/app/corvinax" "$build/app/corvinax-window.so" "$work/"
cp -r "$build/app/BASE" "$work/"
"$build/app/corvinax-sample-network" "$work/sample" "$work/corvinax.ini" "$work/BASE/Smart"

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1100x750x24 >/dev/null 2>&1 &
sleep 2
(cd "$work" && ./corvinax >/dev/null 2>&1 &)
sleep 3
window=$(xdotool search --name "Проверка" | head -n 1)
import -window "$window" "$out/settings-page.png"
xdotool mousemove --window "$window" 15 566 click 1   # the start button
sleep 2
xdotool key shift+Tab space                          # yes (the box offers No first), remove the old report
sleep 2
import -window "$window" "$out/results-page.png"
xdotool key ctrl+Tab ctrl+Tab
sleep 1
import -window "$window" "$out/analysis-page.png"
echo "screenshots written to $out"
