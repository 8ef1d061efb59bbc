#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window keeps answering while a check waits: silent hosts and a name whose lookup
# waits for a name server that never answers, both in namespaces of this test. During a
# cycle a left click on the icon takes effect within 0.3 s and the menu opens; the cycle
# still lasts its 3 silent seconds and 2 lookup seconds and tells every host's state
# (read through AT-SPI as a screen reader would: each label's description); the DNS
# message left open holds up no later cycle and is not shown twice; "Выход" during a
# probe ends the program with 0 at once.
ACCESSIBLE=1
source "$(dirname "$0")/harness.sh"
export FONTCONFIG_FILE=$(cd "$(dirname "$0")" && pwd)/no-antialias.conf
make_silent_host && dead_name_server
start_xvfb && start_wm && start_tray
cd "$WORK"
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\nnowhere.test nowhere\n%s s1\n%s s2\n%s s3\n' \
    "$SILENT" "$SILENT" "$SILENT" >board.cfg
start_program "$WORK/board.cfg"
WIN=$(find_window "Монитор узлов") && ICON=$(tray_icon) || fail "no window or no icon: $(cat $WORK/program.log)"
# Logs every change of the status line with its time, and at the end of each cycle the
# description of every host label.
WATCH='import sys, time, pyatspi
out = open(sys.argv[2], "a", buffering=1)
def labels(node):
    for child in node:
        if child.getRoleName() == "label" and child.name != "Label1": yield child
        yield from labels(child)
last = None
while True:
    try:
        found = [l for a in pyatspi.Registry.getDesktop(0) if str(a.get_process_id()) == sys.argv[1] for l in labels(a)]
        status = [l.name for l in found if not l.description]
        if status and status[0] != last:
            last = status[0]
            out.write(f"{time.time():.3f} status {last}\n")
            last or out.writelines(f"{l.name}: " + " | ".join(l.description.split("\n")) + "\n" for l in found if l.description)
    except Exception: pass
    time.sleep(0.05)'
: >"$WORK/watch.log"
/usr/bin/python3 -c "$WATCH" "$PID" "$WORK/watch.log" 2>/dev/null & PIDS+=($!)
cycles() { grep -c ' status $' "$WORK/watch.log" || true; }
checking() { tail -n 1 "$WORK/watch.log" | has ' status Перепроверяем'; }
within() { # $1 ms for CMD to hold; says how long it took
    local start=${EPOCHREALTIME/./} end
    end=$((start + $1 * 1000))
    until "${@:2}"; do [ "${EPOCHREALTIME/./}" -lt "$end" ] || return 1; sleep 0.02; done
    echo "$(((${EPOCHREALTIME/./} - start) / 1000)) ms"
}

wait_until 15 checking || fail "no check cycle began: $(cat "$WORK/watch.log")"
click "$ICON" 1 && took=$(within 300 hidden "$WIN") || fail "a left click during the lookup did not hide the window in 0.3 s"
click "$ICON" 1 && took+=", $(within 300 shown "$WIN")" || fail "a second left click did not show the window in 0.3 s"
checking || fail "the cycle ended before the clicks were done"
BOX=$(find_window Orvane2 5) || fail "no message for the name that does not resolve"
[[ $(message_text "$BOX") == *"nowhere.test не резолвится"* ]] || fail "the message reads \"$(message_text "$BOX")\""
wait_until 10 eval '[ "$(cycles)" -ge 1 ]' || fail "the first cycle did not end with its message open"
took+="; the first cycle $(awk '/ status / { t[++n] = $1 } END { print t[2] - t[1] }' "$WORK/watch.log") s"
awk '/ status / { t[++n] = $1 } END { exit !(t[2] - t[1] >= 4 && t[2] - t[1] <= 6) }' "$WORK/watch.log" ||
    fail "not 3 s of silence and 2 s of lookup: $took"
for row in 'loopback: 127.0.0.1 | отвечает' 'nowhere: nowhere.test | имя не резолвится' "s3: $SILENT | не отвечает"; do
    has "^$row" <"$WORK/watch.log" || fail "no \"$row\" after the first cycle: $(cat "$WORK/watch.log")"
done

# With the message still open, the silent hosts start answering: the next cycle says so.
ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
wait_until 15 eval '[ "$(cycles)" -ge 2 ]' || fail "no second cycle with the message open"
has "^s1: $SILENT \\| отвечает" < <(tail -n 5 "$WORK/watch.log") || fail "s1 not answering after the second cycle"
xdotool windowmove "$BOX" 0 0 # off the labels
import -window "$WIN" "$WORK/shot.png" && [ "$(count_colour "$WORK/shot.png" '#008000' 167x17+16+58)" -ge 10 ] ||
    fail "the label of s1 is not dark green"
[ "$(xdotool search --onlyvisible --name '^Orvane2$' | of_program | wc -l)" = 1 ] || fail "a second message box opened"
# A tooltip on the first label, for the README.
eval "$(xdotool getwindowgeometry --shell "$WIN")" && xdotool mousemove $((X + 40)) $((Y + 12)) && sleep 1.5
import -window root -crop 340x210+$((X - 5))+$((Y - 40)) "$ARTIFACTS/tooltip.png"
press_ok "$BOX"

ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
wait_until 15 checking || fail "no third cycle"
sleep 2.2 # past the lookup, into the silent hosts
click "$ICON" 3
MENU=$(popup_menu 2) || fail "a right click during a probe opened no menu"
click "$MENU" 1 3 3
code=$(exit_code "$PID" 1) && [ "$code" = 0 ] || fail "exit code $code after \"Выход\" during a probe, expected 0"
wait_until 2 eval '! xwininfo -id "$ICON" &>/dev/null' || fail "the icon is still in the tray"
echo "PASS (clicks took $took)"
