#!/usr/bin/env bash
# dtusms.exe's QR codes under Wine, read back on the host: `qr --output` as PNG and SVG (zbarimg,
# rsvg-convert) must hold exactly the SMSTO payload, for plain, Chinese and long commands and for
# files named in Chinese; `batch --qr-dir` must write one decodable PNG per row; and the terminal
# drawing must be the one the Linux program draws for the same fields, line for line (the Windows
# program ends its lines with CR LF).
# Usage: wine-qr-pictures.sh WINE DTUSMS.EXE HOST-DTUSMS WORK-FOLDER
set -uo pipefail

wine=$1
program=$2
host_program=$3
work=$4
for tool in zbarimg rsvg-convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
printf '[Main]\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nService network(APN)=0\r\nDTU number=TQ-GP000001\r\nDTU phone number=+86 138 0013 8000\r\n' >GPRSInfo.ini

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# What zbarimg reads in a PNG, or in an SVG once rsvg-convert drew it.
decode() {
    local png=$1
    if [[ ${1,,} == *.svg ]]; then
        png="$1.png"
        rsvg-convert -o "$png" "$1" 2>/dev/null || { echo "<not drawn>"; return; }
    fi
    zbarimg --quiet --raw --nodbus "$png" 2>/dev/null || echo "<nothing decoded>"
}

run_windows() {
    "$wine" "$program" "$@" </dev/null
}

long=$(printf 'x%.0s' $(seq 1000))
payload="SMSTO:+8613800138000:(A55A#1*192.168.1.100*6000#3*"
cases=(
    "CMNET#4*TQ-GP000001)|"
    "CMWAP#4*TQ-GP000001)|--apn cmwap"
    "CMNET#4*设备一号)|--dtu 设备一号"
    "CMNET#4*$long)|--dtu $long"
)
for row in "${cases[@]}"; do
    expected="$payload${row%%|*}"
    read -r -a flags <<<"${row#*|}"
    for name in code.png CODE.SVG 二维码.png; do
        rm -f "$name" "$name.png"
        if ! err=$(run_windows qr --settings GPRSInfo.ini --output "$name" "${flags[@]}" 2>&1); then
            fail "qr --output $name ${flags[*]}: $err"
            continue
        fi
        got=$(decode "$name")
        [ "$got" = "$expected" ] || fail "qr --output $name ${flags[*]}: read '${got:0:80}', expected '${expected:0:80}'"
    done
done

# The terminal drawing: the same modules as the Linux program's, in the same characters.
windows_text=$(run_windows qr --settings GPRSInfo.ini 2>&1 | tr -d '\r')
linux_text=$("$host_program" qr --settings GPRSInfo.ini 2>&1)
if [ -z "$linux_text" ] || [ "$windows_text" != "$linux_text" ]; then
    fail "the terminal drawing differs from the Linux program's"
    diff <(echo "$linux_text") <(echo "$windows_text") | head -5
fi

# batch --qr-dir into a folder named in Chinese: one PNG per valid row, named after the DTU.
printf 'dtu,phone\r\nA-1,13800000001\r\nB,+8613800000002\r\n' >in.csv
if ! err=$(run_windows batch in.csv --settings GPRSInfo.ini --qr-dir 码 --output out.csv --quiet 2>&1); then
    fail "batch --qr-dir: $err"
fi
for pair in "A-1.png|SMSTO:13800000001:(A55A#1*192.168.1.100*6000#3*CMNET#4*A-1)" \
    "B.png|SMSTO:+8613800000002:(A55A#1*192.168.1.100*6000#3*CMNET#4*B)"; do
    file="码/${pair%%|*}"
    got=$([ -f "$file" ] && decode "$file" || echo "<no file>")
    [ "$got" = "${pair#*|}" ] || fail "batch --qr-dir $file: read '$got', expected '${pair#*|}'"
done
[ "$(find 码 -type f | wc -l)" -eq 2 ] || fail "batch --qr-dir wrote $(find 码 -type f | wc -l) files, expected 2"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all QR checks passed"
