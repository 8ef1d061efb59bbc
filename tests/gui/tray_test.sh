#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Qt program through the desktop story of scenario.sh. Besides, it fits its window with
# openbox's frame to the board's height; after the first check each label's description,
# read through AT-SPI as a screen reader would, tells its host's state; the icon's tooltip is
# read the same way; notifications go to dunst, with the program's name, image and default
# action, and where no notification service runs Qt's balloon comes, whose click shows the
# window; the journal opens, follows and saves (journal_story), also from the menu bar; and
# the file dialog of «Сменить конфиг» is in Russian and takes a path typed in full.
ACCESSIBLE=1
source "$(dirname "$0")/scenario.sh"
start_desktop && start_board && first_check
frame=$(xprop -id "$WIN" _NET_FRAME_EXTENTS | awk -F'[=,]' '{ print $4 + $5 }')
[ $((${SIZE#*x} + frame)) = 231 ] || fail "the window is ${SIZE#*x} pixels high and its frame $frame, 231 in all expected"
told() { # AT-SPI's client may stumble on a tree that changes under it: then once more
    timeout 10 /usr/bin/python3 -c "$DESCRIBED" $(tree_pids) >described.txt 2>/dev/null || return 1
    for row in 'loopback: 127.0.0.1 | отвечает' 'nowhere: nowhere.test | имя не резолвится' "silent4: $SILENT | не отвечает"; do
        has "^$row" <described.txt || return 1
    done
}
wait_until 10 told || fail "the labels do not tell their hosts' states: $(cat described.txt)"
clicks_during_check && box_holds_up_nothing && journal_story
# A tooltip on the first label, for the README.
eval "$(xdotool getwindowgeometry --shell "$WIN")" && xdotool mousemove $((X + 40)) $((Y + 12)) && sleep 1.5
import -window root -crop 340x210+$((X - 5))+$((Y - 40)) "$ARTIFACTS/tooltip.png"
exit_during_check

# The tray tells (scenario.sh), with dunst as the desktop's notification service: what the
# program asked it for is recorded from the bus, and its default action taken with dunstctl.
tip_reads() { # TEXT: the icon's tooltip, read through AT-SPI while the pointer rests on it
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$ICON")" && X=$((X + WIDTH / 2)) Y=$((Y + HEIGHT / 2))
    tip() { TIP=$(accessible 'tool tip' | sed -E 's/( -?[0-9]+){4}$//' | paste -sd/ | sed 's#/# / #g') && [ "$TIP" = "$1" ]; }
    # Qt shows a tooltip once the pointer moves over the icon and rests; AT-SPI may not have
    # it at the first question.
    hover() { xdotool mousemove 0 0 sleep 0.3 mousemove $((X - 2)) "$Y" sleep 0.2 mousemove "$X" "$Y" sleep 1 && wait_until 2 tip "$1"; }
    wait_until 10 hover "$1"; import -window root -crop 300x100+$((X - 270))+$((Y - 85)) "$ARTIFACTS/tray_tooltip.png"
    xdotool mousemove 0 0 && [ "$TIP" = "$1" ]
}
click_notified() { import -window root -crop 440x230+840+0 "$ARTIFACTS/notification_dunst.png" && dunstctl action 0; }
printf '[global]\nfont = DejaVu Sans 10\n[urgency_normal]\ntimeout = 0\n' >dunstrc && start_notifications dunst -conf dunstrc
tray_tells
for sent in 'string "Orvane2"' 'string "default"' '"image-data"' '"desktop-entry"'; do
    has "$sent" <"$WORK/notify.log" || fail "the notifications were sent without $sent"
done
# Without a notification service: Qt's balloon at the icon, and a click on it shows the window.
balloon() { for w in $(xdotool search --onlyvisible --maxdepth 1 --name '' | of_program); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE | has TOOLTIP && echo "$w"; done; }
SENT=$(notified | wc -l) && kill "$NOTIFIER" && start_program tells.cfg && WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) || fail "no icon"
wait_until 15 red_mark && click "$ICON" 1 && wait_until 5 hidden "$WIN" || fail "no first check, or the window not hidden"
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
xdotool mousemove 0 0 && TIP_BOX=$(first_of 10 balloon) || fail "no balloon when both hosts answered"
eval "$(xdotool getwindowgeometry --shell "$TIP_BOX")" && import -window root -crop $((WIDTH + 40))x$((HEIGHT + 70))+$((X - 20))+$((Y - 10)) "$ARTIFACTS/notification_balloon.png"
click "$TIP_BOX" 1 && wait_until 5 shown "$WIN" || fail "a click on the balloon did not show the window"
[ "$(notified | wc -l)" = "$SENT" ] || fail "with no notification service running, the bus was asked: $(notified | sed "1,${SENT}d")"
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1 && stop_program
bar_menu() { # a click on «Меню» in the menu bar opens it (openbox may still be sliding the window in: then again)
    local X Y
    eval "$(xwininfo -id "$WIN" | awk '/Absolute upper-left [XY]/ { print $3 "=" $4 }' | tr -d :)"
    xdotool key Escape mousemove $((X + 20)) $((Y + 10)) sleep 0.5 click 1 && MENU=$(popup_menu 2)
}
bar_journal() { # «Журнал» from the menu bar, and «Закрыть»
    wait_until 15 bar_menu && click "$MENU" 1 2 4 && find_window "$JOURNAL" 20 >/dev/null || fail "«Журнал» in the menu bar opened nothing"
    press "Закрыть" && wait_until 5 eval '[ "$(journals)" = 0 ]' || fail "«Закрыть» left the journal window"
}
tray_comes_late bar_journal

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
