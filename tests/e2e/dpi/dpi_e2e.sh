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
# shellcheck source=tests/e2e/support/vemo.sh
. "$here/../support/vemo.sh"

e2e_init dpi "$4" "$2"
vemo_setup "$1"
# "apple" has a remark: the tip shows beside the list.
vemo_make_lib "$3" Words.lib dictionary "$here/../app/words.txt"

tip_state() { e2e_probe window WordlarkTip - | cut -d' ' -f1; }
height_of() { echo "$1" | cut -d' ' -f5; }

# measure DPI: heights="LIST-HEIGHT TIP-HEIGHT", the list and tip of "app"
measure() {
    local dpi=$1 key list tip
    "$WORDLARK_WINESERVER" -k 2>/dev/null
    "$WORDLARK_WINESERVER" -w 2>/dev/null
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        "$WORDLARK_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    done
    "$WORDLARK_WINESERVER" -k 2>/dev/null
    "$WORDLARK_WINESERVER" -w 2>/dev/null
    e2e_start_wineserver
    vemo_start_notepad
    vemo_start
    vemo_fresh
    e2e_type "app"
    vemo_shown || e2e_fail "no list at $dpi DPI"
    e2e_wait_output 10 visible tip_state || e2e_fail "no tip at $dpi DPI"
    e2e_screenshot "list-at-$dpi-dpi"
    list=$(e2e_probe window '#32770' Wordlark)
    tip=$(e2e_probe window WordlarkTip -)
    e2e_log "at $dpi DPI: list $list, tip $tip"
    e2e_key Escape
    e2e_stop vemoshow
    e2e_stop notepad
    heights="$(height_of "$list") $(height_of "$tip")"
}
# Whether b is twice a, give or take a tenth.
twice() { [ $(($2 * 10)) -ge $(($1 * 18)) ] && [ $(($2 * 10)) -le $(($1 * 22)) ] ||
    { E2E_LAST_OUTPUT="$1 and $2"; return 1; }; }

measure 96
at96=$heights
measure 192
e2e_check "the candidate list is twice as tall at 200 %" twice "${at96% *}" "${heights% *}"
e2e_check "the tip is twice as tall at 200 %" twice "${at96#* }" "${heights#* }"
e2e_finish
