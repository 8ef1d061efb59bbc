#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program under Wine (a prefix of its own, every process in the test's
# namespaces) through the desktop story of scenario.sh; besides, its client area within
# the window's outer size, a shell that comes late or dies (the fake shells of
# FAKE_SHELL), and what the tray tells as far as Wine's shell shows it. Then a missing
# or unreachable configuration (exit 1), «Сменить конфиг», and the installer and
# uninstaller, silent. Last, the journal: its window, a file saved and one that cannot be.
[ "$(id -u)" = 0 ] || { echo "SKIP: the test's network namespace needs root"; exit 77; }
PROGRAM=(wine) # each start names the Windows program
source "$(dirname "$0")/../../gui/scenario.sh"
: "${SETUP:?path of the installer}"
# Wine traces the text of every message box (+msgbox), for message_text.
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all,+msgbox WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's shell draws every icon in the tray, whichever process started it (a fake shell below).
tray_icons() { xwininfo -id "$PANEL" -tree | awk '/"explorer.exe"/ { print $1 }'; }
tray_icon() { local ids=""; wait_until "${1:-10}" eval 'ids=$(tray_icons); [ -n "$ids" ]' && sed -n 1p <<<"$ids"; }
# A failure shows, besides, where every process of the prefix waits.
eval "harness_$(declare -f fail)"
fail() { [ ! -d "$WINEPREFIX" ] || timeout 30 "${PROGRAM[@]}" winedbg --command "bt all" 2>&1 | tail -n 300 | sed 's/^/  /' >&2; harness_fail "$@"; }
start_desktop
winpath() { echo "Z:${1//\//\\}"; }
start_program wineboot --init && [ "$(exit_code "$PID" 60)" = 0 ] || fail "no Wine prefix"
start_board "$ORVANE2" && first_check
# The X window is the client area: 3750 twips (250 px) wide; caption and borders take 20 to 40 of 231 px outer.
[ "${SIZE%x*}" = 250 ] && [ $((231 - ${SIZE#*x})) -ge 20 ] && [ $((231 - ${SIZE#*x})) -le 40 ] ||
    fail "client area $SIZE, expected 250 wide and 20 to 40 below 231 high"
clicks_during_check

box_holds_up_nothing && exit_during_check

# --- A shell not ready at logon refuses the icon: the menu is on the window, 15 to 25 px
# taller; once a shell is announced (as a restarted Explorer is too), the icon docks and the
# bar goes. A shell that takes the icon and dies: within 6 s the hidden window is back with
# its bar, which goes once a shell is announced.
shell() { # a fake shell of the test, once it is there; FAKE: its process
    "${PROGRAM[@]}" "$FAKE_SHELL" "$@" >"$WORK/shell.log" 2>&1 & FAKE=$! PIDS+=($!)
    wait_until 20 grep -q ready "$WORK/shell.log" || fail "the fake shell did not start"
}
announce() { "${PROGRAM[@]}" "$FAKE_SHELL" announce; }
height() { local size; size=$(window_size "$WIN") && echo "${size#*x}"; }
stop_program && shell refuse && start_program "$ORVANE2" "$CONFIGS/second.cfg" && WIN=$(find_window "Монитор узлов" 20) &&
    BAR=$(height) && ! tray_icon 1 >/dev/null || fail "no window, or an icon in a tray that refused it"
kill "$FAKE" && announce && ICON=$(tray_icon 10) && wait_until 3 eval '((BAR - $(height) >= 15 && BAR - $(height) <= 25))' ||
    fail "no icon once a tray was announced, or the window stayed ${BAR} px high: $(height) px"
click "$ICON" 1 && wait_until 6 hidden "$WIN" && shell take && wait_until 10 grep -q took "$WORK/shell.log" && kill "$FAKE" &&
    wait_until 6 shown "$WIN" && [ "$(height)" = "$BAR" ] || fail "the shell holding the icon died: the window is not back with its menu bar"
announce && wait_until 3 eval '[ "$(height)" -lt "$BAR" ]' && click "$ICON" 1 && wait_until 6 hidden "$WIN" ||
    fail "the menu bar stayed, or a left click did not hide the window"
stop_program
# --- end of the shells

# The tray tells (scenario.sh) as far as Wine's shell shows it: the texts of its balloons and
# of the icon's tooltip, read from their windows by the fake shell; Wine sends no click on a
# balloon, the test does. Screenshot: windows_balloon.png.
"${PROGRAM[@]}" "$FAKE_SHELL" texts >"$WORK/texts.log" 2>&1 & TEXTS=$! PIDS+=($!)
notified() { sed -n 's/\r$//; s/^balloon //p' "$WORK/texts.log"; }
click_notified() { import -window root -crop 440x150+840+650 "$ARTIFACTS/windows_balloon.png" && "${PROGRAM[@]}" "$FAKE_SHELL" balloon-click; }
tip_reads() { # the pointer rests on the icon until its tooltip reads TEXT
    local X Y WIDTH HEIGHT SCREEN WINDOW want=$1 && eval "$(xdotool getwindowgeometry --shell "$ICON")"
    wait_until 10 eval 'xdotool mousemove 0 0 sleep 0.3 mousemove $((X + 2)) $((Y + 9)) sleep 0.2 mousemove $((X + 9)) $((Y + 9)) sleep 1.5
        TIP=$(sed -n "s/\r$//; s/^tip //p" "$WORK/texts.log" | tail -1); [ "$TIP" = "$want" ]'
}
# Wine 10's shell shows no tooltip for an icon docked in an X tray when the pointer rests on
# it (the shell gets the texts, but none is shown in 10 s); the tooltip is checked under Wine 8.
WINE_VERSION=$(wine --version 2>/dev/null)
if (($(sed -E 's/^wine-([0-9]+).*/\1/' <<<"$WINE_VERSION") >= 10)); then
    tip_reads() { echo "NOT CHECKED under $WINE_VERSION: the icon's tooltip [$1]" >&2; }
fi
tray_tells "$ORVANE2" && kill "$TEXTS"

refused "missing file.cfg не найден" "$ORVANE2" "missing file.cfg"
TYPED=$(winpath "$CONFIGS/second.cfg") && start_board "$ORVANE2" && switch_config && stop_program

DIR=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Orvane2
LINK="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Монитор узлов.lnk"
at_logon() { [ -n "$(find "$(dirname "$LINK")" -ipath '*/startup/Монитор узлов.lnk')" ]; } # the Startup shortcut
KEY='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane2'
entry() { # the programs-list entry as reg exports it, into $WORK/key.txt; REG: reg's exit code, 1 without the key
    rm -f "$WORK/key.reg" && start_program reg export "$KEY" "$(winpath "$WORK/key.reg")" /y && REG=$(exit_code "$PID" 20)
    iconv -f UTF-16 -t UTF-8 "$WORK/key.reg" 2>/dev/null | tr -d '\r' >"$WORK/key.txt" || true
}
start_program "$SETUP" /S && [ "$(exit_code "$PID" 30)" = 0 ] || fail "the installer failed"
[ -f "$DIR/orvane2.exe" ] && [ -f "$DIR/vantor2.cfg" ] && [ -f "$DIR/uninstall.exe" ] && [ -f "$LINK" ] && ! at_logon ||
    fail "installed: $(ls "$DIR" | tr '\n' ' '), Start-menu entry: $(ls "$LINK" 2>&1), at logon: $(at_logon && echo yes)"
start_program "$SETUP" /S /AUTOSTART && [ "$(exit_code "$PID" 30)" = 0 ] && at_logon || fail "/AUTOSTART: no Startup shortcut"
entry && [ "$REG" = 0 ] && has '^"DisplayName"="Монитор узлов"$' <"$WORK/key.txt" &&
    has '^"UninstallString"=".*uninstall[.]exe.""$' <"$WORK/key.txt" || fail "no programs-list entry: $(cat "$WORK/key.txt")"
start_program "$DIR/uninstall.exe" /S && wait_until 30 eval '[ ! -e "$DIR" ] && [ ! -e "$LINK" ] && ! at_logon' ||
    fail "uninstalled, left: $(ls "$DIR" "$LINK" 2>&1 | tr '\n' ' ') $(at_logon && echo the Startup shortcut)"
entry && [ "$REG" = 1 ] || fail "the programs list still has the entry (reg exited $REG): $(cat "$WORK/key.txt")"
# Last, as the story's file dialog came up too late after it: Wine without capabilities (run on
# a copy of the program here) may not enter another user's closed folder.
install -d -o nobody -m 700 closed && : >closed/x.cfg && cp "$ORVANE2" . && PROGRAM=(ip netns exec "$NS" setpriv --bounding-set=-all --inh-caps=-all wine)
refused 'closed\x.cfg не удалось прочитать' orvane2.exe 'closed\x.cfg'

# --- The journal, on the same copy: «Журнал», second of the menu's four items, opens one window however
# often it is chosen; «Сохранить…» (its button 166 px left of and 21 px above the client
# area's lower right corner) asks with the save dialog and writes the entries as CSV, read
# back; a folder the program may not write: a message naming the file, nothing written,
# the program going on; «Выход» with the window open ends it with 0.
journal_windows() { xdotool search --onlyvisible --name '^Журнал — Монитор узлов$' | of_program | wc -l; }
open_journal() { click "$ICON" 3 && MENU=$(popup_menu 5) && click "$MENU" 1 2 4; }
save_journal() { # PATH: «Сохранить…», PATH typed into the dialog
    local size && size=$(window_size "$JOURNAL") # of the client area, which the X window is
    xdotool mousemove --window "$JOURNAL" $((${size%x*} - 166)) $((${size#*x} - 21)) sleep 0.5 click 1
    DIALOG=$(find_window "Сохранить журнал" 20) || fail "no save dialog after «Сохранить…»"
    wait_until 5 eval '[ "$(xdotool getwindowfocus)" = "$DIALOG" ]' || fail "the save dialog has no keyboard focus"
    xdotool type --delay 10 "$(winpath "$1")" && xdotool key Return
    wait_until 1 eval '! xwininfo -id "$DIALOG" 2>/dev/null | has IsViewable' || xdotool key Return
}
# A folder nobody may write, root and the Wine server (which opens files for the program) too.
printf 'checkinterval 5\ngroup Journal\n%s silent\n' "$SILENT" >journal.cfg && mkdir readonly &&
    mount -t tmpfs -o ro,size=64k tmpfs readonly && HOOKS+=("umount '$WORK/readonly'") || fail "no read-only folder"

start_program orvane2.exe journal.cfg && WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) &&
    wait_until 15 labels_are $R || fail "no window, no icon or no check on journal.cfg"
open_journal && JOURNAL=$(find_window "Журнал — Монитор узлов" 20) || fail "no journal window after «Журнал»"
open_journal && sleep 1 && [ "$(journal_windows)" = 1 ] || fail "$(journal_windows) journal windows after «Журнал» twice"
import -window "$JOURNAL" "$ARTIFACTS/windows_journal.png"
save_journal "$WORK/journal.csv" && wait_until 10 test -s journal.csv || fail "«Сохранить…» wrote no journal.csv"
HEADER=$'\xEF\xBB\xBFВремя;Группа;Узел;Хост;Адрес;Состояние;Длилось, с\r'
[ "$(sed -n 1p journal.csv)" = "$HEADER" ] && sed -n 2p journal.csv | has "^20[0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9];Journal;silent;$SILENT;.*;\r$" ||
    fail "journal.csv reads: $(head -3 journal.csv | od -c | head -20)"
save_journal "$WORK/readonly/journal.csv" && BOX=$(find_window 'Orvane2.*' 20) && text=$(message_text "$BOX") ||
    fail "no message for a journal that could not be written"
[[ $text == *'readonly\journal.csv'* ]] && [ -z "$(ls -A readonly)" ] && [ -z "$(exited "$PID")" ] ||
    fail "the message reads [$text], the folder holds [$(ls -A readonly)], exit code [$(exited "$PID")]"
press_ok "$BOX" && click "$ICON" 3 && MENU=$(popup_menu 5) && click "$MENU" 1 4 4 && [ "$(exit_code "$PID" 5)" = 0 ] ||
    fail "«Выход» with the journal open: exit code $(exited "$PID")"
echo PASS
