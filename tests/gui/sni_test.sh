#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on X11 with a StatusNotifierItem host on a private session bus (waybar's tray,
# on a headless sway of its own): its item, driven over D-Bus as a host drives it, hides and
# shows the window and ends the program from its exported menu (tray_item in desktop.sh).
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
start_bus && start_sway && start_waybar && start_xvfb && export QT_QPA_PLATFORM=xcb
cd "$WORK" && printf 'checkinterval 3600\ngroup Local\n127.0.0.1 loopback\n' >board.cfg && start_program board.cfg
WIN=$(find_window "Монитор узлов") || fail "no window"
tray_item 'hidden "$WIN"' 'shown "$WIN"'
echo PASS
