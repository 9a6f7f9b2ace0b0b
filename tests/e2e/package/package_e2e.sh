#!/usr/bin/env bash
# The installer end to end, in a private copy of the X11 Wine prefix under
# Xvfb: a silent installation puts every file and registry entry in place;
# VemoShow.exe runs from the installed folder and completes in notepad; the
# helper ends it as the tray's Exit does; the uninstaller ends a running
# VemoShow.exe, removes what was installed and keeps what the user made; a
# new installation keeps a changed default library; /PURGE removes the rest.
#
#   package_e2e.sh SETUP_EXE STAGE_DIR PROBE_EXE WLSETUP_EXE WLIB_EXE ARTIFACT_DIR
#
# STAGE_DIR is the program folder as the package ships it.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/support/e2e.sh
. "$here/../support/e2e.sh"
# shellcheck source=tests/e2e/support/vemo.sh
. "$here/../support/vemo.sh"

setup_exe=$1
stage=$2
helper=$4
wlib=$5
e2e_init package "$6" "$3"
# No menu entries for the host's desktop from the Start menu shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
vemo_prefix

folder="$WINEPREFIX/drive_c/Program Files/Wordlark"
win_folder='C:\Program Files\Wordlark'
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Wordlark"
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Wordlark'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

wine_quiet() { timeout 120 "$WORDLARK_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
reg_value() { # key name: prints the data of a REG_SZ value, fails when missing
    wine_quiet reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | grep .
}
key_exists() { wine_quiet reg query "$1" >/dev/null; }
install() {
    timeout 120 "$WORDLARK_WINE" "$setup_exe" /S "$@" </dev/null >>"$E2E_OUT/setup.log" 2>&1
}
# The uninstaller copies itself away and returns at once; it is done when its
# entry is gone.
uninstall() {
    timeout 60 "$WORDLARK_WINE" "$win_folder\\uninst.exe" /S "$@" </dev/null \
        >>"$E2E_OUT/setup.log" 2>&1 || return 1
    e2e_wait_until 90 e2e_not key_exists "$uninst_key"
}
lib_has() { # library key text
    wine_quiet "$wlib" list "$win_folder\\Libs\\$1" "$2" | grep -qF "$3"
}
installed_as_shipped() {
    local f rel
    while IFS= read -r f; do
        rel=${f#"$stage"/}
        cmp -s "$f" "$folder/$rel" || { E2E_LAST_OUTPUT="differs or missing: $rel"; return 1; }
    done < <(find "$stage" -type f)
    [ -f "$folder/uninst.exe" ] || { E2E_LAST_OUTPUT="no uninst.exe"; return 1; }
}
left_over() { (cd "$folder" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' '); }

# --- 1. a silent installation --------------------------------------------------
e2e_check "the silent installation succeeds" install
e2e_check "every shipped file is installed as built" installed_as_shipped
e2e_check "the uninstall entry names the version" \
    e2e_wait_output 5 "1.0.0" reg_value "$uninst_key" DisplayVersion
e2e_check "the uninstall entry runs the uninstaller" \
    e2e_wait_output 5 "\"$win_folder\\uninst.exe\"" reg_value "$uninst_key" UninstallString
e2e_check "Wordlark starts with Windows (quoted path)" \
    e2e_wait_output 5 "\"$win_folder\\VemoShow.exe\"" reg_value "$run_key" Wordlark
e2e_check "the Start menu entries are there" \
    test -f "$menu/Wordlark.lnk" -a -f "$menu/Wordlark Help.lnk" -a -f "$menu/Uninstall Wordlark.lnk"
users_may_write_settings() {
    local sddl
    sddl=$(wine_quiet "$helper" show-key 'SOFTWARE\Quorbit')
    # An inheritable entry for BUILTIN\Users with set-value and create-subkey.
    echo "$sddl" | grep -Eq '\(A;OICI;[A-Z]*DC[A-Z]*;;;BU\)' &&
        echo "$sddl" | grep -Eq '\(A;OICI;[A-Z]*LC[A-Z]*;;;BU\)' ||
        { E2E_LAST_OUTPUT=$sddl; return 1; }
}
e2e_check "the Users group may write the settings key" users_may_write_settings

# --- 2. the installed Wordlark completes in notepad ----------------------------
vemo_start_notepad
offered() { vemo_list_rows | grep -q "|$1"; }
text_matches() { e2e_notepad_text | grep -Eq "$1"; }
vemo_start "$win_folder\\VemoShow.exe"
vemo_fresh
e2e_type "Wordlark makes typ"
e2e_check "the English Dictionary is offered" vemo_shown
e2e_key Tab
e2e_check "Tab completes a word" e2e_wait_until 10 text_matches '^Wordlark makes typ[a-z]+$'
e2e_type " brb"
e2e_check "the Shorthand library is offered" e2e_wait_until 10 offered brb
e2e_key Tab
e2e_check "the shorthand expands" e2e_wait_until 10 text_matches 'be right back$'
e2e_screenshot 1-installed-completes
e2e_check "the libraries' switches are kept for the installed paths" \
    key_exists "HKLM\\Software\\Quorbit\\LoadSet\\C:\\Program Files\\Wordlark\\Libs\\English.lib"

# --- 3. the helper ends it the way the tray's Exit does ------------------------
pid=${E2E_PID[vemoshow]}
e2e_check "the helper ends the running Wordlark without terminating it" \
    timeout 60 "$WORDLARK_WINE" "$helper" close "$win_folder" 15
e2e_check "the process has ended" e2e_wait_until 10 e2e_ended "$pid"
e2e_check "its tray icon is gone" e2e_wait_until 10 vemo_tray_gone
e2e_check "nothing is running: the helper has nothing to do" \
    timeout 60 "$WORDLARK_WINE" "$helper" close "$win_folder" 1

# --- 4. what the user makes, then the uninstaller with Wordlark running --------
e2e_check "the user creates a library" \
    wine_quiet "$wlib" create "$win_folder\\Libs\\Mine.lib" --type shorthand
e2e_check "the user changes the Shorthand library" \
    wine_quiet "$wlib" put "$win_folder\\Libs\\Shorthand.lib" mysig "Best wishes"
vemo_start "$win_folder\\VemoShow.exe"
pid=${E2E_PID[vemoshow]}
e2e_check "the uninstaller finishes" uninstall
e2e_check "it ended the running Wordlark" e2e_wait_until 10 e2e_ended "$pid"
# Programs that had Wordlark's hooks keep Vemo.dll mapped for a while after
# they went (Wine's desktop process until it ends): the uninstaller then
# leaves it to the next restart.
removed_or_pending() {
    [ ! -e "$folder/Vemo.dll" ] && return 0
    wine_quiet reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
        /v PendingFileRenameOperations | grep -qF "$win_folder\Vemo.dll"
}
e2e_check "Vemo.dll is removed, or at the next restart" removed_or_pending
e2e_stop notepad
# A restart: every process of the prefix ends, and the start-up carries out
# the pending removals.
"$WORDLARK_WINESERVER" -k 2>/dev/null
"$WORDLARK_WINESERVER" -w 2>/dev/null
e2e_start_wineserver
e2e_check "after a restart only the user's libraries are left" \
    e2e_wait_output 5 "./Libs ./Libs/Mine.lib ./Libs/Shorthand.lib " left_over
e2e_check "the changed library keeps its change" lib_has Shorthand.lib mysig "Best wishes"
e2e_check "the Start menu entries are gone" test ! -e "$menu"
e2e_check "the Run value is gone" e2e_not reg_value "$run_key" Wordlark
e2e_check "the settings are kept" key_exists 'HKLM\Software\Quorbit\Option'

# --- 5. a new installation keeps the changed library; /PURGE removes all -------
e2e_check "the installation over the kept libraries succeeds" install /NOSTARTUP
e2e_check "the changed Shorthand library is not overwritten" \
    lib_has Shorthand.lib mysig "Best wishes"
e2e_check "the English Dictionary is back as shipped" \
    cmp -s "$stage/Libs/English.lib" "$folder/Libs/English.lib"
e2e_check "/NOSTARTUP leaves out the Run value" e2e_not reg_value "$run_key" Wordlark
e2e_check "the uninstaller with /PURGE finishes" uninstall /PURGE
e2e_check "nothing is left of the installation" test ! -e "$folder"
e2e_check "the settings are gone" e2e_not key_exists 'HKLM\Software\Quorbit'

e2e_finish
