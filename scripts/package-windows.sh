#!/usr/bin/env bash
# Makes the Windows zip of the command line: build-win/dtusms-<version>-windows-x86_64.zip with
# dtusms.exe (cross-built with MinGW-w64, runtime linked in, catalogs embedded, symbols stripped),
# LICENSE and README.txt. Checks that the program imports nothing but Windows' own DLLs, so that the
# zip runs on a bare Windows 10 or later. Then the installer of the same files (NSIS,
# packaging/windows/dtusms.nsi), copied to build/dtusms-<version>-setup.exe. Installs what it needs
# when missing.
# Usage: scripts/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev zip nsis

build=build-win
triplet=x86_64-w64-mingw32
# An existing build-win/ (the Windows stage's, with its tests) is reused; only the program is built.
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target dtusms installer

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package-windows: no project version in $build/CMakeCache.txt" >&2; exit 1; }
[ -f LICENSE ] || { echo "package-windows: LICENSE is missing at the top of the source tree" >&2; exit 1; }

name="dtusms-$version-windows-x86_64"
stage="$build/package/$name"
rm -rf "$build/package"
mkdir -p "$stage"
"$triplet-strip" -o "$stage/dtusms.exe" "$build/app/dtusms.exe"

# Every DLL the program names must come with Windows itself.
system_dlls='^(kernel32|user32|gdi32|comctl32|advapi32|setupapi|ole32|shell32|ws2_32|iphlpapi|winhttp|msvcrt)\.dll$'
imports=$("$triplet-objdump" -p "$stage/dtusms.exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "package-windows: no imports found in dtusms.exe" >&2; exit 1; }
foreign=$(tr 'A-Z' 'a-z' <<<"$imports" | grep -Ev "$system_dlls" || true)
if [ -n "$foreign" ]; then
    echo "package-windows: dtusms.exe needs DLLs that Windows does not have: $foreign" >&2
    exit 1
fi

# The texts are the installer's, made by the build with CR LF line ends for Notepad.
cp "$build/packaging/windows/stage/LICENSE.txt" "$build/packaging/windows/stage/README.txt" "$stage/"

zip_file="$PWD/$build/$name.zip"
rm -f "$zip_file"
(cd "$build/package" && zip -q -X -r "$zip_file" "$name")
echo "$build/$name.zip: $(stat -c %s "$zip_file") bytes; dtusms.exe imports $(tr '\n' ' ' <<<"$imports")"

setup="$build/dtusms-$version-setup.exe"
[ -f "$setup" ] || { echo "package-windows: the installer $setup was not made" >&2; exit 1; }
mkdir -p build
cp "$setup" build/
echo "build/$(basename "$setup"): $(stat -c %s "$setup") bytes"
