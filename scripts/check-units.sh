#!/usr/bin/env bash
# Checks the systemd units of an unpacked package (its root folder as the argument): each names a
# program that the package holds, and systemd itself finds nothing wrong with them, the unpacked
# root standing for the machine. With --security it prints systemd's exposure score of each.
set -euo pipefail
root=$1
units=("$root"/usr/lib/systemd/system/corvinax-warehouse.service "$root"/usr/lib/systemd/user/corvinax-warehouse.service)
for unit in "${units[@]}"; do
    test -f "$unit" || { echo "missing unit: $unit"; exit 1; }
    test -f "$(dirname "$unit")/corvinax-warehouse.timer" || { echo "missing timer beside $unit"; exit 1; }
    program=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
    if [ -z "$program" ] || [ ! -x "$root$program" ]; then
        echo "$unit: ExecStart names $program, which the package does not hold"
        exit 1
    fi
done
if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze is not installed: the units' program paths were checked, systemd's own check skipped"
    exit 0
fi
# systemd checks each unit as the package installs it, but with the program in the unpacked root:
# a copy of the unit whose ExecStart points there.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for kind in system user; do
    mkdir -p "$work/$kind"
    sed "s|^ExecStart=/|ExecStart=$root/|" "$root/usr/lib/systemd/$kind/corvinax-warehouse.service" \
        >"$work/$kind/corvinax-warehouse.service"
    cp "$root/usr/lib/systemd/$kind/corvinax-warehouse.timer" "$work/$kind/"
    # The user unit is checked by the system's manager too: a user's manager needs a session.
    (cd "$work/$kind" && systemd-analyze verify --man=no corvinax-warehouse.service corvinax-warehouse.timer)
    if [ "${2:-}" = "--security" ]; then
        echo "$kind unit:"
        systemd-analyze security --offline=yes --no-pager "$work/$kind/corvinax-warehouse.service" | tail -n 1
    fi
done
echo "units ok"
