#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program under Wine, worked with the mouse in Xvfb with an XEmbed tray
# (trayer), first with openbox, then with no window manager: its window, caption and
# client size; dark green and red labels after a check cycle (127.0.0.1 answers, silent
# hosts in a namespace of this test do not, nowhere.test meets a name server that never
# answers); the icon docks. While a cycle waits for them, a left click hides the window
# within 0.3 s, a right click opens the menu at the pointer and "Выход" ends with 0 and
# takes the icon away. The DNS message stays open without holding up the cycles (a silent
# host that starts answering turns green) and is not shown twice. A missing configuration
# is told and ends with 1; "Сменить конфиг" on a path with a blank and an & comes back on
# that file; the installer installs and uninstalls silently.
# Every Wine process of the test (its own prefix) runs inside the test's namespaces.
[ "$(id -u)" = 0 ] || { echo "SKIP: the test's network namespace needs root"; exit 77; }
source "$(dirname "$0")/../../gui/harness.sh"
: "${SETUP:?path of the installer}"
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
EXE=$ORVANE2 PROGRAM=(wine "$ORVANE2")
make_silent_host && dead_name_server
start_xvfb && start_tray
with() { # starts another Windows program ($1) the way the program is started
    local saved=("${PROGRAM[@]}")
    PROGRAM=("${PROGRAM[@]/#"$EXE"/"$1"}") && start_program "${@:2}" && PROGRAM=("${saved[@]}")
}
winpath() { echo "Z:${1//\//\\}"; }
with wineboot --init && [ "$(exit_code "$PID" 60)" = 0 ] || fail "no Wine prefix"
RUN=$WORK/run CONFIGS="$WORK/other & configs"
mkdir -p "$RUN" "$CONFIGS" && cd "$RUN"
# A cycle: no wait, 1 s for each silent host, 2 s for the name; one cycle in two ticks.
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n' "$SILENT" >board.cfg
printf '%s silent%s\n' "$SILENT" 2 "$SILENT" 3 "$SILENT" 4 >>board.cfg && echo 'nowhere.test nowhere' >>board.cfg
printf 'checkinterval 3600\ngroup Second\n127.0.0.3 a\n127.0.0.4 b\n127.0.0.5 c\ngroup Spare\n127.0.0.6 d\n' >"$CONFIGS/second.cfg"
G='#008000' R='#FF0000'
labels_are() { # the labels, 167 x 17 pixels one under the other from 16,24, in these colours
    local y=24 want n m
    COUNTS=""
    import -window "$WIN" "$WORK/labels.png" 2>/dev/null || return 1
    for want in "$@"; do
        n=$(count_colour "$WORK/labels.png" "$want" "167x17+16+$y")
        m=$(count_colour "$WORK/labels.png" "$([ "$want" = "$G" ] && echo "$R" || echo "$G")" "167x17+16+$y")
        COUNTS+="$n of $want, $m of the other; " y=$((y + 17)) && [ "$n" -ge 10 ] && [ "$m" = 0 ] || return 1
    done
}
checking() { # the status line (113 x 17 pixels at 8,164) reads "Перепроверяем..."
    import -window "$WIN" "$WORK/status.png" 2>/dev/null &&
        [ "$(count_colour "$WORK/status.png" '#000000' 113x17+8+164)" -gt 5 ]
}
next_cycle() { wait_until 15 eval '! checking' && wait_until 15 checking || fail "no check cycle began"; }
DNS="Что-то не так. Проверьте свой DNS. nowhere.test не резолвится"
boxes_told() { grep -c ':trace:msgbox:.*nowhere\.test' "$WORK/program.log" || true; }

