#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The private network of the namespace tests (exit status 77: no namespaces here):
#   test_network.sh up NAME ping|raw   |   test_network.sh down NAME
# NAME, the client: veth-c 192.0.2.1/24, routes 198.51.100.0/25 and 192.0.2.128/25 via
#   192.0.2.2, and veth-a 198.51.100.129/30 with 203.0.113.0/24 via 198.51.100.130; ping
#   sockets open to every group ("ping") or to none ("raw": only raw sockets send ICMP);
#   under `ip netns exec` its name server is 192.0.2.2: a lookup of a name not in
#   /etc/hosts fails at once, or after 2 s while a test takes the queries and answers none.
# NAME-s, the silent hosts: veth-h 192.0.2.2/24, 192.0.2.3/24 and all of 192.0.2.128/25; its
#   stack answers no echo and reports 198.51.100.0/25 host unreachable (5 at once, then one a
#   second).
# NAME-a, the answering hosts: its stack answers echo for all of 203.0.113.0/24.
#   Neighbours are static; nothing connects to any other network.
set -euo pipefail
[[ $# -ge 2 && $2 =~ ^[A-Za-z0-9_.-]+$ && ($1 == down || ($1 == up && ${3:-} =~ ^(ping|raw)$)) ]] ||
  { echo "usage: $0 up NAME ping|raw | down NAME" >&2; exit 2; }
c=$2 h=$2-s
a=$2-a
down() { set +e; ip netns del "$c"; ip netns del "$h"; ip netns del "$a"; rm -rf "/etc/netns/$c"; rmdir /etc/netns; } 2>/dev/null
[[ $1 == down ]] && { down; exit 0; }
# Namespaces of test processes that died before their clean-up (names orv2p-PID[-N][-s]).
for ns in $(ip netns list 2>/dev/null | grep -oE '^orv2p-[0-9]+[-0-9sa]*' || true); do
  pid=${ns#orv2p-} && kill -0 "${pid%%-*}" 2>/dev/null || ip netns del "$ns" || true
done
ip netns add "$c" 2>/dev/null || { echo "network namespaces cannot be created here" >&2; exit 77; }
trap 'down; exit 1' ERR
ip netns add "$h"
ip netns add "$a"
ip link add veth-c address 02:00:c0:00:02:01 netns "$c" type veth peer name veth-h address 02:00:c0:00:02:02 netns "$h"
ip link add veth-a address 02:00:c6:33:64:81 netns "$c" type veth peer name veth-h address 02:00:c6:33:64:82 netns "$a"
ip -n "$c" -batch - <<EOF
link set lo up
addr add 192.0.2.1/24 dev veth-c
link set veth-c up
route add 198.51.100.0/25 via 192.0.2.2
neigh replace 192.0.2.2 lladdr 02:00:c0:00:02:02 dev veth-c nud permanent
neigh replace 192.0.2.3 lladdr 02:00:c0:00:02:02 dev veth-c nud permanent
route add 192.0.2.128/25 via 192.0.2.2
addr add 198.51.100.129/30 dev veth-a
link set veth-a up
neigh replace 198.51.100.130 lladdr 02:00:c6:33:64:82 dev veth-a nud permanent
route add 203.0.113.0/24 via 198.51.100.130
EOF
ip -n "$h" -batch - <<EOF
link set lo up
addr add 192.0.2.2/24 dev veth-h
addr add 192.0.2.3/24 dev veth-h
link set veth-h up
neigh replace 192.0.2.1 lladdr 02:00:c0:00:02:01 dev veth-h nud permanent
route add unreachable 198.51.100.0/25
route add local 192.0.2.128/25 dev lo
EOF
ip -n "$a" -batch - <<EOF
link set lo up
addr add 198.51.100.130/30 dev veth-h
link set veth-h up
neigh replace 198.51.100.129 lladdr 02:00:c6:33:64:81 dev veth-h nud permanent
route add local 203.0.113.0/24 dev lo
route add default via 198.51.100.129
EOF
ip netns exec "$c" sysctl -qw net.ipv4.ping_group_range="$([[ $3 == ping ]] && echo 0 2147483647 || echo 1 0)"
ip netns exec "$h" sysctl -qw net.ipv4.icmp_echo_ignore_all=1 net.ipv4.ip_forward=1
mkdir -p "/etc/netns/$c" && printf 'nameserver 192.0.2.2\noptions timeout:2 attempts:1\n' >"/etc/netns/$c/resolv.conf"
