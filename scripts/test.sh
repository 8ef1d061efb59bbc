#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test. Needs root for the
# network-namespace tests of the probe (they are skipped, with a message, otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure --timeout 600 "$@"
