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
wineserver="$(dirname "$(command -v "$wine")")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver

# The first Wine program of a run starts the Wine server and Wine's own system programs (services,
# device and plug-and-play hosts), which inherit that program's output pipes and keep them open until
# every Wine program has ended: CTest would wait for the whole stage on that one test. Started here
# with no pipe of CTest's, they serve every test program; the server ends 10 s after the last one.
start_server() {
    # A server that runs already (an earlier run's, still waiting) serves as well.
    "$wineserver" -p10 </dev/null >/dev/null 2>&1 || true
    "$wine" wineboot </dev/null >/dev/null 2>&1 || true
}

if [ -f "$ready" ]; then
    start_server
    exit 0
fi

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
"$wineserver" -w
touch "$ready"
start_server
