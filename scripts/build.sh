#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds into build/; extra arguments go to CMake, e.g.
#   bash scripts/build.sh -DBUILD_TESTING=OFF      the program alone (needs Qt 6 and libcap)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build --parallel
