#!/usr/bin/env bash
# Start-up to first paint of the Win32 window under Wine, beside a bare window with the same controls
# (bench/win32/BareDialog.cpp), alternated in one run so that both see the same machine load. Each
# run is a whole process start under Wine: dtusms.exe --exit-after-paint on a settings file in a
# temporary folder, and bare_dialog.exe, which also closes after its first paint. Prints the median of
# each, their ratio, and the median of the ratios of each pair of runs (which holds when the machine's
# speed drifts during the run).
# Usage: bench/win32/startup.sh [BUILD_DIR] [RUNS]   (default build-win, 21 runs each)
set -euo pipefail
cd "$(dirname "$0")/../.."

build="${1:-build-win}"
runs="${2:-21}"
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
wine="$(command -v wine64 || command -v wine)"
scripts/wine-prefix.sh "$wine" >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Milliseconds that one run of the command takes.
measure() {
    local start end
    start=$(date +%s%N)
    "$wine" "$@" </dev/null >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One run of each first, unmeasured: the first Wine start of a run loads more than the later ones.
measure "$build/bench/win32/bare_dialog.exe" >/dev/null
measure "$build/app/dtusms.exe" --exit-after-paint --settings "Z:${work//\//\\}\\GPRSInfo.ini" >/dev/null
for _ in $(seq "$runs"); do
    measure "$build/bench/win32/bare_dialog.exe" >>"$work/bare"
    measure "$build/app/dtusms.exe" --exit-after-paint --settings "Z:${work//\//\\}\\GPRSInfo.ini" >>"$work/window"
done
bare=$(median <"$work/bare")
window=$(median <"$work/window")
echo "bare dialog: median ${bare} ms over ${runs} runs"
echo "dtusms.exe:  median ${window} ms over ${runs} runs"
awk -v w="$window" -v b="$bare" 'BEGIN { printf "ratio of the medians: %.2f (target: at most 1.20)\n", w / b }'
paste "$work/window" "$work/bare" | awk '{ printf "%.4f\n", $1 / $2 }' | median |
    awk '{ printf "median of the pairs\047 ratios: %.2f\n", $1 }'
