#!/usr/bin/env bash
# An ordinary account that may send no ICMP at all (ping sockets closed to it, no
# cap_net_raw): the first check cycle explains this in one message box, and later
# cycles do not repeat it. Runs the program as "nobody" in a network namespace of its
# own whose ping_group_range admits no group.
source "$(dirname "$0")/x_session.sh"
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root to switch to another account and make a namespace"; exit 0; }
start_xvfb

NS=orv2perm-$$
ip netns add "$NS" || { echo "SKIP: network namespaces cannot be created here"; exit 0; }
EXIT_HOOKS+=("ip netns del $NS 2>/dev/null")
ip -n "$NS" link set lo up
ip netns exec "$NS" sysctl -qw net.ipv4.ping_group_range="1 0"

# Everything the other account needs must be readable by it.
chmod 0755 "$WORK"
install -m 0755 "$ORVANE2" "$WORK/orvane2"
printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n' >"$WORK/local.cfg"
chmod 0644 "$WORK/local.cfg"
mkdir -m 0700 "$WORK/nobody-runtime" && chown 65534:65534 "$WORK/nobody-runtime"

cd "$WORK"
ip netns exec "$NS" setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all \
    env HOME="$WORK" XDG_RUNTIME_DIR="$WORK/nobody-runtime" "$WORK/orvane2" "$WORK/local.cfg" \
    >"$WORK/orvane2.log" 2>&1 &
PID=$!
PIDS+=("$PID")
started=$(now)
wait_window "Монитор узлов" >/dev/null || fail "the window did not appear: $(cat "$WORK/orvane2.log")"

# The first cycle comes 5 s after start-up; its message box has the program's title.
box=$(wait_window "Orvane2" 12) || fail "no message about ICMP permission within 12 s"
shown_after=$(elapsed_since "$started")
screenshot "$box" icmp_permission_message.png
echo "message shown ${shown_after} s after start"
awk -v t="$shown_after" 'BEGIN { exit !(t >= 4.5) }' || fail "the message came before the first cycle (${shown_after} s)"
xdotool windowfocus --sync "$box" key Return
wait_until 5 eval '! xdotool search --onlyvisible --name "^Orvane2\$" >/dev/null 2>&1' \
    || fail "the message box did not close"

# Two more cycles: no second message, and the program keeps running.
sleep 11
if xdotool search --onlyvisible --name '^Orvane2$' >/dev/null 2>&1; then
    fail "the ICMP permission message was shown again"
fi
kill -0 "$PID" 2>/dev/null || fail "the program ended: $(cat "$WORK/orvane2.log")"
echo PASS
