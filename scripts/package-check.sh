#!/usr/bin/env bash
# Checks the Debian package made from a configured and built build folder (default build/, as ./test
# leaves it): the package's name, control fields and file list; lintian (an error fails, warnings are
# shown); the menu entry, the metainfo, the manual page, the icons and the catalogs as installed;
# then the packaged program run from a scratch root unpacked with dpkg -x: --version, an SMS, the
# modem plugin's symbols and libraries, and the window painted once on Qt's offscreen platform with
# its library loaded from <root>/usr/lib/dtusms/. Prints its time; fails at the first fault found.
# Usage: scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s%N)
build=$(realpath "${1:-build}")
work="$build/package-check"
app_id=net.dtusms.dtusms

scripts/install-deps.sh
rm -rf "$work"
mkdir -p "$work/out" "$work/root" "$work/home"

fail() {
    echo "package check: $*" >&2
    exit 1
}

# expect_equal WHAT EXPECTED ACTUAL
expect_equal() {
    [[ "$2" == "$3" ]] || fail "$1: expected '$2', got '$3'"
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
cmake --build "$build" --target dtusms_desktop_files >/dev/null
(cd "$work/out" && cpack --config "$build/CPackConfig.cmake" -G DEB >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$work/out/dtusms_${version}_${arch}.deb"
[[ -f "$deb" ]] || fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"

# Control fields. Depends holds what dpkg-shlibdeps found and what is loaded at run time.
field() { dpkg-deb --field "$deb" "$1"; }
expect_equal Package dtusms "$(field Package)"
expect_equal Version "$version" "$(field Version)"
expect_equal Architecture "$arch" "$(field Architecture)"
expect_equal Section comm "$(field Section)"
expect_equal Priority optional "$(field Priority)"
expect_equal Recommends modemmanager "$(field Recommends)"
for name in Maintainer Homepage Description Installed-Size; do
    [[ -n "$(field "$name")" ]] || fail "the control field $name is empty"
done
depends=",$(field Depends | tr -d ' '),"
for dependency in libcurl4 qt6-qpa-plugins qt6-translations-l10n fonts-wine fonts-wqy-microhei libc6 libstdc++6 libqt6widgets6 \
    libqt6dbus6 libqrencode4 zlib1g ca-certificates; do
    [[ "$depends" == *",$dependency,"* || "$depends" == *",$dependency("* ]] ||
        fail "Depends lacks $dependency: $(field Depends)"
done
# The serial ports are spoken to with termios: nothing needs Qt Serial Port.
[[ "$depends" != *",libqt6serialport6"* ]] || fail "Depends names libqt6serialport6: $(field Depends)"

# The file list, exactly: a file missing breaks the desktop integration, a file too many (a static
# library, a header, a test program) has no place in the package.
expected_files=(
    ./usr/bin/dtusms
    ./usr/lib/dtusms/libdtusms_modem.so
    ./usr/lib/dtusms/libdtusms_window.so
    "./usr/share/applications/$app_id.desktop"
    ./usr/share/doc/dtusms/changelog.gz
    ./usr/share/doc/dtusms/copyright
    ./usr/share/dtusms/locale/en/LC_MESSAGES/default.mo
    ./usr/share/dtusms/locale/zh_CN/LC_MESSAGES/default.mo
    ./usr/share/dtusms/locale/zh_TW/LC_MESSAGES/default.mo
    "./usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    ./usr/share/man/man1/dtusms.1.gz
    "./usr/share/metainfo/$app_id.metainfo.xml"
)
for size in 16 24 32 48 64 128 256; do
    expected_files+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
actual_files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if ! diff <(printf '%s\n' "${expected_files[@]}" | sort) - <<<"$actual_files" >"$work/files.diff"; then
    fail "the package's files differ from the expected list (< expected, > packaged):
$(cat "$work/files.diff")"
fi

lintian --fail-on error --display-info --tag-display-limit 0 "$deb" \
    >"$work/lintian.txt" 2>"$work/lintian-stderr.txt" ||
    { cat "$work/lintian.txt" "$work/lintian-stderr.txt"; fail "lintian reports an error"; }
[[ -s "$work/lintian.txt" ]] && { echo "lintian:"; cat "$work/lintian.txt"; }

root="$work/root"
dpkg-deb --extract "$deb" "$root"
share="$root/usr/share"

desktop-file-validate "$share/applications/$app_id.desktop" || fail "the menu entry does not validate"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" >"$work/appstream.txt" 2>&1 ||
    { cat "$work/appstream.txt"; fail "the metainfo does not validate"; }
# The tree check also finds the metainfo's menu entry and icon in the package.
appstreamcli validate-tree --no-net "$root" >"$work/appstream-tree.txt" 2>&1 ||
    { cat "$work/appstream-tree.txt"; fail "the metainfo does not match the packaged files"; }
# man prints groff's complaints (a line too long, an unknown request) on its standard error.
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/dtusms.1.gz" >"$work/man.txt" \
    2>"$work/man-warnings.txt"
[[ ! -s "$work/man-warnings.txt" ]] || fail "man warns about dtusms.1: $(cat "$work/man-warnings.txt")"
grep -q -- '--settings FILE' "$work/man.txt" || fail "the manual page lacks the help's options"
# The page is made by running the program from the build folder: no path of that machine may leak in.
if zcat "$share/man/man1/dtusms.1.gz" | sed 's/\\-/-/g' | grep -n -F -e "$PWD" -e "$build"; then
    fail "the manual page names a folder of the build machine"
fi

# Each PNG is as large as its folder says: the width and height in its IHDR header.
for size in 16 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    expect_equal "$(basename "$(dirname "$(dirname "$png")")") icon" "$size $size" "$width $height"
done

# Each catalog sits under its own language's folder.
catalog_text() {
    msgunfmt "$share/dtusms/locale/$1/LC_MESSAGES/default.mo" | grep -A1 -x "msgid \"$2\"" | tail -n 1
}
expect_equal "zh_CN catalog" 'msgstr "获取IP"' "$(catalog_text zh_CN 'Obtain IP')"
expect_equal "zh_TW catalog" 'msgstr "獲取IP"' "$(catalog_text zh_TW 'Obtain IP')"
msgunfmt "$share/dtusms/locale/en/LC_MESSAGES/default.mo" >/dev/null || fail "the en catalog is unreadable"

# The packaged program, in a home of its own so that no settings of this machine's user reach it.
program="$root/usr/bin/dtusms"
mkdir -m 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 \
    LANG=C.UTF-8
expect_equal "dtusms --version" "dtusms $version" "$("$program" --version | head -n 1)"
expect_equal "dtusms sms --type query" "(A55A#s)" "$("$program" sms --type query)"
# A settings file named on the command line must exist; an empty one is a first start's.
: >"$work/home/empty.ini"
expect_equal "dtusms sms (configuration)" "(A55A#1*10.1.2.3*6000#3*CMNET#4*TQ-GP000001)" \
    "$("$program" sms --settings "$work/home/empty.ini" --type config --mode static --ip 10.1.2.3 \
        --port 6000 --apn cmnet --dtu TQ-GP000001)"

modem_plugin="$root/usr/lib/dtusms/libdtusms_modem.so"
nm --dynamic --defined-only "$modem_plugin" | grep -q ' dtusms_modem_create$' ||
    fail "the packaged modem plugin lacks its factory"
ldd -r "$modem_plugin" >"$work/modem-ldd.txt" 2>&1 ||
    fail "ldd cannot read the modem plugin: $(cat "$work/modem-ldd.txt")"
if grep -E 'not found|undefined symbol' "$work/modem-ldd.txt"; then
    fail "the packaged modem plugin does not resolve all it needs"
fi

# LD_DEBUG names every library the loader opens, so the log shows where the window came from. A
# window held up by a message box would never exit: the time limit turns that into a failure.
QT_QPA_PLATFORM=offscreen LD_DEBUG=files LD_DEBUG_OUTPUT="$work/loader" timeout 60 \
    "$program" --settings "$work/home/window.ini" --exit-after-paint >"$work/window.log" 2>&1 ||
    { cat "$work/window.log"; fail "the packaged window did not paint and exit"; }
grep -q "file=$root/usr/lib/dtusms/libdtusms_window.so \[0\];  generating link map" "$work"/loader.* ||
    fail "the window library was not loaded from $root/usr/lib/dtusms/"
grep -q '^Port=' "$work/home/window.ini" || fail "the packaged window wrote no settings file"

elapsed=$((($(date +%s%N) - started) / 1000000))
echo "Package check passed: $(basename "$deb"), $((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000))) s"
