#!/usr/bin/env bash
# VemoShow.exe, which is per-monitor DPI aware, at 100 % and at 200 % display
# scaling: Wine takes the scaling from its LogPixels setting (96 and 192),
# read when its server starts.  At each, notepad is typed into, and the
# candidate list and the tip beside it are measured and photographed: at
# 200 % both are twice as tall, their text and images being twice as large.
#
#   dpi_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"

program_dir=$1
wlib_exe=$3
e2e_init dpi "$4" "$2"

e2e_start_xvfb
e2e_use_prefix private
e2e_start_wineserver

app_dir=$E2E_OUT/program
rm -rf "$app_dir"
mkdir -p "$app_dir/Libs"
cp "$program_dir/VemoShow.exe" "$program_dir/Vemo.dll" "$app_dir/"
words=$E2E_OUT/words.txt
printf '<key>apple\r\n<data>a fruit\r\n<key>application\r\n<data>\r\n<key>apply\r\n<data>\r\n' >"$words"
"$WORDLARK_WINE" "$wlib_exe" create "Z:$app_dir/Libs/Words.lib" --type dictionary >/dev/null 2>&1 &&
    "$WORDLARK_WINE" "$wlib_exe" import "Z:$app_dir/Libs/Words.lib" "Z:$words" >/dev/null 2>&1 ||
    e2e_fail "cannot make the test library"

list_state() { e2e_probe window '#32770' Wordlark | cut -d' ' -f1; }
tip_state() { e2e_probe window WordlarkTip - | cut -d' ' -f1; }
started() { e2e_probe window '#32770' Wordlark >/dev/null; }
height_of() { echo "$1" | cut -d' ' -f5; }

# measure DPI: prints "LIST-HEIGHT TIP-HEIGHT" with the list and tip of "app"
measure() {
    local dpi=$1 notepad list tip
    "$WORDLARK_WINESERVER" -k 2>/dev/null
    "$WORDLARK_WINESERVER" -w 2>/dev/null
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        "$WORDLARK_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    done
    "$WORDLARK_WINESERVER" -k 2>/dev/null
    "$WORDLARK_WINESERVER" -w 2>/dev/null
    e2e_start_wineserver
    "$WORDLARK_WINE" reg add 'HKCU\Software\Wine\AppDefaults\VemoShow.exe\X11 Driver' \
        /v Managed /d N /f >/dev/null 2>&1
    e2e_start notepad notepad
    notepad=$(e2e_wait_window "Untitled - Notepad" 60) || e2e_fail "notepad did not open"
    e2e_start vemoshow "$app_dir/VemoShow.exe"
    e2e_wait_until 30 started || e2e_fail "VemoShow.exe did not start"
    e2e_wait_until 30 sh -c 'xdotool search --name "^Wine System Tray$" >/dev/null 2>&1' ||
        e2e_fail "no tray icon"
    e2e_click_focus "$notepad" "Notepad|Untitled - Notepad" || e2e_fail "notepad did not take the focus"
    e2e_type "app"
    e2e_wait_output 10 visible list_state || e2e_fail "no list at $dpi DPI"
    e2e_wait_output 10 visible tip_state || e2e_fail "no tip at $dpi DPI"
    e2e_screenshot "list-at-$dpi-dpi"
    list=$(e2e_probe window '#32770' Wordlark)
    tip=$(e2e_probe window WordlarkTip -)
    e2e_log "at $dpi DPI: list $list, tip $tip"
    e2e_key Escape
    e2e_stop vemoshow
    e2e_stop notepad
    echo "$(height_of "$list") $(height_of "$tip")"
}
# Whether b is twice a, give or take a tenth.
twice() { [ $(($2 * 10)) -ge $(($1 * 18)) ] && [ $(($2 * 10)) -le $(($1 * 22)) ] ||
    { E2E_LAST_OUTPUT="$1 and $2"; return 1; }; }

at96=$(measure 96)
at192=$(measure 192)
e2e_check "the candidate list is twice as tall at 200 %" twice "${at96% *}" "${at192% *}"
e2e_check "the tip is twice as tall at 200 %" twice "${at96#* }" "${at192#* }"
e2e_finish
