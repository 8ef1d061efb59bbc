#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up the machine, builds everything and runs every test. Needs root for the
# network-namespace tests of the probe (they are skipped, with a message, otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# Everything, benchmarks included, and any compiler warning is an error here.
bash scripts/build.sh -DBUILD_TESTING=ON -DORVANE2_WERROR=ON -DORVANE2_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure --timeout 600 "$@"

# The program alone, built as a distribution packager builds it (Release, no tests) into
# build-release/: the optimiser there sees code the builds above do not, and a warning it
# gives fails here too.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORVANE2_WERROR=ON >/dev/null
cmake --build build-release --parallel

# ORVANE2_NO_SANITIZERS=1 skips the sanitizer, ThreadSanitizer and fuzzing stages below
# (the run on Debian 13, scripts/test-debian13.sh, leaves them to the host's run).
if [[ ${ORVANE2_NO_SANITIZERS:-0} != 1 ]]; then
# The same tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/: any memory error, leak or undefined behaviour fails them. The
# sanitizers' run-time settings also apply while building (test discovery runs the
# test programs). All tests but the soak: it measures the program's resident memory,
# which the sanitizers' own bookkeeping (freed blocks held in quarantine, a stack trace
# kept for every allocation site) grows by design; it runs in the normal build above.
# Nor the Debian package's test, which checks how the package is made, not what runs.
(
    source tests/sanitizers/sanitizer_env.sh
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE2_SANITIZE=ON \
        -DORVANE2_WERROR=ON >/dev/null
    cmake --build build-asan --parallel
    ctest --test-dir build-asan --output-on-failure --timeout 600 -E '^(gui\.soak|package\.deb)$' "$@"
)

# The tests that run the probe's threads beside the window's thread, built with
# ThreadSanitizer into build-tsan/: a data race between the two fails them. A race shows
# only when the two threads meet in its order, so each test runs ten times.
(
    # Qt is not built with ThreadSanitizer: its own threads (the D-Bus connection's) hand
    # objects over through locks the sanitizer cannot see, so the allocations and frees
    # that Qt's code makes are not checked; every access that our code makes still is.
    export TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1"
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE2_SANITIZE_THREADS=ON \
        -DORVANE2_WERROR=ON >/dev/null
    cmake --build build-tsan --parallel --target core_tests qt_tests
    ctest --test-dir build-tsan --output-on-failure --timeout 600 --repeat until-fail:10 \
        -R '^(Qt|Window|Reentrancy)' "$@"
)

# The fuzzers, briefly, from their seed corpora (a longer run: bash scripts/fuzz.sh 600).
bash scripts/fuzz.sh 20
fi

# The Windows build: cross-built with mingw-w64, its tests run under Wine (the same
# CTest arguments select them).
bash scripts/test-windows.sh "$@"
