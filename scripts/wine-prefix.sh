#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX ready for running the Windows test programs, or reuses it when
# an earlier run finished making it. Never opens a window and never asks anything, so it runs
# without a display, without a terminal and as root:
# - no display variables, and the null graphics driver from then on;
# - Mono and Gecko are not offered (their installers would open a dialog), menu entries not made;
# - a crashing program prints its backtrace instead of opening a crash dialog.
# Usage: WINEPREFIX=DIR scripts/wine-prefix.sh [wine-program]
set -euo pipefail

wine="${1:-wine}"
: "${WINEPREFIX:?WINEPREFIX names the prefix to make}"
ready="$WINEPREFIX/.dtusms-ready"
[ -f "$ready" ] && exit 0

unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
log="$WINEPREFIX.log"
settings="$WINEPREFIX.reg"
cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
# wineboot's complaint about the missing 32-bit part (no wine32 on a 64-bit-only install) is
# harmless: the test programs are 64-bit.
if ! "$wine" wineboot --init </dev/null >"$log" 2>&1 || ! "$wine" regedit /S "$settings" </dev/null >>"$log" 2>&1; then
    cat "$log" >&2
    echo "wine-prefix: could not make the Wine prefix $WINEPREFIX" >&2
    exit 1
fi
# The registry reaches the prefix's files only when the Wine server ends.
wineserver="$(dirname "$(command -v "$wine")")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver
"$wineserver" -w
touch "$ready"
