#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on headless sway (no Xwayland), with mako for notifications: a native window
# of the board's size, with a menu bar while there is no tray. waybar's tray 3 s later: the
# item docks, the menu bar goes and the bar shows the icon; the labels are dark green and
# red after a check cycle (exact pixels), the icon carries a red mark and its tooltip counts
# the silent host. The host answers: mako shows one notification, the mark goes, «Все 3
# отвечают»; mako's default action shows the hidden window. waybar gone for good with the
# window hidden: the window is back with its menu bar within 6 s. With waybar back, the
# item, driven over D-Bus as waybar drives it, hides and shows the window and ends the
# program (tray_item).
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
make_silent_host && start_bus && start_sway && start_notifications mako
cd "$WORK" && printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n' "$SILENT" >board.cfg
WIN="" # labels_are's: here a picture of the window is its part of the screen, taken by grim
snapshot() { local s p; read -r _ _ s p <<<"$(window)" && grim -g "$p $s" "$2"; }
shows() { # SIZE (a regular expression) [NAME]: the program's native window, of that size, drawn with text
    local re="^xdg_shell orvane2 $1 " shot=$ARTIFACTS/wayland_${2:-window}.png
    wait_until 10 eval '[[ $(window) =~ $re ]] && snapshot "" "$shot" && [ "$(count_colour "$shot" "#000000" 600x600+0+0)" -gt 0 ]' ||
        fail "the window is \"$(window)\", expected \"${re:1}\" with text; $(tail -3 "$WORK/program.log")"
}
BARE='250x(17[89]|1[89][0-9]|20[0-3])' # with a menu bar of 15 to 40 pixels
start_program board.cfg && shows "$BARE" menu_bar && sleep 3 && start_waybar && shows 250x163
BAR=$ARTIFACTS/wayland_bar.png # the bar's only drawing is the icon, of 5 to 32 pixels
bar() { grim -g "0,0 1280x30" "$BAR"; }
wait_until 10 eval 'bar && convert "$BAR" -format %@ info: | has "^([5-9]|[12][0-9]|3[0-2])x"' || fail "no icon in waybar's tray"
wait_until 15 labels_are $G $R $G || fail "15 s after start the labels are not dark green, red, dark green: $COUNTS"
cp labels.png "$ARTIFACTS/wayland_labels.png"
ITEM=$(prop org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems)
STRINGS='import re, sys
[print(s.replace("\n", " / ")) for s in re.findall(r"^ +string \"(.*?)\"$", sys.stdin.read(), re.S | re.M)]'
tip() { call "${ITEM%%/*}" /StatusNotifierItem org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:ToolTip |
    python3 -c "$STRINGS" | sed -n 2p; }
marked() { bar && [ "$(red_pixels "$BAR")" -ge 5 ]; }
wait_until 5 marked && [ "$(tip)" = "Монитор узлов активен / Не отвечают: 1 из 3" ] || fail "no red mark, or the tooltip [$(tip)]"
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
wait_until 10 eval '[ -n "$(notified)" ]' && [ "$(notified)" = "silent ($SILENT) отвечает" ] || fail "notified [$(notified)]"
# makoctl list prints JSON up to mako 1.8 (Debian 12) and plain text from 1.9 on (Debian 13).
grim -g "780,0 500x150" "$ARTIFACTS/notification_mako.png" && makoctl list | has '"Orvane2"|App name: Orvane2$' ||
    fail "mako holds no notification: $(makoctl list)"
wait_until 5 eval '! marked' && [ "$(tip)" = "Монитор узлов активен / Все 3 отвечают" ] || fail "the red mark stays, or the tooltip [$(tip)]"
activate() { call "${ITEM%%/*}" /StatusNotifierItem org.kde.StatusNotifierItem.Activate int32:10 int32:10 >/dev/null; }
activate && wait_until 5 eval '[ -z "$(window)" ]' && makoctl invoke && shows 250x163 ||
    fail "mako's default action on the notification did not show the hidden window"
activate && wait_until 5 eval '[ -z "$(window)" ]' && kill "$WAYBAR" && wait_until 6 eval '[ -n "$(window)" ]' && shows "$BARE" ||
    fail "no window with its menu bar 6 s after waybar ended"
start_waybar && shows 250x163
tray_item '[ -z "$(window)" ]' '[ -n "$(window)" ]'
echo PASS
