# SPDX-License-Identifier: MIT
# Shared steps for tests that drive the real program in a virtual X server; source it.
# PROGRAM (array, default a copy of $ORVANE2): the command that starts the program, say (wine
#   orvane2.exe). ACCESSIBLE=1 before sourcing: the test reruns itself in a private D-Bus
#   session with accessibility on, and message_text reads the widgets (AT-SPI).
# start_xvfb; start_wm (openbox); start_tray (trayer; sets PANEL, TRAY_PID)
# start_program ARGS: once the previous program has ended, runs "${PROGRAM[@]}" ARGS under
#   a reaper that adopts every process the program spawns; sets PID. stop_program.
# tree_pids: the program's processes. exit_code P [T]: waits for P to end, prints its code.
# find_window TITLE [T], tray_icon [T], popup_menu [T]: a window that a process of the tree
#   owns (_NET_WM_PID): top-level by exact title, icon docked in the tray, popup menu.
# shown W, hidden W, window_size W, window_pid W; click W BUTTON [I N]: the centre of W or
#   of row I of N; message_text BOX (AT-SPI, or Wine's +msgbox trace), press_ok BOX;
#   accessible ROLE: "name x y width height" of each widget whose role matches the regular
#   expression ROLE (AT-SPI); python3 -c "$DESCRIBED" PIDS: "name: description" of each
#   widget of the processes PIDS that has a description, its lines joined by " | " (AT-SPI);
#   snapshot W PNG: a picture of W once W is whole (below);
#   count_colour PNG #RRGGBB WxH+X+Y; labels_are G|R...: WIN's labels, dark green or red
#   (counts in COUNTS); refused (below); wait_until T CMD...; netns NAME; make_silent_host:
#   PROGRAM runs in namespace NS of tests/probe/test_network.sh; SILENT, in NS-s, answers none.
#   dead_name_server (after make_silent_host): the program's name server is SILENT, which
#   takes every query and answers none: a lookup of a name not in /etc/hosts fails after 2 s.
set -euo pipefail
if [ "${ACCESSIBLE:-}" = 1 ] && [ -z "${IN_BUS:-}" ]; then # the bus's chatter goes to /dev/null
    IN_BUS=1 exec dbus-run-session -- bash -c 'exec 1>&3 2>&4 3>&- 4>&-; exec bash "$@"' bash "$0" "$@" 3>&1 4>&2 &>/dev/null
fi
# Outside a private bus, no bus: a StatusNotifierItem watcher would replace the tray.
[ -n "${IN_BUS:-}" ] && export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 || unset DBUS_SESSION_BUS_ADDRESS
: "${ARTIFACTS:?directory for screenshots}"
WORK=$(mktemp -d) PIDS=() HOOKS=() LAUNCHER=""
# A copy: the program, holding no capability, could not start itself again from a checkout
# that another user owns.
[ -n "${PROGRAM+x}" ] || { cp "${ORVANE2:?path of the program}" "$WORK/orvane2" && PROGRAM=("$WORK/orvane2"); }
export XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$ARTIFACTS" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
# The accessibility bus that the private bus starts keeps its socket there, not in the one
# ~/.cache/at-spi that every test (and every other session of the user) would share.
[ -z "${IN_BUS:-}" ] || dbus-update-activation-environment XDG_RUNTIME_DIR
cleanup() {
    set +e
    stop_program
    for p in "${PIDS[@]}"; do kill "$p" && wait "$p"; done 2>/dev/null
    for h in "${HOOKS[@]}"; do eval "$h" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP
fail() { # with what was on the screen, the program's processes, and the last it wrote
    echo "FAIL: $*" >&2
    { for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do echo "window $w pid $(window_pid "$w") $(xdotool getwindowname "$w")"; done
      [ -z "$LAUNCHER" ] || ps -o pid=,stat=,etime=,args= -p "$(tree_pids | paste -sd,)"; tail -n 8 "$WORK/program.log"; } 2>/dev/null | sed 's/^/  /' >&2
    exit 1
}
has() { awk -v re="$1" '$0 ~ re { f = 1 } END { exit !f }'; } # reads all its input
wait_until() {
    local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
    until "${@:2}"; do [ "${EPOCHREALTIME/./}" -lt "$end" ] && sleep 0.1 || return 1; done
}
gone() { [ ! -e "/proc/$1" ] || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]; }

start_xvfb() { # Xvfb takes a free display itself and names it once it accepts clients
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" & PIDS+=($!)
    wait_until 10 test -s "$WORK/display" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$(cat "$WORK/display")
}
start_wm() {
    openbox --sm-disable &>"$WORK/openbox.log" & PIDS+=($!)
    wait_until 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | has "window id"' || fail "openbox did not start"
}
start_tray() {
    trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 &>"$WORK/trayer.log" &
    TRAY_PID=$! PANEL="" PIDS+=($!)
    wait_until 10 eval 'PANEL=$(xdotool search --name "^panel\$" | sed -n 1p); [ -n "$PANEL" ]' ||
        fail "the tray did not start: $(cat "$WORK/trayer.log")"
}

