#!/usr/bin/env bash
# Libraries written by the native wlib read the same under Wine with
# wlib.exe and the MinGW Berkeley DB, and the other way round: both tools
# must print the same bytes for info, list and lookup, see each other's
# writes, and leave files that Berkeley DB's verifier accepts.
#
#   cross-wlib.sh NATIVE_WLIB WLIB_EXE WINE_RUN
#
# Exits 77 (skipped) without a native wlib.
set -euo pipefail
native=$1 windows=$2 wine_run=$3
if [ -z "$native" ] || [ ! -x "$native" ]; then
    echo "no native wlib (configure with -DWORDLARK_NATIVE_WLIB=<native build>/bin/wlib)"
    exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/wordlark-cross.XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
cd "$work"
mkdir n w

failures=0
nat() { "$native" "$@"; }
win() { "$wine_run" "$windows" "$@" 2> >(grep -v '^wine: ' >&2); }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Both tools give the same output and status for the same command (stderr
# is left out: Wine writes notes of its own there).  Each library has a
# folder of its own, so that lookups do not depend on the order in which
# the system lists a folder, and the keys they compare are ASCII, so that
# they do not depend on the code page's letter case either.
same() {
    local a b sa=0 sb=0
    a=$(nat "$@" 2>/dev/null) || sa=$?
    b=$(win "$@" 2>/dev/null) || sb=$?
    if [ "$a" != "$b" ] || [ "$sa" != "$sb" ]; then
        fail "wlib $*: native ($sa) and Wine ($sb) differ"
        diff <(printf '%s\n' "$a") <(printf '%s\n' "$b") | head -20
    fi
}
verify() {
    local tool
    for tool in db5.3_verify db_verify; do
        if command -v "$tool" >/dev/null; then
            "$tool" -q "$1" || fail "$tool $1"
            return
        fi
    done
}

# Enough words for many pages, with Windows-1252 letters.
for i in $(seq 1 3000); do printf 'word%d caf\xe9%d\n' "$i" "$i"; done > words.txt
printf '<shortkey>brb\r\n<replacement text>be right back\r\n<shortkey>sig\r\n<replacement text>Regards,%%RETURN%%Ann\r\n' > short.txt

# Written natively, read under Wine.
nat create n/native.lib --type shorthand --caption "Native" --description $'two\r\nlines' --scrambled
nat import n/native.lib short.txt >/dev/null
nat import n/native.lib words.txt >/dev/null
nat put n/native.lib $'tab\tkey' $'a\\b\r\nc'
same info n/native.lib
same list n/native.lib
same list n/native.lib word29
same lookup n wor --limit 25
same lookup n "" --limit 50
win put n/native.lib wine-wrote "under Wine" >/dev/null
[ "$(nat list n/native.lib wine-wrote)" = $'wine-wrote\tunder Wine' ] || fail "native does not see Wine's entry"
verify n/native.lib

# Written under Wine, read natively.
win create w/wine.lib --type dictionary --caption Wine --locked
win import w/wine.lib words.txt >/dev/null
win put w/wine.lib caffeine "remark"
same info w/wine.lib
same list w/wine.lib
same list w/wine.lib caf
same lookup w word1 --limit 40
same lookup w "" --limit 50
same lookup w word --no-dictionary
nat put w/wine.lib native-wrote "natively" >/dev/null
[ "$(win list w/wine.lib native-wrote)" = $'native-wrote\tnatively' ] || fail "Wine does not see the native entry"
nat delete w/wine.lib word7 || fail "native delete"
same list w/wine.lib word7
verify w/wine.lib

# Weights written on either side rank the same on the other, also for many
# words read from the standard input in one process.
same_input() { # input-file wlib-arguments...
    local input=$1 a b
    shift
    a=$(nat "$@" <"$input" 2>/dev/null) || true
    b=$(win "$@" <"$input" 2>/dev/null) || true
    [ "$a" = "$b" ] || fail "wlib $* < $input: native and Wine differ"
}
for i in $(seq 1 3000); do printf 'word%d\t%d\n' "$i" $(((i * 7919) % 1000)); done > weights.txt
printf 'junk\nword7\t-1\n' >> weights.txt
[ "$(nat weights n/native.lib weights.txt)" = "3000 weights stored, 0 unknown words, 2 bad lines" ] ||
    fail "native weights"
same info n/native.lib
same lookup n wor --smart --limit 25
win weights w/wine.lib weights.txt >/dev/null
same info w/wine.lib
same lookup w word2 --smart --limit 30
printf 'w\r\nwo\nword1\nWORD29\nzz\n' > words-in.txt
same_input words-in.txt lookup w - --smart --limit 5
same_input words-in.txt lookup n - --limit 3

# The exports of the two tools are the same bytes.
win export w/wine.lib wine.txt >/dev/null
nat export w/wine.lib native.txt >/dev/null
cmp -s wine.txt native.txt || fail "exports differ"

# Unicode libraries: any character through Wine's wide command line, and
# the same UTF-8 printed on either side (the output is no console: bytes).
mkdir u
greek=$'\xce\xba\xcf\x8c\xcf\x83\xce\xbc\xce\xbf\xcf\x82' check=$'\xe2\x9c\x93' smile=$'\xf0\x9f\x98\x80'
win create u/uni.lib --unicode --type shorthand --caption "$greek"
win put u/uni.lib "$greek" "world $check"
win put u/uni.lib "$smile" "smile"
nat put u/uni.lib sm "$smile $greek"
same info u/uni.lib
same list u/uni.lib
same list u/uni.lib "$greek"
same lookup u sm
[ "$(nat list u/uni.lib "$greek")" = "$greek"$'\t'"world $check" ] || fail "native does not read Wine's Greek key"
win export u/uni.lib wine-u.txt >/dev/null
nat export u/uni.lib native-u.txt >/dev/null
cmp -s wine-u.txt native-u.txt || fail "Unicode exports differ"
# A code-page library: UTF-8 arguments in the code page, printed as they
# are or, with --utf8, as UTF-8; converted under Wine, read natively.
win create u/cp.lib --caption $'Caf\xc3\xa9'
win put u/cp.lib $'caf\xc3\xa9' $'\xe2\x82\xac 2'
[ "$(nat list u/cp.lib)" = $'caf\xe9\t\x80 2' ] || fail "Wine's code-page key is not 1252"
same list u/cp.lib --utf8
same lookup u ca --utf8
win put u/cp.lib "$greek" x >/dev/null 2>&1 && fail "Wine stored a key its code page cannot hold"
win convert u/cp.lib --unicode || fail "convert under Wine"
[ "$(nat list u/cp.lib)" = $'caf\xc3\xa9\t\xe2\x82\xac 2' ] || fail "converted under Wine"
same info u/cp.lib
verify u/uni.lib
verify u/cp.lib

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "native and Wine libraries agree"
