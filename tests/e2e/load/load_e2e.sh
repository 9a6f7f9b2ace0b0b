#!/usr/bin/env bash
# Typing load: about 2,000 keys at 15 ms each into the 64-bit notepad with
# VemoShow.exe running on the default English dictionary: words, spaces,
# punctuation, typos mended with Backspace, Escapes, and completions by Tab
# and by digit.  Then the same keys again with Wordlark switched off
# (Ctrl+F5) as the baseline.
#
# The keys come from a fixed plan made from the dictionary's own word list.
# Between two completions they are typed at full speed; at a completion the
# test waits, as a user looks before taking a candidate, until notepad holds
# everything typed so far and the list shows the candidates of the word
# before the caret (computed beforehand with wlib.exe lookup on the same
# libraries), then presses the key and waits for the completed word.  So
# what notepad must end with is known exactly: no key lost, doubled or
# reordered, and every completion the one the list offered.
#
# Prints the run time of each pass (figures, never asserted).
#
# With "busy", a process of the test's own keeps one core busy for the whole
# run, as another program would on the user's machine: the keyboard hook in
# notepad and the caret check in VemoShow.exe then interleave differently, and
# the pass with the list must hold all the same.  (No baseline pass then.)
#
#   load_e2e.sh PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR [KEYS] [busy]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$here/../support/vemo.sh"

program_dir=$1
wlib_exe=$3
target_keys=${5:-2000}
busy=${6:-}
delay_ms=15
words_file=/usr/share/dict/american-english
e2e_init "load${busy:+-$busy}" "$4" "$2"
[ -f "$program_dir/Libs/English.lib" ] || e2e_fail "no English.lib in $program_dir/Libs"
[ -f "$words_file" ] || e2e_fail "no word list at $words_file: install wamerican"

vemo_setup "$program_dir"
cp "$program_dir/Libs/English.lib" "$VEMO_DIR/Libs/"

# --- the plan ---------------------------------------------------------------
# One step a line, fields separated by tabs:
#   T TEXT            type TEXT (lower-case words, spaces, commas, periods)
#   B                 Backspace
#   X                 Escape right after a word's separator (the list may
#                     still be up for a moment, or not: either way notepad's
#                     text does not change)
#   C PREFIX KEY      the word so far is PREFIX: take a candidate with KEY
#                     (Tab, or Dn: digit n, brought within the list's rows)
#   E                 Escape while the list shows (it must hide, the text
#                     stays)
# Digits, Enter and the arrows are typed only at these steps: while the list
# may be visible they would take a candidate.
plan=$E2E_OUT/plan.txt
LC_ALL=C grep -E '^[a-z]{4,10}$' "$words_file" | awk -v target="$target_keys" '
    function rnd() { state = (state * 1103515245 + 12345) % 2147483648; return state / 2147483648 }
    function pick() { return words[int(rnd() * n)] }
    function emit(line, k) { print line; keys += k }
    function separator(  r) { r = rnd(); return r < 0.1 ? ", " : r < 0.16 ? ". " : " " }
    function prefix_length(w) { return 3 + int(rnd() * (length(w) - 3)) }
    { words[n++] = $0 }
    END {
        state = 20240607
        while (keys < target) {
            w = pick(); r = rnd(); s = separator()
            if (r < 0.16) {
                # A completion, by Tab or by a digit, sometimes after a typo.
                p = prefix_length(w); prefix = substr(w, 1, p)
                if (rnd() < 0.3) { emit("T\t" prefix "q", p + 1); emit("B", 1) }
                else emit("T\t" prefix, p)
                emit("C\t" prefix "\t" (r < 0.10 ? "Tab" : "D" (1 + int(rnd() * 9))), 1)
                emit("T\t" s, length(s))
            } else if (r < 0.20) {
                p = prefix_length(w)
                emit("T\t" substr(w, 1, p), p); emit("E", 1)
                emit("T\t" substr(w, p + 1) s, length(w) - p + length(s))
            } else if (r < 0.32) {
                # A typo inside the word, mended.
                k = 1 + int(rnd() * (length(w) - 1))
                emit("T\t" substr(w, 1, k) "zx", k + 2); emit("B", 1); emit("B", 1)
                emit("T\t" substr(w, k + 1) s, length(w) - k + length(s))
            } else if (r < 0.36) {
                emit("T\t" w s, length(w) + length(s)); emit("X", 1)
            } else {
                emit("T\t" w s, length(w) + length(s))
            }
        }
    }' >"$plan"

