#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window fits a known board in pixels, with a menu bar while the desktop has no tray;
# the path, unquoted with a blank and looking like a Qt option, arrives whole. Without a
# configuration: its message, exit code 1, and a left-over restart.bat is deleted.
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

mkdir empty && cd empty && printf 'x\r\n' >restart.bat
start_program
BOX=$(find_window Orvane2) || fail "no message box for the missing configuration"
import -window "$BOX" "$ARTIFACTS/missing_config.png"
text=$(message_text "$BOX") && [ "$text" = "Конфигурационный файл vantor2.cfg не найден" ] || fail "the message reads \"$text\""
press_ok "$BOX"
code=$(exit_code "$PID") && [ "$code" = 1 ] || fail "exit code $code after the message, expected 1"
[ ! -e restart.bat ] || fail "the left-over restart.bat is still there"
echo PASS
