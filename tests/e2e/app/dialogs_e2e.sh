#!/usr/bin/env bash
# The tray menu's dialogs end to end: settings made in the Applications
# Manager, the Libraries Manager (with its library editor) and the Options
# dialog change what happens in notepad as soon as the dialog closes with OK.
# The dialogs are driven the way a user drives them, through their controls
# (e2e_probe.exe); VemoShow.exe, notepad and the test libraries are as in
# app_e2e.sh.
#
#   dialogs_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" dialogs "$@"

# The Applications Manager's &Add... picks notepad among the running
# applications; the Application Option dialog's BUTTON (1028: &Disable,
# 1029: &Enable Wordlark to the Applications) sets it; OK closes all three.
notepad_option() { # button
    open_dialog 32794 "Applications Manager"
    press "Applications Manager" 1010
    e2e_wait_until 20 vemo_dialog_open Applications || e2e_fail "no running applications"
    e2e_wait_until 10 e2e_probe lvselect Applications notepad.exe >/dev/null ||
        e2e_fail "notepad is not among the running applications"
    e2e_screenshot "$1-running-applications"
    close_ok Applications
    e2e_wait_until 15 vemo_dialog_open "Application Option" || e2e_fail "no Application Option"
    press "Application Option" "$1"
    close_ok "Application Option"
    close_ok "Applications Manager"
}

vemo_start

# 1. The Applications Manager switches notepad off, and on again.
notepad_option 1028
vemo_fresh
e2e_type "app"
e2e_check "typing in notepad is notepad's own" vemo_text_is "app"
sleep 1  # a list would have shown by now: give it the chance to appear
e2e_check "no list in notepad" vemo_hidden
notepad_option 1029
vemo_fresh
e2e_type "app"
e2e_check "the list is back in notepad" vemo_shown
e2e_key Escape

# 2. The Libraries Manager: unticking a library takes its words away.
open_dialog 32795 "Libraries Manager"
e2e_check "the dictionary library is listed" \
    e2e_wait_until 10 e2e_probe lvcheck "Libraries Manager" Words.lib 0 >/dev/null
e2e_screenshot 2-libraries-manager
close_ok "Libraries Manager"
vemo_fresh
e2e_type "app"
e2e_check "no list without the dictionary" vemo_text_is "app"
sleep 1
e2e_check "its words are gone" vemo_hidden
e2e_type " apx"
e2e_check "the shorthand library still answers" vemo_rows_are "0|apx"
e2e_key Escape

# 3. A word added in the library editor is offered once the manager closes.
open_dialog 32795 "Libraries Manager"
e2e_wait_until 10 e2e_probe lvcheck "Libraries Manager" Words.lib 1 >/dev/null ||
    e2e_fail "cannot tick the dictionary again"
e2e_wait_until 10 e2e_probe lvselect "Libraries Manager" Words.lib >/dev/null ||
    e2e_fail "cannot select the dictionary"
press "Libraries Manager" 1068                       # &Edit
e2e_wait_until 20 vemo_dialog_open "Library Option" || e2e_fail "the library editor did not open"
e2e_probe type "Library Option" 1008 zebra >/dev/null # the key box
e2e_probe type "Library Option" 1009 "a striped horse" >/dev/null
press "Library Option" 1010                          # &Add
e2e_check "the editor says the word was added" \
    e2e_wait_until 10 e2e_probe msgbox "Add data Succeed" 1 >/dev/null
e2e_screenshot 3-library-editor
close_ok "Library Option"
close_ok "Libraries Manager"
vemo_fresh
e2e_type "zeb"
e2e_check "the new word is offered" vemo_rows_are "0|zebra"
e2e_key Tab
e2e_check "and completes" vemo_text_is "zebra"

# 4. Options: the complete keys become SPACE only.
open_dialog 32771 Options
e2e_screenshot 4-options
# "Complete Hotkeys" (1044): TAB, RETURN, SPACE, SHIFT, CTRL.
e2e_probe lbselect Options 1044 2 >/dev/null || e2e_fail "no Complete Hotkeys list"
close_ok Options
vemo_fresh
e2e_type "app"
e2e_check "the list shows" vemo_shown
e2e_key Tab
e2e_check "Tab no longer completes: notepad gets the Tab" vemo_text_is 'app\t'
e2e_key Escape
vemo_hidden
vemo_fresh
e2e_type "app"
vemo_shown
e2e_key space
e2e_check "Space completes" vemo_text_is "apple"

e2e_finish
