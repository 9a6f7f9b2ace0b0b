#!/usr/bin/env bash
# An AutoHotkey file imported with wlib.exe into a Shorthand library, as the
# user imports the hotstrings of another text expander; VemoShow.exe then
# offers them in notepad, and a hotstring with {Enter} types its line break.
#
#   snippets_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$here/../support/vemo.sh"

e2e_init snippets "$4" "$2"
vemo_setup "$1"
lib="Z:$VEMO_DIR/Libs/Imported.lib"
"$WORDLARK_WINE" "$3" create "$lib" --type shorthand >/dev/null 2>&1 ||
    e2e_fail "cannot make the library"
"$WORDLARK_WINE" "$3" import "$lib" "Z:$here/hotstrings.ahk" >/dev/null 2>"$E2E_OUT/import.txt" ||
    e2e_fail "the import failed: $(cat "$E2E_OUT/import.txt")"
tr -d '\r' <"$E2E_OUT/import.txt" >"$E2E_OUT/summary.txt"
e2e_check "the summary counts the imported and the skipped" \
    grep -qx "wlib: 2 items imported, 1 skipped" "$E2E_OUT/summary.txt"
e2e_check "the summary names the skipped hotstring and why" \
    grep -qF '"runx": runs a command' "$E2E_OUT/summary.txt"

vemo_start_notepad
vemo_start

vemo_fresh
e2e_type "sigx"
e2e_check "the imported hotstring is offered" vemo_rows_are "0|sigx"
e2e_key Tab
e2e_check "{Enter} types a line break" vemo_text_is 'Best regards,\r\nJohn'
e2e_screenshot 1-signature

vemo_fresh
e2e_type "dearx"
vemo_shown
e2e_key Tab
e2e_check "the text of the hotstring with {Left 9}" vemo_text_is 'Dear ,\r\nRegards'
e2e_check "the caret stands where {Left 9} left it" e2e_wait_output 10 "5 5" e2e_notepad_sel
e2e_screenshot 2-caret

e2e_finish
