#!/usr/bin/env bash
# Runs one GoogleTest program under Wine for CTest: wine PROGRAM ARGS..., its output passed through.
# Now and then (about one stage run in ten, never reproduced alone) Wine ends a program that it
# failed to start with a failure status and no output at all, in no time; a GoogleTest program
# always prints its summary. Such a start is tried once more, saying so; any run that printed
# something keeps its status, so a failing test still fails.
# Usage: scripts/wine-gtest.sh WINE PROGRAM [ARG ...]
set -uo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
    "$@" >"$out" 2>&1
    status=$?
    if [ "$status" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 2 ]; then
        cat "$out"
        exit "$status"
    fi
    echo "wine-gtest: Wine ended $2 with status $status before it printed anything; starting it again"
done
