# The session the VemoShow scenarios share (sourced by them): Xvfb, a private
# Wine prefix with an empty store (tests/e2e/support/vemo.sh), a program
# folder with the test libraries of this folder, and notepad.
#
#   . app_session.sh NAME PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
#
# Afterwards the vemo_* functions and three that fail the scenario when a
# dialog does not do as asked: open_dialog COMMAND TITLE, press TITLE ID,
# close_ok TITLE.
session_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$session_here/../support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$session_here/../support/vemo.sh"

e2e_init "$1" "$5" "$3"
vemo_setup "$2"
vemo_make_lib "$4" Words.lib dictionary "$session_here/words.txt"
vemo_make_lib "$4" Shorthand.lib shorthand "$session_here/shorthand.txt"
vemo_start_notepad

open_dialog() { vemo_open_dialog "$1" "$2" || e2e_fail "the dialog \"$2\" did not open"; }
press() { e2e_probe click "$1" "$2" >/dev/null || e2e_fail "no control $2 in \"$1\""; }
close_ok() { vemo_close_ok "$1" || e2e_fail "\"$1\" did not close"; }
