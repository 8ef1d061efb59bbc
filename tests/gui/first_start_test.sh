#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The menu entry's command, as installed, run by a user who has never started the
# program: it makes ~/.config/orvane2, puts the example configuration there and shows
# its board, running in that folder. A file the user has since edited is never replaced.
source "$(dirname "$0")/harness.sh"
start_xvfb
PREFIX=$WORK/prefix HOME=$WORK/home
cmake --install "$(dirname "$(dirname "$ORVANE2")")" --prefix "$PREFIX" --component orvane2 >/dev/null
command=$(sed -n 's/^Exec=//p' "$PREFIX/share/applications/orvane2.desktop")
[ "$command" = "$PREFIX/libexec/orvane2/start-in-config-folder" ] || fail "the menu entry runs \"$command\""
FOLDER=$HOME/.config/orvane2 PROGRAM=(env -u XDG_CONFIG_HOME HOME="$HOME" "$command")
cd "$WORK"
start_program
WIN=$(find_window "Монитор узлов") || fail "no window: $(cat "$WORK/program.log")"
cmp "$FOLDER/vantor2.cfg" "$(dirname "$0")/../../examples/vantor2.cfg" || fail "the folder holds no copy of the example"
[ "$(readlink "/proc/$PID/cwd")" = "$FOLDER" ] || fail "the program runs in $(readlink "/proc/$PID/cwd")"
import -window "$WIN" "$ARTIFACTS/first_start.png"
stop_program
printf 'checkinterval 3600\ngroup Mine\n127.0.0.1 mine\n' >"$FOLDER/vantor2.cfg"
start_program
find_window "Монитор узлов" >/dev/null && [ "$(sed -n 2p "$FOLDER/vantor2.cfg")" = "group Mine" ] ||
    fail "the second start replaced the user's file"
echo PASS
