#!/usr/bin/env bash
# Dead keys with Wordlark on: on the US international layout (setxkbmap),
# the dead acute accent and "e" type "é" in notepad (and with Shift "É"),
# the hook library's typed line holds "é" in the code page and as UTF-8,
# and a word typed afterwards is completed as before.
#
#   deadkeys_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" deadkeys "$@"

vemo_start
# Wine takes the new keymap from the X server's mapping notice.
setxkbmap -layout us -variant intl || e2e_fail "setxkbmap cannot set the US international layout"

vemo_fresh
e2e_key dead_acute e
e2e_check "the dead accent and \"e\" type \"é\"" vemo_text_is $'\xe9'
line_is() { [ "$(e2e_probe shared | cut -d'|' -f2)" = $'\xe9' ] &&
    [ "$(e2e_probe sharedutf8 | cut -d'|' -f2)" = "é" ]; }
e2e_check "the typed line holds \"é\" in both forms" e2e_wait_until 10 line_is
e2e_key dead_acute E
e2e_check "and with Shift \"É\"" vemo_text_is $'\xe9\xc9'

# The ordinary typing goes on: a word is completed as before.
vemo_fresh
e2e_type "appl"
e2e_check "the list comes up for \"appl\"" vemo_shown
e2e_key Tab
e2e_check "Tab completes it" vemo_text_is "apple"

e2e_finish
