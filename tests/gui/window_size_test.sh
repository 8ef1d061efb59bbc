#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window fits a known board in pixels, with a menu bar while the desktop has no tray;
# the path, unquoted with a blank and looking like a Qt option, arrives whole. A board of
# 255 hosts fits the 800 pixels of the screen and scrolls to its last label. Without a
# configuration, or with one it may not reach: its message, exit code 1, and a left-over
# restart.bat is deleted. The menu entry, as installed and copied into ~/.config/autostart
# as the README says (valid there), its command run by a user who never started the
# program: it makes ~/.config/orvane2, puts the example configuration there and shows its
# board, running in that folder; a file the user has since edited is never replaced.
ACCESSIBLE=1
source "$(dirname "$0")/harness.sh"
start_xvfb
cd "$WORK"
printf 'checkinterval 3600\ngroup Servers\n127.0.0.1 one\n127.0.0.2 two\n127.0.0.3 three\n' >"-style three.cfg"
fits() { # $1: the window's size, as a regular expression; $2: a name for its screenshot
    local re=$1
    start_program -style three.cfg
    WIN=$(find_window "Монитор узлов") || fail "no window"
    wait_until 5 eval '[[ $(window_size "$WIN") =~ ^$re$ ]]' || fail "the window is $(window_size "$WIN"), expected $re"
    import -window "$WIN" "$ARTIFACTS/$2.png"
    stop_program
}
# 3750 x 2445 twips at 15 twips to the pixel, with no window manager to add a frame.
fits '250x(17[89]|1[89][0-9]|20[0-3])' without_tray # and a menu bar of 15 to 40 pixels
start_tray
fits 250x163 with_tray

{ printf 'checkinterval 3600\ngroup Many\n' && for i in $(seq 255); do echo "127.0.0.$i h$i"; done; } >255.cfg
start_program 255.cfg
WIN=$(find_window "Монитор узлов") && eval "$(xdotool getwindowgeometry --shell "$WIN")"
[ "$HEIGHT" -le 800 ] || fail "255 hosts make the window $HEIGHT pixels high on a screen of 800"
xdotool mousemove $((X + 100)) $((Y + 100)) click --repeat 80 --delay 10 5 # the wheel, down
in_view() { # the last label lies between the window's top and the status line under the board
    read -r _ _ ly _ lh < <(accessible label | grep '^h255 ') && read -r _ _ sy _ < <(accessible label | grep '^Иниц') &&
        [ "$ly" -ge "$Y" ] && [ $((ly + lh)) -le "$sy" ]
}
wait_until 10 in_view || fail "the last label did not scroll into view: $(accessible label | grep -E '^(h255|Иниц)')"
import -window "$WIN" "$ARTIFACTS/255_hosts.png"
stop_program

# Missing; there, in another user's closed folder (the program holds no capability).
mkdir empty && cd empty && install -d -o nobody -m 700 closed && : >closed/x.cfg && printf 'x\r\n' >restart.bat
refused "vantor2.cfg не найден" && [ ! -e restart.bat ] || fail "the left-over restart.bat is still there"
refused "closed/x.cfg не удалось прочитать" closed/x.cfg

PREFIX=$WORK/prefix HOME=$WORK/home
cmake --install "$(dirname "$(dirname "$ORVANE2")")" --prefix "$PREFIX" --component orvane2 >/dev/null
mkdir -p "$HOME/.config/autostart" && cp "$PREFIX/share/applications/orvane2.desktop" "$HOME/.config/autostart/"
ENTRY=$HOME/.config/autostart/orvane2.desktop && report=$(desktop-file-validate "$ENTRY" 2>&1) && [ -z "$report" ] ||
    fail "the autostart entry: $report"
command=$(sed -n 's/^Exec=//p' "$ENTRY")
[ "$command" = "$PREFIX/libexec/orvane2/start-in-config-folder" ] || fail "the menu entry runs \"$command\""
FOLDER=$HOME/.config/orvane2 PROGRAM=(env -u XDG_CONFIG_HOME HOME="$HOME" "$command")
start_program
WIN=$(find_window "Монитор узлов") || fail "no window on the first start: $(cat "$WORK/program.log")"
cmp "$FOLDER/vantor2.cfg" "$(dirname "$0")/../../examples/vantor2.cfg" || fail "the folder holds no copy of the example"
[ "$(readlink "/proc/$PID/cwd")" = "$FOLDER" ] || fail "the program runs in $(readlink "/proc/$PID/cwd")"
import -window "$WIN" "$ARTIFACTS/first_start.png"
stop_program
printf 'checkinterval 3600\ngroup Mine\n127.0.0.1 mine\n' >"$FOLDER/vantor2.cfg"
start_program
find_window "Монитор узлов" >/dev/null && [ "$(sed -n 2p "$FOLDER/vantor2.cfg")" = "group Mine" ] ||
    fail "the second start replaced the user's file"
echo PASS
