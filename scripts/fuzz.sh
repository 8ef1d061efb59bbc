#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a bounded
# time from a copy of its seed corpus in fuzz/corpus/ (new inputs go to a temporary
# directory, never into the repository). Prints each fuzzer's executions and coverage;
# fails when any fuzzer finds a crash, a leak, undefined behaviour or a broken
# invariant, keeping the input in build-fuzz/crashes/ (make it a regression test in
# tests/ once the bug is understood).
#
#   bash scripts/fuzz.sh          60 seconds each
#   bash scripts/fuzz.sh 20       the short run of scripts/test.sh
#   bash scripts/fuzz.sh 600      a longer run
#   bash scripts/fuzz.sh 600 icmp_packet_fuzz    one fuzzer only
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(config_reader_fuzz icmp_packet_fuzz)
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [seconds] [fuzzer...]" >&2; exit 2 ;; esac

bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE2_FUZZ=ON \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz --parallel --target "${fuzzers[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source tests/sanitizers/sanitizer_env.sh

# cov: instrumented edges reached (of all edges in the fuzzer and the code it links);
# ft: libFuzzer's finer coverage features; corpus: inputs/bytes kept.
printf '\n%-20s %8s %12s %10s %12s %7s %s\n' fuzzer seconds executions exec/s cov/edges ft corpus
failed=()
for fuzzer in "${fuzzers[@]}"; do
    seeds=fuzz/corpus/${fuzzer%_fuzz}
    [ -d "$seeds" ] || { echo "no seed corpus $seeds" >&2; exit 2; }
    mkdir -p "$work/$fuzzer/corpus" "$work/$fuzzer/artifacts"
    cp "$seeds"/* "$work/$fuzzer/corpus/"
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
             -artifact_prefix="$work/$fuzzer/artifacts/")
    [ -f "fuzz/${fuzzer%_fuzz}.dict" ] && options+=(-dict="fuzz/${fuzzer%_fuzz}.dict")
    status=0
    # libFuzzer stops itself after max_total_time; the outer limit only guards a hang.
    timeout --kill-after=30 $((seconds + 300)) "build-fuzz/fuzz/$fuzzer" "${options[@]}" "$work/$fuzzer/corpus" \
        </dev/null >"$work/$fuzzer/log" 2>&1 || status=$?
    log=$work/$fuzzer/log
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
    edges=$(sed -n 's/^INFO: Loaded [0-9]* modules *(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -n 1)
    printf '%-20s %8s %12s %10s %12s %7s %s\n' "$fuzzer" "$seconds" "${executions:-?}" "${rate:-?}" \
        "${cov:-?}/${edges:-?}" "${ft:-?}" "${corp:-?}"
    if [ "$status" -ne 0 ] || [ -z "$executions" ]; then
        failed+=("$fuzzer")
        mkdir -p build-fuzz/crashes
        cp "$log" "build-fuzz/crashes/$fuzzer.log"
        cp "$work/$fuzzer/artifacts/"* build-fuzz/crashes/ 2>/dev/null || true
        echo "---- $fuzzer failed (exit $status); the end of its log:" >&2
        # From the first report line on (sanitizer, libFuzzer or a broken invariant).
        first=$(grep -n -m 1 -E '==[0-9]+==ERROR|runtime error|invariant violated|deadly signal|ERROR: libFuzzer' \
            "$log" | cut -d: -f1 || true)
        if [ -n "$first" ]; then tail -n "+$first" "$log" | grep -v -E '^ +0x[0-9a-f]+: ' | head -n 80 >&2
        else grep -v -E '^#[0-9]+' "$log" | tail -n 60 >&2; fi
        echo "---- inputs and log kept in build-fuzz/crashes/; reproduce with:" >&2
        echo "     build-fuzz/fuzz/$fuzzer build-fuzz/crashes/<input>" >&2
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "FUZZING FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "fuzzing: no crash in ${#fuzzers[@]} fuzzer(s), ${seconds} s each"
