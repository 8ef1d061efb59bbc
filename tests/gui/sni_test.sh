#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# With a StatusNotifierItem host of the test's own on a private session bus (X11): the
# program's item registers, named Orvane2, with its tooltip; it exports the menu of three
# commands in order; Activate hides the window and shows it again; a click on "Выход" in
# the exported menu ends the program with exit code 0, and the item goes away.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/desktop.sh"
HOST=$(cd "$(dirname "$0")" && pwd)/sni_host.py
start_xvfb && start_bus
/usr/bin/python3 "$HOST" >"$WORK/host.log" & PIDS+=($!)
wait_until 5 grep -q ready "$WORK/host.log" || fail "the host did not start"
cd "$WORK" && printf 'checkinterval 3600\ngroup Local\n127.0.0.1 loopback\n' >board.cfg
start_program board.cfg
WIN=$(find_window "Монитор узлов") || fail "no window"
wait_until 10 eval 'ITEM=$(awk "/^registered/ { print \$2 }" host.log); [ -n "$ITEM" ]' || fail "no item registered"
sni() { /usr/bin/python3 "$HOST" "$ITEM" "$@"; }
[ "$(sni get Id) $(sni get Title)" = "Orvane2 Orvane2" ] || fail "the item's Id and Title: $(sni get Id) $(sni get Title)"
[ "$(sni get ToolTip)" = "Монитор узлов активен" ] || fail "the tooltip reads \"$(sni get ToolTip)\""
MENU=$(sni menu 2>&1) || true
[ "$(cut -d' ' -f2- <<<"$MENU")" = $'Показать/скрыть в трей (ЛКМ)\nСменить конфиг\nВыход' ] ||
    fail "the exported menu holds [$MENU]"
sni activate 10 10 && wait_until 5 hidden "$WIN" || fail "Activate did not hide the window"
sni activate 10 10 && wait_until 5 shown "$WIN" || fail "a second Activate did not show the window"
sni click "$(awk '$2 == "Выход" { print $1 }' <<<"$MENU")" || fail "the exported menu took no click on \"Выход\""
code=$(exit_code "$PID") && [ "$code" = 0 ] || fail "exit code $code after \"Выход\" in the exported menu, expected 0"
wait_until 5 grep -qx "unregistered $ITEM" host.log || fail "the item is still registered"
echo PASS
