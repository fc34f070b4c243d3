#!/usr/bin/env bash
# Runs a test program on a private X server (Xvfb) with a window manager (openbox), so that focus
# and activation come as they do on a desktop. Without them the test is reported as skipped.
set -u
if ! command -v Xvfb >/dev/null || ! command -v openbox >/dev/null || ! command -v xdotool >/dev/null; then
    echo "Xvfb, openbox and xdotool are needed (the test command installs them)"
    exit 77
fi
work=$(mktemp -d)
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"
DISPLAY=$display openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
status=$?
kill "$wm" "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
rm -rf "$work"
exit $status
