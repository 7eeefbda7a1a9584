#!/usr/bin/env bash
# Takes screenshots of the main window and of its "Send SMS" dialog on a virtual X display and saves
# them as PNGs.
# Usage: scripts/screenshot.sh                     English, Simplified and Traditional Chinese:
#                                                  docs/main-window-en.png, -zh_cn.png, -zh_tw.png,
#                                                  English at twice the scale: docs/main-window-en@2x.png,
#                                                  the dialog in English, Simplified and Traditional
#                                                  Chinese: docs/send-sms-dialog-en.png, -zh_cn.png,
#                                                  -zh_tw.png, and in English at twice the scale on a
#                                                  1280 x 1024 screen: docs/send-sms-dialog-en@2x.png
#        scripts/screenshot.sh output.png [N [S]]  one picture of the window, in language number N
#                                                  (default 0: automatic, which is English under
#                                                  LANG=C), at scale S (default 1; QT_SCALE_FACTOR)
# Needs: xvfb (xvfb-run, Xvfb), the Qt xcb platform plugin that qt6-base-dev brings and the window's
# Tahoma (fonts-wine); for the Chinese pictures a CJK font, installed (fonts-wqy-microhei, needs
# root) when the system has none, so that no text is drawn as empty boxes.
# The window is started with the real X11 platform, grabs itself after its first paint
# (--screenshot) and exits; the dialog's picture is taken by dtusms_send_dialog_shot after a send
# through the tests' fake modem on a pseudo-terminal (no modem needed). A temporary settings file with
# example values keeps the pictures the same on every machine and leaves no GPRSInfo.ini beside the
# program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xvfb
cmake -S . -B build >/dev/null
cmake --build build --target dtusms dtusms_send_dialog_shot -j2 >/dev/null

settings_dir="$(mktemp -d)"
trap 'rm -rf "$settings_dir"' EXIT

ensure_cjk_font() {
    if [[ -z "$(fc-list :lang=zh family)" ]]; then
        echo "No CJK font found; installing fonts-wqy-microhei" >&2
        apt-get install -y --no-install-recommends fonts-wqy-microhei >/dev/null ||
            { apt-get update >/dev/null && apt-get install -y --no-install-recommends fonts-wqy-microhei >/dev/null; }
    fi
}

# shot OUTPUT LANGUAGE-NUMBER SCALE
shot() {
    local output="$1" language="$2" scale="$3"
    if [[ "$language" == 2 || "$language" == 3 ]]; then
        ensure_cjk_font
    fi
    printf '[Main]\r\nnLanguageID=%s\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nSMS command type=0\r\nService network(APN)=0\r\nDTU number=TQ-GP000001\r\n' \
        "$language" >"$settings_dir/GPRSInfo.ini"
    mkdir -p "$(dirname "$output")"
    # LANG=C makes the automatic language English; the file's language number decides the rest.
    # The picture has the window's pixels at the scale: Qt draws every control and text at that
    # size rather than enlarging a small picture.
    LANG=C LC_ALL=C QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
        xvfb-run --auto-servernum --server-args="-screen 0 2048x1536x24" \
        build/app/dtusms --settings "$settings_dir/GPRSInfo.ini" --screenshot "$output"
    echo "Saved $output"
}

# dialog_shot OUTPUT LANGUAGE-NUMBER SCALE
# On a 1280 x 1024 screen: at twice the scale the dialog has to fit into 640 x 512 logical pixels.
dialog_shot() {
    local output="$1" language="$2" scale="$3"
    if [[ "$language" == 2 || "$language" == 3 ]]; then
        ensure_cjk_font
    fi
    printf '[Main]\r\nnLanguageID=%s\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.168.1.100\r\nSMS command type=0\r\nService network(APN)=0\r\nDTU number=TQ-GP000001\r\nDTU phone number=+86 138 0013 8000\r\n' \
        "$language" >"$settings_dir/GPRSInfo.ini"
    mkdir -p "$(dirname "$output")"
    LANG=C LC_ALL=C QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
        xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
        build/tests/app/dtusms_send_dialog_shot --settings "$settings_dir/GPRSInfo.ini" --output "$output"
    echo "Saved $output"
}

if [[ $# -ge 1 ]]; then
    shot "$1" "${2:-0}" "${3:-1}"
else
    shot docs/main-window-en.png 0 1
    shot docs/main-window-zh_cn.png 2 1
    shot docs/main-window-zh_tw.png 3 1
    shot docs/main-window-en@2x.png 0 2
    dialog_shot docs/send-sms-dialog-en.png 1 1
    dialog_shot docs/send-sms-dialog-zh_cn.png 2 1
    dialog_shot docs/send-sms-dialog-zh_tw.png 3 1
    dialog_shot docs/send-sms-dialog-en@2x.png 1 2
fi
