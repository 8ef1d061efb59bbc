#!/usr/bin/env bash
# The real program in a virtual X server: the window fits its board in pixels, and a
# missing configuration ends the program with exit code 1 after its message.
source "$(dirname "$0")/x_session.sh"
start_xvfb

cd "$WORK"
printf 'checkinterval 3600\ngroup Servers\n127.0.0.1 one\n127.0.0.2 two\n127.0.0.3 three\n' >"three hosts.cfg"
# The path has a blank and is passed unquoted, as the restart does.
"$ORVANE2" three hosts.cfg &
PIDS+=($!)
id=$(wait_window "Монитор узлов") || fail "the window did not appear"
sleep 0.3
size=$(window_size "$id")
screenshot "$id" window_three_hosts.png
# 3750 x 2445 twips at 15 twips to the pixel; there is no window manager, so no frame.
[ "$size" = "250x163" ] || fail "window is $size, expected 250x163"
echo "window size $size"

# No configuration: the message names the default file; OK ends the program with 1.
mkdir empty && cd empty
"$ORVANE2" &
pid=$!
PIDS+=($pid)
box=$(wait_window "Orvane2") || fail "no message box for the missing file"
screenshot "$box" missing_config_message.png
xdotool windowfocus --sync "$box" key Return
status=0
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid" || status=$?
[ "$status" = 1 ] || fail "exit code $status after the missing-file message, expected 1"
echo "missing configuration: exit code $status"
echo "PASS"
