#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Qt program through the desktop story of scenario.sh. Besides, it fits its window with
# openbox's frame to the board's height; after the first check each label's description,
# read through AT-SPI as a screen reader would, tells its host's state; and the file dialog
# of «Сменить конфиг» is in Russian and takes a path typed in full.
ACCESSIBLE=1
source "$(dirname "$0")/scenario.sh"
start_desktop && start_board && first_check
frame=$(xprop -id "$WIN" _NET_FRAME_EXTENTS | awk -F'[=,]' '{ print $4 + $5 }')
[ $((${SIZE#*x} + frame)) = 231 ] || fail "the window is ${SIZE#*x} pixels high and its frame $frame, 231 in all expected"
DESCRIBED='import sys, pyatspi
def walk(node):
    for c in node:
        c.description and print(c.name + ": " + c.description.replace("\n", " | "))
        walk(c)
[walk(a) for a in pyatspi.Registry.getDesktop(0) if str(a.get_process_id()) in sys.argv[1:]]'
told() { # AT-SPI's client may stumble on a tree that changes under it: then once more
    timeout 10 /usr/bin/python3 -c "$DESCRIBED" $(tree_pids) >described.txt 2>/dev/null || return 1
    for row in 'loopback: 127.0.0.1 | отвечает' 'nowhere: nowhere.test | имя не резолвится' "silent4: $SILENT | не отвечает"; do
        has "^$row" <described.txt || return 1
    done
}
wait_until 10 told || fail "the labels do not tell their hosts' states: $(cat described.txt)"
clicks_during_check && box_holds_up_nothing
# A tooltip on the first label, for the README.
eval "$(xdotool getwindowgeometry --shell "$WIN")" && xdotool mousemove $((X + 40)) $((Y + 12)) && sleep 1.5
import -window root -crop 340x210+$((X - 5))+$((Y - 40)) "$ARTIFACTS/tooltip.png"
exit_during_check

# The program's file can no longer be run: «Сменить конфиг» says that it could not start it,
# leaves no restart.bat, and the program runs on and keeps checking (its silent host answers).
mkdir other && cd other && printf 'checkinterval 5\ngroup Local\n%s silent\n' "$SILENT" >board.cfg && start_board
chmod -x "$WORK/orvane2" && TYPED=$CONFIGS/second.cfg && choose_config && BOX=$(find_window Orvane2 10) && text=$(message_text "$BOX") &&
    [ "$text" = "Не удалось запустить программу с конфигом $TYPED. Работаем дальше с текущим конфигом" ] || fail "the message reads \"${text:-}\""
press_ok "$BOX" && ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0 && wait_until 12 labels_are $G && [ ! -e restart.bat ] ||
    fail "the program did not go on checking ($COUNTS) or left restart.bat"
stop_program && chmod +x "$WORK/orvane2" && cd "$WORK"

russian() { buttons=$(accessible '(push )?button' | awk '{ print $1 }' | tr '\n' ' ') && [[ $buttons == *Открыть*Отмена* ]]; }
in_russian() { wait_until 20 russian || fail "the file dialog's buttons are not in Russian: $buttons"; }
start_board && switch_config in_russian
echo "PASS (clicks took $TOOK)"
