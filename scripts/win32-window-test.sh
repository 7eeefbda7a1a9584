#!/usr/bin/env bash
# The Win32 window end to end under Wine on a virtual X display (Xvfb): started on a fresh settings
# file, its icons, fields typed with the X server's keyboard, the settings file checked on disk,
# "Generation SMS" clicked and the command and its length read back from their controls; the "Send
# SMS" dialog opened from the window: a phone number typed, the settings file, the command, its
# length and the QR code (read back from the screen with zbarimg) checked, the modem list's first
# drop-down searching; when the native build DTUSMS_HOST_BUILD_DIR (default build) has
# tests/windows/fake_modem_server, sent through that fake modem on COM21 with its reply awaited, and
# closed while it sends to one that never answers (the port must be free then); closed with Escape;
# the language switched to Simplified Chinese (title, nLanguageID, the length line, the dialog opened
# again in Chinese), closed with "Close"; --screenshot saving the window's picture. With
# DTUSMS_SCREENSHOTS=DIR the window is saved there in English and in Simplified Chinese
# (main-window-win-en.png, main-window-win-zh_cn.png), and the dialog in English and in Simplified
# Chinese (send-sms-dialog-win-en.png, send-sms-dialog-win-zh_cn.png).
# Usage: scripts/win32-window-test.sh [BUILD_DIR]   (default build-win, made by scripts/windows.sh)
#
# Wine quirks tolerated here: the prefix gets Wine's own Tahoma and Marlett copied into its Fonts
# folder, since this Wine does not find them in its data folder (the window would otherwise draw in a
# stand-in face, and the language button's arrow as the letter "6"), and Tahoma is linked to
# WenQuanYi Micro Hei for Chinese, as Windows links it to its own Chinese faces; Wine's Tahoma is a
# little wider than Windows', so the longest labels end in an ellipsis. There is no window manager:
# the window has no frame and screen points are the X root window's.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build-win}"
program="$PWD/$build/app/dtusms.exe"
probe="$PWD/$build/tests/app/win32/window_probe.exe"
export WINEPREFIX="$PWD/$build/wineprefix-window" WINEDEBUG=-all LC_ALL=C.UTF-8 LANG=en_US.UTF-8
wine="$(command -v wine64 || command -v wine)"
work="$(mktemp -d)"
xvfb_pid=""
program_pid=""
server_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "win32-window-test: $*" >&2
    exit 1
}

# A display of its own, whatever number is free.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

