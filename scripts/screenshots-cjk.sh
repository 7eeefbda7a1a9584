#!/usr/bin/env bash
# Takes screenshots of the main window in Simplified and Traditional Chinese, under Xvfb:
#   docs/main-window-zh_cn.png  (settings with nLanguageID 2)
#   docs/main-window-zh_tw.png  (settings with nLanguageID 3)
# Usage: scripts/screenshots-cjk.sh [path/to/dtusms]   (default: build/app/dtusms)
# Installs a CJK font (fonts-wqy-microhei) first when the system has none, so that no text is drawn
# as empty boxes; that step needs root.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/dtusms}
if [[ ! -x $program ]]; then
    echo "screenshots-cjk: $program is missing; build the dtusms target first" >&2
    exit 1
fi

if [[ -z $(fc-list :lang=zh family) ]]; then
    echo "screenshots-cjk: no CJK font found; installing fonts-wqy-microhei" >&2
    apt-get install -y --no-install-recommends fonts-wqy-microhei >/dev/null ||
        { apt-get update >/dev/null && apt-get install -y --no-install-recommends fonts-wqy-microhei >/dev/null; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/docs"

for language in 2:zh_cn 3:zh_tw; do
    number=${language%%:*}
    code=${language#*:}
    settings=$work/GPRSInfo-$code.ini
    # A filled-in example, so that the picture shows what a user sees in daily use.
    printf '[Main]\r\nnLanguageID=%s\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.0.2.10\r\nSMS command type=0\r\nService network(APN)=0\r\nDTU number=TQ-GP000001\r\n' \
        "$number" >"$settings"
    # LANG pins the automatic language of the first pass; the file's number then decides.
    LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1024x768x24" \
        "$program" --settings "$settings" --screenshot "$root/docs/main-window-$code.png"
    echo "screenshots-cjk: docs/main-window-$code.png"
done
