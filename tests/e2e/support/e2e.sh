# End-to-end harness for Wordlark's Wine + Xvfb scenarios (sourced, not run).
#
#   . tests/e2e/support/e2e.sh
#   e2e_init NAME OUTDIR PROBE_EXE   # artifacts go to OUTDIR; installs the cleanup trap
#   e2e_start_xvfb [XVFB-ARGS...]    # private X server on a free display; exports DISPLAY
#                                    # (e.g. -r: no key auto-repeat, so that a typing
#                                    # tool descheduled between press and release
#                                    # does not repeat the key)
#   e2e_use_prefix [private]         # WINEPREFIX: $WORDLARK_E2E_WINEPREFIX, else
#                                    # ~/.cache/wordlark/wineprefix-x11; "private" works on
#                                    # a throw-away copy of it
#   e2e_start_wineserver             # a wineserver of our own for that prefix, services started
#   e2e_start NAME PROGRAM ARGS...   # starts a Windows program in the background
#                                    # (output to OUTDIR/NAME.log); its PID is in E2E_PID[NAME]
#   e2e_stop NAME                    # ends a program started with e2e_start
#   e2e_wait_window TITLE [SECONDS]  # prints the X window id of a window with that title
#   e2e_click_focus XWINDOW FOREGROUND  # clicks the window's bottom edge (notepad's
#                                    # status bar) and waits until the probe's
#                                    # "foreground" answer is FOREGROUND: without a
#                                    # window manager the only way to take the focus
#                                    # back from another window (the tray's)
#   e2e_type TEXT / e2e_key KEY...   # xdotool type / key into the focused window
#   e2e_probe ARGS...                # runs the probe (tests/e2e/support/Probe.cpp)
#   e2e_notepad_text / e2e_notepad_sel   # notepad's text (escaped: \r \n \t \\) / "START END"
#   e2e_wait_until SECONDS CMD...    # polls CMD every 0.1 s until it succeeds; 1 on deadline
#   e2e_wait_output SECONDS WANT CMD...  # polls until CMD prints exactly WANT
#   e2e_not CMD... / e2e_ended PID   # CMD fails (its output dropped) / the process is gone
#   e2e_screenshot NAME              # OUTDIR/NAME.png of the whole screen
#   e2e_fail MESSAGE                 # screenshot "failure", message, exit 1
#   e2e_pass / e2e_check DESC CMD... # count results; e2e_finish prints "N passed, N failed"
#
# Every wait has a deadline; nothing sleeps blindly.  The trap ends every
# program started here by its PID, the wineserver (which ends every Wine
# process of the prefix) and Xvfb, and removes a private prefix.
# Facts this rests on: Xvfb's default keymap cannot type parentheses (VkKeyScanA
# fails for them), and notepad absorbs typed text slowly: read back by polling.

E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/env.sh
. "$E2E_HERE/../../../scripts/env.sh"

declare -gA E2E_PID=()
E2E_NAME=e2e
E2E_OUT=
E2E_PROBE=
E2E_XVFB_PID=
E2E_PRIVATE_PREFIX=
E2E_SERVER_STARTED=
E2E_PASSED=0
E2E_FAILED=0
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

e2e_log() { printf '[%s %s] %s\n' "$E2E_NAME" "$(date +%H:%M:%S)" "$*" >&2; }

