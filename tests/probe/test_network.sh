#!/usr/bin/env bash
# Builds and removes the small network that the probe's system tests run in.
#
#   test_network.sh up NAME ping|raw   create NAME-c and NAME-h
#   test_network.sh down NAME          remove them again, with /etc/netns/NAME-c
#
# NAME-c, the client: lo up, veth-c 192.0.2.1/24, route 198.51.100.0/25 via
#   192.0.2.2 and no other route. net.ipv4.ping_group_range admits every group
#   ("ping") or none ("raw"). Its /etc/netns resolv.conf names 127.0.0.1, where
#   nothing listens, so a DNS lookup run with `ip netns exec` fails at once.
# NAME-h, the hosts: veth-h with 192.0.2.2/24 and 192.0.2.3/24. Its own stack
#   answers no echo request (icmp_echo_ignore_all), so only a responder program
#   answers; forwarding is on and 198.51.100.0/25 is an "unreachable" route, so
#   it reports packets for that range as host unreachable.
# Neighbour entries are static on both sides: no request is delayed or lost to
# ARP. Nothing is connected to any other network.
#
# Exit status 77 means that network namespaces cannot be created here.
set -euo pipefail

usage() { echo "usage: $0 up NAME ping|raw | down NAME" >&2; exit 2; }
[[ $# -ge 2 ]] || usage
command=$1
name=$2
[[ $name =~ ^[A-Za-z0-9_.-]+$ ]] || usage
client=$name-c
hosts=$name-h
client_mac=02:00:c0:00:02:01
hosts_mac=02:00:c0:00:02:02

down() {
  printf 'netns del %s\nnetns del %s\n' "$client" "$hosts" | ip -force -batch - 2>/dev/null || true
  rm -rf "/etc/netns/${client:?}"
  rmdir /etc/netns 2>/dev/null || true
}

# Namespaces left behind by test processes that no longer exist (a crash or a
# kill skips the clean-up); names are orv2p-PID-N-c / -h.
remove_orphans() {
  local ns pid
  for ns in $(ip netns list | awk '{print $1}' | grep -E '^orv2p-[0-9]+-[0-9]+-[ch]$' || true); do
    pid=${ns#orv2p-}
    pid=${pid%%-*}
    if ! kill -0 "$pid" 2>/dev/null; then
      ip netns del "$ns" 2>/dev/null || true
      [[ $ns == *-c ]] && rm -rf "/etc/netns/$ns"
    fi
  done
}

in_ns() { local ns=$1; shift; ip netns exec "$ns" "$@"; }

case $command in
  up)
    [[ $# -eq 3 && ( $3 == ping || $3 == raw ) ]] || usage
    remove_orphans
    if ! ip netns add "$client" 2>/dev/null; then
      echo "network namespaces cannot be created here (ip netns add failed)" >&2
      exit 77
    fi
    trap 'down' EXIT
    # One `ip` process per namespace: each start of `ip` costs about 20 ms.
    ip -batch - <<EOF
netns add $hosts
link add veth-c address $client_mac netns $client type veth peer name veth-h address $hosts_mac netns $hosts
EOF
    ip -n "$client" -batch - <<EOF
link set lo up
addr add 192.0.2.1/24 dev veth-c
link set veth-c up
route add 198.51.100.0/25 via 192.0.2.2
neigh replace 192.0.2.2 lladdr $hosts_mac dev veth-c nud permanent
neigh replace 192.0.2.3 lladdr $hosts_mac dev veth-c nud permanent
EOF
    ip -n "$hosts" -batch - <<EOF
link set lo up
addr add 192.0.2.2/24 dev veth-h
addr add 192.0.2.3/24 dev veth-h
link set veth-h up
neigh replace 192.0.2.1 lladdr $client_mac dev veth-h nud permanent
route add unreachable 198.51.100.0/25
EOF
    if [[ $3 == ping ]]; then range="0 2147483647"; else range="1 0"; fi
    in_ns "$client" sysctl -qw net.ipv4.ping_group_range="$range"
    in_ns "$hosts" sysctl -qw net.ipv4.icmp_echo_ignore_all=1 net.ipv4.ip_forward=1

    mkdir -p "/etc/netns/$client"
    echo "nameserver 127.0.0.1" >"/etc/netns/$client/resolv.conf"
    trap - EXIT
    ;;
  down)
    down
    ;;
  *)
    usage
    ;;
esac
