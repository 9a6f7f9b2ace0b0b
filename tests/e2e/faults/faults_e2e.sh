#!/usr/bin/env bash
# Faults users cause every day, end to end with VemoShow.exe and the 64-bit
# notepad under Xvfb and Wine.  One case a run:
#
#   killed     the main program is killed (TerminateProcess) while the list
#              is up: notepad goes on getting every key, nothing is left
#              topmost, and a new VemoShow.exe works at once
#   libraries  library files change while they are loaded: deleted, replaced
#              by another library, replaced by junk, a new one dropped in:
#              no crash, no hang, no output; the other libraries go on; the
#              Libraries Manager's OK or a restart brings the set in line
#   clipboard  another program holds the clipboard while an expansion with a
#              character that has no key is typed: the rest is typed, nothing
#              hangs, and the next expansion pastes once the clipboard is free
#              and puts the user's copy back
#   damaged    a truncated library at start-up: the others load, no question;
#              the question only when no library opened
#
#   faults_e2e.sh CASE PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$here/../support/vemo.sh"

case_name=$1
program_dir=$2
wlib_exe=$4
e2e_init "faults-$case_name" "$5/$case_name" "$3"
vemo_setup "$program_dir"

lib() { vemo_make_lib "$wlib_exe" "$@"; }
# The candidates wlib finds in a folder for a word, as the list shows them.
lookup_rows() { # folder word
    "$WORDLARK_WINE" "$wlib_exe" lookup "Z:$1" "$2" --limit 10 </dev/null 2>/dev/null |
        tr -d '\r' | cut -f2 | paste -sd'|'
}
# settled WORD: the hook library has looked up what was typed last (the line
# ends in WORD) and the list agrees with its outcome: hidden when the word
# was emptied (nothing found), else showing candidates of the word it kept.
# (A word without candidates of its own may show those of its end: after
# "wl" found nothing the word starts afresh, so "wlka" looks up "ka".)
settled() {
    local record word line first
    record=$(e2e_probe shared)
    word=$(cut -d'|' -f1 <<<"$record")
    line=$(cut -d'|' -f2 <<<"$record")
    [[ $line == *"$1" ]] || return 1
    if [ -z "$word" ]; then
        [ "$(vemo_list_state)" = hidden ]
        return
    fi
    [ "$(vemo_list_state)" = visible ] || return 1
    first=$(vemo_list_rows | cut -d'|' -f2)
    [[ ${first,,} == "${word,,}"* ]]
}
# offers WORD ROWS: in a fresh notepad, typing WORD shows exactly ROWS.
offers() {
    vemo_fresh
    e2e_type "$1"
    vemo_text_is "$1" || return 1
    vemo_rows_are "0|$2"
}
# lacks WORD PREFIX: typing WORD offers no candidate that starts with PREFIX.
lacks() {
    local rows
    vemo_fresh
    e2e_type "$1"
    vemo_text_is "$1" || return 1
    e2e_wait_until 10 settled "$1" || { E2E_LAST_OUTPUT="unsettled: $(e2e_probe shared | cut -c1-80)"; return 1; }
    [ "$(vemo_list_state)" = hidden ] && return 0
    rows=$(vemo_list_rows)
    case "|$rows" in *"|$2"*) E2E_LAST_OUTPUT="offered: $rows"; return 1 ;; esac
    return 0
}
# The main program is alive and answers its window's messages.
answers() {
    kill -0 "${E2E_PID[vemoshow]}" 2>/dev/null || { E2E_LAST_OUTPUT="VemoShow.exe has ended"; return 1; }
    [ "$(e2e_probe send '#32770' Wordlark 0 0 0)" = 0 ] || { E2E_LAST_OUTPUT="no answer"; return 1; }
}
# Nothing written to standard output or error by VemoShow.exe.
silent() {
    [ ! -s "$E2E_OUT/vemoshow.log" ] && return 0
    E2E_LAST_OUTPUT="output: $(head -c 300 "$E2E_OUT/vemoshow.log")"
    return 1
}
# The Libraries Manager opened from the tray menu's command, closed with OK.
libraries_manager_ok() { vemo_open_dialog 32795 "Libraries Manager" && vemo_close_ok "Libraries Manager"; }
question_shown() { e2e_probe window - "Wordlark - Error" >/dev/null; }
# The start-up steps are over (BeginVemo, their last step, runs after the
# question is answered) and no question is up.
no_question() { vemo_hooks_are 1 && ! question_shown; }
exit_vemoshow() { vemo_exit || e2e_fail "Exit did not end VemoShow.exe"; }