if [ ! -f "$WINEPREFIX/.dtusms-window-ready" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i </dev/null >/dev/null 2>&1
    cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf /usr/share/wine/fonts/marlett.ttf \
        /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/"
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.dtusms-window-ready"
fi

probe() { "$wine" "$probe" "$@" | tr -d '\r'; }
# A click in the middle of a control, by its name.
click() {
    local point
    point="$(probe point "$1")"
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    sleep 0.3
}
# The control's text selected and replaced by typing (an emptied port field would show 1000 at once).
type_into() {
    click "$1"
    xdotool key End shift+Home
    xdotool type --delay 40 "$2"
    sleep 0.3
}

settings="$work/GPRSInfo.ini"
"$wine" "$program" --settings "Z:${settings//\//\\}" </dev/null >"$work/out" 2>&1 &
program_pid=$!
probe wait || fail "the window did not open"
sleep 1
[ "$(probe title)" = "TQ-3VOVE configuration tool" ] || fail "title: $(probe title)"
# The program's icon, big and small in the sizes of 96 DPI, as Wine hands it to the X server for the
# title bar and the task switcher (another process cannot ask the window for it under Wine).
window_id="$(xdotool search --name '^TQ-3VOVE configuration tool$' | head -1)"
icons="$(xprop -id "$window_id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')"
[ "$icons" = "Icon (32 x 32) Icon (16 x 16) " ] || fail "icons: $icons"

type_into rzspnedt_Port 7001
type_into tntedt_StaticIP 192.0.2.9
type_into tntedt_DTUNumber TQ-E2E0001
for line in "Port=7001" "Static IP=192.0.2.9" "DTU number=TQ-E2E0001"; do
    grep -q "^$line"$'\r'"\$" "$settings" || fail "settings file lacks $line: $(cat -A "$settings")"
done

click tntbtn_GenerationSMS
command="$(probe text tntedt_SMSCommandFormat)"
[ "$command" = "(A55A#1*192.0.2.9*7001#3*CMNET#4*TQ-E2E0001)" ] || fail "command: $command"
status="$(probe text tntstsbr_Status)"
[ "$status" = "1 SMS, 44 of 160 characters" ] || fail "status: $status"

if [ -n "${DTUSMS_SCREENSHOTS:-}" ]; then
    import -window root -crop "$(probe client)" "$DTUSMS_SCREENSHOTS/main-window-win-en.png"
fi

# The "Send SMS" dialog: no phone number is written before one is typed.
grep -q "^DTU phone number=" "$settings" && fail "a phone number was written before one was typed"
click tntbtn_SendSMS
probe dialog || fail "the Send SMS dialog did not open"
sleep 0.5
[ "$(probe dialog-title)" = "Send SMS" ] || fail "dialog title: $(probe dialog-title)"
[ "$(probe dialog-text tntedt_SMSCommand)" = "$command" ] || fail "dialog command: $(probe dialog-text tntedt_SMSCommand)"
[ "$(probe dialog-text tntlbl_SMSLength)" = "1 SMS, 44 of 160 characters" ] ||
    fail "dialog length: $(probe dialog-text tntlbl_SMSLength)"
[ -z "$(probe dialog-text tntlbl_PhoneNumberMessage)" ] || fail "a phone number message before anything was typed"
point="$(probe dialog-point tntedt_DTUPhoneNumber)"
# shellcheck disable=SC2086
xdotool mousemove $point click 1
sleep 0.3
xdotool type --delay 40 "+8"
sleep 0.3
[ "$(probe dialog-text tntlbl_PhoneNumberMessage)" = 'Please enter valid "DTU phone number"' ] ||
    fail "no message for a half-typed number: $(probe dialog-text tntedt_DTUPhoneNumber) $(probe dialog-text tntlbl_PhoneNumberMessage)"
xdotool type --delay 40 "6 138 0013 8000"
sleep 0.5
grep -q $'^DTU phone number=+86 138 0013 8000\r$' "$settings" ||
    fail "settings file lacks the phone number: $(cat -A "$settings")"
[ -z "$(probe dialog-text tntlbl_PhoneNumberMessage)" ] || fail "a message for a valid phone number"
import -window root -crop "$(probe dialog-client)" "$work/dialog.png"
code="$(zbarimg -q --raw "$work/dialog.png" 2>/dev/null | tr -d '\r')"
[ "$code" = "SMSTO:+8613800138000:$command" ] || fail "QR code: $code"

# Sending through the Linux tests' fake modem, built natively, on COM21 of the prefix.
server="$PWD/${DTUSMS_HOST_BUILD_DIR:-build}/tests/windows/fake_modem_server"
if [ -x "$server" ]; then
    mkfifo "$work/modem-in"
    "$server" --reply "OK IP:192.0.2.9" <"$work/modem-in" >"$work/modem-out" &
    server_pid=$!
    exec 5>"$work/modem-in"
    for _ in $(seq 50); do [ -s "$work/modem-out" ] && break; sleep 0.1; done
    ln -sfn "$(head -n 1 "$work/modem-out")" "$WINEPREFIX/dosdevices/com21"
    point="$(probe dialog-point tntcomb_Modem)"
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    # The first drop-down of the list looks for modems; the automatic entry says what it found.
    [ "$(probe dialog-text tntcomb_Modem)" = "Automatic" ] || fail "modem list: $(probe dialog-text tntcomb_Modem)"
    xdotool key alt+Down
    for _ in $(seq 60); do
        case "$(probe dialog-text tntcomb_Modem)" in "Automatic — Searching…" | Automatic) sleep 0.5 ;; *) break ;; esac
    done
    case "$(probe dialog-text tntcomb_Modem)" in
        "Automatic — "*) ;;
        *) fail "modem list after the search: $(probe dialog-text tntcomb_Modem)" ;;
    esac
    xdotool key alt+Up
    sleep 0.3
    xdotool key End shift+Home
    xdotool type --delay 40 "COM21"
    point="$(probe dialog-point tntchk_WaitReply)"
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    point="$(probe dialog-point tntbtn_Send)"
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    for _ in $(seq 60); do [ -n "$(probe dialog-text tntlbl_Outcome)" ] && break; sleep 0.5; done
    [ "$(probe dialog-text tntlbl_Outcome)" = $'Sent as 1 SMS (reference 17)\nThe DTU replied' ] ||
        fail "outcome of the send: $(probe dialog-text tntlbl_Outcome)"
    [ "$(probe dialog-text tntmemo_Reply)" = "OK IP:192.0.2.9" ] || fail "reply: $(probe dialog-text tntmemo_Reply)"
    if [ -n "${DTUSMS_SCREENSHOTS:-}" ]; then
        import -window root -crop "$(probe dialog-client)" "$DTUSMS_SCREENSHOTS/send-sms-dialog-win-en.png"
    fi
    click_dialog() {
        point="$(probe dialog-point "$1")"
        # shellcheck disable=SC2086
        xdotool mousemove $point click 1
        sleep 0.5
    }
    click_dialog tntbtn_Details
    probe dialog-text tntmemo_Log | grep -q "AT+CMGS=" || fail "Details lack the exchange: $(probe dialog-text tntmemo_Log)"
    exec 5>&-
    wait "$server_pid"
    server_pid=""
    rm -f "$WINEPREFIX/dosdevices/com21"
    grep -qx "parts: 1" "$work/modem-out" || fail "the modem took: $(cat "$work/modem-out")"
    click_dialog tntbtn_Details
