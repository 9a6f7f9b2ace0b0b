# VemoShow.exe under Xvfb and Wine for the end-to-end scenarios (sourced after
# e2e.sh, not run).  The set-up every scenario with the real program shares:
#
#   vemo_prefix                     Xvfb (no key auto-repeat), a private prefix with an empty
#                                   Quorbit key and VemoShow's windows kept
#                                   from the (absent) window manager, its own
#                                   wineserver
#   vemo_setup PROGRAM_DIR          vemo_prefix, and VEMO_DIR = OUTDIR/program with
#                                   VemoShow.exe, Vemo.dll and an empty Libs
#   vemo_make_lib WLIB NAME|PATH TYPE FILE [WEIGHTS]   Libs/NAME (or PATH) from a
#                                   library text file, with the weights of a file
#   vemo_options_on NAME...         sets each 4-byte Option value NAME to 1
#   vemo_start [EXE]                starts VemoShow.exe (VEMO_DIR's, or EXE); waits
#                                   for its window, its tray icon and its hooks
#   vemo_exit                       the tray's Exit; waits until the process ended
#   vemo_start_notepad              starts the 64-bit notepad; NOTEPAD = its
#                                   X window id
#   vemo_fresh                      notepad emptied and focused, the word the
#                                   hook library tracks ended, the list hidden
#   vemo_list_state / vemo_list_rows / vemo_tray_window / vemo_tray_gone
#   vemo_hooks_are 1|0              the hook library's record says they are (not) active
#   vemo_text_is TEXT / vemo_shown / vemo_hidden / vemo_rows_are ROWS
#                                   deadline-bounded checks
#   vemo_open_dialog COMMAND TITLE / vemo_close_ok TITLE   a tray command's dialog
#                                   opened and waited for / closed with OK

VEMO_DIR=
NOTEPAD=

vemo_prefix() {
    # No key auto-repeat: a key whose release is late (a busy machine) would
    # be typed twice.
    e2e_start_xvfb -r
    e2e_use_prefix private
    e2e_start_wineserver
    # Every run starts from an empty store, whatever the prefix was given.
    "$WORDLARK_WINE" reg delete 'HKLM\Software\Quorbit' /f >/dev/null 2>&1
    # There is no window manager here.  Wine hands a window with a sizing
    # border (the candidate list) to the window manager and then waits up to
    # two seconds at every hide for it to confirm: keep VemoShow's windows to
    # Wine itself.
    "$WORDLARK_WINE" reg add 'HKCU\Software\Wine\AppDefaults\VemoShow.exe\X11 Driver' \
        /v Managed /d N /f >/dev/null 2>&1
}

vemo_setup() {
    vemo_prefix
    VEMO_DIR=$E2E_OUT/program
    rm -rf "$VEMO_DIR"
    mkdir -p "$VEMO_DIR/Libs"
    cp "$1/VemoShow.exe" "$1/Vemo.dll" "$VEMO_DIR/" || e2e_fail "no VemoShow.exe in $1"
}

vemo_make_lib() { # wlib name|path type text-file [weights-file]
    local lib=$2
    [[ $lib == /* ]] || lib=$VEMO_DIR/Libs/$lib
    "$WORDLARK_WINE" "$1" create "Z:$lib" --type "$3" >/dev/null 2>&1 &&
        "$WORDLARK_WINE" "$1" import "Z:$lib" "Z:$4" >/dev/null 2>&1 &&
        { [ -z "${5:-}" ] || "$WORDLARK_WINE" "$1" weights "Z:$lib" "Z:$5" >/dev/null 2>&1; } ||
        e2e_fail "cannot make the test library $2"
}

vemo_options_on() {
    local switch
    for switch in "$@"; do
        "$WORDLARK_WINE" reg add 'HKLM\Software\Quorbit\Option' /v "$switch" /t REG_DWORD /d 1 /f \
            >/dev/null 2>&1 || e2e_fail "cannot set $switch"
    done
}

vemo_main_exists() { e2e_probe window '#32770' Wordlark >/dev/null; }
vemo_list_state() { e2e_probe window '#32770' Wordlark | cut -d' ' -f1; }
vemo_list_rows() { e2e_probe rows '#32770' Wordlark; }
vemo_tray_window() { xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1; }
vemo_tray_gone() { e2e_not xdotool search --onlyvisible --name '^Wine System Tray$'; }
vemo_hooks_are() { [ "$(e2e_probe shared | awk -F'|' '{print $NF}')" = "$1" ]; }

vemo_start() {
    e2e_start vemoshow "${1:-$VEMO_DIR/VemoShow.exe}"
    e2e_wait_until 30 vemo_main_exists || e2e_fail "VemoShow.exe did not start"
    # The start-up steps run from a timer right after the window exists;
    # BeginVemo is their last step, and the hook library's record says so.
    e2e_wait_until 30 vemo_tray_window >/dev/null || e2e_fail "no tray icon"
    e2e_wait_until 30 vemo_hooks_are 1 || e2e_fail "BeginVemo did not run"
}

vemo_exit() {
    local pid=${E2E_PID[vemoshow]}
    e2e_probe post '#32770' Wordlark 0x111 32772 0 >/dev/null
    e2e_wait_until 20 e2e_ended "$pid" || return 1
    wait "$pid" 2>/dev/null
    unset "E2E_PID[vemoshow]"
}

vemo_start_notepad() {
    e2e_start notepad notepad
    NOTEPAD=$(e2e_wait_window "Untitled - Notepad" 60) || e2e_fail "notepad did not open"
}

# A click on notepad's status bar activates it without moving the caret (the
# tray's window may hold the focus, and without a window manager only a
# click takes it back).  A space typed first ends the word the hook library
# may still be tracking (a completion leaves its word to be continued).
vemo_fresh() {
    e2e_click_focus "$NOTEPAD" "Notepad|Untitled - Notepad" || e2e_fail "cannot focus notepad"
    e2e_type " "
    e2e_wait_until 10 vemo_ends_in_space
    e2e_probe settext Notepad Edit "" >/dev/null
    e2e_wait_output 10 "" e2e_notepad_text || e2e_fail "notepad did not empty"
    e2e_wait_output 5 hidden vemo_list_state
}
vemo_ends_in_space() { case "$(e2e_notepad_text)" in *" ") return 0 ;; esac; return 1; }
vemo_text_is() { e2e_wait_output "${2:-15}" "$1" e2e_notepad_text; }
vemo_shown() { e2e_wait_output 10 visible vemo_list_state; }
vemo_hidden() { e2e_wait_output 10 hidden vemo_list_state; }
vemo_rows_are() {
    e2e_wait_output "${2:-10}" "$1" vemo_list_rows && return 0
    E2E_LAST_OUTPUT="$E2E_LAST_OUTPUT; hook record: $(e2e_probe shared)"
    return 1
}

vemo_dialog_open() { [ "$(e2e_probe exists "$1")" = visible ]; }
vemo_open_dialog() { # command-id title: what the tray menu's item does
    e2e_probe post '#32770' Wordlark 0x111 "$1" 0 >/dev/null
    e2e_wait_until 20 vemo_dialog_open "$2"
}
vemo_close_ok() { # title
    e2e_probe click "$1" 1 >/dev/null && e2e_wait_until 20 e2e_not vemo_dialog_open "$1"
}
