#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the host probe on the Windows platform under Wine, from the cross build:
#  1. Resolve+Ping on 127.0.0.1 (median, p99 over CALLS calls);
#  2. how far past its 1000 ms timeout Ping returns for a silent host (10 calls), in
#     the probe's private network namespaces (root), with a Wine prefix made inside
#     them so that Wine's ICMP sockets are opened there.
# Packets go only to 127.0.0.1 and to 192.0.2.2 inside the namespaces made here.
#
#   bench/probe/run_windows_probe_bench.sh [BUILD_DIR] [CALLS]
# BUILD_DIR defaults to build-windows (made by scripts/build-windows.sh).
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
[[ $(id -u) -eq 0 ]] || { echo "Silent host: skipped (network namespaces need root)"; exit 0; }
name=orv2p-$$-0
prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; bash "$root/tests/probe/test_network.sh" down "$name"; rm -rf "$prefix"' EXIT
bash "$root/tests/probe/test_network.sh" up "$name" raw
ip netns exec "$name" env WINEPREFIX="$prefix" "$run" "$bench" silent 192.0.2.2 10
