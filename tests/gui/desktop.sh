# SPDX-License-Identifier: MIT
# Desktops beside the harness's Xvfb; source after harness.sh. GUI: this folder, whose fonts
# (no antialiasing) are used. start_bus: a private session bus; has_name NAME: NAME is owned
# there. start_sway: headless sway (1280x800) for the program on Wayland; cursor ARGS: its
# pointer; tap X Y BUTTON: a click; window: the program's window, "SHELL APP_ID WxH X,Y" or "".
GUI=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) && export FONTCONFIG_FILE=$GUI/no-antialias.conf
start_bus() { # no service activation: nothing starts behind the test's back
    printf '<busconfig><listen>unix:path=%s/bus</listen><policy context="default"><allow send_destination="*"/>
        <allow receive_sender="*"/><allow own="*"/></policy></busconfig>' "$WORK" >"$WORK/bus.conf"
    dbus-daemon --config-file="$WORK/bus.conf" --nofork 2>/dev/null & PIDS+=($!)
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus && wait_until 5 test -S "$WORK/bus" || fail "no session bus"
}
has_name() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:"$1" | has 'boolean true'; }
start_sway() { # sway refuses root: it runs as nobody, and the test's clients connect by path
    local run=$WORK/sway xml=$GUI/wlr-virtual-pointer-unstable-v1.xml
    chmod 711 "$WORK" && mkdir -m 0700 "$run" && chown nobody "$run"
    printf 'output HEADLESS-1 mode 1280x800\nxwayland disable\nfor_window [title="^Монитор узлов$"] floating enable\n' >"$WORK/sway.conf"
    env -i XDG_RUNTIME_DIR="$run" SWAYSOCK="$run/ipc" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setpriv --reuid nobody --regid nogroup --clear-groups sway -c "$WORK/sway.conf" &>"$WORK/sway.log" & PIDS+=($!)
    export WAYLAND_DISPLAY=$run/wayland-1 SWAYSOCK=$run/ipc && unset DISPLAY QT_QPA_PLATFORM
    wait_until 10 test -S "$SWAYSOCK" -a -S "$WAYLAND_DISPLAY" || fail "sway did not start: $(tail -3 "$WORK/sway.log")"
    wayland-scanner client-header "$xml" "$WORK/virtual-pointer.h" && wayland-scanner private-code "$xml" "$WORK/virtual-pointer.c"
    g++ -I"$WORK" -x c "$WORK/virtual-pointer.c" -x c++ "$GUI/virtual_pointer.cpp" -o "$WORK/pointer" -lwayland-client
    "$WORK/pointer" & PIDS+=($!)
    wait_until 5 eval 'swaymsg -t get_inputs | has pointer' || fail "sway has no virtual pointer"
}
window() {
    swaymsg -t get_tree | jq -r '.. | objects | select(.pid and .name == "Монитор узлов") | .window_rect as $w | [.shell,
        .app_id, "\($w.width)x\($w.height)", "\(.rect.x + $w.x),\(.rect.y + $w.y)"] | join(" ")'
}
cursor() { swaymsg -q seat seat0 cursor "$@"; }
tap() { cursor set "$1" "$2" && sleep 0.6 && cursor press "$3" && cursor release "$3"; } # 0.6 s apart: no double click
