#!/usr/bin/env bash
# The real program in a virtual X server: the window fits its board in pixels (with its
# menu as a menu bar when the desktop has no notification area), and a missing
# configuration ends the program with exit code 1 after its message.
source "$(dirname "$0")/x_session.sh"
start_xvfb

cd "$WORK"
printf 'checkinterval 3600\ngroup Servers\n127.0.0.1 one\n127.0.0.2 two\n127.0.0.3 three\n' >"three hosts.cfg"

# No notification area yet: the menu becomes a menu bar and the window grows by its height.
"$ORVANE2" "$WORK/three hosts.cfg" &
PIDS+=($!)
id=$(wait_window "Монитор узлов") || fail "the window did not appear without a tray"
sleep 0.3
size=$(window_size "$id")
screenshot "$id" window_without_tray.png
height=${size#250x}
[ "${size%x*}" = 250 ] && [ "$height" -ge $((163 + 15)) ] && [ "$height" -le $((163 + 40)) ] \
    || fail "without a tray the window is $size, expected 250 wide and 163 plus a menu bar high"
echo "without a tray: window size $size (menu bar $((height - 163)) px)"
kill "${PIDS[-1]}"

start_tray_host
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

# A path that looks like one of Qt's own options is still the configuration path.
kill "${PIDS[-1]}"
printf 'checkinterval 3600\ngroup A\n127.0.0.1 one\ngroup B\n' >"-style"
"$ORVANE2" -style &
PIDS+=($!)
id=$(wait_window "Монитор узлов") || fail "no window for the configuration named -style"
sleep 0.3
size=$(window_size "$id")
# Two boxes: 120 + 615 + 100 + 375 + 1200 = 2410 twips.
[ "$size" = "250x161" ] || fail "window for '-style' is $size, expected 250x161"
kill "${PIDS[-1]}"

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
