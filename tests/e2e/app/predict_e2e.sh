#!/usr/bin/env bash
# The next word before a letter, end to end in notepad with the English
# library (and its context data) of the build: with "Suggest the most likely
# words first", "Add a space after a completed word" and "Predict the next
# word" on, "I would like to " offers at once the word the library's model
# ranks first after "like to" (as wlib lookup gives it), Tab types it with
# its space and offers the next; a letter narrows the list, a digit goes on
# as typed and takes the list down.
#
#   predict_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" predict "$@"

cp "$1/Libs/English.lib" "$VEMO_DIR/Libs/" || e2e_fail "no English library in $1/Libs"
vemo_options_on bSmartOrder bSpaceAfter bPredict
# What the model ranks first after "like to", as the list would show it.
first=$(printf 'like to\t\n' |
    "$WORDLARK_WINE" "$3" lookup "Z:$VEMO_DIR/Libs" - --smart --no-shorthand --limit 1 2>/dev/null |
    tr -d '\r' | awk -F'\t' 'NF { print $2; exit }')
[ -n "$first" ] || e2e_fail "wlib lookup offers no next word after \"like to\""
e2e_log "the model ranks \"$first\" first after \"like to\""

first_row() { vemo_list_rows | cut -d'|' -f1,2; }

vemo_start

vemo_fresh
e2e_type "I would like to "
e2e_check "\"I would like to \" offers \"$first\" first, no letter typed" \
    e2e_wait_output 10 "0|$first" first_row
e2e_screenshot 1-next-word
e2e_key Tab
e2e_check "Tab types \"$first\" with its space" vemo_text_is "I would like to $first "
e2e_check "and the word after it is offered" vemo_shown
e2e_key Escape
e2e_check "Escape takes it down" vemo_hidden

vemo_fresh
e2e_type "I would like to "
vemo_shown
e2e_type "5"
e2e_check "a digit goes on as typed" vemo_text_is "I would like to 5"
e2e_check "and takes the list down" vemo_hidden

e2e_finish