else
    echo "win32-window-test: no $server, sending through a modem left out"
    if [ -n "${DTUSMS_SCREENSHOTS:-}" ]; then
        import -window root -crop "$(probe dialog-client)" "$DTUSMS_SCREENSHOTS/send-sms-dialog-win-en.png"
    fi
fi
xdotool key Escape
probe dialog-gone || fail "the Send SMS dialog did not close"

# Closed while it sends to a modem that never answers: the send is cancelled, and the dialog closes
# once the port is free.
if [ -x "$server" ]; then
    click tntbtn_SendSMS
    probe dialog || fail "the Send SMS dialog did not open again"
    [ "$(probe dialog-text tntcomb_Modem)" = "COM21" ] ||
        fail "the port typed before is gone: $(probe dialog-text tntcomb_Modem)"
    mkfifo "$work/silent-in"
    "$server" --silent <"$work/silent-in" >"$work/silent-out" &
    server_pid=$!
    exec 5>"$work/silent-in"
    for _ in $(seq 50); do [ -s "$work/silent-out" ] && break; sleep 0.1; done
    device="$(head -n 1 "$work/silent-out")"
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com22"
    point="$(probe dialog-point tntcomb_Modem)"
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    xdotool key End shift+Home
    xdotool type --delay 40 "COM22"
    point="$(probe dialog-point tntbtn_Send)"
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    sleep 1
    [ -n "$(probe dialog-text tntlbl_Progress)" ] || fail "no progress while sending"
    # Who has the modem's device open, apart from the fake modem itself.
    holders() { find /proc/[0-9]*/fd -lname "$device" 2>/dev/null | grep -v "^/proc/$server_pid/" || true; }
    [ -n "$(holders)" ] || fail "the port is not open while sending"
    xdotool key Escape
    probe dialog-gone || fail "the Send SMS dialog did not close while sending"
    [ -z "$(holders)" ] || fail "the port is still open after the dialog closed: $(holders)"
    exec 5>&-
    wait "$server_pid"
    server_pid=""
    rm -f "$WINEPREFIX/dosdevices/com22"
    grep -qx "parts: 0" "$work/silent-out" || fail "the silent modem took: $(cat "$work/silent-out")"