plan_keys=$(awk -F'\t' '$1 == "T" { n += length($2); next } { n++ } END { print n }' "$plan")
e2e_log "plan: $plan_keys keys, $(grep -c '^C' "$plan") completions, $(grep -c '^[EX]' "$plan") Escapes, $(grep -c '^B' "$plan") Backspaces"

# The candidates of every completion prefix, as the program's lookup gives
# them: "KEY|KEY|..." (the first page, ten rows at most).  One wlib process
# answers them all, a prefix a line, each answer ended by an empty line.
prefixes=$E2E_OUT/prefixes.txt
awk -F'\t' '$1 == "C" && !seen[$2]++ { print $2 }' "$plan" >"$prefixes"
declare -A candidates=()
look_up_all() {
    local status prefix line rows
    "$WORDLARK_WINE" "$wlib_exe" lookup "Z:$VEMO_DIR/Libs" - --limit 10 \
        <"$prefixes" >"$E2E_OUT/lookups.txt" 2>"$E2E_OUT/lookups.err"
    status=$?
    [ "$status" -eq 0 ] || { lookup_error="wlib lookup exited with $status"; return 1; }
    candidates=()
    exec 4<"$E2E_OUT/lookups.txt"
    while IFS= read -r prefix; do
        rows=""
        while IFS= read -r line <&4 && line=${line%$'\r'} && [ -n "$line" ]; do
            rows+="${rows:+|}$(cut -f2 <<<"$line")"
        done
        if [ -z "$rows" ]; then
            lookup_error="wlib lookup found no candidates for $prefix"
            exec 4<&-
            return 1
        fi
        candidates[$prefix]=$rows
    done <"$prefixes"
    exec 4<&-
}
# A Wine process that fails to start leaves no answer at all: one more try,
# said in the log with what the first one printed.
if ! look_up_all; then
    e2e_log "$lookup_error; stderr: $(head -c 300 "$E2E_OUT/lookups.err")"
    look_up_all || e2e_fail "$lookup_error; stderr: $(head -c 300 "$E2E_OUT/lookups.err")"
fi
e2e_log "looked up ${#candidates[@]} prefixes"

vemo_start_notepad
vemo_start
if [ "$busy" = busy ]; then
    # Ended by its PID with everything else the test started.
    bash -c 'while :; do :; done' </dev/null >/dev/null 2>&1 &
    E2E_PID[busy]=$!
    e2e_log "one core kept busy (pid ${E2E_PID[busy]})"
fi

# --- one pass -----------------------------------------------------------------
xtype() { timeout 120 xdotool type --delay "$delay_ms" -- "$1"; }
xkey() { timeout 30 xdotool key --delay "$delay_ms" "$@"; }
now_ms() { date +%s%3N; }

# Waits (generously: notepad absorbs typed text slowly) until notepad holds
# EXPECTED; fails the pass with what it saw.
absorbed() {
    e2e_wait_output 90 "$expected" e2e_notepad_text && return 0
    pass_error="notepad did not end with what was typed at step $step"
    pass_error+=$'\n'"  want: ...${expected: -120}"$'\n'"  got:  ...${E2E_LAST_OUTPUT: -120}"
    return 1
}

