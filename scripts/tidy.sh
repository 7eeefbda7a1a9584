#!/usr/bin/env bash
# Runs clang-tidy 14 (config: .clang-tidy) over every production source file, in parallel, and fails
# on any finding. Production means every .cpp of the project's folders but tests/, bench/ and fuzz/;
# files the build does not compile on this platform (the Windows loader) and generated sources
# (embedded catalogs, moc output: they live in the build folder) are not checked. Headers are checked
# through the files that include them, the project's own only.
#
# Usage: scripts/tidy.sh [build-folder [clang-tidy option ...]]
#   The build folder (default build/) must be configured: its compile_commands.json names the files
#   and their flags. Options go to every clang-tidy, e.g. --enable-check-profile.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${1:-build}"
shift || true
source scripts/llvm-tool.sh
clang_tidy=$(llvm_tool clang-tidy)

database="$build/compile_commands.json"
[ -f "$database" ] || { echo "tidy: $database is missing; configure $build first" >&2; exit 1; }

folders=()
for folder in */; do
    folder=${folder%/}
    case "$folder" in
        tests | bench | fuzz | build* | cmake | scripts | docs) continue ;;
    esac
    [ -f "$folder/CMakeLists.txt" ] && folders+=("$folder")
done
header_filter="^$root/($(IFS='|'; echo "${folders[*]}"))/"

# The files of those folders that the build compiles; CMake writes each one's absolute path.
mapfile -t files < <(grep -o '"file": "[^"]*"' "$database" | sed -e 's/^"file": "//' -e 's/"$//' |
    grep -E "$header_filter" | sort -u)
[ ${#files[@]} -gt 0 ] || { echo "tidy: no production source in $database" >&2; exit 1; }

echo "clang-tidy: ${#files[@]} files of ${folders[*]}"
start=$SECONDS
# One clang-tidy per file, as many at once as there are cores; each prints its findings whole, and
# xargs fails when any of them did.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\0' "${files[@]}" |
    xargs -0 -P"$(nproc)" -n1 "$clang_tidy" -p "$build" --quiet --header-filter="$header_filter" \
        --warnings-as-errors='*' "$@" >"$log" 2>&1 || status=$?
# clang-tidy counts the warnings of every header it parsed, shown or not; those lines say nothing.
grep -v -E '^[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$' "$log" || true
echo "clang-tidy: $((SECONDS - start)) s"
[ "$status" -eq 0 ] || { echo "clang-tidy found problems (see above)" >&2; exit 1; }
echo "Tidy check passed."
