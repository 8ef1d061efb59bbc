#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the host probe and prints the numbers:
#  1. Resolve+Ping on 127.0.0.1, 10,000 calls, next to as many runs of
#     `ping -c 1 -W 1 127.0.0.1` and `fping 127.0.0.1` (median, p99, ratios);
#  2. how far past its 1000 ms timeout Ping returns for a silent host (median and
#     maximum over 20 calls), in a private network namespace (needs root).
# Packets go only to 127.0.0.1 and to 192.0.2.2 inside the namespaces made here.
#
#   bench/probe/run_probe_bench.sh [BUILD_DIR] [CALLS]
# BUILD_DIR defaults to build-probe in the repository; it is configured and built
# (probe only) when it has no probe_bench yet.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build-probe}
calls=${2:-10000}
bench=$build/bench/probe/probe_bench

if [[ ! -x $bench ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE2_ONLY_PROBE=ON >/dev/null
  cmake --build "$build" --target probe_bench >/dev/null
fi

"$bench" loopback "$calls"
echo

if [[ $(id -u) -ne 0 ]]; then
  echo "Silent host: skipped (network namespaces need root)"
  exit 0
fi
# Same network as the system tests: 192.0.2.2 lives in the hosts namespace, whose
# stack ignores echo requests, and nothing else answers for it.
name=orv2p-$$-0
network=$root/tests/probe/test_network.sh
trap 'bash "$network" down "$name"' EXIT
bash "$network" up "$name" raw
ip netns exec "$name" "$bench" silent 192.0.2.2 20
