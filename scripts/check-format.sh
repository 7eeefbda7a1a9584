#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format 14 makes of it (config: .clang-format),
# and when clang-format 14 is missing: a check that skips itself would pass on any machine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/llvm-tool.sh
clang_format=$(llvm_tool clang-format)
# The tracked files of a git checkout; in a source archive unpacked without .git (or on a machine
# without git) every C++ file outside the build folders and hidden ones.
cpp_files() {
    if command -v git >/dev/null 2>&1 && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z -- '*.cpp' '*.h'
    else
        find . \( -path './build*' -o -path './.*' \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0
    fi
}
cpp_files | xargs -0 -r "$clang_format" --dry-run --Werror
echo "Format check passed."
