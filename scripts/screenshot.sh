#!/usr/bin/env bash
# Takes a screenshot of the main window on a virtual X display and saves it as a PNG.
# Usage: scripts/screenshot.sh [output.png]        (default: docs/main-window-en.png)
# Needs: xvfb (xvfb-run, Xvfb) and the Qt xcb platform plugin that qt6-base-dev brings.
# The window is started with the real X11 platform, grabs itself after its first paint
# (--screenshot) and exits; a temporary settings file with example values keeps the picture the same
# on every machine and leaves no GPRSInfo.ini beside the program.
set -euo pipefail
cd "$(dirname "$0")/.."
output="${1:-docs/main-window-en.png}"

cmake -S . -B build >/dev/null
cmake --build build --target dtusms -j2 >/dev/null

settings_dir="$(mktemp -d)"
trap 'rm -rf "$settings_dir"' EXIT
printf '[Main]\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nSMS command type=0\r\nService network(APN)=0\r\nDTU number=TQ-GP000001\r\n' \
    >"$settings_dir/GPRSInfo.ini"

mkdir -p "$(dirname "$output")"
LANG=C LC_ALL=C QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
    build/app/dtusms --settings "$settings_dir/GPRSInfo.ini" --screenshot "$output"
echo "Saved $output"
