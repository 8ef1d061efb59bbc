#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on headless sway (no Xwayland): a native window of the board's size, with a
# menu bar while there is no tray. With waybar's tray: left clicks on the icon hide and show
# the window; the labels are dark green and red after a check cycle (exact pixels); a right
# click opens waybar's menu of three rows, whose last, "Выход", ends the program with exit
# code 0 and takes the icon away.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
make_silent_host && start_bus && start_sway
cd "$WORK" && printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n' "$SILENT" >board.cfg
WIN="" # the harness takes its screenshots of WIN with import: here grim takes the window's
import() { local s p; read -r _ _ s p <<<"$(window)" && grim -g "$p $s" "${@: -1}"; }
shows() { # SIZE (a regular expression) [NAME]: the program's native window, of that size, drawn with text
    local re="^xdg_shell orvane2 $1 " shot=$ARTIFACTS/wayland_${2:-window}.png
    wait_until 10 eval '[[ $(window) =~ $re ]] && import "$shot" && [ "$(count_colour "$shot" "#000000" 600x600+0+0)" -gt 0 ]' ||
        fail "the window is \"$(window)\", expected \"${re:1}\" with text; $(tail -3 "$WORK/program.log")"
}
start_program board.cfg && shows '250x(17[89]|1[89][0-9]|20[0-3])' menu_bar && stop_program # a bar of 15 to 40 pixels
echo '{"height": 30, "modules-left": ["tray"], "tray": {"icon-size": 16}}' >bar.json && echo 'window#waybar { background: #203040; }' >bar.css
NO_AT_BRIDGE=1 waybar -c bar.json -s bar.css &>waybar.log & PIDS+=($!)
wait_until 10 has_name org.kde.StatusNotifierWatcher || fail "waybar's tray did not start: $(tail -3 waybar.log)"
icon() { # the centre of what the bar shows: its only icon
    grim -g "0,0 1280x30" bar.png && convert bar.png -format '%@' info: 2>/dev/null |
        awk -F'[x+]' '$1 > 4 && $1 <= 32 { print $3 + int($1 / 2), $4 + int($2 / 2) }'
}
start_program board.cfg && shows 250x163
wait_until 10 eval 'ICON=$(icon); [ -n "$ICON" ]' || fail "no icon in waybar's tray"
tap $ICON button1 && wait_until 5 eval '[ -z "$(window)" ]' || fail "a left click on the icon did not hide the window"
tap $ICON button1 && wait_until 5 eval '[ -n "$(window)" ]' || fail "a second left click did not show the window"
wait_until 15 three_labels_coloured || fail "15 s after start the labels are not dark green, red, dark green: $COUNTS"
cp labels.png "$ARTIFACTS/wayland_labels.png"
# Waybar's menu is a popup of its own, in no window list: a screenshot shows it. Its rows
# of text are found in what changed under the icon (not in the window, whose status line
# changes during a check), the pointer parked in a corner.
rows() (
    IFS='x+' read -r W H X Y < <(convert before.png "$MENU" -crop 500x300+0+0 +repage -compose difference -composite -format '%@' info:)
    convert "$MENU" -crop "${W}x$H+$X+$Y" +repage -shave 6x6 -colorspace gray -threshold 50% txt:- |
        awk -F'[,: ]+' -v x=$((X + W / 2)) -v y=$((Y + 6)) 'NR > 1 { if (/#000000/) dark[$2] = 1; h = $2 } END {
            for (r = 0; r <= h + 1; r++) if ((r in dark) != (r - 1 in dark)) if (r in dark) top = r; else print x, y + int((top + r) / 2) }'
)
MENU=$ARTIFACTS/wayland_menu.png && cursor set 1279 799 && sleep 0.2 && grim before.png && tap $ICON button3 && cursor set 1279 799
wait_until 5 eval 'grim "$MENU"; mapfile -t ROWS < <(rows 2>/dev/null); [ ${#ROWS[@]} = 3 ]' ||
    fail "a right click on the icon showed a menu of ${#ROWS[@]} rows of text, expected 3 (see $MENU)"
tap ${ROWS[2]} button1 && code=$(exit_code "$PID") && [ "$code" = 0 ] || fail "exit code $code after \"Выход\" in waybar's menu, expected 0"
wait_until 5 eval '[ -z "$(icon)" ]' || fail "the icon is still in waybar's tray"
echo PASS
