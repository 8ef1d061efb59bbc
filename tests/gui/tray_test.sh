#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# On a desktop with a window manager and a tray: left clicks on the icon hide and show the
# window; after a check cycle the labels are dark green for hosts that answer, red for a
# silent one (exact pixels); a right click opens the menu at the pointer; "Сменить конфиг"
# with a blank in the path opens a file dialog in Russian, writes restart.bat (two CR LF
# lines), ends with exit code 0 and the program comes back on that file, with one icon in
# the tray. ("Выход" is tried in gui.responsive, during a check.)
ACCESSIBLE=1
source "$(dirname "$0")/harness.sh"
export FONTCONFIG_FILE=$(cd "$(dirname "$0")" && pwd)/no-antialias.conf
make_silent_host
start_xvfb && start_wm && start_tray
RUN=$WORK/run CONFIGS="$WORK/other configs"
mkdir -p "$RUN" "$CONFIGS" && cd "$RUN"
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n' "$SILENT" >board.cfg
printf 'checkinterval 3600\ngroup Second\n127.0.0.3 a\n127.0.0.4 b\n127.0.0.5 c\ngroup Spare\n127.0.0.6 d\n' >"$CONFIGS/second.cfg"

start_program "$RUN/board.cfg"
WIN=$(find_window "Монитор узлов") || fail "no window"
ICON=$(tray_icon) || fail "no icon of the program in the tray"
click "$ICON" 1 && wait_until 5 hidden "$WIN" || fail "a left click on the icon did not hide the window"
click "$ICON" 1 && wait_until 5 shown "$WIN" || fail "a second left click did not show the window"

wait_until 15 three_labels_coloured || fail "15 s after start the labels are not dark green, red, dark green: $COUNTS"
cp "$WORK/labels.png" "$ARTIFACTS/labels.png"

click "$ICON" 3
MENU=$(popup_menu 5) || fail "a right click on the icon opened no menu"
eval "$(xdotool getmouselocation --shell)" && px=$X
eval "$(xdotool getwindowgeometry --shell "$MENU")"
[ $((X + WIDTH - px)) -ge -1 ] && [ $((X + WIDTH - px)) -le 1 ] || fail "the menu ends at x $((X + WIDTH)), the pointer is at $px"
import -window root "$ARTIFACTS/menu.png"
# A hard link keeps the restart script after the program it starts has deleted it.
python3 -c 'import os, time
while not os.path.exists("restart.bat") or os.link("restart.bat", "../kept.bat"): time.sleep(0.002)' &
PIDS+=($!)
click "$MENU" 1 2 3
DIALOG=$(find_window "Выберите другой конфиг") || fail "no file dialog after \"Сменить конфиг\""
import -window "$DIALOG" "$ARTIFACTS/file_dialog.png"
russian() { buttons=$(accessible '(push )?button' | awk '{ print $1 }' | tr '\n' ' ') && [[ $buttons == *Открыть*Отмена* ]]; }
wait_until 10 russian || fail "the file dialog's buttons are not in Russian: $buttons"
wait_until 5 eval '[ "$(xdotool getwindowfocus)" = "$DIALOG" ]' || fail "the file dialog has no keyboard focus"
xdotool type --delay 10 "$CONFIGS/second.cfg"
xdotool key Return # a list of completions may take this one: then once more
wait_until 1 eval '! xwininfo -id "$DIALOG" 2>/dev/null | has IsViewable' || xdotool key Return
code=$(exit_code "$PID") && [ "$code" = 0 ] || fail "exit code $code after the switch, expected 0"

WIN=$(find_window "Монитор узлов") || fail "the program did not come back after the switch"
PID=$(window_pid "$WIN")
mapfile -d '' -t args <"/proc/$PID/cmdline"
[ "${args[*]}" = "$(readlink -f "$ORVANE2") $CONFIGS/second.cfg" ] && [ "${#args[@]}" = 2 ] || fail "restarted as [${args[*]}]"
[ "$(readlink "/proc/$PID/cwd")" = "$RUN" ] || fail "restarted in $(readlink "/proc/$PID/cwd")"
wait_until 5 test ! -e restart.bat || fail "the restarted program left restart.bat"
printf '@echo off\r\nOrvane2.exe %s\r\n' "$CONFIGS/second.cfg" | cmp -s - "$WORK/kept.bat" || fail "restart.bat: $(od -c "$WORK/kept.bat")"
# Two boxes: 3160 twips, 211 pixels with the frame.
height() { echo $(($(window_size "$WIN" | cut -dx -f2) + $(xprop -id "$WIN" _NET_FRAME_EXTENTS | awk -F'[=,]' '{ print $4 + $5 }'))); }
wait_until 5 eval '[ "$(height)" = 211 ]' || fail "the new board's window is $(height) pixels high, expected 211"
import -window "$WIN" "$ARTIFACTS/after_switch.png"
ICON=$(tray_icon) && [ "$(tray_icons | wc -l)" = 1 ] || fail "the tray holds $(tray_icons | wc -l) icons of the program"
echo PASS
