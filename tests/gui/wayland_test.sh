#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on headless sway (no Xwayland): a native window of the board's size, with a
# menu bar while there is no tray. With waybar's tray: the bar shows the item's icon; the
# labels are dark green and red after a check cycle (exact pixels); the item, driven over
# D-Bus as waybar drives it, hides and shows the window and ends the program (tray_item).
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
make_silent_host && start_bus && start_sway
cd "$WORK" && printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n' "$SILENT" >board.cfg
WIN="" # labels_are's: here a picture of the window is its part of the screen, taken by grim
snapshot() { local s p; read -r _ _ s p <<<"$(window)" && grim -g "$p $s" "$2"; }
shows() { # SIZE (a regular expression) [NAME]: the program's native window, of that size, drawn with text
    local re="^xdg_shell orvane2 $1 " shot=$ARTIFACTS/wayland_${2:-window}.png
    wait_until 10 eval '[[ $(window) =~ $re ]] && snapshot "" "$shot" && [ "$(count_colour "$shot" "#000000" 600x600+0+0)" -gt 0 ]' ||
        fail "the window is \"$(window)\", expected \"${re:1}\" with text; $(tail -3 "$WORK/program.log")"
}
start_program board.cfg && shows '250x(17[89]|1[89][0-9]|20[0-3])' menu_bar && stop_program # a bar of 15 to 40 pixels
start_waybar && start_program board.cfg && shows 250x163
BAR=$ARTIFACTS/wayland_bar.png # the bar's only drawing is the icon, of 5 to 32 pixels
wait_until 10 eval 'grim -g "0,0 1280x30" "$BAR" && convert "$BAR" -format %@ info: | has "^([5-9]|[12][0-9]|3[0-2])x"' || fail "no icon in waybar's tray"
wait_until 15 labels_are $G $R $G || fail "15 s after start the labels are not dark green, red, dark green: $COUNTS"
cp labels.png "$ARTIFACTS/wayland_labels.png"
tray_item '[ -z "$(window)" ]' '[ -n "$(window)" ]'
echo PASS
