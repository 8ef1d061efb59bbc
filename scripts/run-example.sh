#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up the machine, builds the program and runs it on the bundled example
# configuration (examples/vantor2.cfg, found as the default file in that folder).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh -DBUILD_TESTING=OFF -DORVANE2_BUILD_BENCH=OFF
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop session found (DISPLAY is not set): run this from a desktop terminal." >&2
    exit 1
fi
cd examples
exec ../build/src/orvane2