# A child subreaper: a restarted program or Wine's processes stay its descendants. It
# logs "launched PID" and "exited PID CODE" for every child it reaps.
REAPER='import ctypes, os, sys
ctypes.CDLL(None).prctl(36, 1)
log, pid = open(sys.argv[1], "a", buffering=1), os.fork()
pid or os.execvp(sys.argv[2], sys.argv[2:])
log.write(f"launched {pid}\n")
while True:
    try: p, status = os.wait()
    except ChildProcessError: break
    log.write(f"exited {p} {os.waitstatus_to_exitcode(status)}\n")'
start_program() {
    [ -z "$LAUNCHER" ] || wait_until 10 gone "$LAUNCHER" || fail "the previous program still runs: $(tree_pids)"
    : >"$WORK/reaper.log"
    python3 -c "$REAPER" "$WORK/reaper.log" "${PROGRAM[@]}" "$@" &>>"$WORK/program.log" &
    LAUNCHER=$! PID=""
    wait_until 5 eval 'PID=$(awk "/^launched/ { print \$2 }" "$WORK/reaper.log"); [ -n "$PID" ]' ||
        fail "the program did not start"
}
tree_pids() {
    [ -z "$LAUNCHER" ] || ps -e -o pid= -o ppid= | awk -v r="$LAUNCHER" '{ up[$1] = $2 }
        END { for (p in up) for (q = up[p]; q > 1; q = up[q]) if (q == r) { print p; break } }'
}
stop_program() {
    [ -n "$LAUNCHER" ] || return 0
    kill $(tree_pids) 2>/dev/null || true
    wait_until 10 gone "$LAUNCHER" || kill -9 $(tree_pids) "$LAUNCHER" 2>/dev/null || true
    wait "$LAUNCHER" 2>/dev/null || true; LAUNCHER=""
}
exited() { awk -v p="$1" '$1 == "exited" && $2 == p { print $3 }' "$WORK/reaper.log"; }
exit_code() {
    local p=$1 code=""
    wait_until "${2:-10}" eval 'code=$(exited "$p"); [ -n "$code" ]' || fail "process $p still runs after ${2:-10} s"
    echo "$code"
}
window_pid() { xprop -id "$1" _NET_WM_PID 2>/dev/null | awk '/=/ { print $3 }'; }
of_program() { # keeps the windows (ids on the input) that a process of the tree owns
    local pids w
    pids=" $(tree_pids | tr '\n' ' ')"
    while read -r w; do [[ $pids != *" $(window_pid "$w") "* ]] || echo "$w"; done
}
first_of() { # runs CMD, which lists windows, until one is the program's, for up to T s
    local ids="" cmd=("${@:2}")
    wait_until "$1" eval 'ids=$("${cmd[@]}" 2>/dev/null | of_program); [ -n "$ids" ]' && sed -n 1p <<<"$ids"
}
find_window() { first_of "${2:-10}" xdotool search --onlyvisible --name "^$1\$"; }
tray_icons() { xwininfo -id "$PANEL" -tree | awk '$1 ~ /^0x/ { print $1 }' | of_program; }
tray_icon() { first_of "${1:-10}" tray_icons; }
popups() { # mapped override-redirect top-level windows, tooltips and Wine's shell (balloons) left out
    for w in $(xdotool search --onlyvisible --maxdepth 1 --name '' | of_program); do
        xwininfo -id "$w" | has 'Override Redirect State: yes' &&
            ! xprop -id "$w" _NET_WM_WINDOW_TYPE WM_CLASS | has 'TOOLTIP|"explorer.exe"' && echo "$w"
    done; true
}
popup_menu() { first_of "${1:-10}" popups; }
shown() { xwininfo -id "$1" 2>/dev/null | has IsViewable && ! xprop -id "$1" _NET_WM_STATE | has HIDDEN; }
# Unmapped, and not merely minimised by a window manager.
hidden() { xwininfo -id "$1" 2>/dev/null | has IsUnMapped && ! xprop -id "$1" WM_STATE | has 'state: (Normal|Iconic)'; }
window_size() { xwininfo -id "$1" | awk '/^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print w "x" h }'; }
click() { # clicks come at least 0.5 s apart: closer ones would make a double click
    local X Y WIDTH HEIGHT SCREEN WINDOW x y
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$((X + WIDTH / 2)) y=$((Y + HEIGHT * (2 * ${3:-1} - 1) / (2 * ${4:-1})))
    xdotool mousemove "$x" "$y"
    wait_until 2 eval 'xdotool getmouselocation | has "^x:$x y:$y "' || fail "the pointer did not move to $x,$y"
    sleep 0.5
    xdotool click "$2"
}
ALERT='import sys, pyatspi
for app in (a for a in pyatspi.Registry.getDesktop(0) if a and str(a.get_process_id()) in sys.argv):
    for w in (w for w in app if w and w.getRoleName() == "alert"):
        print("\n".join(c.name for c in w if c.getRoleName() == "label" and c.name))'