case $case_name in
killed)
    lib Words.lib dictionary "$here/words.txt"
    vemo_start_notepad
    vemo_start
    list_topmost() { case "$(e2e_probe topmost)" in *"#32770|Wordlark"*) return 0 ;; esac; return 1; }
    # kill_case HOW: the list is up, VemoShow.exe is killed HOW, and then
    # every key reaches notepad and a new VemoShow.exe works at once.
    kill_case() {
        local how=$1 pid
        e2e_check "$how: the list is up for app" offers app "apple|application|apply"
        e2e_check "$how: the list is topmost" list_topmost
        e2e_screenshot "$how-1-list-up"
        pid=${E2E_PID[vemoshow]}
        if [ "$how" = TerminateProcess ]; then
            e2e_check "$how: VemoShow.exe is killed" \
                e2e_wait_output 5 killed e2e_probe kill '#32770' Wordlark
        else
            kill -9 "$pid"
        fi
        e2e_check "$how: its process is gone" e2e_wait_until 15 e2e_ended "$pid"
        wait "$pid" 2>/dev/null
        unset "E2E_PID[vemoshow]"
        e2e_check "$how: its list went with it" e2e_wait_until 10 e2e_not vemo_main_exists
        e2e_check "$how: no window is left topmost" e2e_wait_output 10 none e2e_probe topmost
        # Every key reaches notepad: letters, the complete and index keys,
        # Backspace, Enter, Escape.
        e2e_click_focus "$NOTEPAD" "Notepad|Untitled - Notepad" || e2e_fail "cannot focus notepad"
        e2e_type "le"
        e2e_key Tab 1 2 BackSpace Escape Return
        e2e_type "done"
        e2e_check "$how: every key reached notepad" vemo_text_is 'apple\t1\r\ndone'
        e2e_screenshot "$how-2-after-kill"
        vemo_start
        e2e_check "$how: a new VemoShow.exe offers candidates at once" offers app "apple|application|apply"
        e2e_key Tab
        e2e_check "$how: and completes" vemo_text_is apple
    }
    kill_case TerminateProcess
    kill_case kill-9
    e2e_check "nothing written to the console" silent
    ;;

libraries)
    # A large library (the default dictionary: a lookup reads pages that no
    # earlier lookup read) and a small one.
    cp "$program_dir/Libs/English.lib" "$VEMO_DIR/Libs/" || e2e_fail "no English.lib"
    lib Words.lib dictionary "$here/words.txt"
    side=$E2E_OUT/side
    rm -rf "$side"
    mkdir -p "$side"
    lib "$side/Other.lib" dictionary "$here/other.txt"
    cp "$VEMO_DIR/Libs/Words.lib" "$side/Words.lib"
    # Words the big library offers, looked up before anything changes.
    probes=(compu zebr quar mill xylo harb)
    declare -A english=()
    for w in "${probes[@]}"; do
        english[$w]=$(lookup_rows "$VEMO_DIR/Libs" "$w")
        [ -n "${english[$w]}" ] || e2e_fail "no English candidates for $w"
    done
    english_ok() { # the big library still answers every probe word
        local w
        for w in "${probes[@]}"; do offers "$w" "${english[$w]}" || return 1; done
    }
    english_none() { # and after the damage none
        local w
        for w in "${probes[@]}"; do lacks "$w" "$w" || return 1; done
    }
    vemo_start_notepad
    vemo_start
    e2e_check "both libraries answer: Words.lib" offers wlka "wlkalpha|wlkamber|wlkazure"
    e2e_check "both libraries answer: English.lib" offers compu "${english[compu]}"

    # 1. Words.lib deleted.
    rm "$VEMO_DIR/Libs/Words.lib"
    e2e_check "deleted: its words are no longer offered" lacks wlka wlk
    e2e_check "deleted: the other library answers" english_ok
    e2e_check "deleted: the program answers" answers
    e2e_check "Libraries Manager OK after the delete" libraries_manager_ok
    e2e_check "after OK: the deleted library is gone" lacks wlka wlk
    e2e_check "after OK: the other library answers" offers compu "${english[compu]}"
    e2e_screenshot 1-deleted

    # 2. A library dropped into Libs: offered after the Libraries Manager's OK.
    cp "$side/Words.lib" "$VEMO_DIR/Libs/Words.lib"
    e2e_check "dropped in: not offered before OK" lacks wlka wlk
    e2e_check "Libraries Manager OK after the drop" libraries_manager_ok
    e2e_check "dropped in: offered after OK" offers wlka "wlkalpha|wlkamber|wlkazure"

    # 3. Words.lib replaced, in place, by another library.
    cat "$side/Other.lib" >"$VEMO_DIR/Libs/Words.lib"
    e2e_check "replaced: the old words are no longer offered" lacks wlka wlk
    e2e_check "replaced: the other library answers" offers compu "${english[compu]}"
    e2e_check "replaced: the program answers" answers
    e2e_check "Libraries Manager OK after the replacement" libraries_manager_ok
    e2e_check "replaced: after OK the new library's words are offered" offers wlko "wlkomega|wlkorange"
    e2e_check "replaced: and the old ones not" lacks wlka wlk
    e2e_screenshot 3-replaced

    # 4. English.lib overwritten, in place, by junk of its own size.
    size=$(stat -c %s "$VEMO_DIR/Libs/English.lib")
    head -c "$size" /dev/urandom >"$E2E_OUT/junk.bin"
    cat "$E2E_OUT/junk.bin" >"$VEMO_DIR/Libs/English.lib"
    e2e_check "junk: the damaged library offers nothing" english_none
    e2e_check "junk: the other library answers" offers wlko "wlkomega|wlkorange"
    e2e_check "junk: the program answers" answers
    e2e_check "Libraries Manager OK with the junk" libraries_manager_ok
    e2e_check "junk: after OK the other library answers" offers wlko "wlkomega|wlkorange"
    e2e_check "junk: after OK the damaged library offers nothing" lacks compu compu
    e2e_check "junk: the damaged file was left as it was" cmp -s "$E2E_OUT/junk.bin" \
        "$VEMO_DIR/Libs/English.lib"
    e2e_screenshot 4-junk

    # 5. A restart with the junk still there: no question, the rest works.
    exit_vemoshow
    vemo_start
    e2e_check "restart: no question about libraries" no_question
    e2e_check "restart: the good library answers" offers wlko "wlkomega|wlkorange"
    e2e_check "nothing written to the console" silent
    ;;

