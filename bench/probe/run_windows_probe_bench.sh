#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the host probe on the Windows platform under Wine, from the cross build:
#  1. Resolve+Ping on 127.0.0.1 (median, p99 over CALLS calls);
#  2. how far past its 1000 ms timeout Ping returns for a silent host (10 calls);
#  3. the window's check cycle over 255 hosts of which 102 are silent, and over 255
#     that all answer (wall and CPU time, 3 cycles each after a first one), next to
#     `fping -t1000 -r0` over the same addresses in the same run; besides, the CPU time
#     of Wine's own processes (its server, the ICMP service) over all of those cycles.
# 2 and 3 run in the probe's private network namespaces (root; tests/probe/test_network.sh),
# with a Wine prefix made inside them so that Wine's ICMP sockets are opened there.
# Packets go only to 127.0.0.1 and to the namespaces made here.
#
#   bench/probe/run_windows_probe_bench.sh [BUILD_DIR] [CALLS]
# BUILD_DIR defaults to build-windows (made by scripts/build-windows.sh). BEFORE=DIR,
# an older tree's Windows build with this benchmark, measures its cycle too (once: the
# cycle of a sequential probe lasts about 102 s).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath -m "${1:-$root/build-windows}")
calls=${2:-1000}
bench=$build/bench/probe/windows_probe_bench.exe
run=$root/cmake/toolchains/wine-run.sh
[[ -f $bench ]] || { echo "no $bench: run scripts/build-windows.sh first" >&2; exit 1; }

export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix}
"$run" "$bench" loopback "$calls"
echo
[[ $(id -u) -eq 0 ]] || { echo "Silent host and cycle: skipped (network namespaces need root)"; exit 0; }
name=orv2p-$$-0
prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; bash "$root/tests/probe/test_network.sh" down "$name"; rm -rf "$prefix"' EXIT
bash "$root/tests/probe/test_network.sh" up "$name" raw
in_net() { ip netns exec "$name" env WINEPREFIX="$prefix" "$@"; }
in_net wineserver -p  # kept up, with the prefix's services, until the end
# CPU time of every process in the namespace, in milliseconds (user and system time are
# the 12th and 13th fields after the parenthesised name).
cpu_ms() {
    cat $(ip netns pids "$name" | sed 's|.*|/proc/&/stat|') 2>/dev/null | sed 's/.*) //' |
        awk -v hz="$(getconf CLK_TCK)" '{t += $12 + $13} END {print int(t * 1000 / hz)}'
}
in_net "$run" "$bench" silent 192.0.2.2 10

# The boards of the Linux benchmark (bench/run): 102 silent hosts (192.0.2.128/25) among
# 153 answering ones (203.0.113.0/24), and 255 answering ones.
silent=0
for i in $(seq 0 254); do
    echo "203.0.113.$i" >>"$prefix/answering.txt"
    if ((i % 5 < 2)); then echo "192.0.2.$((128 + silent++))"; else echo "203.0.113.$((i - silent))"; fi
done >"$prefix/mixed.txt"
TIMEFORMAT='wall %R s, CPU %U s user + %S s system'
for board in mixed answering; do
    echo
    for program in ${BEFORE:+"$(realpath "$BEFORE")/bench/probe/windows_probe_bench.exe"} "$bench"; do
        before=$(cpu_ms)
        in_net "$run" "$program" cycle "$prefix/$board.txt" $([[ $program == "$bench" ]] && echo 3 || echo 0)
        echo "  Wine's own processes meanwhile: $(($(cpu_ms) - before)) ms CPU (${program%/bench/*})"
    done
    echo "fping -t1000 -r0 over the same addresses, 3 times (hosts alive; time):"
    for _ in 1 2 3; do
        time (in_net fping -t1000 -r0 $(cat "$prefix/$board.txt") 2>/dev/null | grep -c alive || true)
    done
done
