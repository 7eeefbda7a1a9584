#!/usr/bin/env bash
# Fetches the upstream tarball of a Debian source package and unpacks it, for building a library
# for another target from the same sources as Debian's own package.
#
# apt finds the package through a private configuration in DEST/apt that holds one deb-src entry
# (the system's sources stay as they are, and need no deb-src of their own): the mirror and suite of
# the system's first Debian entry, or DTUSMS_DEBIAN_MIRROR and DTUSMS_DEBIAN_SUITE when set. The
# .dsc is checked against the hash in the signed index, the tarball against the SHA-256 the .dsc
# gives it; a tarball that does not match is removed and the script fails. Only the .dsc and the
# upstream tarball are downloaded.
#
# Usage: scripts/fetch-debian-source.sh PACKAGE[=VERSION] DEST
# Unpacks into DEST/src and prints that folder's path on the last line. A second run with the same
# package and version reuses what the first one unpacked.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 PACKAGE[=VERSION] DEST" >&2; exit 2; }
request=$1
dest=$(mkdir -p "$2" && cd "$2" && pwd)
stamp="$dest/src/.fetched-$request"
if [ -f "$stamp" ]; then
    echo "$dest/src"
    exit 0
fi

fail() {
    echo "fetch-debian-source: $*" >&2
    exit 1
}

# The system's first Debian archive entry of type deb: mirror, suite and keyring, from one-line
# (*.list) or deb822 (*.sources) files.
system_entry() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        awk '$1 == "deb" {
                 i = 2; signed = ""
                 if ($i ~ /^\[/) { while ($i !~ /\]$/) { if ($i ~ /signed-by=/) signed = $i; i++ }
                                   if ($i ~ /signed-by=/) signed = $i; i++ }
                 if ($(i + 1) ~ /-(security|updates|backports)$/ || $i ~ /security/) next
                 sub(/.*signed-by=/, "", signed); sub(/\]$/, "", signed)
                 print $i, $(i + 1), signed; exit }' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'function flush() {
                 if (types ~ /(^| )deb( |$)/ && uri ~ /debian/ && uri !~ /security/ && suite != "")
                     { print uri, suite, signed; found = 1; exit }
                 types = uri = suite = signed = "" }
             /^[ \t]*$/ { flush(); next }
             /^Types:/ { types = $0; sub(/^Types:[ \t]*/, "", types) }
             /^URIs:/ { uri = $2 }
             /^Suites:/ { suite = $2 }
             /^Signed-By:/ { signed = $2 }
             END { if (!found) flush() }' "$file"
    done
}

read -r mirror suite keyring < <(system_entry; echo) || true
mirror=${DTUSMS_DEBIAN_MIRROR:-$mirror}
suite=${DTUSMS_DEBIAN_SUITE:-$suite}
[ -n "$mirror" ] && [ -n "$suite" ] ||
    fail "no Debian archive entry in /etc/apt/sources.list*; set DTUSMS_DEBIAN_MIRROR and DTUSMS_DEBIAN_SUITE"

apt_dir="$dest/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
options=""
[ -n "$keyring" ] && [ -f "$keyring" ] && options="[signed-by=$keyring] "
echo "deb-src $options$mirror $suite main" >"$apt_dir/sources.list"
apt=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "Debug::NoLocking=1")
log="$dest/fetch.log"
apt-get "${apt[@]}" update >"$log" 2>&1 || { cat "$log" >&2; fail "apt-get update failed for $mirror $suite"; }

# Lines of: 'URI' FILE SIZE HASH
uris=$(apt-get "${apt[@]}" source --print-uris "$request" 2>>"$log") ||
    { cat "$log" >&2; fail "apt-get source found no source package $request"; }
dsc_line=$(grep -E "^'[^']+\.dsc' " <<<"$uris" || true)
[ -n "$dsc_line" ] || fail "no .dsc for $request"
read -r dsc_uri dsc_file _ dsc_hash <<<"$dsc_line"
dsc_uri=${dsc_uri//\'/}

# apt-helper is apt's own downloader: it checks the file against the hash the signed index gives.
download=(/usr/lib/apt/apt-helper "${apt[@]}" download-file)
"${download[@]}" "$dsc_uri" "$dest/$dsc_file" "$dsc_hash" >>"$log" 2>&1 ||
    { cat "$log" >&2; fail "could not download $dsc_uri"; }

# The upstream tarball and its SHA-256 as the .dsc lists them.
read -r orig_sha256 _ orig_file < <(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 }
    on && $3 ~ /\.orig\.tar\.[a-z0-9]+$/ { print; exit }' "$dest/$dsc_file") ||
    fail "$dsc_file lists no upstream tarball with a SHA-256"
orig_uri="${dsc_uri%/*}/$orig_file"
"${download[@]}" "$orig_uri" "$dest/$orig_file" "SHA256:$orig_sha256" >>"$log" 2>&1 ||
    { rm -f "$dest/$orig_file"; cat "$log" >&2; fail "could not download $orig_uri"; }
# Checked again here, so that the check does not rest on the downloader alone.
if [ "$(sha256sum "$dest/$orig_file" | cut -d' ' -f1)" != "$orig_sha256" ]; then
    rm -f "$dest/$orig_file"
    fail "$orig_file does not match the SHA-256 in $dsc_file"
fi

rm -rf "$dest/src"
mkdir -p "$dest/src"
tar -xf "$dest/$orig_file" -C "$dest/src" --strip-components=1
touch "$stamp"
echo "$dest/src"
