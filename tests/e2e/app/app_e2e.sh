#!/usr/bin/env bash
# VemoShow.exe end to end: the program runs from a copy of the build's program
# folder with test libraries, in a private Wine prefix under Xvfb, and the
# 64-bit notepad is typed into with xdotool.  Each scenario checks what a user
# would see (the list's rows and place, the text in notepad, the tray icon)
# and saves a screenshot.  What the list does with each key is the unit tests'
# (CandidateListTest, KeyboardHookTest); here the keys that load_e2e's passes
# do not press (Down, Enter, the page keys) go once through the real keyboard
# path.  The caret placed by an expansion is snippets_e2e's.
#
#   app_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" app "$@"

list_below_caret() {
    local caret window
    caret=$(e2e_probe caret)
    window=$(e2e_probe window '#32770' Wordlark)
    # Top-left corner at the caret's left edge, 5 pixels below its bottom.
    [ "$(echo "$window" | cut -d' ' -f2)" = "$(echo "$caret" | cut -d' ' -f2)" ] &&
        [ "$(echo "$window" | cut -d' ' -f3)" = "$(($(echo "$caret" | cut -d' ' -f4) + 5))" ] ||
        { E2E_LAST_OUTPUT="caret $caret, list $window"; return 1; }
}
# The colour at the middle of the first tray icon: the on icon is green, the
# off icon grey.
icon_is() { # on|off
    local geometry x y colour
    geometry=$(xdotool getwindowgeometry --shell "$(vemo_tray_window)") || return 1
    x=$(sed -n 's/^X=//p' <<<"$geometry")
    y=$(sed -n 's/^Y=//p' <<<"$geometry")
    colour=$(import -display "$DISPLAY" -window root -crop "1x1+$((x + 4))+$((y + 10))" -depth 8 \
        txt:- 2>/dev/null | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1)
    case "$1:${colour^^}" in on:2E7D5B | off:9A9A9A) return 0 ;; esac
    E2E_LAST_OUTPUT="tray pixel $colour"
    return 1
}

vemo_start
e2e_check "the tray icon is the on icon" e2e_wait_until 10 icon_is on

# 1. The list at the caret, with the rows in merged order.
vemo_fresh
e2e_type "app"
e2e_check "the list shows" vemo_shown
e2e_check "the rows are the candidates in order, the first highlighted" \
    vemo_rows_are "0|apple|application|apply|approximately"
e2e_check "the list's corner is at the caret, 5 pixels below it" e2e_wait_until 5 list_below_caret
e2e_screenshot 1-list-at-caret

# 2. Down and Enter.
e2e_key Down
e2e_check "Down moves the highlight" vemo_rows_are "1|apple|application|apply|approximately"
e2e_key Return
e2e_check "Enter completes with the highlighted row" vemo_text_is "application"
e2e_screenshot 2-keys

# 3. Paging through 23 candidates; Escape.
vemo_fresh
e2e_type "tabx"
e2e_check "page one" vemo_rows_are "0|tabxa|tabxb|tabxc|tabxd|tabxe|tabxf|tabxg|tabxh|tabxi|tabxj"
e2e_key Next
e2e_check "Page Down shows page two at its first row" \
    vemo_rows_are "0|tabxk|tabxl|tabxm|tabxn|tabxo|tabxp|tabxq|tabxr|tabxs|tabxt"
e2e_screenshot 3-page-two
e2e_key Prior
e2e_check "Page Up goes back a page" \
    vemo_rows_are "0|tabxa|tabxb|tabxc|tabxd|tabxe|tabxf|tabxg|tabxh|tabxi|tabxj"
e2e_key Escape
e2e_check "Escape hides the list" vemo_hidden
e2e_check "Escape leaves the text alone" vemo_text_is "tabx"

# 4. A path: folders first, and walking into a folder goes on completing.
vemo_fresh
e2e_type 'C:\win'
e2e_check "the folders and files of C:\\ that contain win" vemo_rows_are "0|windows"
e2e_key Tab
e2e_check "choosing a folder types it with a backslash" vemo_text_is 'C:\\windows\\'
e2e_check "the list shows the folder's entries" vemo_shown
folders_first() {
    local rows
    rows=$(vemo_list_rows)
    # system32 is a folder and notepad.exe a file: folders come first.
    case "$rows" in *"|system32|"*"|notepad.exe"*) return 0 ;; esac
    E2E_LAST_OUTPUT=${rows:0:300}
    return 1
}
e2e_check "folders come before files" e2e_wait_until 10 folders_first
e2e_screenshot 4-path
e2e_key Escape
vemo_hidden

# 5. The on/off hotkey.
vemo_fresh
e2e_key ctrl+F5
e2e_check "Ctrl+F5 switches off: the off icon" e2e_wait_until 10 icon_is off
e2e_screenshot 5-off
e2e_key ctrl+F5
e2e_check "Ctrl+F5 switches on again: the on icon" e2e_wait_until 10 icon_is on
vemo_fresh
e2e_type "app"
e2e_check "the list is back" vemo_shown
e2e_key Escape

# 6. Exit: the tray icon goes, the hooks go, the process ends.
e2e_check "Exit ends the process" vemo_exit
e2e_check "the tray icon is gone" e2e_wait_until 10 vemo_tray_gone
vemo_fresh
e2e_type "app"
e2e_check "typing after Exit is notepad's own" vemo_text_is "app"
e2e_screenshot 6-after-exit

e2e_finish
