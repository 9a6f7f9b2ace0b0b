#!/usr/bin/env bash
# The tray menu's dialogs end to end: settings made in the Options dialog,
# the Applications Manager and the Libraries Manager (with its library
# editor) change what happens in notepad as soon as the dialog closes with
# OK.  The dialogs are driven the way a user drives them, through their
# controls (e2e_probe.exe); VemoShow.exe, notepad and the test libraries
# are as in app_e2e.sh.
#
#   dialogs_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" dialogs "$1" "$2" "$3" "$4"

dlg() { e2e_probe "$@"; }
dialog_open() { [ "$(dlg exists "$1")" = visible ]; }
dialog_closed() { ! dialog_open "$1"; }
# Runs a tray command (what its menu item does) and waits for its dialog.
open_dialog() { # command-id title
    e2e_probe post '#32770' Wordlark 0x111 "$1" 0 >/dev/null
    e2e_wait_until 15 dialog_open "$2" || e2e_fail "the dialog \"$2\" did not open"
}
press() { # title control-id
    dlg click "$1" "$2" >/dev/null || e2e_fail "no control $2 in \"$1\""
}
close_ok() { # title
    press "$1" 1
    e2e_wait_until 15 dialog_closed "$1" || e2e_fail "\"$1\" did not close"
}

start_vemoshow

# 1. Options: the complete keys become SPACE only.
open_dialog 32771 Options
e2e_screenshot 1-options
# "Complete Hotkeys" (1044): TAB, RETURN, SPACE, SHIFT, CTRL.
dlg lbselect Options 1044 2 >/dev/null || e2e_fail "no Complete Hotkeys list"
close_ok Options
fresh
e2e_type "app"
e2e_check "the list shows" shown
e2e_key Tab
e2e_check "Tab no longer completes: notepad gets the Tab" text_is 'app\t'
e2e_key Escape
hidden
fresh
e2e_type "app"
shown
e2e_key space
e2e_check "Space completes" text_is "apple"
# Back to Tab and Enter for the rest.
open_dialog 32771 Options
dlg lbselect Options 1044 0 1 >/dev/null
close_ok Options

# 2. The Applications Manager switches notepad off.
open_dialog 32794 "Applications Manager"
press "Applications Manager" 1010                    # &Add...
e2e_wait_until 20 dialog_open Applications || e2e_fail "no running applications"
picked() { dlg lvselect Applications notepad.exe >/dev/null; }
e2e_check "notepad is among the running applications" e2e_wait_until 10 picked
e2e_screenshot 2-running-applications
close_ok Applications
e2e_wait_until 15 dialog_open "Application Option" || e2e_fail "no Application Option"
press "Application Option" 1028                      # &Disable Wordlark to the Applications
close_ok "Application Option"
e2e_screenshot 2-applications-manager
close_ok "Applications Manager"
fresh
e2e_type "app"
e2e_check "typing in notepad is notepad's own" text_is "app"
sleep 1  # a list would have shown by now: give it the chance to appear
e2e_check "no list in notepad" hidden
# And on again: the row's state is edited through the same dialogs.
open_dialog 32794 "Applications Manager"
press "Applications Manager" 1010
e2e_wait_until 20 dialog_open Applications || e2e_fail "no running applications"
e2e_wait_until 10 picked
close_ok Applications
e2e_wait_until 15 dialog_open "Application Option" || e2e_fail "no Application Option"
press "Application Option" 1029                      # &Enable Wordlark to the Applications
close_ok "Application Option"
close_ok "Applications Manager"
fresh
e2e_type "app"
e2e_check "the list is back in notepad" shown
e2e_key Escape

# 3. The Libraries Manager: unticking a library takes its words away.
open_dialog 32795 "Libraries Manager"
unticked() { dlg lvcheck "Libraries Manager" Words.lib 0 >/dev/null; }
e2e_check "the dictionary library is listed" e2e_wait_until 10 unticked
e2e_screenshot 3-libraries-manager
close_ok "Libraries Manager"
fresh
e2e_type "app"
e2e_check "no list without the dictionary" text_is "app"
sleep 1
e2e_check "its words are gone" hidden
e2e_type " apx"
e2e_check "the shorthand library still answers" rows_are "0|apx"
e2e_key Escape

# 4. A word added in the library editor is offered once the manager closes.
open_dialog 32795 "Libraries Manager"
ticked() { dlg lvcheck "Libraries Manager" Words.lib 1 >/dev/null; }
e2e_wait_until 10 ticked || e2e_fail "cannot tick the dictionary again"
selected() { dlg lvselect "Libraries Manager" Words.lib >/dev/null; }
e2e_wait_until 10 selected || e2e_fail "cannot select the dictionary"
press "Libraries Manager" 1068                       # &Edit
e2e_wait_until 20 dialog_open "Library Option" || e2e_fail "the library editor did not open"
dlg type "Library Option" 1008 zebra >/dev/null       # the key box
dlg type "Library Option" 1009 "a striped horse" >/dev/null
press "Library Option" 1010                          # &Add
added() { dlg msgbox "Add data Succeed" 1 >/dev/null; }
e2e_check "the editor says the word was added" e2e_wait_until 10 added
e2e_screenshot 4-library-editor
close_ok "Library Option"
close_ok "Libraries Manager"
fresh
e2e_type "zeb"
e2e_check "the new word is offered" rows_are "0|zebra"
e2e_key Tab
e2e_check "and completes" text_is "zebra"

e2e_finish
