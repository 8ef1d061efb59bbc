#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the Windows program, its tests and its packages on Debian 12 and 13
# with mingw-w64 (64-bit, static GCC runtime), into build-windows/:
#
#   bash scripts/build-windows.sh [EXTRA CMAKE ARGUMENTS...]
#
# 1. installs what is missing: mingw-w64 (POSIX threads), Wine with its fonts and
#    the X libraries its display driver loads (runs the tests), NSIS and zip
#    (packages), GoogleTest's sources, CMake, Ninja, iproute2 (namespace tests), and
#    the virtual desktop the tests show windows on (Xvfb, openbox, trayer, xdotool);
# 2. builds GoogleTest from Debian's sources for the same target, once, into
#    build-windows/third_party/googletest;
# 3. configures the project with cmake/toolchains/mingw-w64-x86_64.cmake and builds
#    everything (at most two compile jobs: the machine has two cores);
# 4. makes the zip and the installer with packaging/windows/make-packages.sh, when
#    that script is there.
# Run as root or with sudo at hand for step 1; with --setup as its only argument, it
# ends after step 1. scripts/test-windows.sh runs this and then the tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${ORVANE2_WINDOWS_BUILD:-$root/build-windows}")
toolchain=$root/cmake/toolchains/mingw-w64-x86_64.cmake
jobs=${ORVANE2_JOBS:-2}

export DEBIAN_FRONTEND=noninteractive
pkgs=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis zip googletest iproute2
    libxrender1 libxrandr2 libxcursor1 libxi6 libxinerama1 libxcomposite1 libxfixes3
    xvfb xauth openbox trayer xdotool x11-utils imagemagick)  # the desktop the tests run the program on
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=""; [[ $(id -u) -ne 0 ]] && sudo=sudo
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
[[ ${1:-} != --setup ]] || exit 0

gtest=$build/third_party/googletest
if [[ ! -f $gtest/lib/cmake/GTest/GTestConfig.cmake ]]; then
    cmake -S /usr/src/googletest -B "$build/third_party/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
    cmake --build "$build/third_party/googletest-build" --parallel "$jobs"
    cmake --install "$build/third_party/googletest-build" >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DGTest_DIR="$gtest/lib/cmake/GTest" "$@"
cmake --build "$build" --parallel "$jobs"

if [[ -f $root/packaging/windows/make-packages.sh ]]; then
    (cd "$root" && bash packaging/windows/make-packages.sh "$build")
fi
