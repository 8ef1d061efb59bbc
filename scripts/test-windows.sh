#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the Windows program and its tests (scripts/build-windows.sh) and runs
# every test of build-windows/ under Wine through ctest: the unit tests, the probe on
# Windows' network services (loopback, and in private network namespaces as root),
# and the end-to-end tests of the program when they are there.
#
#   bash scripts/test-windows.sh [CTEST ARGUMENTS...]
#
# Needs no display (tests that draw start their own Xvfb) and no network: the Wine
# prefix, build-windows/wine-prefix, is made without the Mono and Gecko downloads.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${ORVANE2_WINDOWS_BUILD:-$root/build-windows}")
export ORVANE2_WINDOWS_BUILD=$build

start=$SECONDS
# Tests, benchmarks, and any compiler warning is an error, as in the Linux build.
bash "$root/scripts/build-windows.sh" -DBUILD_TESTING=ON -DORVANE2_BUILD_BENCH=ON -DORVANE2_WERROR=ON
built=$SECONDS

# Every Windows program of the tests runs through this (the toolchain's emulator).
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
# Every test is a process of its own. A wine server kept up between them, with the
# prefix's service processes started here once (their output away from ctest's pipes,
# which they would otherwise hold open), spares each test about two seconds.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
"$root/cmake/toolchains/wine-run.sh" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1
booted=$SECONDS

ctest --test-dir "$build" --output-on-failure --timeout 600 "$@"
echo "Windows part: build $((built - start)) s, Wine prefix $((booted - built)) s, tests $((SECONDS - booted)) s"
