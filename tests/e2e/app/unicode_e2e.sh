#!/usr/bin/env bash
# Unicode libraries in notepad: a Unicode Shorthand library expands to an
# arrow and to an emoji (beyond the Basic Multilingual Plane), and a
# Unicode Dictionary completes "caf" to "café", beside the code-page
# libraries of the session, and the key typed next is the user's; and, where Wine's keyboard types Greek, a Greek
# word typed is completed from it.
#
#   unicode_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" unicode "$@"

unicode_lib() { # name type text-file
    local lib=$VEMO_DIR/Libs/$1
    "$WORDLARK_WINE" "$3" create "Z:$lib" --type "$2" --unicode >/dev/null 2>&1 &&
        "$WORDLARK_WINE" "$3" import "Z:$lib" "Z:$4" >/dev/null 2>&1 ||
        e2e_fail "cannot make the Unicode library $1"
}
unicode_lib Symbols.lib shorthand "$3" "$here/unicode-shorthand.txt"
unicode_lib Accents.lib dictionary "$3" "$here/unicode-words.txt"
text_utf8_is() { e2e_wait_output 15 "$1" e2e_probe textutf8 Notepad Edit; }

vemo_start

vemo_fresh
e2e_type "rarr"
e2e_check "the list shows for a Unicode shorthand" vemo_shown
e2e_key Tab
e2e_check "Tab types the arrow" text_utf8_is "→"

vemo_fresh
e2e_type "smiley"
e2e_check "the list shows for the emoji's shorthand" vemo_shown
e2e_key Tab
e2e_check "Tab types the emoji, one character beyond the plane" text_utf8_is "🙂"
e2e_screenshot 1-symbols

vemo_fresh
e2e_type "caf"
rows_hold_cafe() { e2e_probe rowsutf8 '#32770' Wordlark | grep -q '|café'; }
e2e_check "the Unicode word is a row, drawn in its own characters" e2e_wait_until 10 rows_hold_cafe
e2e_screenshot 2-cafe
e2e_key Tab
e2e_check "Tab completes \"caf\" to \"café\"" text_utf8_is "café"

# Tab pressed and released before notepad takes it, so that the completion's
# own characters ("yr", typed as characters) come after both, and a space
# the moment they are in: it is still the user's key.
vemo_fresh
e2e_type "zeph"
e2e_check "the list shows for a word of the Unicode Dictionary" vemo_shown
e2e_probe keys 0x09 then Notepad Edit zephyr 0x20 >/dev/null
e2e_check "Tab completes it" text_utf8_is "zephyr "
e2e_check "the space typed right after it is taken as typed" \
    e2e_wait_output 5 "|zephyr " e2e_probe sharedutf8

# Greek: xdotool types a character the keyboard map lacks by binding it to
# a spare key for the moment; whether Wine passes that on is Wine's.
vemo_fresh
e2e_type "σί"
if e2e_wait_output 5 "σί" e2e_probe textutf8 Notepad Edit; then
    e2e_check "the list shows for Greek letters" vemo_shown
    e2e_key Tab
    e2e_check "Tab completes the Greek word" text_utf8_is "σίσυφος"
else
    echo "skipped: Wine's keyboard did not type Greek ($(e2e_probe textutf8 Notepad Edit))"
fi

e2e_finish
