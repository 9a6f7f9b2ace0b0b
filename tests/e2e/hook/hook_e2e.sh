#!/usr/bin/env bash
# The hook library end to end: "Vemo.dll" hooked into the 64-bit notepad
# under Xvfb and Wine, hook_host.exe standing in for the main program, keys
# typed with xdotool.  Checks the keys the host was asked for, that the list
# shows at the caret, that Tab, Enter, Down and the index keys complete, that
# an expansion with %CARET%, %TAB% and %RETURN% types the right text and
# leaves the caret where it belongs, and that Escape and a disabled
# application leave notepad alone.
#
#   hook_e2e.sh HOOK_HOST_EXE PROBE_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"

host_exe=$1
e2e_init hook "$3" "$2"
host_log="$E2E_OUT/host-messages.log"

e2e_start_xvfb
e2e_use_prefix
e2e_start_wineserver
e2e_start notepad notepad
notepad=$(e2e_wait_window "Untitled - Notepad" 60) || e2e_fail "notepad did not open"

# Starts a fresh host (BeginVemo clears the word), empties notepad and gives
# it the focus.
fresh() {
    e2e_stop host
    rm -f "$host_log"
    e2e_start host "$host_exe" "Z:$host_log" "$@"
    e2e_wait_until 30 grep -q '^begin 1$' "$host_log" 2>/dev/null || e2e_fail "BeginVemo failed"
    e2e_probe settext Notepad Edit "" >/dev/null
    e2e_focus "$notepad" || e2e_fail "cannot focus notepad"
    e2e_wait_output 10 "" e2e_notepad_text || e2e_fail "notepad did not empty"
}
asked() { grep -qx "$1" "$host_log" 2>/dev/null; }
host_window() { e2e_probe window WordlarkHookHost - | cut -d' ' -f1; }
text_is() { e2e_wait_output 15 "$1" e2e_notepad_text; }
sel_is() { e2e_wait_output 10 "$1" e2e_notepad_sel; }
list_at_caret() {
    local caret window
    caret=$(e2e_probe caret)
    window=$(e2e_probe window WordlarkHookHost -)
    # The list's left edge is the caret's left edge.
    [ "$(echo "$caret" | cut -d' ' -f2)" = "$(echo "$window" | cut -d' ' -f2)" ] ||
        { E2E_LAST_OUTPUT="caret $caret, list $window"; return 1; }
}

# 1. A word after other text: the whole line is offered first, then the
#    word; Tab completes it.
fresh
e2e_type "hello app"
e2e_check "the line, then the word were looked up" \
    e2e_wait_until 15 asked "lookup app 0"
e2e_check "the line was offered first" asked "lookup hello app 1"
e2e_check "the list is shown" e2e_wait_output 10 visible host_window
e2e_check "the list is at the caret" e2e_wait_until 5 list_at_caret
e2e_screenshot 1-list-shown
e2e_key Tab
e2e_check "Tab completes" text_is "hello application"
e2e_check "the caret is after the completion" sel_is "17 17"
e2e_check "the list is hidden again" e2e_wait_output 10 hidden host_window
e2e_screenshot 1-completed

# 2. Down moves the highlight, Enter completes with it.
fresh
e2e_type "app"
e2e_check "app was looked up" e2e_wait_until 15 asked "lookup app 0"
e2e_wait_output 10 visible host_window
e2e_key Down
e2e_check "Down was sent as SELECT_NEXT" e2e_wait_until 10 asked "select -2"
e2e_key Return
e2e_check "Enter completes with the highlighted candidate" text_is "apple"
e2e_screenshot 2-down-enter

# 3. An index key picks its candidate and completes at once.
fresh
e2e_type "app"
e2e_check "app was looked up" e2e_wait_until 15 asked "lookup app 0"
e2e_wait_output 10 visible host_window
e2e_key 3
e2e_check "3 was sent as index 2" e2e_wait_until 10 asked "select 2"
e2e_check "the third candidate replaced the word" text_is "approach"
e2e_screenshot 3-index-key

# 4. A shorthand expands with a Tab, an Enter and the caret marker.
fresh
e2e_type "sig"
e2e_check "sig was looked up" e2e_wait_until 15 asked "lookup sig 0"
e2e_wait_output 10 visible host_window
e2e_key Tab
e2e_check "the expansion was typed" text_is 'Hi there\tx\r\nbye'
e2e_check "the caret stands where %CARET% was" sel_is "3 3"
e2e_screenshot 4-expansion

# 5. Escape hides the list; the keys then reach notepad.
fresh
e2e_type "brb"
e2e_check "brb was looked up" e2e_wait_until 15 asked "lookup brb 0"
e2e_wait_output 10 visible host_window
e2e_key Escape
e2e_check "Escape hides the list" e2e_wait_output 10 hidden host_window
e2e_key Tab
e2e_check "Tab reaches notepad once the list is gone" text_is 'brb\t'
e2e_screenshot 5-escape

# 6. A disabled application: nothing is captured, nothing looked up.
fresh disable notepad.exe
e2e_type "app"
e2e_check "the keys reach notepad" text_is "app"
e2e_check "nothing was looked up" \
    bash -c "! grep -q '^lookup' '$host_log'"
e2e_check "the list stays hidden" e2e_wait_output 5 hidden host_window
e2e_screenshot 6-disabled
e2e_stop host
# Leave the prefix's policy as the next user expects it.
"$WORDLARK_WINE" "$host_exe" --forget notepad.exe </dev/null >/dev/null 2>&1

e2e_finish
