# SPDX-License-Identifier: MIT
# The story both front ends tell on X11 (openbox, trayer); source it instead of harness.sh.
# start_desktop: silent hosts and a dead name server (namespaces of the test), the desktop,
# and in WORK board.cfg (127.0.0.1 answers, four silent hosts 1 s, nowhere.test 7 s: a check
# lasts 7 s, for the steps below to act during one)
# and CONFIGS/second.cfg (a blank and an & in the folder's name). start_board ARGS: the program
# on board.cfg; WIN, ICON. Then in turn: first_check: green and red labels, the DNS message
# (BOX); clicks_during_check: left clicks on the icon hide and show the window within 0.3 s;
# box_holds_up_nothing: with it open the silent hosts turn green, and it comes once;
# exit_during_check: the menu opens at the pointer, «Выход» ends with 0 at once, the icon goes.
# journal_story (AT-SPI; after box_holds_up_nothing): «Журнал» from the tray menu opens
# «Журнал — Монитор узлов» (JWIN) once, a second one raises it; while open the silent hosts
# answer and the newest row tells it; «Сохранить…» writes journal.csv (BOM, the header, an
# entry) through the dialog; into a folder the program may not write: the message names
# the file, nothing is left there, the program runs on. The window stays open.
# choose_config [CHECK...]: «Сменить конфиг», CHECK... of the file dialog (DIALOG), TYPED typed.
# switch_config [CHECK...], on a program started again: choose_config (TYPED second.cfg as the
# program writes it): restart.bat (two CR LF lines) kept and gone, exit 0, the program back
# 20 pixels lower with one icon.
# tray_tells and tray_comes_late (below): what the icon, its tooltip and the notifications
# tell, and a tray that starts after the program and goes away.
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh" # its fonts: text in exact colours
start_desktop() {
    make_silent_host && dead_name_server
    printf 'nameserver %s\noptions timeout:7 attempts:1\n' "$SILENT" >"/etc/netns/$NS/resolv.conf"
    start_xvfb && start_wm && start_tray
    CONFIGS="$WORK/other & configs" && mkdir -p "$CONFIGS" && cd "$WORK"
    printf 'checkinterval 5\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n%s silent2\n%s silent3\n%s silent4
nowhere.test nowhere\n' "$SILENT" "$SILENT" "$SILENT" "$SILENT" >board.cfg
    printf 'checkinterval 3600\ngroup Second\n127.0.0.3 a\n127.0.0.4 b\n127.0.0.5 c\ngroup Spare\n127.0.0.6 d\n' >"$CONFIGS/second.cfg"
}
start_board() {
    start_program "$@" board.cfg
    WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) || fail "no window or no icon: $(tail -3 "$WORK/program.log")"
}
checking() { # the status line (113 x 17 pixels at 8,164) reads "Перепроверяем..."
    snapshot "$WIN" "$WORK/status.png" && [ "$(count_colour "$WORK/status.png" '#000000' 113x17+8+164)" -gt 5 ]
}
next_cycle() { wait_until 15 eval '! checking' && wait_until 15 checking || fail "no check cycle began"; }
boxes() { xdotool search --onlyvisible --name '^Orvane2$' | of_program | wc -l; }
within() { # MS CMD...: CMD holds within MS milliseconds; says how long it took
    local start=${EPOCHREALTIME/./}
    until "${@:2}"; do [ $((${EPOCHREALTIME/./} - start)) -lt $(($1 * 1000)) ] || return 1; sleep 0.02; done
    echo "$(((${EPOCHREALTIME/./} - start) / 1000)) ms"
}

