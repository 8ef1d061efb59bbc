#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs windows_probe_test.exe under Wine in the probe's private test network
# (tests/probe/test_network.sh): 192.0.2.2 ignores echo requests, 198.51.100.9 is
# reported unreachable, the resolver is 127.0.0.1 where nothing listens. The Wine
# prefix is made inside the namespace, so that the wineserver and the services that
# send the echo requests use its network.   Usage: netns_probe_test.sh EXE WINE_RUNNER
set -euo pipefail
network=$(dirname "${BASH_SOURCE[0]}")/../../probe/test_network.sh
[[ $(id -u) -eq 0 ]] || { echo "network namespaces need root"; exit 77; }
name=orv2p-$$-0 prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; bash "$network" down $name; rm -rf "$prefix"' EXIT
bash "$network" up "$name" raw
ip netns exec "$name-c" env WINEPREFIX="$prefix" ORVANE2_SILENT_HOST=192.0.2.2 \
    ORVANE2_UNREACHABLE_HOST=198.51.100.9 ORVANE2_UNRESOLVABLE_NAME=no-such-host.invalid "$2" "$1"