e2e_init() {
    E2E_NAME=$1
    E2E_OUT=$2
    E2E_PROBE=$3
    mkdir -p "$E2E_OUT"
    # Screenshots of an earlier run would read as this run's.
    rm -f "$E2E_OUT"/*.png
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

e2e_start_xvfb() {
    local fdfile="$E2E_OUT/.display"
    rm -f "$fdfile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" 3>"$fdfile" \
        >"$E2E_OUT/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local deadline=$((SECONDS + 20))
    while [ ! -s "$fdfile" ]; do
        if [ $SECONDS -ge $deadline ] || ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
            e2e_fail "Xvfb did not start"
        fi
        sleep 0.05
    done
    export DISPLAY=":$(head -n 1 "$fdfile")"
    e2e_log "Xvfb on $DISPLAY (pid $E2E_XVFB_PID)"
}

e2e_use_prefix() {
    local base=${WORDLARK_E2E_WINEPREFIX:-$WORDLARK_CACHE/wineprefix-x11}
    [ -f "$base/system.reg" ] || e2e_fail "no Wine prefix at $base: run scripts/setup"
    if [ "${1:-}" = private ]; then
        E2E_PRIVATE_PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/wordlark-e2e-prefix.XXXXXX")
        cp -a "$base/." "$E2E_PRIVATE_PREFIX/"
        export WINEPREFIX=$E2E_PRIVATE_PREFIX
    else
        export WINEPREFIX=$base
    fi
    e2e_log "Wine prefix $WINEPREFIX"
}

e2e_start_wineserver() {
    "$WORDLARK_WINESERVER" -p </dev/null >/dev/null 2>&1
    E2E_SERVER_STARTED=1
    # Services started now cannot hold the caller's output open later.
    "$WORDLARK_WINE" wineboot </dev/null >/dev/null 2>&1
}

e2e_start() {
    local name=$1
    shift
    "$WORDLARK_WINE" "$@" </dev/null >"$E2E_OUT/$name.log" 2>&1 &
    E2E_PID[$name]=$!
    e2e_log "started $name (pid ${E2E_PID[$name]}): $*"
}

e2e_stop() {
    local pid=${E2E_PID[$1]:-}
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null
    local deadline=$((SECONDS + 10))
    while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    unset "E2E_PID[$1]"
}

e2e_wait_window() {
    local title=$1 limit=${2:-30} id
    local deadline=$((SECONDS + limit))
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Each of these is bounded too: a stuck X server or Wine fails the step.
e2e_click_focus() {
    local geometry width height attempt
    geometry=$(timeout 10 xdotool getwindowgeometry --shell "$1") || return 1
    width=$(echo "$geometry" | sed -n 's/^WIDTH=//p')
    height=$(echo "$geometry" | sed -n 's/^HEIGHT=//p')
    # A click that lands while Wine is still busy with another window's
    # activation can be lost: click again, a few times, each with a deadline.
    for attempt in 1 2 3; do
        timeout 10 xdotool mousemove --window "$1" $((width / 2)) $((height - 6)) click 1 ||
            return 1
        e2e_wait_output 5 "$2" e2e_probe foreground && return 0
    done
    return 1
}
e2e_type() { timeout 60 xdotool type --delay 60 "$1"; }
e2e_key() { timeout 30 xdotool key --delay 60 "$@"; }
e2e_probe() { timeout 20 "$WORDLARK_WINE" "$E2E_PROBE" "$@" 2>/dev/null </dev/null | tr -d '\r'; }
e2e_notepad_text() { e2e_probe text Notepad Edit; }
e2e_notepad_sel() { e2e_probe sel Notepad Edit; }

e2e_wait_until() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    while [ $SECONDS -lt $deadline ]; do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# Polls until CMD prints exactly WANT; on the deadline prints what it last saw.
e2e_wait_output() {
    local limit=$1 want=$2
    shift 2
    local deadline=$((SECONDS + limit)) got
    while :; do
        got=$("$@")
        [ "$got" = "$want" ] && return 0
        [ $SECONDS -ge $deadline ] && break
        sleep 0.1
    done
    E2E_LAST_OUTPUT=$got
    return 1
}

e2e_not() { ! "$@" >/dev/null 2>&1; }
e2e_ended() { ! kill -0 "$1" 2>/dev/null; }

e2e_screenshot() {
    [ -n "${DISPLAY:-}" ] || return 0
    import -display "$DISPLAY" -window root "$E2E_OUT/$1.png" 2>/dev/null || true
}

e2e_check() {
    local desc=$1
    shift
    if "$@"; then
        E2E_PASSED=$((E2E_PASSED + 1))
        e2e_log "ok: $desc"
    else
        E2E_FAILED=$((E2E_FAILED + 1))
        e2e_log "FAILED: $desc${E2E_LAST_OUTPUT:+ (last seen: $E2E_LAST_OUTPUT)}"
        e2e_screenshot "failure-$E2E_FAILED"
    fi
    E2E_LAST_OUTPUT=
}

e2e_finish() {
    printf '%s: %d passed, %d failed\n' "$E2E_NAME" "$E2E_PASSED" "$E2E_FAILED"
    [ "$E2E_FAILED" -eq 0 ] && [ "$E2E_PASSED" -gt 0 ]
}

e2e_fail() {
    e2e_log "FAILED: $*"
    e2e_screenshot failure
    exit 1
}

e2e_cleanup() {
    local rc=$?
    local name
    for name in "${!E2E_PID[@]}"; do e2e_stop "$name"; done
    if [ -n "$E2E_SERVER_STARTED" ]; then
        "$WORDLARK_WINESERVER" -k 2>/dev/null
        "$WORDLARK_WINESERVER" -w 2>/dev/null
    fi
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    [ -n "$E2E_PRIVATE_PREFIX" ] && rm -rf "$E2E_PRIVATE_PREFIX"
    exit $rc
}
