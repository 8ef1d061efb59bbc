# Shared helpers for tests that drive the real program in a virtual X server.
# Source it; it starts nothing by itself. Every helper fails loudly rather than hang.
#
# A test that reads the widget tree through accessibility sets X_SESSION_PRIVATE_BUS=1
# before sourcing this file: the test then runs again inside its own D-Bus session
# (dbus-run-session), which ends with it.

set -euo pipefail

if [ "${X_SESSION_PRIVATE_BUS:-}" = 1 ] && [ -z "${X_SESSION_INSIDE_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "FAIL: dbus-run-session is missing" >&2; exit 1; }
    export X_SESSION_INSIDE_BUS=1
    # The bus daemon and the services it starts (the accessibility bus) chatter on their
    # standard output and error: those go to /dev/null, the test keeps its own (passed on
    # as fds 3 and 4).
    exec 3>&1 4>&2
    exec dbus-run-session -- bash -c 'exec 1>&3 2>&4 3>&- 4>&-; exec bash "$@"' bash "$0" "$@" \
        >/dev/null 2>&1
fi

# The program under test and where artifacts go are passed in by CTest.
: "${ORVANE2:?path of the orvane2 executable}"
: "${ARTIFACTS:?directory for screenshots}"
mkdir -p "$ARTIFACTS"

WORK=$(mktemp -d)
PIDS=()
# Commands run at exit after the processes in PIDS have ended (network clean-up, say).
EXIT_HOOKS=()
cleanup() {
    local pid hook
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    for hook in "${EXIT_HOOKS[@]}"; do eval "$hook" || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
# A test stopped by a signal (a CTest timeout, say) still cleans up.
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

fail() { echo "FAIL: $*" >&2; exit 1; }

# Fails unless $1 is a window id: xwininfo and xprop given anything else (an empty
# string, a word) wait for a mouse click on the screen, for ever.
check_id() {
    [[ ${1:-} =~ ^(0x[0-9a-fA-F]+|[0-9]+)$ ]] || fail "${FUNCNAME[1]}: \"${1:-}\" is not a window id"
}

# Seconds since the epoch with milliseconds, for timing and deadlines.
now() { date +%s.%3N; }
elapsed_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# Runs "$@" every 0.1 s until it succeeds, for at most $1 seconds (may be fractional).
# Returns 1 on timeout.
wait_until() {
    local timeout=$1 deadline
    shift
    deadline=$(awk -v t="$(now)" -v d="$timeout" 'BEGIN { printf "%.3f", t + d }')
    while :; do
        "$@" && return 0
        awk -v t="$(now)" -v d="$deadline" 'BEGIN { exit !(t >= d) }' && return 1
        sleep 0.1
    done
}

# Starts Xvfb on a free display and exports DISPLAY. The display is taken only when the
# server that owns it is ours (its lock file names our process): two tests that pick the
# same free number at once never share a server.
start_xvfb() {
    local d=100 pid owner
    for _ in 1 2 3 4 5; do
        while [ -e "/tmp/.X$d-lock" ] || [ -e "/tmp/.X11-unix/X$d" ]; do d=$((d + 1)); done
        Xvfb ":$d" -screen 0 1280x800x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            owner=$(tr -dc '0-9' 2>/dev/null <"/tmp/.X$d-lock" || true)
            if [ "$owner" = "$pid" ] && DISPLAY=":$d" xdpyinfo >/dev/null 2>&1; then
                PIDS+=("$pid")
                export DISPLAY=":$d"
                # A session bus with a StatusNotifierItem watcher would take the tray away
                # from the XEmbed tray host; a private bus (above) has no such watcher.
                [ -n "${X_SESSION_INSIDE_BUS:-}" ] || unset DBUS_SESSION_BUS_ADDRESS
                export XDG_RUNTIME_DIR="$WORK/runtime"
                mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
                export QT_QPA_PLATFORM=xcb
                return 0
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        d=$((d + 1))
    done
    fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
}

window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

# Starts openbox, a window manager, so that windows have real states (normal, iconic,
# withdrawn) and get the keyboard focus as on a desktop. Waits until it manages the screen.
start_window_manager() {
    command -v openbox >/dev/null || fail "openbox is not installed (scripts/setup.sh installs it)"
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    PIDS+=($!)
    wait_until 10 window_manager_running || fail "openbox did not take the screen: $(cat "$WORK/openbox.log")"
}

# Starts trayer, an XEmbed tray host, in the lower right corner, and sets TRAY_PANEL to
# its window and TRAY_PID to its process.
start_tray_host() {
    trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 \
        >"$WORK/trayer.log" 2>&1 &
    TRAY_PID=$!
    PIDS+=("$TRAY_PID")
    wait_until 10 eval 'TRAY_PANEL=$(xdotool search --name "^panel\$" 2>/dev/null | head -n 1); [ -n "$TRAY_PANEL" ]' \
        || fail "the tray host did not start: $(cat "$WORK/trayer.log")"
}

# Prints the ids of the icons docked in the tray whose window class is $1 (one a line).
tray_icons() {
    check_id "${TRAY_PANEL:-}"
    xwininfo -id "$TRAY_PANEL" -tree 2>/dev/null \
        | awk -v class="$1" 'index($0, "(\"" class "\" ") { print $1 }'
}

# Prints the id of the one icon of class $1 in the tray, waiting up to $2 s.
wait_tray_icon() {
    local class=$1 timeout=${2:-10} id=""
    wait_until "$timeout" eval 'id=$(tray_icons "$class" | head -n 1); [ -n "$id" ]' || return 1
    printf '%d\n' "$id"
}

# Succeeds once the tray holds no icon of class $1, waiting up to $2 s.
wait_no_tray_icon() {
    local class=$1 timeout=${2:-10}
    wait_until "$timeout" eval '[ -z "$(tray_icons "$class")" ]'
}

# Prints the id of the visible window whose title is exactly $1, waiting up to $2 s.
wait_window() {
    local title=$1 timeout=${2:-10} id=""
    for _ in $(seq $((timeout * 10))); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Width and height of a window as "WxH".
window_size() {
    check_id "${1:-}"
    xwininfo -id "$1" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w "x" h}'
}

# The state of a top-level window: "normal" (mapped and not hidden; under a window
# manager also WM_STATE Normal), "iconic" (minimised by the window manager), "withdrawn"
# (hidden: unmapped, no WM_STATE or WM_STATE Withdrawn), or "other: ..." with the details.
# Without a window manager nobody iconifies, so a minimised window that is still mapped
# reads "normal".
window_state() {
    check_id "${1:-}"
    local map wm net
    map=$(xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ {print $3}')
    wm=$(xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state:/ {print $3}')
    net=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null | cut -s -d= -f2 | tr -d ' ')
    if [ "$map" = IsViewable ] && [[ $net != *_NET_WM_STATE_HIDDEN* ]] \
        && { [ "$wm" = Normal ] || { [ -z "$wm" ] && ! window_manager_running; }; }; then
        echo normal
    elif [ "$map" != IsViewable ] && [ "$wm" = Iconic ]; then
        echo iconic
    elif [ "$map" = IsUnMapped ] && { [ -z "$wm" ] || [ "$wm" = Withdrawn ]; }; then
        echo withdrawn
    else
        echo "other: map=$map WM_STATE=$wm _NET_WM_STATE=$net"
    fi
}

# Succeeds once window $1 is in state $2 (see window_state), waiting up to $3 s.
wait_window_state() {
    wait_until "${3:-5}" window_in_state "$1" "$2"
}
window_in_state() { [ "$(window_state "$1")" = "$2" ]; }

# The process that owns window $1 (_NET_WM_PID).
window_pid() {
    check_id "${1:-}"
    xprop -id "$1" _NET_WM_PID 2>/dev/null | awk '/CARDINAL/ {print $3}'
}

# Sum of the top and bottom frame extents the window manager gives window $1 (0 without).
frame_height() {
    check_id "${1:-}"
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null \
        | awk -F'[=,]' '/CARDINAL/ {print $4 + $5; found=1} END {if (!found) print 0}'
}

# Moves the pointer to x $1, y $2 and waits until it is there. (xdotool's own
# "mousemove --sync" waits for a motion, about 16 s when the pointer is there already.)
move_pointer() {
    local X Y SCREEN WINDOW
    xdotool mousemove "$1" "$2"
    for _ in $(seq 50); do
        eval "$(xdotool getmouselocation --shell)"
        [ "$X" = "$1" ] && [ "$Y" = "$2" ] && return 0
        sleep 0.02
    done
    fail "the pointer did not move to $1,$2"
}

# Moves the pointer to the centre of window $1 and clicks button $2 there, $3 times
# (80 ms apart).
click_window() {
    check_id "${1:-}"
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    move_pointer $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    xdotool click --repeat "${3:-1}" --delay 80 "$2"
}

# Prints the ids of the visible top-level override-redirect windows of class $1 that are
# not tooltips: popup menus, completion lists. (A docked tray icon is override-redirect
# too, but its parent is the tray, not the root window.)
popup_windows() {
    local w
    for w in $(xdotool search --onlyvisible --class "^$1\$" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xwininfo -id "$w" -children 2>/dev/null | grep -q '^  Parent window id: .*(the root window)' || continue
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP && continue
        echo "$w"
    done
    return 0
}

# Waits up to $2 s for process $1 (a child of this shell) to end and sets EXIT_CODE to its
# exit code; returns 1 if it is still running. Not to be called in $(...): a subshell
# cannot wait for its parent's children.
wait_exit() {
    local pid=$1 timeout=${2:-10}
    EXIT_CODE=""
    wait_until "$timeout" eval '! kill -0 "$pid" 2>/dev/null' || return 1
    EXIT_CODE=0
    wait "$pid" || EXIT_CODE=$?
}

# Succeeds once process $1 (not necessarily our child) has ended or is a zombie,
# waiting up to $2 s.
wait_gone() {
    local pid=$1 timeout=${2:-10}
    wait_until "$timeout" process_ended "$pid"
}

# Succeeds if process $1 does not exist or is a zombie.
process_ended() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || true)
    [ -z "$state" ] || [ "$state" = Z ]
}

# Saves a screenshot of window $1 (or "root") as $ARTIFACTS/$2.
screenshot() {
    [ "$1" = root ] || check_id "$1"
    import -window "$1" "$ARTIFACTS/$2"
}

# Saves the screen's area under window $1 as $ARTIFACTS/$2: unlike a screenshot of the
# window itself it shows the popups over it (a list of completions, say).
screenshot_area() {
    check_id "$1"
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$ARTIFACTS/$2"
}

# Counts the pixels of exactly the colour $2 (as "#RRGGBB") inside the rectangle
# WxH+X+Y ($3) of image file $1.
count_colour() {
    convert "$1" -crop "$3" +repage txt:- | grep -ci " $2 " || true
}

# Starts the accessibility bus of the private D-Bus session (X_SESSION_PRIVATE_BUS) so
# that programs started after it register their widget trees.
start_accessibility() {
    [ -n "${X_SESSION_INSIDE_BUS:-}" ] || fail "start_accessibility needs X_SESSION_PRIVATE_BUS=1"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null \
        || fail "python3-pyatspi is not installed (scripts/setup.sh installs it)"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    timeout 20 /usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0).childCount' \
        >"$WORK/atspi.log" 2>&1 || fail "the accessibility bus did not start: $(cat "$WORK/atspi.log")"
}

# Python code shared by the accessibility helpers: the registered applications of a
# process. An application that has just ended may still be listed and fail to answer:
# it is skipped.
ATSPI_PRELUDE='
import sys
import pyatspi

def applications():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        try:
            app = desktop.getChildAtIndex(i)
            if app is not None:
                yield app, app.get_process_id()
        except Exception:
            continue

def applications_of(pid):
    return [app for app, app_pid in applications() if app_pid == pid]
'

# Prints the applications registered for accessibility as "name pid", one a line.
accessible_apps() {
    timeout 10 /usr/bin/python3 -c "$ATSPI_PRELUDE
for app, pid in applications():
    print(app.name, pid)"
}

# Prints the board of the program with process id $1 as the accessibility tree shows it:
# for each visible group box "group <caption>", then for each label in it "label <text>",
# in the tree's order. Hidden widgets (the templates) are left out.
accessible_board() {
    local code
    code=$(cat <<'PYEOF'

pid = int(sys.argv[1])

def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)

def walk(node, inside_group):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None or not showing(child):
            continue
        role = child.getRole()
        if role == pyatspi.ROLE_PANEL and child.name:
            print("group " + child.name)
            walk(child, True)
        elif role == pyatspi.ROLE_LABEL:
            if inside_group:
                print("label " + child.name)
        else:
            walk(child, inside_group)

for app in applications_of(pid):
    for j in range(app.childCount):
        window = app.getChildAtIndex(j)
        if window is not None and window.name == "Монитор узлов":
            walk(window, False)
PYEOF
    )
    timeout 10 /usr/bin/python3 -c "$ATSPI_PRELUDE$code" "$1"
}

