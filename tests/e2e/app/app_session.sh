# The session the VemoShow scenarios share (sourced by them): Xvfb, a private
# Wine prefix with an empty store (tests/e2e/support/vemo.sh), a program
# folder with the test libraries of this folder, notepad, and the functions
# the scenarios check with.
#
#   . app_session.sh NAME PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
#
# Afterwards: $app_dir (the program folder), $notepad (its X window),
# start_vemoshow, fresh, list_state, list_rows, rows_are, text_is, sel_is,
# shown, hidden, list_below_caret, tray_window, icon_is on|off.
session_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$session_here/../support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$session_here/../support/vemo.sh"

e2e_init "$1" "$5" "$3"
vemo_setup "$2"
app_dir=$VEMO_DIR
vemo_make_lib "$4" Words.lib dictionary "$session_here/words.txt"
vemo_make_lib "$4" Shorthand.lib shorthand "$session_here/shorthand.txt"
vemo_start_notepad
notepad=$NOTEPAD

start_vemoshow() { vemo_start; }
fresh() { vemo_fresh; }
list_state() { vemo_list_state; }
list_rows() { vemo_list_rows; }
tray_window() { vemo_tray_window; }
text_is() { vemo_text_is "$1"; }
sel_is() { e2e_wait_output 10 "$1" e2e_notepad_sel; }
rows_are() { vemo_rows_are "$1"; }
shown() { vemo_shown; }
hidden() { vemo_hidden; }
list_below_caret() {
    local caret window
    caret=$(e2e_probe caret)
    window=$(e2e_probe window '#32770' Wordlark)
    # Top-left corner at the caret's left edge, 5 pixels below its bottom.
    [ "$(echo "$window" | cut -d' ' -f2)" = "$(echo "$caret" | cut -d' ' -f2)" ] &&
        [ "$(echo "$window" | cut -d' ' -f3)" = "$(($(echo "$caret" | cut -d' ' -f4) + 5))" ] ||
        { E2E_LAST_OUTPUT="caret $caret, list $window"; return 1; }
}
# The colour at the middle of the first tray icon: the on icon is green, the
# off icon grey.
tray_colour() {
    local id geometry x y
    id=$(tray_window) || return 1
    geometry=$(xdotool getwindowgeometry --shell "$id")
    x=$(echo "$geometry" | sed -n 's/^X=//p')
    y=$(echo "$geometry" | sed -n 's/^Y=//p')
    import -display "$DISPLAY" -window root -crop "1x1+$((x + 4))+$((y + 10))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}
icon_is() { # on|off
    local colour
    colour=$(tray_colour)
    case "$1:$colour" in
        on:2E7D5B | on:2e7d5b) return 0 ;;
        off:9A9A9A | off:9a9a9a) return 0 ;;
    esac
    E2E_LAST_OUTPUT="tray pixel $colour"
    return 1
}