fi

# The language menu drops down from its button; the third item is Simplified Chinese.
click rzMenubtn_Language
xdotool key Down Down Down Return
sleep 1
[ "$(probe title)" = "TQ-3VOVE配置工具" ] || fail "title after the switch: $(probe title)"
grep -q $'^nLanguageID=2\r$' "$settings" || fail "settings file lacks nLanguageID=2: $(cat -A "$settings")"
# The fields were read back from the file.
[ "$(probe text tntedt_DTUNumber)" = "TQ-E2E0001" ] || fail "DTU number after the switch"
# The length line speaks the new language without a new "Generation SMS".
status="$(probe text tntstsbr_Status)"
[ "$status" = "1条短信，44/160个字符" ] || fail "status after the switch: $status"

if [ -n "${DTUSMS_SCREENSHOTS:-}" ]; then
    import -window root -crop "$(probe client)" "$DTUSMS_SCREENSHOTS/main-window-win-zh_cn.png"
fi

# The dialog follows the window's language and shows the number saved before.
click tntbtn_SendSMS
probe dialog || fail "the Send SMS dialog did not open in Chinese"
sleep 0.5
[ "$(probe dialog-title)" = "发送短信" ] || fail "dialog title in Chinese: $(probe dialog-title)"
[ "$(probe dialog-text tntedt_DTUPhoneNumber)" = "+86 138 0013 8000" ] ||
    fail "phone number at the second opening: $(probe dialog-text tntedt_DTUPhoneNumber)"
if [ -n "${DTUSMS_SCREENSHOTS:-}" ]; then
    import -window root -crop "$(probe dialog-client)" "$DTUSMS_SCREENSHOTS/send-sms-dialog-win-zh_cn.png"
fi
xdotool key Escape
probe dialog-gone || fail "the Send SMS dialog did not close in Chinese"

click tntbtn_Close
probe gone || fail "the window did not close"
wait "$program_pid" || fail "the program ended with status $?: $(cat "$work/out")"
program_pid=""

# The console: started in a console of its own (as from Explorer; Wine's start gives the program a new
# console) the window releases it; started from a command prompt it keeps the console it shares with
# it. Each run is closed with "Close".
console_of_window() {
    "$wine" start /wait "$@" --settings "Z:${settings//\//\\}" </dev/null >"$work/out" 2>&1 &
    program_pid=$!
    probe wait || fail "the window did not open from: $*"
    sleep 1
    probe console
    click tntbtn_Close
    probe gone || fail "the window did not close"
    wait "$program_pid" || fail "start ended with status $?: $(cat "$work/out")"
    program_pid=""
}
windows_program="Z:${program//\//\\}"
[ "$(console_of_window "$windows_program")" = "none" ] || fail "the window kept a console of its own"
[ "$(console_of_window cmd /c "$windows_program")" = "console" ] ||
    fail "the window started from a command prompt left its console"
# --screenshot: the window's client area saved as a PNG after its first paint, then the window closes
# by itself; a file that cannot be written ends it with status 1.
timeout 60 "$wine" "$program" --screenshot "Z:${work//\//\\}\\shot.png" --settings "Z:${settings//\//\\}" \
    </dev/null >"$work/out" 2>&1 || fail "--screenshot ended with status $?: $(cat "$work/out")"
[ "$(identify -format '%m %wx%h' "$work/shot.png")" = "PNG 495x305" ] ||
    fail "screenshot: $(identify "$work/shot.png" 2>&1)"
# The controls are in it, not just the window's background.
[ "$(identify -format '%k' "$work/shot.png")" -gt 16 ] || fail "the screenshot holds too few colours"
if timeout 60 "$wine" "$program" --screenshot "Z:${work//\//\\}\\none\\shot.png" </dev/null >"$work/out" 2>&1; then
    fail "--screenshot into a missing folder ended with status 0"
fi
grep -q "cannot save the screenshot" "$work/out" || fail "no word of the failed screenshot: $(cat "$work/out")"
echo "win32-window-test: passed"
