#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
ACCESSIBLE=1
# An account that may send no ICMP at all (no ping sockets, no raw sockets: root with
# every capability dropped, in a network namespace of its own): the first check cycle
# says so in one message box; later cycles do not repeat it; the program keeps running.
# Then an ordinary user with cap_net_raw (Qt runs without it), and the same user at their
# process limit (the checks that get no thread say why, and the next cycle checks again).
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh" # its fonts: text in exact colours
# The window has a menu bar here (no tray): its one label is looked for anywhere in it.
coloured() { snapshot "$WIN" "$WORK/shot.png" && [ "$(count_colour "$WORK/shot.png" "$1" 1280x800+0+0)" -ge 10 ]; }
start_xvfb
netns "orv2perm-$$"
ip netns exec "orv2perm-$$" sysctl -qw net.ipv4.ping_group_range="1 0"
PROGRAM=(ip netns exec "orv2perm-$$" setpriv --bounding-set=-all --inh-caps=-all "$ORVANE2")
cd "$WORK"
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n' >local.cfg
start_program "$WORK/local.cfg"
find_window "Монитор узлов" >/dev/null || fail "no window: $(cat "$WORK/program.log")"
has '^CapEff:[[:space:]]+0+$' <"/proc/$PID/status" || fail "the program runs with capabilities: $(grep Cap "/proc/$PID/status")"
BOX=$(find_window Orvane2 12) || fail "no message within 12 s, two check intervals"
import -window "$BOX" "$ARTIFACTS/icmp_message.png"
text=$(message_text "$BOX")
[[ $text == *ICMP* ]] || fail "the message reads \"$text\""
press_ok "$BOX"
sleep 11 # two more cycles
! find_window Orvane2 0 >/dev/null || fail "a message box is open after two more cycles: not closed, or shown again"
gone "$PID" && fail "the program ended: $(cat "$WORK/program.log")"
WIN=$(find_window "Монитор узлов") && wait_until 5 coloured '#FF0000' || fail "127.0.0.1 is not red"
stop_program
# An ordinary user runs a copy with cap_net_raw+p, and a style plugin of their own: Qt runs
# without any capability (no packet socket, no raw socket), and the probe still gets its echo.
# Whatever it reads is a copy in a folder it may enter: the checkout's may be closed to it.
U=orv2u$$ D=$(mktemp -d) && useradd -M -s /usr/sbin/nologin "$U" && HOOKS+=("userdel $U" "rm -rf $D") || fail "useradd"
mkdir -p "$D/styles" && chmod 755 "$D" && install -d -o "$U" -m 700 "$D/home" && cp local.cfg "$FONTCONFIG_FILE" "$D"
cp "$ORVANE2" "$D/orvane2" && cp "$STYLE_PROBE" "$D/styles/" && setcap cap_net_raw+p "$D/orvane2" || fail "setcap"
PROGRAM=(ip netns exec "orv2perm-$$" setpriv --reuid="$U" --regid="$U" --clear-groups env -C "$D" HOME="$D/home" XDG_RUNTIME_DIR="$D/home" \
    FONTCONFIG_FILE="$D/fonts.conf" QT_PLUGIN_PATH="$D" QT_STYLE_OVERRIDE=orvane2probe STYLE_PROBE_LOG="$D/home/log" "$D/orvane2")
start_program "$D/local.cfg"
WIN=$(find_window "Монитор узлов") || fail "no window for the user: $(cat "$WORK/program.log")"
wait_until 15 coloured '#008000' || fail "127.0.0.1 is not green for the user: $(cat "$WORK/program.log")"
[ "$(grep -cE '^(Cap(Inh|Prm|Eff|Amb):\s+0+|(packet|raw ICMP) socket refused)$' "$D/home/log")" = 6 ] ||
    fail "Qt runs with: $(grep -E '^Cap|socket' "$D/home/log")"
stop_program
# The same user near their process limit (every thread counts): a check that cannot start a
# thread fails alone, its labels turn red and say why, the program keeps running, and once
# threads may start again the next cycle checks them. The user's own session bus carries
# their accessibility bus, which root reads, so that the reading takes none of their tasks.
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\nlocalhost name\n' >"$D/limit.cfg"
PROGRAM=(ip netns exec "orv2perm-$$" setpriv --reuid="$U" --regid="$U" --clear-groups env -C "$D" HOME="$D/home" XDG_RUNTIME_DIR="$D/home" \
    FONTCONFIG_FILE="$D/fonts.conf" dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >home/bus && exec ./orvane2 "$@"' sh)
start_program "$D/limit.cfg"
WIN=$(find_window "Монитор узлов" 20) && wait_until 10 eval 'ORV=$(pgrep -u "$U" -x orvane2)' || fail "no window for the user: $(cat "$WORK/program.log")"
A11Y=$(ip netns exec "orv2perm-$$" setpriv --reuid="$U" --regid="$U" --clear-groups env DBUS_SESSION_BUS_ADDRESS="$(cat "$D/home/bus")" \
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress | tr -d ' ') || fail "no accessibility bus"
tells() { # ROWS...: each label's "caption: description" starts so, read as a screen reader would
    AT_SPI_BUS_ADDRESS=$A11Y timeout 10 /usr/bin/python3 -c "$DESCRIBED" "$ORV" >"$WORK/told.txt" 2>/dev/null || return 1
    local row && for row; do grep -qF -- "$row" "$WORK/told.txt" || return 1; done
}
lacking="не удалось проверить: $(python3 -c 'import os; print(os.strerror(11))')"
# The user's own soft limit (root here may not set another user's): the reading is root's.
limited() { setpriv --reuid="$U" --regid="$U" --clear-groups prlimit --pid "$ORV" --nproc="$1": && wait_until 20 tells "${@:2}" && ! gone "$ORV"; }
wait_until 15 tells 'loopback: 127.0.0.1 | отвечает' 'name: localhost | 127.0.0.1 | отвечает' || fail "the user's labels: $(cat "$WORK/told.txt")"
tasks=$(ps -L -u "$U" -o lwp= | wc -l)
limited $((tasks + 1)) 'loopback: 127.0.0.1 | отвечает' "name: localhost | $lacking" || fail "no thread for a lookup: $(cat "$WORK/told.txt")"
limited "$tasks" "loopback: 127.0.0.1 | $lacking" "name: localhost | $lacking" && coloured '#FF0000' || fail "no thread for the batch: $(cat "$WORK/told.txt")"
limited "$(ulimit -Hu)" 'loopback: 127.0.0.1 | отвечает' 'name: localhost | 127.0.0.1 | отвечает' && coloured '#008000' ||
    fail "threads again, and still: $(cat "$WORK/told.txt")"
echo PASS
