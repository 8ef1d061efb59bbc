#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up to window shown (255 hosts in 20 groups) and memory: the Windows program
# under Wine, warm (a running Wine session: server, desktop process with the tray and
# services kept up by a program with a window of its own, as on a Windows desktop),
# in turn with the Linux program, RUNS times each with PAUSE seconds between rounds.
#
#   bash bench/startup/windows_startup.sh [WINDOWS_BUILD [LINUX_BUILD]]
#
# WINDOWS_BUILD defaults to build-windows/ (bash scripts/build-windows.sh), LINUX_BUILD
# to build/ configured with -DORVANE2_BUILD_BENCH=ON (for window_shown).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exe=$(realpath "${1:-$root/build-windows}")/src/win32/orvane2.exe
linux_build=$(realpath "${2:-$root/build}")
linux=$linux_build/src/orvane2 shown_tool=$linux_build/bench/window_shown runs=${RUNS:-10}
export PAUSE=${PAUSE:-3}
work=$(mktemp -d) pids=()
trap 'for p in "${pids[@]}"; do kill $p 2>/dev/null; done; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX=${WINEPREFIX:-$work/prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null & pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/rt; mkdir -m 700 "$work/rt"; unset DBUS_SESSION_BUS_ADDRESS
trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 >/dev/null 2>&1 & pids+=($!)
sleep 1
{ echo "checkinterval 3600"; n=0
  for g in $(seq 20); do echo "group Группа $g"
    for _ in $(seq 13); do n=$((n + 1)); [ $n -le 255 ] && echo "127.0.$((n / 250)).$((n % 250 + 1)) узел$n"; done; done; } >"$work/255.cfg"
[ -d "$WINEPREFIX" ] || wine wineboot --init >/dev/null 2>&1
# The warm session: the server, the desktop process with the tray and the services stay
# up between runs, kept by a program with a window of its own, as on a Windows desktop.
wineserver -p && { wine notepad >/dev/null 2>&1 & pids+=($!); } && sleep 3
"$shown_tool" "Монитор узлов" 500 wine "$exe" "$work/255.cfg" >/dev/null 2>&1   # warm-up
"$shown_tool" "Монитор узлов" 500 "$linux" "$work/255.cfg" >/dev/null 2>&1
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
: >"$work/w" && : >"$work/l"
for i in $(seq "$runs"); do
    "$shown_tool" "Монитор узлов" 1000 wine "$exe" "$work/255.cfg" >>"$work/w" 2>/dev/null
    "$shown_tool" "Монитор узлов" 1000 "$linux" "$work/255.cfg" >>"$work/l" 2>/dev/null
    sleep "${PAUSE:-0}"
done
echo "windows under wine: shown $(awk '{print $1}' "$work/w" | median) ms, exe process RSS $(awk '{print $2}' "$work/w" | median) KiB (runs: $(awk '{printf "%s ", $1}' "$work/w"))"
echo "linux: shown $(awk '{print $1}' "$work/l" | median) ms, RSS $(awk '{print $2}' "$work/l" | median) KiB (runs: $(awk '{printf "%s ", $1}' "$work/l"))"
# Memory of the whole Wine session while the program shows its board.
wine "$exe" "$work/255.cfg" >/dev/null 2>&1 & p=$!; sleep 4
ps -e -o pid=,comm= | while read -r pid comm; do
    readlink "/proc/$pid/exe" 2>/dev/null | grep -q '^/usr/lib/wine/' || continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    printf '%s %s %s %s\n' "$(awk '/^VmRSS/ {print $2}' /proc/$pid/status)" "$(awk '/^Pss:/ {print $2}' /proc/$pid/smaps_rollup)" "$pid" "$(tr '\0' ' ' </proc/$pid/cmdline | cut -c1-50)"
done | tee "$work/session" | sort -rn
echo "wine session total: RSS $(awk '{s += $1} END {print s}' "$work/session") KiB, PSS $(awk '{s += $2} END {print s}' "$work/session") KiB"
ps -o rss= -p $p; kill $p
"$linux" "$work/255.cfg" >/dev/null 2>&1 & q=$!; sleep 3
echo "linux PSS $(awk '/^Pss:/ {print $2}' /proc/$q/smaps_rollup) KiB RSS $(awk '/^VmRSS/ {print $2}' /proc/$q/status) KiB"; kill $q
