# Shared helpers for tests that drive the real program in a virtual X server.
# Source it; it starts nothing by itself. Every helper fails loudly rather than hang.

set -euo pipefail

# The program under test and where artifacts go are passed in by CTest.
: "${ORVANE2:?path of the orvane2 executable}"
: "${ARTIFACTS:?directory for screenshots}"
mkdir -p "$ARTIFACTS"

WORK=$(mktemp -d)
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts Xvfb on a free display and exports DISPLAY.
start_xvfb() {
    local d=100
    while [ -e "/tmp/.X$d-lock" ] || [ -e "/tmp/.X11-unix/X$d" ]; do d=$((d + 1)); done
    Xvfb ":$d" -screen 0 1280x800x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    PIDS+=($!)
    export DISPLAY=":$d"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY: $(cat "$WORK/xvfb.log")"
    unset DBUS_SESSION_BUS_ADDRESS
    export XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=xcb
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
    xwininfo -id "$1" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w "x" h}'
}

screenshot() {
    import -window "$1" "$ARTIFACTS/$2"
}
