# SPDX-License-Identifier: MIT
# Desktops beside the harness's Xvfb; source after harness.sh. GUI: this folder; its fonts
# (no antialiasing) are used from a copy in WORK, which the program, holding no capability,
# may enter. start_bus: a private session bus. start_sway: headless sway (1280x800) for the
# program on Wayland; window: the program's window there, "SHELL APP_ID WxH X,Y" or "".
# start_waybar (on sway): a bar along the top whose tray is the session's StatusNotifierItem
# host (WAYBAR its pid). tray_item HIDDEN SHOWN: drives the program's item as a host does.
# start_notifications, notified (below); red_pixels PNG: how many of its pixels are a clear
# red (red >= 180, green and blue <= 80; the program's radar icon has none).
GUI=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) && cp "$GUI/no-antialias.conf" "$WORK/fonts.conf" && export FONTCONFIG_FILE=$WORK/fonts.conf
start_bus() { # no service activation: nothing starts behind the test's back
    printf '<busconfig><listen>unix:path=%s/bus</listen><policy context="default"><allow send_destination="*"/>
        <allow receive_sender="*"/><allow own="*"/></policy></busconfig>' "$WORK" >"$WORK/bus.conf"
    dbus-daemon --config-file="$WORK/bus.conf" --nofork 2>/dev/null & PIDS+=($!)
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus && wait_until 5 test -S "$WORK/bus" || fail "no session bus"
}
start_sway() { # sway refuses root: it runs as nobody, in its own folder; the test's clients connect by path
    local run=$WORK/sway
    chmod 711 "$WORK" && mkdir -m 0700 "$run" && chown nobody "$run"
    printf 'output HEADLESS-1 mode 1280x800\nxwayland disable\nfor_window [title="^Монитор узлов$"] floating enable\n' >"$WORK/sway.conf"
    env -i -C "$run" XDG_RUNTIME_DIR="$run" SWAYSOCK="$run/ipc" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setpriv --reuid nobody --regid nogroup --clear-groups sway -c "$WORK/sway.conf" &>"$WORK/sway.log" & PIDS+=($!)
    export WAYLAND_DISPLAY=$run/wayland-1 SWAYSOCK=$run/ipc && unset DISPLAY QT_QPA_PLATFORM
    wait_until 10 test -S "$SWAYSOCK" -a -S "$WAYLAND_DISPLAY" || fail "sway did not start: $(tail -3 "$WORK/sway.log")"
    chmod 711 "$run" && chown root "$WAYLAND_DISPLAY" # the program gives up its capabilities: root reaches it as its owner
}
window() {
    swaymsg -t get_tree | jq -r '.. | objects | select(.pid and .name == "Монитор узлов") | .window_rect as $w | [.shell,
        .app_id, "\($w.width)x\($w.height)", "\(.rect.x + $w.x),\(.rect.y + $w.y)"] | join(" ")'
}
start_waybar() {
    echo '{"height": 30, "modules-left": ["tray"], "tray": {"icon-size": 16}}' >"$WORK/bar.json" && echo 'window#waybar { background: #203040; }' >"$WORK/bar.css"
    NO_AT_BRIDGE=1 waybar -c "$WORK/bar.json" -s "$WORK/bar.css" &>"$WORK/waybar.log" & PIDS+=($!) WAYBAR=$!
    wait_until 10 eval 'call org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher | has "boolean true"' ||
        fail "waybar's tray did not start: $(tail -3 "$WORK/waybar.log")"
}
call() { dbus-send --session --print-reply --dest="$1" "${@:2}"; } # DEST PATH INTERFACE.METHOD ARG...
prop() { # DEST PATH INTERFACE NAME: the property's quoted strings, run together
    call "$1" "$2" org.freedesktop.DBus.Properties.Get string:"$3" string:"$4" | awk -F'"' 'NR > 1 { printf "%s", $2 }'
}
# The item that the watcher lists is named Orvane2, with its tooltip, and exports the menu of
# four commands in order; Activate, then the menu's first command, each hide the window (the
# command HIDDEN succeeds) and show it again (SHOWN); "Выход" ends the program with exit code 0.
tray_item() {
    local item="" menu rows seen how code
    wait_until 10 eval 'item=$(prop org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
        RegisteredStatusNotifierItems); [ -n "$item" ]' || fail "no item registered"
    item=${item%%/*} # SERVICE or SERVICE/PATH
    sni() { prop "$item" /StatusNotifierItem org.kde.StatusNotifierItem "$1"; }
    seen="$(sni Id), $(sni Title), $(sni ToolTip)" menu=$(sni Menu) || true
    [ "$seen" = "Orvane2, Orvane2, Монитор узлов активен" ] || fail "the item's Id, Title and tooltip: $seen"
    rows=$(call "$item" "$menu" com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label |
        awk -F'"' '/int32/ { id = $1; sub(/.*int32 /, "", id) } /"label"/ { getline; print id, $2 }') || true
    [ "$(cut -d' ' -f2- <<<"$rows")" = $'Показать/скрыть в трей (ЛКМ)\nЖурнал\nСменить конфиг\nВыход' ] || fail "the exported menu holds [$rows]"
    activate() { call "$item" /StatusNotifierItem org.kde.StatusNotifierItem.Activate int32:10 int32:10 >/dev/null; }
    row() { call "$item" "$menu" com.canonical.dbusmenu.Event int32:"$(sed -n "$1s/ .*//p" <<<"$rows")" string:clicked variant:int32:0 uint32:0 >/dev/null; }
    for how in activate 'row 1'; do
        $how && wait_until 5 eval "$1" || fail "\"$how\" did not hide the window"
        $how && wait_until 5 eval "$2" || fail "a second \"$how\" did not show the window"
    done
    row 4 || fail "the exported menu took no click on \"Выход\""
    code=$(exit_code "$PID") && [ "$code" = 0 ] || fail "exit code $code after \"Выход\" in the exported menu, expected 0"
}
# start_notifications COMMAND...: a notification service (dunst on X11, mako on sway) on the
# session bus, NOTIFIER its pid; every Notify call on the bus is recorded. notified: the
# texts notified so far, one a line, a text's lines joined by " / ".
start_notifications() {
    "$@" &>"$WORK/notifications.log" & PIDS+=($!) NOTIFIER=$!
    wait_until 10 eval 'call org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications |
        has "boolean true"' || fail "$1 did not start: $(tail -3 "$WORK/notifications.log")"
    dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" >"$WORK/notify.log" 2>&1 &
    PIDS+=($!) && wait_until 5 test -s "$WORK/notify.log" || fail "dbus-monitor did not start"
}
NOTIFIED='import re, sys
for call in open(sys.argv[1]).read().split("method call ")[1:]:
    "member=Notify" in call.split("\n", 1)[0] and print(re.findall(r"^ +string \"(.*?)\"$", call, re.S | re.M)[3].replace("\n", " / "))'
notified() { python3 -c "$NOTIFIED" "$WORK/notify.log"; }
red_pixels() { # red >= 70 %, green and blue <= 31 %; not with -fx, which ImageMagick 7.1.1 makes print "list" too
    convert "$1" -alpha off -separate \( -clone 0 -threshold 70% \) \( -clone 1 -threshold 31% -negate \) \
        \( -clone 2 -threshold 31% -negate \) -delete 0-2 -evaluate-sequence min -format '%[fx:round(mean * w * h)]' info:
}