clipboard)
    # An expansion with a character no key of the layout types (e-acute in
    # the ANSI code page): it goes through the clipboard, the parts around
    # it are typed.
    printf '<shortkey>clipx\n<replacement text>one%%TAB%%caf\xe9%%TAB%%two\n' >"$E2E_OUT/shorthand.txt"
    lib Shorthand.lib shorthand "$E2E_OUT/shorthand.txt"
    vemo_start_notepad
    vemo_start
    release=$E2E_OUT/release-clipboard
    rm -f "$release"
    e2e_start holder "$E2E_PROBE" holdclipboard 60000 "Z:$release"
    e2e_wait_until 20 grep -q held "$E2E_OUT/holder.log" || e2e_fail "the clipboard could not be held"
    e2e_check "the shorthand is offered" offers clipx clipx
    e2e_key Tab
    e2e_check "busy clipboard: the typed parts arrive, the pasted one is left out" \
        vemo_text_is 'one\t\ttwo'
    e2e_check "busy clipboard: the program answers" answers
    e2e_check "busy clipboard: notepad answers" e2e_wait_until 10 e2e_notepad_sel
    e2e_screenshot 1-busy
    touch "$release"
    e2e_check "the clipboard is free again" e2e_wait_until 20 e2e_ended "${E2E_PID[holder]}"
    e2e_stop holder
    e2e_check "the user copies a text" e2e_wait_output 5 set e2e_probe setclipboard mine
    e2e_check "free clipboard: the shorthand is offered" offers clipx clipx
    e2e_key Tab
    e2e_check "free clipboard: the whole expansion arrives, in order" \
        vemo_text_is "one\\tcaf"$'\xe9'"\\ttwo"
    e2e_check "the user's copy is back after the paste" e2e_wait_output 5 mine e2e_probe clipboard
    e2e_check "nothing written to the console" silent
    e2e_screenshot 2-free
    ;;

damaged)
    lib Words.lib dictionary "$here/words.txt"
    # A library cut short, as a copy that did not finish leaves it.
    cp "$program_dir/Libs/English.lib" "$E2E_OUT/whole.lib"
    head -c 200000 "$E2E_OUT/whole.lib" >"$VEMO_DIR/Libs/Broken.lib"
    cp "$VEMO_DIR/Libs/Broken.lib" "$E2E_OUT/broken-before.lib"
    vemo_start_notepad
    vemo_start
    e2e_check "one good library: no question" no_question
    e2e_check "the good library answers" offers app "apple|application|apply"
    e2e_check "the truncated library offers nothing" lacks compu compu
    e2e_check "the truncated file was left as it was" cmp -s "$E2E_OUT/broken-before.lib" \
        "$VEMO_DIR/Libs/Broken.lib"
    e2e_screenshot 1-one-good
    exit_vemoshow

    # Only the truncated library: the question, once.
    rm "$VEMO_DIR/Libs/Words.lib"
    e2e_start vemoshow "$VEMO_DIR/VemoShow.exe"
    e2e_check "no library opened: the question" e2e_wait_until 30 question_shown
    e2e_screenshot 2-question
    e2e_probe post - "Wordlark - Error" 0x111 2 0 >/dev/null
    e2e_check "Cancel: the program runs on with the hooks in place" e2e_wait_until 30 vemo_hooks_are 1
    e2e_check "the question is gone" e2e_wait_until 10 e2e_not question_shown
    e2e_check "the truncated file is still as it was" cmp -s "$E2E_OUT/broken-before.lib" \
        "$VEMO_DIR/Libs/Broken.lib"
    e2e_check "nothing written to the console" silent
    ;;
*)
    e2e_fail "unknown case $case_name"
    ;;
esac

e2e_finish
