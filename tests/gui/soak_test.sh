#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Soak: the program checks 100 hosts on 127.0.0.0/8 and a silent host every 5 s for 30 s.
# From the third interval on, its open descriptors (the fewest seen in each interval; the
# probe holds one socket while it waits) and its resident memory must not grow.
source "$(dirname "$0")/harness.sh"
make_silent_host
start_xvfb && start_tray
cd "$WORK"
{ printf 'checkinterval 5\ngroup Soak\n%s silent\n' "$SILENT" && for i in $(seq 100); do echo "127.0.0.$i h$i"; done; } >soak.cfg
start_program "$WORK/soak.cfg"
find_window "Монитор узлов" >/dev/null || fail "no window"
for w in 1 2 3 4 5 6; do # one line per interval: fewest and most descriptors, most KiB
    lo=100000 hi=0 mem=0 end=$((SECONDS + 5))
    while [ $SECONDS -lt $end ]; do
        gone "$PID" && fail "the program ended: $(cat "$WORK/program.log")"
        f=$(ls "/proc/$PID/fd" | wc -l) m=$(awk '/^VmRSS:/ { print $2 }' "/proc/$PID/status")
        lo=$((f < lo ? f : lo)) hi=$((f > hi ? f : hi)) mem=$((m > mem ? m : mem))
        sleep 0.2
    done
    echo "$w $lo $hi $mem" | tee -a samples
done
awk 'NR == 3 { lo = $2; mem = $4 } NR >= 3 && ($2 > lo || $3 > lo + 1 || $4 > mem + 1024) { bad = 1 }
    END { exit bad }' samples || fail "descriptors or resident memory grew (interval, fewest, most, KiB)"
echo PASS
