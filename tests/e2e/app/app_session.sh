# The session the VemoShow scenarios share (sourced by them): Xvfb, a private
# Wine prefix with an empty store, a program folder with the test libraries
# of this folder, notepad, and the functions the scenarios check with.
#
#   . app_session.sh NAME PROGRAM_DIR PROBE_EXE WLIB_EXE ARTIFACT_DIR
#
# Afterwards: $app_dir (the program folder), $notepad (its X window),
# start_vemoshow, fresh, list_state, list_rows, rows_are, text_is, sel_is,
# shown, hidden, list_below_caret, tray_window, icon_is on|off.
session_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$session_here/../support/e2e.sh"

program_dir=$2
wlib_exe=$4
e2e_init "$1" "$5" "$3"

e2e_start_xvfb
e2e_use_prefix private
e2e_start_wineserver
# Every run starts from an empty store, whatever the prefix was given.
"$WORDLARK_WINE" reg delete 'HKLM\Software\Quorbit' /f >/dev/null 2>&1
# There is no window manager here.  Wine hands a window with a sizing border
# (the candidate list) to the window manager, and then waits up to two
# seconds at every hide for the manager to confirm it: keep VemoShow's
# windows to Wine itself.
"$WORDLARK_WINE" reg add 'HKCU\Software\Wine\AppDefaults\VemoShow.exe\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1

# The program folder: VemoShow.exe and Vemo.dll with test libraries.
app_dir=$E2E_OUT/program
rm -rf "$app_dir"
mkdir -p "$app_dir"
cp "$program_dir/VemoShow.exe" "$program_dir/Vemo.dll" "$app_dir/"
mkdir -p "$app_dir/Libs"
make_lib() { # name type text-file
    "$WORDLARK_WINE" "$wlib_exe" create "Z:$app_dir/Libs/$1" --type "$2" >/dev/null 2>&1 &&
        "$WORDLARK_WINE" "$wlib_exe" import "Z:$app_dir/Libs/$1" "Z:$3" >/dev/null 2>&1 ||
        e2e_fail "cannot make the test library $1"
}
make_lib Words.lib dictionary "$session_here/words.txt"
make_lib Shorthand.lib shorthand "$session_here/shorthand.txt"

e2e_start notepad notepad
notepad=$(e2e_wait_window "Untitled - Notepad" 60) || e2e_fail "notepad did not open"

start_vemoshow() {
    e2e_start vemoshow "$app_dir/VemoShow.exe"
    e2e_wait_until 30 main_window_exists || e2e_fail "VemoShow.exe did not start"
    # The start-up steps run from a timer right after the window exists;
    # BeginVemo is their last step.  The tray icon shows when it is done.
    e2e_wait_until 30 tray_window >/dev/null || e2e_fail "no tray icon"
}
main_window_exists() { e2e_probe window '#32770' Wordlark >/dev/null; }
list_state() { e2e_probe window '#32770' Wordlark | cut -d' ' -f1; }
list_rows() { e2e_probe rows '#32770' Wordlark; }
tray_window() { xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1; }

# Notepad emptied and given the focus.  A click on its status bar activates
# it without moving the caret: the tray's own window may hold the focus, and
# without a window manager only a click takes it back.  A space typed first
# ends the word the hook library may still be tracking (a completion leaves
# its word to be continued), as a user would type one.
fresh() {
    e2e_click_focus "$notepad" "Notepad|Untitled - Notepad" || e2e_fail "cannot focus notepad"
    e2e_type " "
    e2e_wait_until 10 ends_in_space
    e2e_probe settext Notepad Edit "" >/dev/null
    e2e_wait_output 10 "" e2e_notepad_text || e2e_fail "notepad did not empty"
    e2e_wait_output 5 hidden list_state
}
ends_in_space() { case "$(e2e_notepad_text)" in *" ") return 0 ;; esac; return 1; }
text_is() { e2e_wait_output 15 "$1" e2e_notepad_text; }
sel_is() { e2e_wait_output 10 "$1" e2e_notepad_sel; }
rows_are() {
    e2e_wait_output 10 "$1" list_rows && return 0
    E2E_LAST_OUTPUT="$E2E_LAST_OUTPUT; hook record: $(e2e_probe shared)"
    return 1
}
shown() { e2e_wait_output 10 visible list_state; }
hidden() { e2e_wait_output 10 hidden list_state; }
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

