#!/usr/bin/env bash
# Measures, under Xvfb and Wine with VemoShow.exe and the default libraries
# plus a generated one (100,000 dictionary entries in all):
#   - from the last key of a word to the candidate list shown for it, and
#     from Tab to the completed word in notepad, over ROUNDS words;
#   - the CPU time and working set of the idle program over IDLE seconds.
# Prints the figures; asserts nothing.
#
# With "smart", "Suggest the most likely words first" is on (and with it
# learning, by default): the ranked lookup in context and the learned
# order; and "Predict the next word": after each completed word a space,
# and the time until the list of the next words is shown.
#
#   bench/latency.sh [ROUNDS] [IDLE] [smart]   (after: cmake --build --preset windows)
#   LATENCY_UNICODE=1 bench/latency.sh ...      the same over Unicode libraries
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
rounds=${1:-60}
idle=${2:-60}
mode=${3:-plain}
build=$root/build/windows
bench=$build/bench/latency_bench.exe
wlib=$build/bin/wlib.exe
# shellcheck source=tests/e2e/support/e2e.sh
. "$root/tests/e2e/support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$root/tests/e2e/support/vemo.sh"
e2e_init latency "$build/bench/latency" "$build/tests/e2e/support/e2e_probe.exe"
[ -f "$bench" ] || e2e_fail "build the windows preset first"

vemo_setup "$build/bin"
app=$VEMO_DIR
cp "$build/bin/Libs/English.lib" "$build/bin/Libs/Shorthand.lib" "$app/Libs/"
english=$("$WORDLARK_WINE" "$wlib" info "Z:$app/Libs/English.lib" 2>/dev/null | tr -d '\r' |
    sed -n 's/^count: //p')
# LATENCY_UNICODE=1: the dictionaries are Unicode libraries (the English one
# converted, the generated one made so).
unicode=()
if [ -n "${LATENCY_UNICODE:-}" ]; then
    unicode=(--unicode)
    "$WORDLARK_WINE" "$wlib" convert "Z:$app/Libs/English.lib" --unicode >/dev/null 2>&1 ||
        e2e_fail "cannot convert English.lib"
fi
echo "encoding: ${unicode[*]:-code page}"
# Enough generated words (zz + letters) to make 100,000 dictionary entries
# (LATENCY_ENTRIES=0: the default libraries alone).
entries=${LATENCY_ENTRIES:-100000}
extra=$((entries > ${english:-0} ? entries - ${english:-0} : 0))
awk -v n="$extra" 'BEGIN { for (i = 0; i < n; i++) {
        w = "zz"; k = i; for (j = 0; j < 4; j++) { w = w sprintf("%c", 97 + k % 26); k = int(k / 26) }
        print w } }' >"$E2E_OUT/extra.txt"
if [ "$extra" -gt 0 ]; then
    "$WORDLARK_WINE" "$wlib" create "Z:$app/Libs/Extra.lib" --type dictionary "${unicode[@]}" \
        >/dev/null 2>&1
    "$WORDLARK_WINE" "$wlib" import "Z:$app/Libs/Extra.lib" "Z:$E2E_OUT/extra.txt" >/dev/null 2>&1
fi
echo "dictionary entries: ${english:-?} + $extra"

smart=()
next=()
if [ "$mode" = smart ]; then
    vemo_options_on bSmartOrder bPredict
    smart=(--smart)
    next=(--next)
fi
echo "order: $mode"

# The words and what Tab completes them to: the first candidate.
pairs=()
for word in appl compu intern wonde zebr quic brow jum laz pian; do
    first=$("$WORDLARK_WINE" "$wlib" lookup "Z:$app/Libs" "$word" "${smart[@]}" --limit 1 2>/dev/null |
        tr -d '\r' | cut -f2)
    [ -n "$first" ] && pairs+=("$word=$first")
done
echo "words: ${pairs[*]}"

vemo_start_notepad
vemo_start
e2e_click_focus "$NOTEPAD" "Notepad|Untitled - Notepad" || e2e_fail "notepad did not take the focus"

"$WORDLARK_WINE" "$bench" keys "$rounds" "${next[@]}" "${pairs[@]}" 2>/dev/null | tr -d '\r'
e2e_screenshot after-keys
winpid=$(e2e_probe pid '#32770' Wordlark)
"$WORDLARK_WINE" "$bench" idle "$winpid" "$idle" 2>/dev/null | tr -d '\r'
pid=${E2E_PID[vemoshow]}
echo "the Wine process of VemoShow.exe: $(grep -E '^VmRSS' /proc/"$pid"/status 2>/dev/null | tr -s ' ')"
