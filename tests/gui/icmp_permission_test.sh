#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
ACCESSIBLE=1
# An account that may send no ICMP at all (no ping sockets, no raw sockets: root with
# every capability dropped, in a network namespace of its own): the first check cycle
# says so in one message box; later cycles do not repeat it; the program keeps running.
source "$(dirname "$0")/harness.sh"
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
echo PASS
