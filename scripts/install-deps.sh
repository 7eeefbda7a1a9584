#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, but only those that are
# missing, so that a second run costs a few dpkg queries and nothing more.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(
    cmake g++ make pkgconf
    qt6-base-dev libgl-dev
    qt6-translations-l10n  # Qt's own texts (standard buttons, context menus) in the window's language
    fonts-wine  # the window's Tahoma (Wine's, registered by the program from Wine's font folder)
    fonts-dejavu-extra fonts-wqy-microhei  # a narrow face where no Tahoma is found; Chinese texts
    libcurl4-openssl-dev ca-certificates  # "Obtain IP" asks its services over HTTPS
    libqrencode-dev zlib1g-dev
    kannel kannel-extras  # the gateway test runs bearerbox, smsbox and fakesmsc on loopback
    zbar-tools librsvg2-bin  # the QR tests decode the PNG and SVG drawings
    dbus  # ModemManager's tests start a private dbus-daemon
    gettext
    valgrind
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format-14 clang-tidy-14  # the format and lint checks, pinned to the version they are made for
    help2man  # the manual page, made from --help
    dpkg-dev file lintian desktop-file-utils appstream man-db  # the Debian package and its checks
    "$@"
)

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