TRACED='import re, sys
t = [l.split(" ", 1)[1].strip()[2:-1] for l in open(sys.argv[1], errors="replace") if ":trace:msgbox:" in l]
t and print(re.sub(r"\\([0-9a-f]{4}|.)", lambda m: chr(int(m[1], 16)) if len(m[1]) == 4 else {"n": "\n"}.get(m[1], m[1]), t[-1]))'
read_message() { # through AT-SPI; under Wine with WINEDEBUG=+msgbox, the text it traced last
    if [ -n "${IN_BUS:-}" ]; then timeout 10 /usr/bin/python3 -c "$ALERT" $(tree_pids) 2>/dev/null; else python3 -c "$TRACED" "$WORK/program.log"; fi
}
NODES='import re, sys, pyatspi
def walk(node):
    for c in node:
        if re.fullmatch(sys.argv[1], c.getRoleName()): print(c.name, *c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))
        walk(c)
[walk(a) for a in pyatspi.Registry.getDesktop(0) if str(a.get_process_id()) in sys.argv[2:]]'
accessible() { timeout 10 /usr/bin/python3 -c "$NODES" "$1" $(tree_pids) 2>/dev/null; }
DESCRIBED='import sys, pyatspi
def walk(node):
    for c in node:
        c.description and print(c.name + ": " + c.description.replace("\n", " | "))
        walk(c)
[walk(a) for a in pyatspi.Registry.getDesktop(0) if str(a.get_process_id()) in sys.argv[1:]]'
message_text() { local box=$1 t=""; wait_until 10 eval 't=$(read_message "$box"); [ -n "$t" ]' && echo "$t"; }
press_ok() { xdotool windowfocus --sync "$1" key Return; }
# Taken again until W lies inside its parent and has its size: a window manager may still be
# sliding in a window just mapped (openbox: up from below the screen, in a frame 20 pixels high).
picture() {
    local info size
    info=$(xwininfo -id "$1" -tree -stats) && info+=$'\n'$(xwininfo -id "$(awk '/Parent window id:/ { print $4 }' <<<"$info")") &&
        size=$(awk '/Relative upper-left X/ && !n { x = $4 } /Relative upper-left Y/ && !n { y = $4 } /^  Width/ { w[n + 0] = $2 }
            /^  Height/ { h[n++] = $2 } END { if (n == 2 && x >= 0 && y >= 0 && x + w[0] <= w[1] && y + h[0] <= h[1]) print w[0] "x" h[0] }' <<<"$info") &&
        [ -n "$size" ] && import -window "$1" "$2" 2>/dev/null && [ "$(identify -format %wx%h "$2")" = "$size" ]
}
snapshot() { wait_until 2 picture "$@"; }
count_colour() { convert "$1" -crop "$3" +repage txt:- | grep -ci " $2 " || true; }
G='#008000' R='#FF0000'
labels_are() { # labels of 167 x 17 pixels, one under the other, the first at 16,24
    local y=24 want n m both=$G$R
    COUNTS="" && snapshot "$WIN" "$WORK/labels.png" || return 1
    for want in "$@"; do
        n=$(count_colour "$WORK/labels.png" "$want" "167x17+16+$y")
        m=$(count_colour "$WORK/labels.png" "${both/"$want"/}" "167x17+16+$y")
        COUNTS+="$n of $want, $m of the other; " y=$((y + 17)) && [ "$n" -ge 10 ] && [ "$m" = 0 ] || return 1
    done
}
refused() { # TEXT ARGS...: started with ARGS, the program says "Конфигурационный файл TEXT"; closed, it ends with 1
    start_program "${@:2}" && BOX=$(find_window Orvane2 20) && text=$(message_text "$BOX") || fail "no message box for $1"
    [ "$text" = "Конфигурационный файл $1" ] && press_ok "$BOX" && [ "$(exit_code "$PID")" = 1 ] || fail "[$text], exit code $(exited "$PID")"
}
netns() { ip netns add "$1" && HOOKS+=("ip netns del $1") && ip -n "$1" link set lo up; }
make_silent_host() {
    NS=orv2p-$$ SILENT=192.0.2.2 NETWORK=$(dirname "${BASH_SOURCE[0]}")/../probe/test_network.sh
    bash "$NETWORK" up "$NS" raw || fail "the test network could not be built"
    HOOKS+=("bash '$NETWORK' down $NS") PROGRAM=(ip netns exec "$NS" "${PROGRAM[@]}")
}
dead_name_server() {
    ip netns exec "$NS-s" python3 -c 'import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind((sys.argv[1], 53))
while True: s.recv(4096)' "$SILENT" & PIDS+=($!)
    wait_until 20 eval 'ip netns exec "$NS-s" ss -Hlun | has ":53 "' || fail "the name server did not start"
}