# run_pass on|off: types the whole plan; expected is the text notepad must
# hold.  Sets pass_error on the first fault and stops there.
run_pass() {
    local mode=$1 op a b pending="" rows first pick n
    expected=""
    pass_error=""
    step=0
    typing_ms=0
    flush() {
        [ -n "$pending" ] || return 0
        local t0
        t0=$(now_ms)
        xtype "$pending"
        typing_ms=$((typing_ms + $(now_ms) - t0))
        expected+=$pending
        pending=""
    }
    local started
    started=$(now_ms)
    while IFS=$'\t' read -r op a b; do
        step=$((step + 1))
        case $op in
            T) pending+=$a ;;
            B)
                flush
                xkey BackSpace
                expected=${expected%?}
                ;;
            X)
                flush
                xkey Escape
                ;;
            E)
                flush
                absorbed || return 1
                [ "$mode" = off ] || vemo_shown ||
                    { pass_error="step $step: no list for the word before Escape"; return 1; }
                xkey Escape
                [ "$mode" = off ] || vemo_hidden ||
                    { pass_error="step $step: Escape left the list up"; return 1; }
                ;;
            C)
                flush
                absorbed || return 1
                rows=${candidates[$a]}
                n=$(($(tr -cd '|' <<<"$rows" | wc -c) + 1))
                pick=1 key=Tab
                if [ "$b" != Tab ]; then
                    [ "$n" -gt 9 ] && n=9
                    pick=$(((${b#D} - 1) % n + 1)) key=$pick
                fi
                # A candidate that is the word itself leaves the text as it
                # was, and then nothing tells when its keys are through:
                # take the next row instead (by digit), or type on.
                first=$(cut -d'|' -f"$pick" <<<"$rows")
                if [ "$first" = "$a" ]; then
                    [ "$pick" -lt "$n" ] || continue
                    pick=$((pick + 1)) key=$pick
                fi
                if [ "$mode" = on ]; then
                    # The list shows the candidates of the word before the
                    # caret, the first highlighted.
                    if ! e2e_wait_output 20 "0|$rows" vemo_list_rows; then
                        pass_error="step $step: the list does not show the candidates of \"$a\""
                        pass_error+=$'\n'"  want: 0|$rows"$'\n'"  got:  $E2E_LAST_OUTPUT"
                        pass_error+=$'\n'"  hook record: $(e2e_probe shared | cut -c1-200)"
                        return 1
                    fi
                    # The hook library's record as the key goes, for a
                    # post-mortem of a wrong completion.
                    printf 'step %d: %s %s: %s\n' "$step" "$a" "$key" \
                        "$(e2e_probe shared | cut -c1-200)" >>"$E2E_OUT/completions.log"
                    xkey "$key"
                    first=$(cut -d'|' -f"$pick" <<<"$rows")
                    expected=${expected%"$a"}$first
                    absorbed || return 1
                    vemo_hidden ||
                        { pass_error="step $step: the list stayed up after the completion"; return 1; }
                else
                    xkey "$key"
                    if [ "$key" = Tab ]; then expected+='\t'; else expected+=$key; fi
                fi
                ;;
        esac
    done <"$plan"
    flush
    absorbed || return 1
    pass_ms=$(($(now_ms) - started))
    return 0
}

# checked_pass on|off LABEL WHAT: one pass from an empty notepad, checked;
# its figures (the run time, and the part of it spent typing) kept for the log.
figure() { [ -n "${1:-}" ] && printf '%d.%03d s' $(($1 / 1000)) $(($1 % 1000)) || printf 'n/a'; }
checked_pass() {
    vemo_fresh
    pass_ms=
    run_pass "$1" || e2e_log "$pass_error"
    e2e_check "$2: $3" test -n "$pass_ms"
    e2e_screenshot "$2"
    figures+=("  $2: $(figure "$pass_ms") in all, $(figure "${pass_ms:+$typing_ms}") of it typing")
}
figures=()

# --- with the list --------------------------------------------------------------
rm -f "$E2E_OUT/completions.log"
checked_pass on "with the list" "notepad holds exactly the keys and the chosen completions"
printf '%s' "$expected" >"$E2E_OUT/expected-with-list.txt"

if [ "$busy" = busy ]; then
    e2e_stop busy
else
    # --- the baseline: switched off ----------------------------------------------
    vemo_fresh
    e2e_key ctrl+F5
    e2e_check "Ctrl+F5 switches Wordlark off" e2e_wait_until 15 vemo_hooks_are 0
    checked_pass off "switched off" "notepad holds exactly the keys"
fi

e2e_log "figures: $plan_keys keys at $delay_ms ms${busy:+, one core busy}"
for line in "${figures[@]}"; do e2e_log "$line"; done
e2e_finish
