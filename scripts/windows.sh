#!/usr/bin/env bash
# The Windows stage: cross-builds the cores, the command line dtusms.exe and their tests with
# MinGW-w64 in build-win/ (cmake/mingw-w64-x86_64.cmake) and runs them under Wine with CTest, one
# Wine process per test program, in a Wine prefix kept in build-win/wineprefix (made on the first
# run, reused afterwards). Among them the check of the settings reader against the Windows profile
# API: ProfileApiReader.exe answers under Wine, and profile_api_diff, built natively in build/,
# generates the settings files and compares. libqrencode for Windows is built on the first configure
# from the upstream tarball of Debian's source package (cmake/QrencodeForTarget.cmake); the QR codes
# of dtusms.exe are read back on the host and its terminal drawing compared with build/'s dtusms.
# The installer (NSIS) is made and installed, run and uninstalled silently in the same prefix.
# Then the Win32 window end to end on a virtual X display (scripts/win32-window-test.sh).
# Installs what it needs when missing. Fails when any test fails; CTest's summary is kept in
# build-win/ctest.log.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nsis wine64 wine googletest xvfb xdotool \
    x11-utils imagemagick zbar-tools

# The comparing sides are built natively: the settings reader as the program links it, the Linux
# program whose QR drawing the Windows one must match, and the modem check that drives the fake
# modem of the Linux tests. An existing build/ keeps the options it was configured with.
host=build
[ -f "$host/CMakeCache.txt" ] || cmake -S . -B "$host" -DDTUSMS_BUILD_TESTS=ON -DDTUSMS_BUILD_BENCH=OFF >/dev/null
cmake --build "$host" -j"$(nproc)" --target profile_api_diff dtusms check_wine_modem fake_modem_server

# Release: the programs are the same, and without debug information the cross build takes about a
# third less time. Warnings stay warnings here: MinGW's g++ 12 reports false -Wrestrict overlaps
# inside std::string's inlined copies at -O2 (the Linux builds, where they are errors, do not).
build=build-win
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DDTUSMS_HOST_BUILD_DIR="$PWD/$host" -DDTUSMS_WERROR=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" | tee "$build/ctest.log"
cat "$build/tests/windows/profile-cases/summary.txt"
# The window itself, driven under Wine on a virtual display.
scripts/win32-window-test.sh "$build"