# Without a window manager Wine waits 2 s for one before it hides a window: this first run
# has openbox, so that a hidden window is unmapped at once.
start_wm && WM=${PIDS[-1]}
WINEDEBUG=+msgbox start_program board.cfg
WIN=$(find_window "Монитор узлов" 20) || fail "no window titled \"Монитор узлов\""
ICON=$(tray_icon) || fail "no icon of the program in the tray"
# The X window is the client area: 3750 twips wide; the outer height 3465 twips (231 px)
# holds the client area and the caption and borders that Wine counts.
size=$(window_size "$WIN") && [ "${size%x*}" = 250 ] && [ $((231 - ${size#*x})) -ge 20 ] &&
    [ $((231 - ${size#*x})) -le 40 ] || fail "client area $size, expected 250 wide and 20 to 40 below 231 high"
FIRST=${size#*x}
wait_until 20 labels_are $G $R $G $R $R $R $R || fail "the labels are not green, red, green, then red: $COUNTS"
cp "$WORK/labels.png" "$ARTIFACTS/windows_labels.png"
BOX=$(find_window Orvane2 10) && [ "$(message_text "$BOX")" = "$DNS" ] || fail "no DNS message: $(boxes_told)"

eval "$(xdotool getwindowgeometry --shell "$ICON")" && xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
next_cycle
start=${EPOCHREALTIME/./}
xdotool click 1
until hidden "$WIN"; do
    [ $((${EPOCHREALTIME/./} - start)) -lt 3000000 ] || fail "a left click did not hide the window"
done
took=$(((${EPOCHREALTIME/./} - start) / 1000))
echo "a left click during a check hid the window in $took ms"
[ "$took" -le 300 ] || fail "a left click during a check took $took ms to hide the window"
sleep 0.5 && xdotool click 1 && wait_until 6 shown "$WIN" || fail "a second left click did not show the window"

# The message stays open; the silent hosts start answering.
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
wait_until 25 labels_are $G $G $G $G $G $G $R || fail "with the message open, no host turned green: $COUNTS"
wait_until 5 eval '! checking' || fail "the cycle did not end"
[ "$(boxes_told)" = 1 ] && [ "$(xdotool search --onlyvisible --name '^Orvane2$' | of_program | wc -l)" = 1 ] ||
    fail "the DNS message came $(boxes_told) times"

open_menu() {
    click "$ICON" 3
    MENU=$(popup_menu 5) || fail "a right click on the icon opened no menu"
}
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
next_cycle
open_menu
eval "$(xdotool getmouselocation --shell)" && px=$X
eval "$(xdotool getwindowgeometry --shell "$MENU")"
[ $((X + WIDTH - px)) -ge -1 ] && [ $((X + WIDTH - px)) -le 1 ] || fail "the menu ends at x $((X + WIDTH)), the pointer is at $px"
import -window root "$ARTIFACTS/windows_menu.png"
checking || fail "the check cycle ended before the menu was used"
click "$MENU" 1 3 3
[ "$(exit_code "$PID")" = 0 ] || fail "exit code $(exited "$PID") after \"Выход\" during a check, expected 0"
wait_until 5 eval '! xwininfo -id "$ICON" &>/dev/null' || fail "the icon is still in the tray"
kill "$WM" && wait "$WM" 2>/dev/null

# The message box's text, as Wine traces the box (+msgbox).
WINEDEBUG=+msgbox start_program "missing file.cfg"
BOX=$(find_window Orvane2 20) || fail "no message box for a missing configuration"
text=$(message_text "$BOX")
[ "$text" = "Конфигурационный файл missing file.cfg не найден" ] || fail "the message box says [$text]"
press_ok "$BOX"
[ "$(exit_code "$PID")" = 1 ] || fail "exit code $(exited "$PID") after the message, expected 1"

start_program board.cfg
WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) || fail "the program did not start again"
open_menu
# A hard link keeps the restart script after the program it starts has deleted it.
python3 -c 'import os, time
while not os.path.exists("restart.bat") or os.link("restart.bat", "../kept.bat"): time.sleep(0.002)' &
PIDS+=($!)
click "$MENU" 1 2 3
DIALOG=$(find_window "Выберите другой конфиг") || fail "no file dialog after \"Сменить конфиг\""
eval "$(xdotool getwindowgeometry --shell "$DIALOG")" && xdotool mousemove $((X + WIDTH / 2)) $((Y + 10)) # keys go there
sleep 0.5 && xdotool type --delay 10 "$(winpath "$CONFIGS/second.cfg")" && xdotool key Return
[ "$(exit_code "$PID")" = 0 ] || fail "exit code $(exited "$PID") after the switch, expected 0"
WIN=$(find_window "Монитор узлов" 20) || fail "the program did not come back after the switch"
PID=$(window_pid "$WIN")
mapfile -d '' -t args <"/proc/$PID/cmdline" # as Wine parsed the new process's command line
[ "${args[1]}" = "$(winpath "$CONFIGS/second.cfg")" ] || fail "restarted as [${args[*]}]"
# Two boxes: 3160 twips, 211 pixels outer, 20 fewer than the first board.
wait_until 5 eval '[ "$(window_size "$WIN")" = "250x$((FIRST - 20))" ]' || fail "the new board is $(window_size "$WIN")"
wait_until 5 test ! -e restart.bat || fail "the restarted program left restart.bat"
printf '@echo off\r\nOrvane2.exe %s\r\n' "$(winpath "$CONFIGS/second.cfg")" | cmp -s - "$WORK/kept.bat" ||
    fail "restart.bat: $(od -c "$WORK/kept.bat")"
import -window "$WIN" "$ARTIFACTS/windows_after_switch.png"
ICON=$(tray_icon) && open_menu && click "$MENU" 1 3 3
[ "$(exit_code "$PID")" = 0 ] || fail "the restarted program did not end with 0 on \"Выход\""

# The installer and the uninstaller, silent.
DIR=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Orvane2
LINK="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Монитор узлов.lnk"
KEY='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane2'
entry() { # the program's entry in the programs list, into $WORK/key.txt
    rm -f "$WORK/key.reg" && with regedit /E "$(winpath "$WORK/key.reg")" "$KEY" && exit_code "$PID" 20 >/dev/null
    iconv -f UTF-16 -t UTF-8 "$WORK/key.reg" 2>/dev/null | tr -d '\r' >"$WORK/key.txt" || true
}
with "$SETUP" /S && [ "$(exit_code "$PID" 30)" = 0 ] || fail "the installer failed"
[ -f "$DIR/orvane2.exe" ] && [ -f "$DIR/vantor2.cfg" ] && [ -f "$DIR/uninstall.exe" ] && [ -f "$LINK" ] ||
    fail "installed: $(ls "$DIR" | tr '\n' ' '), Start-menu entry: $(ls "$LINK" 2>&1)"
entry && has '^"DisplayName"="Монитор узлов"$' <"$WORK/key.txt" && has '^"UninstallString"=".*uninstall[.]exe.""$' <"$WORK/key.txt" ||
    fail "no entry in the programs list: $(cat "$WORK/key.txt")"
with "$DIR/uninstall.exe" /S && wait_until 30 eval '[ ! -e "$DIR" ] && [ ! -e "$LINK" ]' ||
    fail "uninstalled, left: $(ls "$DIR" "$LINK" 2>&1 | tr '\n' ' ')"
entry && [ ! -s "$WORK/key.txt" ] || fail "the programs list still has the entry: $(cat "$WORK/key.txt")"
echo PASS
