#!/usr/bin/env bash
# The installer end to end, in a private copy of the X11 Wine prefix under
# Xvfb: a silent installation puts every file and registry entry in place and,
# being a new one, switches on the recommended suggestions; VemoShow.exe runs
# from the installed folder and completes in notepad; the helper ends it as
# the tray's Exit does; the uninstaller ends a running VemoShow.exe, removes
# what was installed and keeps what the user made; a new installation keeps a
# changed default library and the user's settings; /PURGE removes the rest.
# Then the installer with its pages: the last page's box of the recommended
# suggestions is ticked for a new installation, and clear for an upgrade.
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
option_key='HKLM\Software\Quorbit\Option'
version=$(basename "$setup_exe" | sed -n 's/^Wordlark-\(.*\)-setup\.exe$/\1/p')

wine_quiet() { timeout 120 "$WORDLARK_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
reg_value() { # key name: prints the data of a REG_SZ value, fails when missing
    wine_quiet reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | grep .
}
key_exists() { wine_quiet reg query "$1" >/dev/null; }
install() {
    timeout 120 "$WORDLARK_WINE" "$setup_exe" /S "$@" </dev/null >>"$E2E_OUT/setup.log" 2>&1
}
# The uninstaller copies itself away and returns at once; it is done when
# it has removed itself and then its entry.
uninstall() {
    timeout 60 "$WORDLARK_WINE" "$win_folder\\uninst.exe" /S "$@" </dev/null \
        >>"$E2E_OUT/setup.log" 2>&1 || return 1
    e2e_wait_until 90 uninstalled
}
# Both are looked at: a "reg query" that failed for a moment must not pass
# for the entry gone.
uninstalled() { [ ! -e "$folder/uninst.exe" ] && e2e_not key_exists "$uninst_key"; }
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
# The recommended switches as stored, "TYPE DATA;" each (bSmartOrder,
# bSpaceAfter, bLearn, bPredict), "-;" for a missing one.
switches() {
    local out name line
    out=$(wine_quiet reg query "$option_key")
    for name in bSmartOrder bSpaceAfter bLearn bPredict; do
        line=$(sed -n "s/^ *$name  *\(REG_[A-Z_]*\)  *\([0-9A-Fa-f]*\) *\$/\1 \2/p" <<<"$out")
        printf '%s;' "${line:--}"
    done
}
on='REG_BINARY 01000000' off='REG_BINARY 00000000'
switch_off() { # name...: the user clears switches, as the Options dialog writes them
    local name
    for name in "$@"; do
        wine_quiet reg add "$option_key" /v "$name" /t REG_BINARY /d 00000000 /f >/dev/null ||
            return 1
    done
}

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
e2e_check "a new installation switches on the recommended suggestions" \
    e2e_wait_output 5 "$on;$on;$on;$on;" switches

# --- 2. the installed Wordlark completes in notepad ----------------------------
vemo_start_notepad
offered() { vemo_list_rows | grep -q "|$1"; }
text_matches() { e2e_notepad_text | grep -Eq "$1"; }
vemo_start "$win_folder\\VemoShow.exe"
vemo_fresh
e2e_type "Wordlark makes typ"
e2e_check "the English Dictionary is offered" vemo_shown
e2e_key Tab
e2e_check "Tab completes a word, with the space after that the installation switched on" \
    e2e_wait_until 10 text_matches '^Wordlark makes typ[a-z]+ $'
e2e_type "brb"
e2e_check "the Shorthand library is offered" e2e_wait_until 10 offered brb
e2e_key Tab
e2e_check "the shorthand expands" e2e_wait_until 10 text_matches 'typ[a-z]+ be right back$'
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

# --- 5. a new installation keeps the changed library and the settings; /PURGE
# removes all -------------------------------------------------------------------
e2e_check "the user switches the smart order and prediction off" switch_off bSmartOrder bPredict
e2e_check "the installation over the kept libraries succeeds" install /NOSTARTUP
e2e_check "the changed Shorthand library is not overwritten" \
    lib_has Shorthand.lib mysig "Best wishes"
e2e_check "the user's settings are kept" e2e_wait_output 5 "$off;$on;$on;$off;" switches
e2e_check "the English Dictionary is back as shipped" \
    cmp -s "$stage/Libs/English.lib" "$folder/Libs/English.lib"
e2e_check "/NOSTARTUP leaves out the Run value" e2e_not reg_value "$run_key" Wordlark
e2e_check "the uninstaller with /PURGE finishes" uninstall /PURGE
e2e_check "nothing is left of the installation" test ! -e "$folder"
e2e_check "the settings are gone" e2e_not key_exists 'HKLM\Software\Quorbit'

# --- 6. with its pages: the last page's box -------------------------------------
# The first page's title is the setup's caption, the others' have a space
# after it.  The last page is nsDialogs' (its controls numbered from 1200:
# picture, title, text, then the box); the other pages' header is 1037.
setup_title="Wordlark $version Setup"
finish_box=1203 finish_text=1202
recommended="Suggest the most likely words first, add a space after, learn from what I type and predict the next word (recommended)"
header() { e2e_probe itemtext "$setup_title " 1037; }
new_page() { local h; h=$(header) && [ "$h" != "$1" ]; }
last_page_up() { e2e_probe itemtext "$setup_title " "$finish_box" >/dev/null; }
# Starts the installer with its pages and presses Next on each page, after
# waiting for it, and Install on the folder's; waits for the last page.
to_last_page() {
    local page=
    e2e_start setup "$setup_exe" "$@"
    e2e_wait_output 60 visible e2e_probe exists "$setup_title" || return 1
    e2e_probe click "$setup_title" 1 >/dev/null
    while [ "$page" != "Choose Install Location" ]; do
        e2e_wait_until 30 new_page "$page" || return 1
        page=$(header)
        e2e_probe click "$setup_title " 1 >/dev/null
    done
    e2e_wait_until 180 last_page_up
}
box_is() { e2e_wait_output 5 "$1" e2e_probe checked "$setup_title " "$finish_box"; }
finish() {
    local pid=${E2E_PID[setup]}
    e2e_probe click "$setup_title " 1 >/dev/null
    e2e_wait_until 30 e2e_ended "$pid" || return 1
    wait "$pid" 2>/dev/null
    unset "E2E_PID[setup]"
}

# An empty settings key (as an installation that never ran leaves it) holds
# no settings: the installation is still a new one.
empty_settings_key() { wine_quiet reg add 'HKLM\Software\Quorbit' /f >/dev/null; }
e2e_check "an empty settings key is made" empty_settings_key
e2e_check "a new installation with its pages reaches the last page" to_last_page /NOSTARTUP
e2e_check "the last page offers the recommended suggestions" \
    e2e_wait_output 5 "$recommended" e2e_probe itemtext "$setup_title " "$finish_box"
e2e_check "its box is ticked for a new installation" box_is checked
e2e_screenshot 6-last-page-new
e2e_check "Finish ends the installer" finish
e2e_check "the ticked box switched on the recommended suggestions" \
    e2e_wait_output 5 "$on;$on;$on;$on;" switches

e2e_check "the user switches the smart order off" switch_off bSmartOrder
e2e_check "an upgrade with its pages reaches the last page" to_last_page /NOSTARTUP
e2e_check "its box is clear for an upgrade" box_is clear
settings_kept_said() { e2e_probe itemtext "$setup_title " "$finish_text" | grep -q "settings are kept"; }
e2e_check "the page says the settings are kept" settings_kept_said
e2e_screenshot 7-last-page-upgrade
e2e_check "Finish ends the installer" finish
e2e_check "the upgrade kept the user's settings" e2e_wait_output 5 "$off;$on;$on;$on;" switches

e2e_finish
