#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs windows_probe_test.exe under Wine in the probe's private test network
# (tests/probe/test_network.sh). The Wine prefix is made inside the namespace, so that
# the wineserver and the services that send the echo requests use its network.
#   Usage: netns_probe_test.sh EXE WINE_RUNNER
set -euo pipefail
network=$(dirname "${BASH_SOURCE[0]}")/../../probe/test_network.sh
[[ $(id -u) -eq 0 ]] || { echo "network namespaces need root"; exit 77; }
name=orv2p-$$-0 prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; bash "$network" down $name; rm -rf "$prefix"' EXIT
bash "$network" up "$name" raw
ip netns exec "$name" env WINEPREFIX="$prefix" ORVANE2_TEST_NETWORK="$name" "$2" "$1"
