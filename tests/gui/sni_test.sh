#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# With a StatusNotifierItem host of the test's own on a private session bus (X11): the
# program's item registers, named Orvane2, with its tooltip; it exports the menu of three
# commands in order; Activate hides the window and shows it again; a click on "Выход" in
# the exported menu ends the program with exit code 0, and the item goes away.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
start_xvfb && start_bus
/usr/bin/python3 "$GUI/sni_host.py" >"$WORK/host.log" & PIDS+=($!)
wait_until 5 has_name org.kde.StatusNotifierWatcher || fail "the host did not start"
cd "$WORK" && printf 'checkinterval 3600\ngroup Local\n127.0.0.1 loopback\n' >board.cfg && start_program board.cfg
WIN=$(find_window "Монитор узлов") || fail "no window"
wait_until 10 eval 'ITEM=$(awk "/^registered/ { print \$2 }" host.log); [ -n "$ITEM" ]' || fail "no item registered"
send() { dbus-send --session --print-reply --dest="$ITEM" "$@"; } # PATH INTERFACE.METHOD ARG...
text() { # the item's property $1: its quoted strings, run together
    send /StatusNotifierItem org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:"$1" | awk -F'"' 'NR > 1 { printf "%s", $2 }'
}
SEEN="$(text Id), $(text Title), $(text ToolTip)" MENU=$(text Menu) || true
[ "$SEEN" = "Orvane2, Orvane2, Монитор узлов активен" ] || fail "the item's Id, Title and tooltip: $SEEN"
ROWS=$(send "$MENU" com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label |
    awk -F'"' '/int32/ { id = $1; sub(/.*int32 /, "", id) } /"label"/ { getline; print id, $2 }') || true
[ "$(cut -d' ' -f2- <<<"$ROWS")" = $'Показать/скрыть в трей (ЛКМ)\nСменить конфиг\nВыход' ] || fail "the exported menu holds [$ROWS]"
activate() { send /StatusNotifierItem org.kde.StatusNotifierItem.Activate int32:10 int32:10 >/dev/null; }
activate && wait_until 5 hidden "$WIN" || fail "Activate did not hide the window"
activate && wait_until 5 shown "$WIN" || fail "a second Activate did not show the window"
send "$MENU" com.canonical.dbusmenu.Event int32:"$(awk '$2 == "Выход" { print $1 }' <<<"$ROWS")" string:clicked variant:int32:0 uint32:0 >/dev/null ||
    fail "the exported menu took no click on \"Выход\""
code=$(exit_code "$PID") && [ "$code" = 0 ] || fail "exit code $code after \"Выход\" in the exported menu, expected 0"
wait_until 5 grep -qx "unregistered $ITEM" host.log || fail "the item is still registered"
echo PASS
