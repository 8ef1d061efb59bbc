#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program under Wine (a prefix of its own, every process in the test's
# namespaces) in Xvfb with a tray (trayer), worked with the mouse. With openbox: the window
# and its label colours after a check; during a check a left click on the icon hides the
# window within 0.3 s, the menu opens at the pointer and «Выход» ends with 0; the DNS message
# left open holds up no cycle and comes once. Then a missing configuration (exit 1),
# «Сменить конфиг» to a path with a blank and an &, and the installer and uninstaller, silent.
[ "$(id -u)" = 0 ] || { echo "SKIP: the test's network namespace needs root"; exit 77; }
source "$(dirname "$0")/../../gui/harness.sh"
: "${SETUP:?path of the installer}"
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
PROGRAM=(wine) # each start names the Windows program
make_silent_host && dead_name_server
start_xvfb && start_tray
winpath() { echo "Z:${1//\//\\}"; }
start_program wineboot --init && [ "$(exit_code "$PID" 60)" = 0 ] || fail "no Wine prefix"
CONFIGS="$WORK/other & configs" && mkdir -p "$CONFIGS" && cd "$WORK"
# 127.0.0.1 answers; silent hosts take 1 s each, nowhere.test 2 s (no name server answers).
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n%s silent2\n%s silent3\n%s silent4
nowhere.test nowhere\n' "$SILENT" "$SILENT" "$SILENT" "$SILENT" >board.cfg
printf 'checkinterval 3600\ngroup Second\n127.0.0.3 a\n127.0.0.4 b\n127.0.0.5 c\ngroup Spare\n127.0.0.6 d\n' >"$CONFIGS/second.cfg"
G='#008000' R='#FF0000'
labels_are() { # the labels, 167 x 17 pixels one under the other from 16,24, in these colours
    local y=24 want n m both=$G$R
    COUNTS="" && import -window "$WIN" "$WORK/labels.png" 2>/dev/null || return 1
    for want in "$@"; do
        n=$(count_colour "$WORK/labels.png" "$want" "167x17+16+$y")
        m=$(count_colour "$WORK/labels.png" "${both/"$want"/}" "167x17+16+$y")
        COUNTS+="$n of $want, $m of the other; " y=$((y + 17)) && [ "$n" -ge 10 ] && [ "$m" = 0 ] || return 1
    done
}
checking() { # the status line (113 x 17 pixels at 8,164) reads "Перепроверяем..."
    import -window "$WIN" "$WORK/status.png" 2>/dev/null && [ "$(count_colour "$WORK/status.png" '#000000' 113x17+8+164)" -gt 5 ]
}
next_cycle() { wait_until 15 eval '! checking' && wait_until 15 checking || fail "no check cycle began"; }
open_menu() { click "$ICON" 3 && MENU=$(popup_menu 5) || fail "a right click on the icon opened no menu"; }
boxes_told() { grep -c ':trace:msgbox:.*nowhere\.test' "$WORK/program.log" || true; }