first_check() { # the message comes at the end of the first check
    BOX=$(find_window Orvane2 20) && text=$(message_text "$BOX") || fail "no message for the name that does not resolve"
    [ "$text" = "Что-то не так. Проверьте свой DNS. nowhere.test не резолвится" ] || fail "the message reads \"$text\""
    xdotool windowmove "$BOX" 600 0 # off the window
    wait_until 5 labels_are $G $R $G $R $R $R $R || fail "the labels are not green, red, green, then red: $COUNTS"
    cp "$WORK/labels.png" "$ARTIFACTS/labels.png" && SIZE=$(window_size "$WIN")
}
clicks_during_check() {
    next_cycle
    click "$ICON" 1 && TOOK=$(within 300 hidden "$WIN") || fail "a left click during a check did not hide the window in 0.3 s"
    click "$ICON" 1 && TOOK+=", $(within 300 shown "$WIN")" || fail "a second left click did not show the window in 0.3 s"
    checking || fail "the check ended before the clicks were done"
}
box_holds_up_nothing() { # the silent hosts answer, then fall silent again
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
    wait_until 25 labels_are $G $G $G $G $G $G $R || fail "with the message open, no host turned green: $COUNTS"
    wait_until 10 eval '! checking' && [ "$(boxes)" = 1 ] || fail "no end of the check, or $(boxes) DNS messages"
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
}
exit_during_check() {
    next_cycle && click "$ICON" 3 && MENU=$(popup_menu 5) || fail "a right click on the icon opened no menu"
    eval "$(xdotool getmouselocation --shell)" && px=$X && eval "$(xdotool getwindowgeometry --shell "$MENU")"
    (((X + WIDTH - px) ** 2 <= 1)) || fail "the menu ends at x $((X + WIDTH)), the pointer is at $px"
    checking && click "$MENU" 1 4 4 || fail "the check ended before the menu was used"
    [ "$(exit_code "$PID" 3)" = 0 ] || fail "exit code $(exited "$PID") after «Выход» during a check, expected 0"
    wait_until 5 eval '! xwininfo -id "$ICON" &>/dev/null' || fail "the icon is still in the tray"
}
switch_config() {
    # A hard link keeps the restart script after the program it starts has deleted it.
    python3 -c 'import os, time
while not os.path.exists("restart.bat") or os.link("restart.bat", "kept.bat"): time.sleep(0.002)' & PIDS+=($!)
    choose_config "$@"
    [ "$(exit_code "$PID")" = 0 ] || fail "exit code $(exited "$PID") after the switch, expected 0"
    WIN=$(find_window "Монитор узлов" 20) && wait_until 5 eval '[ "$(window_size "$WIN")" = "250x$((${SIZE#*x} - 20))" ]' ||
        fail "the program did not come back on two boxes: ${WIN:+$(window_size "$WIN")}, first $SIZE"
    wait_until 5 test ! -e restart.bat || fail "the restarted program left restart.bat"
    printf '@echo off\r\nOrvane2.exe %s\r\n' "$TYPED" | cmp -s - kept.bat || fail "restart.bat: $(od -c kept.bat)"
    ICON=$(tray_icon) && [ "$(tray_icons | wc -l)" = 1 ] || fail "the tray holds $(tray_icons | wc -l) icons of the program"
    import -window "$WIN" "$ARTIFACTS/after_switch.png"
}
JOURNAL="Журнал — Монитор узлов"
journals() { xdotool search --onlyvisible --name "^$JOURNAL\$" | of_program | wc -l; }
button_at() { # NAME: the centre of the program's push button NAME (AT-SPI)
    accessible '(push )?button' | awk -v n="$1" '{ l = $1; for (i = 2; i <= NF - 4; i++) l = l " " $i }
        l == n { print $(NF - 3) + int($(NF - 1) / 2), $(NF - 2) + int($NF / 2); f = 1; exit } END { exit !f }'
}
press() { # NAME: clicks that button; AT-SPI may stumble on a tree that changes under it: then again
    local at="" name=$1
    wait_until 10 eval 'at=$(button_at "$name")' && xdotool mousemove $at sleep 0.5 click 1
}
newest_state() { accessible 'table cell' | sed -E 's/( -?[0-9]+){4}$//' | grep -m1 -E '^(не )?отвечает'; }
save_journal() { # PATH: «Сохранить…», PATH typed into the dialog
    press "Сохранить…" && DIALOG=$(find_window "Сохранить журнал" 20) || fail "no save dialog after «Сохранить…»"
    wait_until 5 eval '[ "$(xdotool getwindowfocus)" = "$DIALOG" ]' || fail "the save dialog has no keyboard focus"
    xdotool type --delay 10 "$1" && xdotool key Return
    wait_until 1 eval '! xwininfo -id "$DIALOG" 2>/dev/null | has IsViewable' || xdotool key Return
}
journal_story() {
    local boxes_before box line
    click "$ICON" 3 && MENU=$(popup_menu 5) && click "$MENU" 1 2 4 && JWIN=$(find_window "$JOURNAL" 20) ||
        fail "«Журнал» in the tray menu opened no journal window"
    xdotool windowsize --sync "$JWIN" 500 420 windowmove --sync "$JWIN" 0 0 && import -window "$JWIN" "$ARTIFACTS/journal.png" # off the board
    click "$ICON" 3 && MENU=$(popup_menu 5) && click "$MENU" 1 2 4 && sleep 1 && [ "$(journals)" = 1 ] ||
        fail "a second «Журнал» left $(journals) journal windows"
    wait_until 25 eval '[ "$(newest_state)" = "не отвечает" ]' || fail "the newest row of the journal tells [$(newest_state)]"
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
    wait_until 25 eval '[[ $(newest_state) == "отвечает, "* ]]' || fail "with the window open, no answer came in: [$(newest_state)]"
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
    save_journal "$WORK/journal.csv" && wait_until 5 test -s journal.csv || fail "nothing saved to journal.csv"
    line=$(head -1 journal.csv)
    [ "$line" = $'\xEF\xBB\xBFВремя;Группа;Узел;Хост;Адрес;Состояние;Длилось, с\r' ] || fail "journal.csv begins [$line]"
    has "^20[0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9];Local;silent;$SILENT;$SILENT;отвечает, [<0-9]+ мс;[0-9]+\r\$" <journal.csv ||
        fail "journal.csv holds no answer of silent: $(sed -n 2,4p journal.csv)"
    mkdir -m 0555 locked && boxes_before=$(boxes) && save_journal "$WORK/locked/journal.csv"
    wait_until 10 eval '[ "$(boxes)" -gt "$boxes_before" ]' && text=$(message_text "$JWIN") &&
        has "^Не удалось сохранить журнал в файл $WORK/locked/journal.csv\$" <<<"$text" || fail "no message naming the file: [$text]"
    box=$(xdotool search --onlyvisible --name '^Orvane2$' | of_program | tail -1) && press_ok "$box"
    [ -z "$(ls -A locked)" ] && ! gone "$PID" && [ "$(journals)" = 1 ] || fail "files left in locked/ or the program gone"
}
choose_config() {
    click "$ICON" 3 && MENU=$(popup_menu 5) && import -window root "$ARTIFACTS/menu.png" && click "$MENU" 1 3 4 ||
        fail "a right click on the icon opened no menu"
    DIALOG=$(find_window "Выберите другой конфиг" 20) || fail "no file dialog after «Сменить конфиг»"
    import -window "$DIALOG" "$ARTIFACTS/file_dialog.png" && "$@"
    wait_until 5 eval '[ "$(xdotool getwindowfocus)" = "$DIALOG" ]' || fail "the file dialog has no keyboard focus"
    xdotool type --delay 10 "$TYPED" && xdotool key Return # a list of completions may take this one: then once more
    wait_until 1 eval '! xwininfo -id "$DIALOG" 2>/dev/null | has IsViewable' || xdotool key Return
}
# tray_tells [ARGS] (after start_desktop): the program (ARGS before it, where the Windows
# test names the program) on tells.cfg, where 127.0.0.1 answers and the silent host, as
# «silent» and «silent2», is silent at first. The icon carries no red mark before the
# first check and one after it, with no notification; both hosts answer
# (between two checks): one notification naming both «отвечает», the mark goes, the
# tooltip's second line reads «Все 3 отвечают»; a check without change tells nothing; both
# fall silent: the mark is red at the next check, but only the one after it notifies «не
# отвечает», and the tooltip reads «Не отвечают: 2 из 3»; a click on that notification
# shows the hidden window. The front end defines notified (the texts notified so far, one
# a line, a text's lines joined by " / "), click_notified (clicks the latest) and
# tip_reads TEXT (the icon's tooltip is TEXT, its lines joined by " / "; sets TIP).
# Screenshots of the tray: tray_unchecked.png, tray_silent.png, tray_all_answer.png.
red_mark() { import -window "$ICON" "$WORK/icon.png" 2>/dev/null && [ "$(red_pixels "$WORK/icon.png")" -ge 10 ]; } # the radar has none
tray_tells() {
    local back="silent ($SILENT) отвечает / silent2 ($SILENT) отвечает" went
    printf 'checkinterval 5\ngroup Tells\n127.0.0.1 loopback\n%s silent\n%s silent2\n' "$SILENT" "$SILENT" >tells.cfg
    start_program "$@" tells.cfg
    WIN=$(find_window "Монитор узлов" 20) && ICON=$(tray_icon) || fail "no window or no icon on tells.cfg"
    ! red_mark && import -window "$PANEL" "$ARTIFACTS/tray_unchecked.png" || fail "a red mark before the first check"
    wait_until 15 red_mark || fail "no red mark after the first check"
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0 # at once: the next check is 5 s away
    import -window "$PANEL" "$ARTIFACTS/tray_silent.png"
    wait_until 10 eval '[ -n "$(notified)" ]' && [ "$(notified)" = "$back" ] ||
        fail "after both hosts answered, notified [$(notified)], expected [$back] alone"
    wait_until 2 eval '! red_mark' && import -window "$PANEL" "$ARTIFACTS/tray_all_answer.png" || fail "the red mark stays"
    went=${EPOCHREALTIME/./}
    tip_reads "Монитор узлов активен / Все 3 отвечают" || fail "the tooltip with every host answering: [$TIP]"
    wait_until 10 eval '((${EPOCHREALTIME/./} - went > 7500000))' # a check without change, then halfway to the next
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
    wait_until 10 red_mark || fail "no red mark at the first check without an answer"
    sleep 1 && [ "$(notified | wc -l)" = 1 ] || fail "the first check without an answer notified: $(notified | sed 1d)"
    click "$ICON" 1 && wait_until 5 hidden "$WIN" || fail "a left click did not hide the window"
    wait_until 10 eval '[ "$(notified | wc -l)" = 2 ]' && [ "$(notified | sed -n 2p)" = "${back//отвечает/не отвечает}" ] ||
        fail "after both fell silent, notified [$(notified)]; expected [$back] then both «не отвечает»"
    click_notified && wait_until 5 shown "$WIN" || fail "a click on the notification did not show the window"
    tip_reads "Монитор узлов активен / Не отвечают: 2 из 3" || fail "the tooltip with two hosts silent: [$TIP]"
    # Stopped between two checks, with no request out: Wine 8's ICMP service deadlocks when
    # a process ends with two of them out, and every later request and file dialog waits.
    ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=0
    wait_until 12 eval '! red_mark' || fail "the red mark stays after both answer again"
    stop_program && ip netns exec "$NS-s" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
}
# tray_comes_late (after start_desktop): the program first, the tray 3 s later: within 2 s
# the icon docks, and a left click on it hides the window; the tray killed for good: the
# window is back within 6 s, as large as it was before the tray came (the menu on it); then
# the command given, if any.
tray_comes_late() {
    printf 'checkinterval 3600\ngroup Late\n127.0.0.1 loopback\n' >late.cfg && kill "$TRAY_PID" && wait_until 5 gone "$TRAY_PID"
    start_program late.cfg && WIN=$(find_window "Монитор узлов" 20) || fail "no window on late.cfg"
    sleep 3 && local bare && bare=$(window_size "$WIN")
    start_tray && ICON=$(tray_icon 2) || fail "no icon within 2 s of a tray that started 3 s after the program"
    click "$ICON" 1 && wait_until 5 hidden "$WIN" || fail "a left click on the late icon did not hide the window"
    kill "$TRAY_PID" && wait_until 6 shown "$WIN" || fail "the tray gone for good, the window did not come back in 6 s"
    wait_until 2 eval '[ "$(window_size "$WIN")" = "$bare" ]' || fail "the window is back $(window_size "$WIN"), expected $bare as without a tray"
    "$@" && stop_program && start_tray
}