# Prints every node of the top-level window titled $2 of the program with process id $1
# as "role: name", one a line, depth first (hidden nodes too, such as a combo box's list).
accessible_window() {
    local code
    code=$(cat <<'PYEOF'

pid, title = int(sys.argv[1]), sys.argv[2]

def walk(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            print(child.getRoleName() + ": " + child.name)
            walk(child)

for app in applications_of(pid):
    for j in range(app.childCount):
        window = app.getChildAtIndex(j)
        if window is not None and window.name == title:
            walk(window)
PYEOF
    )
    timeout 10 /usr/bin/python3 -c "$ATSPI_PRELUDE$code" "$1" "$2"
}

# Prints the top-level windows of the program with process id $1 as "role: name", one a
# line (its window, a dialog, a tooltip).
accessible_toplevels() {
    timeout 10 /usr/bin/python3 -c "$ATSPI_PRELUDE
for app in applications_of(int(sys.argv[1])):
    for j in range(app.childCount):
        window = app.getChildAtIndex(j)
        if window is not None:
            print(window.getRoleName() + ': ' + window.name)" "$1"
}

# The silent host. Packets of this test go only to 127.0.0.0/8 and to the namespace made
# here: a veth pair whose root end has an address of a /30 in 198.51.100.0/24 (chosen
# free on this machine) and whose other end, inside the namespace, has the next address;
# the namespace's stack ignores echo requests.
# Sets SILENT to the silent host's address, or leaves it empty (with a SKIP message)
# where no namespace can be made. Called plainly (not in a condition) so that "set -e"
# stops the test at any failing step.
SILENT=""
make_silent_host() {
    if [ "$(id -u)" != 0 ]; then
        echo "SKIP (silent host): not root, no network namespace can be made"
        return 0
    fi
    # Namespaces left by runs of this test that were killed before their clean-up.
    local ns
    for ns in $(ip netns list 2>/dev/null | awk '{print $1}' | grep -E '^orv2gui-[0-9]+$' || true); do
        kill -0 "${ns#orv2gui-}" 2>/dev/null || ip netns del "$ns" 2>/dev/null || true
    done
    NS=orv2gui-$$
    if ! ip netns add "$NS" 2>/dev/null; then
        echo "SKIP (silent host): network namespaces cannot be created here"
        return 0
    fi
    EXIT_HOOKS+=("ip netns del $NS 2>/dev/null")
    VETH_ROOT=o2g$$r
    VETH_NS=o2g$$n
    ip link add "$VETH_ROOT" type veth peer name "$VETH_NS" netns "$NS"
    # Deleting the namespace deletes the pair; this also covers a failure in between.
    EXIT_HOOKS+=("ip link del $VETH_ROOT 2>/dev/null")
    sysctl -qw "net.ipv6.conf.$VETH_ROOT.disable_ipv6=1" 2>/dev/null || true

    local i block root_ip="" silent=""
    for i in $(seq 0 63); do
        block=$(((($$ + i) % 64) * 4))
        [ -z "$(ip -o -4 addr show to "198.51.100.$block/30")" ] || continue
        root_ip=198.51.100.$((block + 1))
        silent=198.51.100.$((block + 2))
        ip addr add "$root_ip/30" dev "$VETH_ROOT"
        # Another run may have taken the same /30 at the same moment: then try the next.
        [ "$(ip -o -4 addr show to "198.51.100.$block/30" | wc -l)" = 1 ] && break
        ip addr del "$root_ip/30" dev "$VETH_ROOT"
        root_ip=""
    done
    [ -n "$root_ip" ] || fail "no free /30 in 198.51.100.0/24 for the silent host"
    ip link set "$VETH_ROOT" up
    ip -n "$NS" link set lo up
    ip -n "$NS" addr add "$silent/30" dev "$VETH_NS"
    ip -n "$NS" link set "$VETH_NS" up
    ip netns exec "$NS" sysctl -qw net.ipv4.icmp_echo_ignore_all=1

    # Only our own link leads to the silent address.
    ip -4 route get "$silent" | grep -q " dev $VETH_ROOT " \
        || fail "the silent address $silent is not routed through $VETH_ROOT: $(ip -4 route get "$silent")"
    # The host is there (it answers ARP) but answers no echo request.
    if ping -n -c 1 -W 1 "$silent" >/dev/null 2>&1; then
        fail "the silent host $silent answered an echo request"
    fi
    ip neigh show "$silent" dev "$VETH_ROOT" | grep -q lladdr \
        || fail "the silent host $silent is not on the link (no ARP answer)"
    echo "silent host $silent in namespace $NS (root end $root_ip on $VETH_ROOT)"
    SILENT=$silent
}
