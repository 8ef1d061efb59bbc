#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program under Wine (a prefix of its own, every process in the test's
# namespaces) through the desktop story of scenario.sh; besides, its client area within
# the window's outer size. Then a missing or unreachable configuration (exit 1), «Сменить
# конфиг», and the installer and uninstaller, silent.
[ "$(id -u)" = 0 ] || { echo "SKIP: the test's network namespace needs root"; exit 77; }
PROGRAM=(wine) # each start names the Windows program
source "$(dirname "$0")/../../gui/scenario.sh"
: "${SETUP:?path of the installer}"
# Wine traces the text of every message box (+msgbox), for message_text.
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all,+msgbox WINEDLLOVERRIDES="mscoree,mshtml="
start_desktop
winpath() { echo "Z:${1//\//\\}"; }
start_program wineboot --init && [ "$(exit_code "$PID" 60)" = 0 ] || fail "no Wine prefix"
start_board "$ORVANE2" && first_check
# The X window is the client area: 3750 twips (250 px) wide; caption and borders take 20 to 40 of 231 px outer.
[ "${SIZE%x*}" = 250 ] && [ $((231 - ${SIZE#*x})) -ge 20 ] && [ $((231 - ${SIZE#*x})) -le 40 ] ||
    fail "client area $SIZE, expected 250 wide and 20 to 40 below 231 high"
clicks_during_check

# --- Explorer restarted: with the window hidden, the shell loses the icon (SHELL_RESTART
# deletes it), then announces itself with TaskbarCreated: the icon is back and works.
click "$ICON" 1 && wait_until 6 hidden "$WIN" || fail "a left click did not hide the window"
"${PROGRAM[@]}" "$SHELL_RESTART" lose && wait_until 5 eval '! xwininfo -id "$ICON" &>/dev/null' || fail "icon not lost"
"${PROGRAM[@]}" "$SHELL_RESTART" announce && ICON=$(tray_icon) || fail "no icon after TaskbarCreated"
click "$ICON" 1 && wait_until 6 shown "$WIN" || fail "a left click on the icon added again did not show the window"
# --- end of the Explorer restart

box_holds_up_nothing && exit_during_check

refused "missing file.cfg не найден" "$ORVANE2" "missing file.cfg"
TYPED=$(winpath "$CONFIGS/second.cfg") && start_board "$ORVANE2" && switch_config && stop_program

DIR=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Orvane2
LINK="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Монитор узлов.lnk"
at_logon() { [ -n "$(find "$(dirname "$LINK")" -ipath '*/startup/Монитор узлов.lnk')" ]; } # the Startup shortcut
KEY='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane2'
entry() { # the programs-list entry as reg exports it, into $WORK/key.txt; REG: reg's exit code, 1 without the key
    rm -f "$WORK/key.reg" && start_program reg export "$KEY" "$(winpath "$WORK/key.reg")" /y && REG=$(exit_code "$PID" 20)
    iconv -f UTF-16 -t UTF-8 "$WORK/key.reg" 2>/dev/null | tr -d '\r' >"$WORK/key.txt" || true
}
start_program "$SETUP" /S && [ "$(exit_code "$PID" 30)" = 0 ] || fail "the installer failed"
[ -f "$DIR/orvane2.exe" ] && [ -f "$DIR/vantor2.cfg" ] && [ -f "$DIR/uninstall.exe" ] && [ -f "$LINK" ] && ! at_logon ||
    fail "installed: $(ls "$DIR" | tr '\n' ' '), Start-menu entry: $(ls "$LINK" 2>&1), at logon: $(at_logon && echo yes)"
start_program "$SETUP" /S /AUTOSTART && [ "$(exit_code "$PID" 30)" = 0 ] && at_logon || fail "/AUTOSTART: no Startup shortcut"
entry && [ "$REG" = 0 ] && has '^"DisplayName"="Монитор узлов"$' <"$WORK/key.txt" &&
    has '^"UninstallString"=".*uninstall[.]exe.""$' <"$WORK/key.txt" || fail "no programs-list entry: $(cat "$WORK/key.txt")"
start_program "$DIR/uninstall.exe" /S && wait_until 30 eval '[ ! -e "$DIR" ] && [ ! -e "$LINK" ] && ! at_logon' ||
    fail "uninstalled, left: $(ls "$DIR" "$LINK" 2>&1 | tr '\n' ' ') $(at_logon && echo the Startup shortcut)"
entry && [ "$REG" = 1 ] || fail "the programs list still has the entry (reg exited $REG): $(cat "$WORK/key.txt")"
# Last, as the story's file dialog came up too late after it: Wine without capabilities (run on
# a copy of the program here) may not enter another user's closed folder.
install -d -o nobody -m 700 closed && : >closed/x.cfg && cp "$ORVANE2" . && PROGRAM=(ip netns exec "$NS" setpriv --bounding-set=-all --inh-caps=-all wine)
refused 'closed\x.cfg не удалось прочитать' orvane2.exe 'closed\x.cfg'
echo PASS
