#!/usr/bin/env bash
# The Windows installer under Wine, in the prefix of the Windows stage: a 64-bit setup whose manifest
# asks for no elevation; /S installs the staged files into %LOCALAPPDATA%\Programs\dtusms with a
# Start-menu link and an entry in the list of installed programs; the installed dtusms.exe runs and
# keeps its settings in %APPDATA%\dtusms; the uninstaller's /S removes every installed file, the link
# and the entry, and leaves the settings as they were. The language follows Windows' (Wine takes it
# from LC_ALL): US English gives English (1033), Chinese Simplified Chinese (2052).
# Usage: wine-installer.sh WINE SETUP.EXE VERSION STAGE-FOLDER
set -uo pipefail

wine=$1
setup=$2
version=$3
stage=$4
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\dtusms'
installed_files="LICENSE.txt README.txt dtusms-installed.txt dtusms.exe uninstall.exe"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# A Windows folder as Wine names it on this side, and a variable of the Windows environment.
unix_path() { "$(dirname "$(command -v "$wine")")/winepath" -u "$1" 2>/dev/null || winepath -u "$1"; }
windows_variable() { "$wine" cmd /c echo "%$1%" </dev/null | tr -d '\r'; }
registry_value() { "$wine" reg query "$key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }

local_app_data=$(windows_variable LOCALAPPDATA)
app_data=$(windows_variable APPDATA)
[ -n "$local_app_data" ] && [ -n "$app_data" ] || { echo "FAIL: Wine names no LOCALAPPDATA or APPDATA"; exit 1; }
folder=$(unix_path "$local_app_data\\Programs\\dtusms")
link=$(unix_path "$app_data\\Microsoft\\Windows\\Start Menu\\Programs\\TQ-3VOVE Configuration Tool.lnk")
settings_folder=$(unix_path "$app_data\\dtusms")

# What an interrupted earlier run may have left.
rm -rf "$folder" "$link"
"$wine" reg delete "$key" /f </dev/null >/dev/null 2>&1
settings_made=false
[ -d "$settings_folder" ] || settings_made=true

# 64-bit, and no administrator rights asked for.
[ "$(head -c 2 "$setup")" = "MZ" ] || fail "$setup is no Windows program"
offset=$(od -An -tu4 -j60 -N4 "$setup" | tr -d ' ')
[ "$(od -An -tx1 -j$((offset + 4)) -N2 "$setup" | tr -d ' ')" = "6486" ] || fail "the installer is not an x86-64 program"
grep -aq 'requestedExecutionLevel level="asInvoker"' "$setup" || fail "the installer's manifest does not ask for asInvoker"

# Silent install.
"$wine" "$setup" /S </dev/null || fail "the silent install failed with status $?"
[ "$(cd "$folder" 2>/dev/null && ls | sort | tr '\n' ' ')" = "$installed_files " ] ||
    fail "installed files: '$(ls "$folder" 2>&1 | tr '\n' ' ')', expected '$installed_files'"
for file in dtusms.exe LICENSE.txt README.txt dtusms-installed.txt; do
    cmp -s "$stage/$file" "$folder/$file" || fail "$file differs from the staged one"
done
[ -f "$link" ] || fail "no Start-menu link $link"
grep -aq 'dtusms.exe' "$link" || fail "the Start-menu link does not name dtusms.exe"
[ "$(registry_value DisplayName)" = "TQ-3VOVE Configuration Tool" ] || fail "no DisplayName in $key"
[ "$(registry_value DisplayVersion)" = "$version" ] || fail "DisplayVersion is not $version"
[ "$(registry_value UninstallString)" = "\"$local_app_data\\Programs\\dtusms\\uninstall.exe\"" ] ||
    fail "UninstallString is '$(registry_value UninstallString)'"
[ "$(registry_value 'Installer Language')" = 1033 ] || fail "the installer did not speak English under $LC_ALL"

# The installed program runs and keeps its settings in %APPDATA%, not beside itself.
program="$local_app_data\\Programs\\dtusms\\dtusms.exe"
got=$("$wine" "$program" --version </dev/null | tr -d '\r' | head -n 1)
[ "$got" = "dtusms $version" ] || fail "installed dtusms.exe --version printed '$got'"
got=$("$wine" "$program" --help </dev/null | tr -d '\r' | tail -n 1)
[ "$got" = "Settings file: $app_data\\dtusms\\GPRSInfo.ini" ] || fail "installed dtusms.exe --help ends with '$got'"
# The settings that uninstalling must leave: the test's own, any earlier file set aside meanwhile.
mkdir -p "$settings_folder"
earlier=$(mktemp)
had_settings=false
[ -f "$settings_folder/GPRSInfo.ini" ] && had_settings=true && cp "$settings_folder/GPRSInfo.ini" "$earlier"
settings='[Main]\r\nStatic IP=10.3.3.3\r\n'
printf "$settings" >"$settings_folder/GPRSInfo.ini"
got=$("$wine" "$program" sms --dtu X </dev/null | tr -d '\r')
[ "$got" = "(A55A#1*10.3.3.3*6000#3*CMNET#4*X)" ] || fail "installed dtusms.exe sms printed '$got'"

# Silent uninstall. The uninstaller runs a copy of itself from the temporary folder and returns at
# once: its work is done when the folder is gone.
uninstall() {
    "$wine" "$folder/uninstall.exe" /S </dev/null || fail "the silent uninstall failed with status $?"
    for _ in $(seq 60); do
        [ -d "$folder" ] || break
        sleep 0.5
    done
}
uninstall
[ -d "$folder" ] && fail "left in the install folder: $(ls "$folder" | tr '\n' ' ')"
[ -f "$link" ] && fail "the Start-menu link is left"
"$wine" reg query "$key" </dev/null >/dev/null 2>&1 && fail "the entry $key is left"
cmp -s <(printf "$settings") "$settings_folder/GPRSInfo.ini" || fail "the settings were not left as they were"

# On a Chinese Windows the installer speaks Simplified Chinese.
LC_ALL=zh_CN.UTF-8 "$wine" "$setup" /S </dev/null || fail "the silent install in Chinese failed"
got=$(LC_ALL=zh_CN.UTF-8 registry_value 'Installer Language')
[ "$got" = 2052 ] || fail "the installer chose language '$got' on a Chinese system"
uninstall
[ -d "$folder" ] && fail "the second uninstall left the install folder"

if $had_settings; then
    cp "$earlier" "$settings_folder/GPRSInfo.ini"
else
    rm -f "$settings_folder/GPRSInfo.ini"
    $settings_made && rmdir "$settings_folder"
fi
rm -f "$earlier"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "the installer's checks passed"
