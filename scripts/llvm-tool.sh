#!/usr/bin/env bash
# Sourced by the format and lint checks: llvm_tool NAME prints the command of LLVM tool NAME
# (clang-format, clang-tidy, run-clang-tidy) in the one major version whose verdict the checks and
# their configuration are made for, so that a newer tool on a developer's machine cannot pass or fail
# what CI judges otherwise. scripts/install-deps.sh installs that version.
llvm_version=14

llvm_tool() {
    local name="$1"
    if command -v "$name-$llvm_version" >/dev/null; then
        echo "$name-$llvm_version"
        return 0
    fi
    # An unversioned command counts only when it is that version (run-clang-tidy has no --version and
    # is taken from the same package as clang-tidy).
    if command -v "$name" >/dev/null &&
        { [ "$name" = run-clang-tidy ] || "$name" --version | grep -q "version $llvm_version\."; }; then
        echo "$name"
        return 0
    fi
    echo "$name $llvm_version not found; scripts/install-deps.sh installs it" >&2
    return 1
}
