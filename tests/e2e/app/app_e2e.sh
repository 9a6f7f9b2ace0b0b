#!/usr/bin/env bash
# VemoShow.exe end to end: the program runs from a copy of the build's program
# folder with test libraries, in a private Wine prefix under Xvfb, and the
# 64-bit notepad is typed into with xdotool.  Each scenario checks what a user
# would see (the list's rows and place, the text and caret in notepad, the
# tray icon) and saves a screenshot.
#
#   app_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" app "$@"

start_vemoshow
e2e_check "the tray icon is the on icon" e2e_wait_until 10 icon_is on

# 1. The list at the caret, with the rows in merged order; Tab completes.
fresh
e2e_type "app"
e2e_check "the list shows" shown
e2e_check "the rows are the candidates in order, the first highlighted" \
    rows_are "0|apple|application|apply|approximately"
e2e_check "the list's corner is at the caret, 5 pixels below it" e2e_wait_until 5 list_below_caret
e2e_screenshot 1-list-at-caret
e2e_key Tab
e2e_check "Tab completes with the first candidate" text_is "apple"
e2e_check "the list hides after the completion" hidden

# 2. Down and Enter; a digit picks its row.
fresh
e2e_type "app"
shown
e2e_key Down
e2e_check "Down moves the highlight" rows_are "1|apple|application|apply|approximately"
e2e_key Return
e2e_check "Enter completes with the highlighted row" text_is "application"
fresh
e2e_type "app"
shown
e2e_key 3
e2e_check "the digit 3 picks the third row" text_is "apply"
e2e_screenshot 2-keys

# 3. Paging through 23 candidates.
fresh
e2e_type "tabx"
shown
e2e_check "page one" rows_are "0|tabxa|tabxb|tabxc|tabxd|tabxe|tabxf|tabxg|tabxh|tabxi|tabxj"
e2e_key Next
e2e_check "Page Down shows page two at its first row" \
    rows_are "0|tabxk|tabxl|tabxm|tabxn|tabxo|tabxp|tabxq|tabxr|tabxs|tabxt"
e2e_key Next
e2e_check "Page Down shows the last, short page" rows_are "0|tabxu|tabxv|tabxw"
e2e_screenshot 3-last-page
e2e_key Next
e2e_check "Page Down on the last page lands on its last row" rows_are "2|tabxu|tabxv|tabxw"
e2e_key Prior
e2e_check "Page Up goes back a page" \
    rows_are "0|tabxk|tabxl|tabxm|tabxn|tabxo|tabxp|tabxq|tabxr|tabxs|tabxt"
e2e_key Up
e2e_check "Up on the first row shows the previous page at its first row" \
    rows_are "0|tabxa|tabxb|tabxc|tabxd|tabxe|tabxf|tabxg|tabxh|tabxi|tabxj"
e2e_key Escape
e2e_check "Escape hides the list" hidden
e2e_check "Escape leaves the text alone" text_is "tabx"

# 4. A shorthand with %CARET% and %RETURN%.
fresh
e2e_type "sig"
shown
e2e_check "the shorthand is offered" rows_are "0|sig"
e2e_key Tab
e2e_check "the expansion is typed" text_is 'Dear ,\r\nRegards'
e2e_check "the caret stands where %CARET% was" sel_is "5 5"
e2e_screenshot 4-expansion

# 5. A path: folders first, and walking into a folder goes on completing.
fresh
e2e_type 'C:\win'
e2e_check "the folders and files of C:\\ that contain win" rows_are "0|windows"
e2e_key Tab
e2e_check "choosing a folder types it with a backslash" text_is 'C:\\windows\\'
e2e_check "the list shows the folder's entries" shown
folders_first() {
    local rows
    rows=$(list_rows)
    # system32 is a folder and notepad.exe a file: folders come first.
    case "$rows" in
        *"|system32|"*"|notepad.exe"*) return 0 ;;
    esac
    E2E_LAST_OUTPUT=${rows:0:300}
    return 1
}
e2e_check "folders come before files" e2e_wait_until 10 folders_first
e2e_screenshot 5-path
e2e_key Escape
hidden

# 6. The on/off hotkey.
fresh
e2e_key ctrl+F5
e2e_check "Ctrl+F5 switches off: the off icon" e2e_wait_until 10 icon_is off
e2e_type "app"
e2e_check "the typing is all notepad's" text_is "app"
e2e_check "no list while switched off" hidden
e2e_screenshot 6-off
e2e_key ctrl+F5
e2e_check "Ctrl+F5 switches on again: the on icon" e2e_wait_until 10 icon_is on
fresh
e2e_type "app"
e2e_check "the list is back" shown
e2e_key Escape

# 7. An application switched off in the registry gets no list, from the next
#    keystroke on.
"$WORDLARK_WINE" reg add 'HKLM\Software\Quorbit\AppOption\notepad.exe' /v EnableVemo \
    /t REG_BINARY /d 00 /f >/dev/null 2>&1
fresh
e2e_type "app"
e2e_check "no list in a switched-off application" text_is "app"
sleep 1  # a list would have shown by now: give it the chance to appear
e2e_check "the list stays hidden" hidden
"$WORDLARK_WINE" reg delete 'HKLM\Software\Quorbit\AppOption\notepad.exe' /f >/dev/null 2>&1

# 8. Exit: the tray icon goes, the hooks go, the process ends.
pid=${E2E_PID[vemoshow]}
e2e_probe post '#32770' Wordlark 0x111 32772 0 >/dev/null
ended() { ! kill -0 "$pid" 2>/dev/null; }
e2e_check "Exit ends the process" e2e_wait_until 15 ended
e2e_check "the tray icon is gone" e2e_wait_until 10 sh -c '! xdotool search --name "^Wine System Tray$" >/dev/null 2>&1 || ! xdotool search --onlyvisible --name "^Wine System Tray$" >/dev/null 2>&1'
fresh
e2e_type "app"
e2e_check "typing after Exit is notepad's own" text_is "app"
e2e_screenshot 8-after-exit

e2e_finish