# openbox for this run: without a window manager Wine waits 2 s for one before it hides a window.
start_wm && WM=${PIDS[-1]}
WINEDEBUG=+msgbox start_program "$ORVANE2" board.cfg
WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) || fail "no window titled \"Монитор узлов\" or no icon"
# The X window is the client area: 3750 twips (250 px) wide; caption and borders take 20 to 40 of 231 px outer.
size=$(window_size "$WIN") FIRST=${size#*x}
[ "${size%x*}" = 250 ] && [ $((231 - FIRST)) -ge 20 ] && [ $((231 - FIRST)) -le 40 ] ||
    fail "client area $size, expected 250 wide and 20 to 40 below 231 high"
wait_until 20 labels_are $G $R $G $R $R $R $R || fail "the labels are not green, red, green, then red: $COUNTS"
cp "$WORK/labels.png" "$ARTIFACTS/windows_labels.png"
DNS="Что-то не так. Проверьте свой DNS. nowhere.test не резолвится"
BOX=$(find_window Orvane2 10) && [ "$(message_text "$BOX")" = "$DNS" ] || fail "no DNS message: $(boxes_told)"

eval "$(xdotool getwindowgeometry --shell "$ICON")" && xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
next_cycle && start=${EPOCHREALTIME/./} && xdotool click 1
until hidden "$WIN" || [ $((${EPOCHREALTIME/./} - start)) -gt 3000000 ]; do :; done
took=$(((${EPOCHREALTIME/./} - start) / 1000)) && echo "a left click during a check hid the window in $took ms"
[ "$took" -le 300 ] || fail "a left click during a check: the window not hidden after $took ms"
sleep 0.5 && xdotool click 1 && wait_until 6 shown "$WIN" || fail "a second left click did not show the window"

# --- Explorer restarted: with the window hidden, the shell loses the icon (SHELL_RESTART
# deletes it), then announces itself with TaskbarCreated: the icon is back and works.
click "$ICON" 1 && wait_until 6 hidden "$WIN" || fail "a left click did not hide the window"
"${PROGRAM[@]}" "$SHELL_RESTART" lose && wait_until 5 eval '! xwininfo -id "$ICON" &>/dev/null' || fail "icon not lost"
"${PROGRAM[@]}" "$SHELL_RESTART" announce && ICON=$(tray_icon) || fail "no icon after TaskbarCreated"
click "$ICON" 1 && wait_until 6 shown "$WIN" || fail "a left click on the icon added again did not show the window"
# --- end of the Explorer restart

# The message stays open; the silent hosts start answering, then fall silent again.
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
wait_until 25 labels_are $G $G $G $G $G $G $R || fail "with the message open, no host turned green: $COUNTS"
wait_until 5 eval '! checking' && [ "$(boxes_told)" = 1 ] || fail "no cycle end, or $(boxes_told) DNS messages"
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
next_cycle && open_menu
eval "$(xdotool getmouselocation --shell)" && px=$X && eval "$(xdotool getwindowgeometry --shell "$MENU")"
(((X + WIDTH - px) ** 2 <= 1)) || fail "the menu ends at x $((X + WIDTH)), the pointer is at $px"
import -window root "$ARTIFACTS/windows_menu.png"
checking && click "$MENU" 1 3 3 || fail "the check cycle ended before the menu was used"
[ "$(exit_code "$PID")" = 0 ] || fail "exit code $(exited "$PID") after \"Выход\" during a check, expected 0"
wait_until 5 eval '! xwininfo -id "$ICON" &>/dev/null' || fail "the icon is still in the tray"
kill "$WM" && wait "$WM" 2>/dev/null

WINEDEBUG=+msgbox start_program "$ORVANE2" "missing file.cfg" # the box's text as Wine traces it
BOX=$(find_window Orvane2 20) && text=$(message_text "$BOX") || fail "no message box for a missing configuration"
[ "$text" = "Конфигурационный файл missing file.cfg не найден" ] || fail "the message box says [$text]"
press_ok "$BOX" && [ "$(exit_code "$PID")" = 1 ] || fail "exit code $(exited "$PID") after the message, expected 1"

start_program "$ORVANE2" board.cfg
WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) && open_menu || fail "the program did not start again"
# A hard link keeps the restart script after the program it starts has deleted it.
python3 -c 'import os, time
while not os.path.exists("restart.bat") or os.link("restart.bat", "kept.bat"): time.sleep(0.002)' &
PIDS+=($!)
click "$MENU" 1 2 3
DIALOG=$(find_window "Выберите другой конфиг") || fail "no file dialog after \"Сменить конфиг\""
eval "$(xdotool getwindowgeometry --shell "$DIALOG")" && xdotool mousemove $((X + WIDTH / 2)) $((Y + 10)) # keys go there
sleep 0.5 && xdotool type --delay 10 "$(winpath "$CONFIGS/second.cfg")" && xdotool key Return
[ "$(exit_code "$PID")" = 0 ] || fail "exit code $(exited "$PID") after the switch, expected 0"
WIN=$(find_window "Монитор узлов" 20) && wait_until 5 eval '[ "$(window_size "$WIN")" = "250x$((FIRST - 20))" ]' ||
    fail "the program did not come back on two boxes (211 px outer, 20 fewer): ${WIN:+$(window_size "$WIN")}"
wait_until 5 test ! -e restart.bat || fail "the restarted program left restart.bat"
printf '@echo off\r\nOrvane2.exe %s\r\n' "$(winpath "$CONFIGS/second.cfg")" | cmp -s - "$WORK/kept.bat" ||
    fail "restart.bat: $(od -c "$WORK/kept.bat")"
import -window "$WIN" "$ARTIFACTS/windows_after_switch.png" && stop_program

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
echo PASS
