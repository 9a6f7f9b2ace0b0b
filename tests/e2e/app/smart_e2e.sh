#!/usr/bin/env bash
# The smart suggestions and learning end to end, with "Suggest the most likely
# words first", "Add a space after a completed word", "Learn from what I type"
# and "Also learn words that are not in a library" on: in notepad "Th" offers
# "The" first, Tab types "The " and "." after it gives "The. "; a word typed
# in full twice is offered; after "Forget what was learned..." it no longer
# is.  VemoShow.exe, notepad and the test libraries are as in app_e2e.sh, with
# a small weighted dictionary beside them.
#
#   smart_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" smart "$@"

# A dictionary whose common words carry weights, as the English one does.
printf '%s\n' Thackeray Thai thalamus than that the this >"$E2E_OUT/common.txt"
printf 'the\t5000\nthat\t900\nthis\t800\nthan\t300\n' >"$E2E_OUT/common-weights.txt"
vemo_make_lib "$3" Common.lib dictionary "$E2E_OUT/common.txt" "$E2E_OUT/common-weights.txt"
vemo_options_on bSmartOrder bSpaceAfter bLearn bLearnNew

vemo_start

# 1. The most likely words first, in the typist's letter case.
vemo_fresh
e2e_type "Th"
e2e_check "\"Th\" offers \"The\" first" vemo_rows_are "0|The|That|This|Than|Thackeray|Thai|Thalamus"
e2e_screenshot 1-smart-order
e2e_key Tab
e2e_check "Tab types \"The \"" vemo_text_is "The "
e2e_type "."
e2e_check "a full stop goes before the added space" vemo_text_is "The. "
vemo_hidden

# 2. A word typed in full twice is offered as learned.  The main window takes
# the finished words in every second: try until it has (bounded).
vemo_fresh
e2e_type "so frobnitz frobnitz "
offered() {
    e2e_type "frob"
    e2e_wait_output 3 "0|frobnitz" vemo_list_rows && return 0
    e2e_key BackSpace BackSpace BackSpace BackSpace
    return 1
}
e2e_check "\"frob\" offers the learned \"frobnitz\"" e2e_wait_until 20 offered
e2e_screenshot 2-learned
e2e_key Escape
vemo_hidden

# 3. Forgetting: the Options dialog's button asks once, then it is gone.
open_dialog 32771 Options
press Options 1075
e2e_check "forgetting asks first" e2e_wait_until 10 e2e_probe msgbox "Forget every word" 6 >/dev/null
e2e_screenshot 3-forgotten
close_ok Options
vemo_fresh
e2e_type "frob"
e2e_check "notepad has the letters" vemo_text_is "frob"
sleep 1  # a list would have shown by now: give it the chance to appear
e2e_check "\"frob\" offers nothing once forgotten" vemo_hidden

e2e_finish
