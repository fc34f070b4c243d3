#!/usr/bin/env bash
# Installs the Debian packages that building and testing Corvinax needs, skipping those present.
set -euo pipefail

# What building and running needs; with --tests also what the tests use: a dBASE reader of its
# own, clang for the fuzz targets, a Samba server that the tests start on a port of their own, and
# an X server with a window manager for the window's focus and activation.
packages=(cmake ninja-build g++ pkg-config dpkg-dev qt6-base-dev qt6-translations-l10n libgtest-dev libshp-dev libsmbclient-dev)
if [ "${1:-}" = "--tests" ]; then
    packages+=(python3 python3-dbfread clang libclang-rt-14-dev samba xvfb openbox xdotool)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
