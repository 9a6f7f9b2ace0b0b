#!/usr/bin/env bash
# What learning keeps and what it must not, end to end in notepad, with the
# smart order, the space after, learning and new words on:
#   - typed fast (keys 30 ms apart), a word typed twice is offered and one
#     typed five times rises into the first three;
#   - a word whose box the application emptied, or that Enter, Tab or a
#     click ended, is not learned, nor is anything holding a digit;
#   - switched off (the tray's switch), nothing is learned, and the
#     Options dialog's OK leaves it off;
#   - "Forget what was learned..." removes the file with every copy set
#     aside as damaged and one half written.
# The learned file is read after the tray's Exit, which writes it.
#
#   learning_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/app/app_session.sh
. "$here/app_session.sh" learning "$@"

printf '%s\n' that than thank thanks thaw thawing the >"$E2E_OUT/common.txt"
printf 'the\t5000\nthat\t900\nthan\t300\nthank\t200\nthanks\t150\n' >"$E2E_OUT/common-weights.txt"
vemo_make_lib "$3" Common.lib dictionary "$E2E_OUT/common.txt" "$E2E_OUT/common-weights.txt"
vemo_options_on bSmartOrder bSpaceAfter bLearn bLearnNew
learned_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | head -n 1)
[ -n "$learned_dir" ] || e2e_fail "no local application data folder in the prefix"
learned_dir=$learned_dir/Wordlark
learned=$learned_dir/learned.dat

toggle() { e2e_probe post '#32770' Wordlark 0x111 32797 0 >/dev/null; }
# The list's first three rows hold the word.
first_three() { vemo_list_rows | cut -d'|' -f2-4 | tr '|' '\n' | grep -qx "$1"; }
# The learned words (the keys of the file's word lines).
learned_words() { [ -f "$learned" ] && awk -F'\t' '$1 == "W" {print $2}' "$learned"; }
has_digit_word() { learned_words | grep -q '[0-9]'; }
learned_has() { learned_words | grep -qx "$1"; }

vemo_start

# 1. Typed fast.  The main window takes the words in every second.
vemo_fresh
timeout 60 xdotool type --delay 30 "go frobnitz frobnitz thawing thawing thawing thawing thawing "
offered() {
    vemo_fresh
    e2e_type "frob"
    e2e_wait_output 3 "0|frobnitz" vemo_list_rows
}
e2e_check "typed fast twice, \"frob\" offers \"frobnitz\"" e2e_wait_until 20 offered
e2e_key Escape
vemo_fresh
e2e_type "tha"
e2e_check "typed fast five times, \"thawing\" is among the first three" \
    e2e_wait_until 5 first_three thawing
e2e_key Escape

# 2. What ends a word before its delimiter.
for round in 1 2; do
    vemo_fresh
    e2e_type "ok zintex"
    e2e_probe settext Notepad Edit "" >/dev/null  # the application empties the box
    e2e_wait_output 10 "" e2e_notepad_text
    e2e_type " "
done
vemo_fresh
e2e_type "Dear John"
e2e_key Return
e2e_type "Thanks for"
e2e_key Tab
e2e_type "Summer"
e2e_key Return
e2e_type "hello there "
for round in 1 2; do
    vemo_fresh
    e2e_type "ok clicks"
    e2e_click_focus "$NOTEPAD" "Notepad|Untitled - Notepad" || e2e_fail "cannot click notepad"
    e2e_type "ome "
done
vemo_fresh
e2e_type "4111-1111-1111-1111 4111-1111-1111-1111 abc123 abc123 Summer2024 "
vemo_fresh
e2e_type "zin"
sleep 1  # a list would have shown by now
e2e_check "a word in a box the application emptied is not offered" vemo_hidden

# 3. Switched off: nothing is learned, and Options' OK leaves it off.
toggle
e2e_check "the switch takes the hooks off" e2e_wait_until 10 vemo_hooks_are 0
vemo_fresh
e2e_type "secretly secretly "
open_dialog 32771 Options
close_ok Options
e2e_check "Options' OK leaves Wordlark off" vemo_hooks_are 0
vemo_fresh
e2e_type "th"
sleep 1
e2e_check "no list while off" vemo_hidden
toggle
e2e_check "the switch puts the hooks back" e2e_wait_until 10 vemo_hooks_are 1

# What the file holds once written at the Exit.
vemo_exit || e2e_fail "VemoShow.exe did not end"
cp "$learned" "$E2E_OUT/learned.dat" 2>/dev/null
e2e_check "the file holds the words typed fast" learned_has frobnitz
e2e_check "and the word after a line break" learned_has hello
e2e_check "no word with a digit" e2e_not has_digit_word
for word in zintex johnthanks john forsummer summer clicksome clicks secretly; do
    e2e_check "no \"$word\"" e2e_not learned_has "$word"
done

# 4. Forgetting removes every copy.
: >"$learned_dir/learned.dat.damaged"
: >"$learned_dir/learned.dat.damaged-2"
: >"$learned_dir/learned.dat.new"
vemo_start
open_dialog 32771 Options
press Options 1075
e2e_check "forgetting asks first" e2e_wait_until 10 e2e_probe msgbox "Forget every word" 6 >/dev/null
close_ok Options
e2e_check "the file and every copy are gone" \
    e2e_not ls "$learned" "$learned_dir"/learned.dat.damaged "$learned_dir"/learned.dat.damaged-2 \
    "$learned_dir"/learned.dat.new

e2e_finish
