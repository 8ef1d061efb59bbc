# SPDX-License-Identifier: MIT
# Desktops beside the harness's Xvfb; source after harness.sh. start_bus: a private session
# bus; has_name NAME: NAME is owned there. start_sway: headless sway, 1280x800, where the
# program runs on Wayland; tap X Y BUTTON: a click of its virtual pointer; window: the
# program's window there, "SHELL APP_ID WxH X,Y" of its content, nothing while unmapped.
start_bus() { # no service activation: nothing starts behind the test's back
    printf '<busconfig><type>session</type><listen>unix:path=%s/bus</listen><policy context="default">
        <allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy></busconfig>' "$WORK" >"$WORK/bus.conf"
    dbus-daemon --config-file="$WORK/bus.conf" --nofork --print-address=3 3>"$WORK/bus.address" 2>/dev/null & PIDS+=($!)
    wait_until 5 test -s "$WORK/bus.address" || fail "no session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$WORK/bus.address")
}
has_name() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:"$1" | has 'boolean true'; }
start_sway() { # sway refuses root: it runs as nobody, and the test's clients connect by path
    local run=$WORK/sway dir
    dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    chmod 711 "$WORK" && mkdir -m 0700 "$run" && chown nobody "$run"
    printf 'output HEADLESS-1 mode 1280x800\nxwayland disable\nfor_window [title="^Монитор узлов$"] floating enable\n' >"$WORK/sway.conf"
    env -i XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setpriv --reuid nobody --regid nogroup --clear-groups sway -c "$WORK/sway.conf" &>"$WORK/sway.log" & PIDS+=($!)
    wait_until 10 eval 'WAYLAND_DISPLAY=$(echo "$run"/wayland-?) SWAYSOCK=$(echo "$run"/sway-ipc.*)
        [ -S "$SWAYSOCK" ] && [ -S "$WAYLAND_DISPLAY" ]' ||
        fail "sway did not start: $(tail -3 "$WORK/sway.log")"
    export WAYLAND_DISPLAY SWAYSOCK && unset DISPLAY QT_QPA_PLATFORM
    wayland-scanner client-header "$dir/wlr-virtual-pointer-unstable-v1.xml" "$WORK/wlr-virtual-pointer-unstable-v1-client-protocol.h"
    wayland-scanner private-code "$dir/wlr-virtual-pointer-unstable-v1.xml" "$WORK/protocol.c"
    g++ -I"$WORK" -x c "$WORK/protocol.c" -x c++ "$dir/virtual_pointer.cpp" -o "$WORK/pointer" -lwayland-client
    "$WORK/pointer" >"$WORK/pointer.log" & PIDS+=($!)
    wait_until 5 grep -qs ready "$WORK/pointer.log" || fail "no virtual pointer: $(cat "$WORK/pointer.log")"
}
window() {
    swaymsg -t get_tree | jq -r '.. | objects | select(.pid and .name == "Монитор узлов") | .window_rect as $w | [.shell,
        .app_id, "\($w.width)x\($w.height)", "\(.rect.x + $w.x),\(.rect.y + $w.y)"] | join(" ")'
}
tap() { # clicks come 0.6 s apart: closer ones would make a double click
    swaymsg -q seat seat0 cursor set "$1" "$2" && sleep 0.6 &&
        swaymsg -q seat seat0 cursor press "$3" && swaymsg -q seat seat0 cursor release "$3"
}
