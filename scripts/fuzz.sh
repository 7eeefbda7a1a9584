#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one for a fixed time, starting from its seeds: its own
# corpus in fuzz/corpus/<target>/ and the named fixtures of the tests (tests/data/<folder>/), which
# are kept there only. Fails when a target finds a crash, a leak or a broken property; the input
# that did it is left in build-fuzz/artifacts/<target>/.
#
# Usage: scripts/fuzz.sh [seconds-per-target [target ...]]
#   scripts/fuzz.sh              15 s for each target (the CI smoke run)
#   scripts/fuzz.sh 600 mo_catalog
# New inputs that the fuzzer finds go to build-fuzz/corpus/<target>/, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-15}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(command_line h2_cut mo_catalog profile_file sms_pdu csv at_lines journal)
fi
# The test fixtures each target starts from besides its own corpus.
declare -A fixture_seeds=([h2_cut]=tests/data/net [mo_catalog]=tests/data/i18n [profile_file]=tests/data/sms
    [sms_pdu]=tests/data/sms/pdu [csv]=tests/data/fleet)

scripts/install-deps.sh clang libclang-rt-14-dev

build=build-fuzz
# The fuzz targets are all Qt-free: nothing of the window is configured or built here.
CC=clang CXX=clang++ cmake -S . -B "$build" -DDTUSMS_FUZZ=ON -DDTUSMS_SANITIZE=ON -DDTUSMS_WINDOW=OFF \
    -DDTUSMS_BUILD_TESTS=OFF -DDTUSMS_BUILD_BENCH=OFF -DDTUSMS_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

failed=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    mkdir -p "$work" "$artifacts"
    echo "== fuzz_$target for ${seconds}s"
    log="$build/fuzz_$target.log"
    seeds=()
    for dir in "fuzz/corpus/$target" "${fixture_seeds[$target]:-}"; do
        if [ -n "$dir" ] && [ -d "$dir" ]; then
            seeds+=("$dir")
        fi
    done
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$work" "${seeds[@]}" >"$log" 2>&1; then
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    else
        tail -n 60 "$log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $build/artifacts/)" >&2
    exit 1
fi
