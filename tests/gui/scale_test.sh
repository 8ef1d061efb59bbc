#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# At twice the scale (QT_SCALE_FACTOR=2; X11, an XEmbed tray) the board is twice as large
# as at scale 1: the window, and a label's text within 15% (glyphs are hinted at each
# size); the tray icon is drawn from the 48-pixel image, not enlarged from the 16-pixel one.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
start_xvfb && start_tray
cd "$WORK" && printf 'checkinterval 3600\ngroup Local\n127.0.0.1 loopback\n' >board.cfg
measure() { # SCALE: sets W H, the window's size, and TW TH, that of the first label's (black) text
    local s=$1 box shot=$ARTIFACTS/scale$1.png
    QT_SCALE_FACTOR=$s start_program board.cfg && WIN=$(find_window "Монитор узлов") || fail "no window at scale $s"
    wait_until 5 eval 'snapshot "$WIN" "$shot" && box=$(convert "$shot" -crop $((167 * s))x$((17 * s))+$((16 * s))+$((24 * s)) \
        +repage -fill white +opaque black -format %@ info: 2>/dev/null) && [[ $box != 0x0* ]]' || fail "no label text at scale $s"
    IFS='x+' read -r W H TW TH _ <<<"$(window_size "$WIN")x$box"
}
measure 1 && read -r w h tw th <<<"$W $H $TW $TH" && stop_program && measure 2
[ "${W}x$H" = 500x$((2 * h)) ] || fail "at scale 2 the window is ${W}x$H, expected 500x$((2 * h)) (at scale 1: ${w}x$h)"
((20 * TW >= 34 * tw && 20 * TW <= 46 * tw && 20 * TH >= 34 * th && 20 * TH <= 46 * th)) ||
    fail "the label's text is ${TW}x$TH pixels at scale 2, ${tw}x$th at scale 1"
ICON=$(tray_icon) || fail "no icon in the tray"
wait_until 5 eval 'snapshot "$ICON" "$ARTIFACTS/icon.png" && convert "$ARTIFACTS/icon.png" -trim +repage icon.png &&
    [ "$(identify -format %h icon.png)" -gt 16 ]' || fail "the tray icon is not drawn larger than 16 pixels"
bg=$(convert "$ARTIFACTS/icon.png" -format '%[pixel:p{0,0}]' info:) size=$(identify -format %wx%h icon.png)
distance() { # RMSE between the drawn icon and image $1's opaque part, on the tray's background at the same size
    convert icon.png \( "$GUI/../../assets/icon/radar-$1.png" -trim +repage -background "$bg" -flatten -resize "$size!" \) \
        -metric RMSE -compare -format '%[distortion]' info:
}
d16=$(distance 16) d48=$(distance 48) && awk -v a="$d48" -v b="$d16" 'BEGIN { exit !(a < b) }' ||
    fail "the $size tray icon is nearer to the 16-pixel image (RMSE $d16) than to the 48-pixel one ($d48)"
echo PASS
