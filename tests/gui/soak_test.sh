#!/usr/bin/env bash
# Soak: the real program checks 100 hosts on 127.0.0.0/8 and a silent host every 5 s for
# a bounded time (SOAK_SECONDS, default 70). Its open descriptors and resident memory
# must not grow from one check cycle to the next (Qt may close some of its own).
source "$(dirname "$0")/x_session.sh"
start_xvfb
start_tray_host
make_silent_host

seconds=${SOAK_SECONDS:-70}
window=5 # seconds: one check interval
cd "$WORK"
{
    echo "checkinterval $window"
    echo "group Soak"
    for i in $(seq 100); do echo "127.0.0.$i h$i"; done
    [ -n "$SILENT" ] && echo "$SILENT silent"
} >soak.cfg
"$ORVANE2" "$WORK/soak.cfg" >"$WORK/orvane2.log" 2>&1 &
PID=$!
PIDS+=("$PID")
wait_window "Монитор узлов" >/dev/null || fail "the window did not appear"

fds() { find "/proc/$PID/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l; }
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$PID/status"; }

# One row per check interval: the fewest and most descriptors seen (the probe holds one
# socket while it waits for the silent host) and the most resident memory.
# The first two intervals are the warm-up: fonts, caches and the first colours.
samples=$WORK/samples
windows=$((seconds / window))
for w in $(seq "$windows"); do
    lo=100000 hi=0 mem=0
    end=$((SECONDS + window))
    while [ $SECONDS -lt $end ]; do
        kill -0 "$PID" 2>/dev/null || fail "the program ended during the soak: $(cat "$WORK/orvane2.log")"
        f=$(fds)
        m=$(rss)
        [ "$f" -lt "$lo" ] && lo=$f
        [ "$f" -gt "$hi" ] && hi=$f
        [ "$m" -gt "$mem" ] && mem=$m
        sleep 0.2
    done
    echo "$w $lo $hi $mem" | tee -a "$samples"
done
screenshot root soak_end.png

awk -v start=3 '
    NR < start { next }
    NR == start { lo = $2; mem = $4 }
    $2 > lo { printf "FAIL: descriptors grew from %d to %d by interval %d\n", lo, $2, $1; bad = 1 }
    $3 > lo + 1 { printf "FAIL: %d descriptors open in interval %d (at rest %d)\n", $3, $1, lo; bad = 1 }
    $4 > mem + 1024 { printf "FAIL: resident memory grew from %d to %d KiB by interval %d\n", mem, $4, $1; bad = 1 }
    END {
        if (NR < start + 3) { print "FAIL: too few intervals measured"; bad = 1 }
        if (!bad) printf "descriptors %d -> %d, resident memory %d -> %d KiB over %d intervals\n", lo, $2, mem, $4, NR - start + 1
        exit bad
    }' "$samples" || fail "the program leaks (samples: interval, fewest and most descriptors, KiB)"
echo PASS
