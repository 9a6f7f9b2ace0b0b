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
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"

program_dir=$1
wlib_exe=$3
e2e_init app "$4" "$2"

e2e_start_xvfb
e2e_use_prefix private
e2e_start_wineserver
# Every run starts from an empty store, whatever the prefix was given.
"$WORDLARK_WINE" reg delete 'HKLM\Software\Quorbit' /f >/dev/null 2>&1
# There is no window manager here.  Wine hands a window with a sizing border
# (the candidate list) to the window manager, and then waits up to two
# seconds at every hide for the manager to confirm it: keep VemoShow's
# windows to Wine itself.
"$WORDLARK_WINE" reg add 'HKCU\Software\Wine\AppDefaults\VemoShow.exe\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1

# The program folder: VemoShow.exe and Vemo.dll with test libraries.
app_dir=$E2E_OUT/program
rm -rf "$app_dir"
mkdir -p "$app_dir"
cp "$program_dir/VemoShow.exe" "$program_dir/Vemo.dll" "$app_dir/"
mkdir -p "$app_dir/Libs"
make_lib() { # name type text-file
    "$WORDLARK_WINE" "$wlib_exe" create "Z:$app_dir/Libs/$1" --type "$2" >/dev/null 2>&1 &&
        "$WORDLARK_WINE" "$wlib_exe" import "Z:$app_dir/Libs/$1" "Z:$3" >/dev/null 2>&1 ||
        e2e_fail "cannot make the test library $1"
}
make_lib Words.lib dictionary "$here/words.txt"
make_lib Shorthand.lib shorthand "$here/shorthand.txt"

e2e_start notepad notepad
notepad=$(e2e_wait_window "Untitled - Notepad" 60) || e2e_fail "notepad did not open"

start_vemoshow() {
    e2e_start vemoshow "$app_dir/VemoShow.exe"
    e2e_wait_until 30 main_window_exists || e2e_fail "VemoShow.exe did not start"
    # The start-up steps run from a timer right after the window exists;
    # BeginVemo is their last step.  The tray icon shows when it is done.
    e2e_wait_until 30 tray_window >/dev/null || e2e_fail "no tray icon"
}
main_window_exists() { e2e_probe window '#32770' Wordlark >/dev/null; }
list_state() { e2e_probe window '#32770' Wordlark | cut -d' ' -f1; }
list_rows() { e2e_probe rows '#32770' Wordlark; }
tray_window() { xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1; }

# Notepad emptied and given the focus.  A click on its status bar activates
# it without moving the caret: the tray's own window may hold the focus, and
# without a window manager only a click takes it back.  A space typed first
# ends the word the hook library may still be tracking (a completion leaves
# its word to be continued), as a user would type one.
fresh() {
    e2e_click_focus "$notepad" "Notepad|Untitled - Notepad" || e2e_fail "cannot focus notepad"
    e2e_type " "
    e2e_wait_until 10 ends_in_space
    e2e_probe settext Notepad Edit "" >/dev/null
    e2e_wait_output 10 "" e2e_notepad_text || e2e_fail "notepad did not empty"
    e2e_wait_output 5 hidden list_state
}
ends_in_space() { case "$(e2e_notepad_text)" in *" ") return 0 ;; esac; return 1; }
text_is() { e2e_wait_output 15 "$1" e2e_notepad_text; }
sel_is() { e2e_wait_output 10 "$1" e2e_notepad_sel; }
rows_are() {
    e2e_wait_output 10 "$1" list_rows && return 0
    E2E_LAST_OUTPUT="$E2E_LAST_OUTPUT; hook record: $(e2e_probe shared)"
    return 1
}
shown() { e2e_wait_output 10 visible list_state; }
hidden() { e2e_wait_output 10 hidden list_state; }
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
tray_colour() {
    local id geometry x y
    id=$(tray_window) || return 1
    geometry=$(xdotool getwindowgeometry --shell "$id")
    x=$(echo "$geometry" | sed -n 's/^X=//p')
    y=$(echo "$geometry" | sed -n 's/^Y=//p')
    import -display "$DISPLAY" -window root -crop "1x1+$((x + 4))+$((y + 10))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}
icon_is() { # on|off
    local colour
    colour=$(tray_colour)
    case "$1:$colour" in
        on:2E7D5B | on:2e7d5b) return 0 ;;
        off:9A9A9A | off:9a9a9a) return 0 ;;
    esac
    E2E_LAST_OUTPUT="tray pixel $colour"
    return 1
}

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
