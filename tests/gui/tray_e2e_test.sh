#!/usr/bin/env bash
# The real program with an XEmbed tray host (trayer) in a virtual X server, worked with
# the mouse and the keyboard like a user.
#
# On the bare X server:
#   - the icon docks in the tray and the window is shown after start-up;
#   - a left click on the icon hides the window, a second one shows it again, a double
#     click hides and shows it (two toggles);
#   - the labels keep their first colour until the first check cycle, one interval after
#     start-up; then the hosts on 127.0.0.0/8 are dark green and a silent host (an
#     address in a network namespace of this test that answers no echo request) is red,
#     read from the screenshot's pixels with anti-aliasing off;
#   - a right click opens the menu with its right edge at the pointer; Escape closes it;
#     its first item hides the window; a click on "Выход" ends the program with exit
#     code 0 and the icon leaves the tray.
# Then under a window manager (openbox), on a fresh start:
#   - the window is shown in normal state (WM_STATE Normal), the icon docks;
#   - left clicks hide (withdrawn) and show (normal) the window in turn;
#   - "Выход" chosen with the keyboard ends the program with exit code 0, icon removed.
source "$(dirname "$0")/x_session.sh"
HERE=$(cd "$(dirname "$0")" && pwd)

TITLE="Монитор узлов"
CLASS=orvane2
GREEN="#008000"
RED="#FF0000"
INTERVAL=5

# ---------------------------------------------------------------------------------------
# Label i (from 1) of the first group, in pixels relative to the window's client area:
# group box at (8, 8), first label 16 below the box's top and 8 right of its left edge,
# labels 167 x 17 one under the other.
label_rect() { echo "167x17+16+$((24 + 17 * ($1 - 1)))"; }

# Colour counts of each label on a screenshot of the window, as "green/red" words.
label_colours() {
    local shot=$1 i out=""
    for i in $(seq "${#LABELS[@]}"); do
        out+="${LABELS[$((i - 1))]}=$(count_colour "$shot" "$GREEN" "$(label_rect "$i")")g/$(count_colour "$shot" "$RED" "$(label_rect "$i")")r "
    done
    echo "$out"
}

# Succeeds when every label has only its expected colour (at least 10 pixels of it, none
# of the other). Leaves the screenshot in $WORK/colours.png.
labels_coloured() {
    import -window "$WIN" "$WORK/colours.png" 2>/dev/null || return 1
    local i green red
    for i in $(seq "${#LABELS[@]}"); do
        green=$(count_colour "$WORK/colours.png" "$GREEN" "$(label_rect "$i")")
        red=$(count_colour "$WORK/colours.png" "$RED" "$(label_rect "$i")")
        case ${EXPECTED[$((i - 1))]} in
            green) [ "$green" -ge 10 ] && [ "$red" = 0 ] || return 1 ;;
            red) [ "$red" -ge 10 ] && [ "$green" = 0 ] || return 1 ;;
        esac
    done
}

cd "$WORK"
make_silent_host
if [ -n "$SILENT" ]; then
    LABELS=(loopback silent second)
    EXPECTED=(green red green)
    printf 'checkinterval %s\ngroup Local\n127.0.0.1 loopback\n%s silent\n127.0.0.2 second\n' \
        "$INTERVAL" "$SILENT" >board.cfg
else
    LABELS=(loopback second)
    EXPECTED=(green green)
    printf 'checkinterval %s\ngroup Local\n127.0.0.1 loopback\n127.0.0.2 second\n' "$INTERVAL" >board.cfg
fi

# Prints the id of the open popup menu, waiting up to 5 s.
wait_menu() {
    local id=""
    wait_until 5 eval 'id=$(popup_windows "$CLASS" | head -n 1); [ -n "$id" ]' || return 1
    echo "$id"
}
menu_closed() { [ -z "$(popup_windows "$CLASS")" ]; }

# Points at item $2 of $3 (items are equally high) of menu window $1, keeps a screenshot
# named $4 and clicks the item.
click_menu_item() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    move_pointer $((X + WIDTH / 2)) $((Y + HEIGHT * (2 * $2 - 1) / (2 * $3)))
    sleep 0.3
    screenshot root "$4"
    xdotool click 1
}

# Waits for program $1 to end after "Выход" and checks exit code 0, that its icon left the
# tray and its window $2 is gone.
expect_exit() {
    wait_exit "$1" 10 || fail "the program still runs 10 s after \"Выход\""
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after \"Выход\", expected 0: $(cat "$WORK/orvane2.log")"
    wait_no_tray_icon "$CLASS" 5 || fail "the icon is still in the tray after the program ended: $(tray_icons "$CLASS")"
    ! xwininfo -id "$2" >/dev/null 2>&1 || fail "the window $2 still exists after \"Выход\""
    kill -0 "$TRAY_PID" 2>/dev/null || fail "the tray host ended together with the program"
}

# =======================================================================================
# On the bare X server.
start_xvfb
start_tray_host

# Anti-aliasing off: the labels' text pixels carry exactly the labels' colour.
FONTCONFIG_FILE="$HERE/no-antialias.conf" "$ORVANE2" "$WORK/board.cfg" >"$WORK/orvane2.log" 2>&1 &
PID=$!
PIDS+=("$PID")
STARTED=$(now)
# Progress lines carry the seconds since the program was started.
log() { echo "[$(elapsed_since "$STARTED") s] $*"; }

# --- Start-up: the window is shown, the icon docks. --------------------------------------
WIN=$(wait_window "$TITLE") || fail "the window \"$TITLE\" did not appear"
wait_window_state "$WIN" normal 5 || fail "after start-up the window is $(window_state "$WIN"), expected shown"
ICON=$(wait_tray_icon "$CLASS" 5) || fail "no icon of class $CLASS docked in the tray"
[ "$(tray_icons "$CLASS" | wc -l)" = 1 ] || fail "more than one icon in the tray: $(tray_icons "$CLASS")"
log "window $WIN shown, icon $ICON docked"
sleep 0.3
screenshot "$WIN" window_shown.png
screenshot "$TRAY_PANEL" tray.png
import -window "$ICON" "$WORK/icon.png"
icon_colours=$(convert "$WORK/icon.png" -format %k info:)
[ "$icon_colours" -ge 4 ] || fail "the tray icon shows only $icon_colours colours: it is not painted"

# Before the first interval has passed the labels have neither colour.
import -window "$WIN" "$WORK/first.png"
age=$(elapsed_since "$STARTED")
if awk -v a="$age" -v i="$INTERVAL" 'BEGIN { exit !(a < i - 1) }'; then
    first=$(label_colours "$WORK/first.png")
    [[ $first =~ ^([a-z]+=0g/0r )+$ ]] || fail "labels are coloured before the first check cycle ($age s): $first"
    log "before the first cycle: $first"
else
    log "NOTE: the first screenshot came $age s after start, too late to see the labels uncoloured"
fi

# --- Left clicks on the icon. -------------------------------------------------------------
click_window "$ICON" 1
wait_window_state "$WIN" withdrawn 5 || fail "after a left click on the icon the window is $(window_state "$WIN"), expected hidden"
log "left click: hidden"
sleep 0.7 # more than the double-click interval
click_window "$ICON" 1
wait_window_state "$WIN" normal 5 || fail "after a second left click the window is $(window_state "$WIN"), expected shown"
log "second left click: shown"
sleep 0.7

# A double click toggles twice: the window is unmapped, mapped again and stays shown.
stdbuf -oL xev -id "$WIN" -event structure >"$WORK/xev.log" 2>&1 &
XEV=$!
PIDS+=("$XEV")
sleep 0.3
click_window "$ICON" 1 2
map_events() { grep -aoE '^(Unmap|Map)Notify' "$WORK/xev.log" | tr '\n' ' '; }
hidden_and_shown() { awk '/^UnmapNotify/ {u=1} u && /^MapNotify/ {m=1} END {exit !m}' "$WORK/xev.log"; }
wait_until 5 hidden_and_shown || fail "a double click did not hide and show the window: $(map_events)"
wait_window_state "$WIN" normal 5 || fail "after a double click the window is $(window_state "$WIN"), expected shown"
kill "$XEV"
log "double click: hidden and shown again ($(map_events))"

# --- The first check cycle colours the labels. ------------------------------------------
wait_until 15 labels_coloured \
    || fail "15 s after start the labels are not coloured as expected (${EXPECTED[*]}): $(label_colours "$WORK/colours.png")"
age=$(elapsed_since "$STARTED")
cp "$WORK/colours.png" "$ARTIFACTS/labels_coloured.png"
awk -v a="$age" -v i="$INTERVAL" 'BEGIN { exit !(a >= i) }' \
    || fail "the labels were coloured $age s after start, before the first interval of $INTERVAL s"
log "coloured: $(label_colours "$WORK/colours.png")"
# Every pixel of either colour in the window lies inside the label rectangles above: the
# rectangles are where the labels are.
for colour in "$GREEN" "$RED"; do
    inside=0
    for i in $(seq "${#LABELS[@]}"); do
        inside=$((inside + $(count_colour "$WORK/colours.png" "$colour" "$(label_rect "$i")")))
    done
    whole=$(count_colour "$WORK/colours.png" "$colour" "$(window_size "$WIN")+0+0")
    [ "$whole" = "$inside" ] || fail "$whole pixels of $colour in the window, only $inside of them inside the labels"
done
[ -n "$SILENT" ] || echo "SKIP: no silent host, only the dark green labels were checked"

# --- The menu. --------------------------------------------------------------------------
sleep 0.7
click_window "$ICON" 3
MENU=$(wait_menu) || fail "a right click on the icon opened no popup menu"
eval "$(xdotool getmouselocation --shell)"
pointer_x=$X
eval "$(xdotool getwindowgeometry --shell "$MENU")"
log "menu $MENU at $X,$Y size ${WIDTH}x$HEIGHT, pointer at x $pointer_x"
[ $((X + WIDTH - pointer_x)) -ge -1 ] && [ $((X + WIDTH - pointer_x)) -le 1 ] \
    || fail "the menu's right edge is at x $((X + WIDTH)), the pointer at x $pointer_x"
screenshot root menu_open.png
xdotool key Escape
wait_until 5 menu_closed || fail "Escape did not close the menu"
sleep 0.3
kill -0 "$PID" 2>/dev/null || fail "the program ended when the menu was closed with Escape"
[ "$(window_state "$WIN")" = normal ] || fail "closing the menu changed the window: $(window_state "$WIN")"
log "Escape closed the menu, nothing else changed"

# Its first item hides the window, as a left click does.
click_window "$ICON" 3
MENU=$(wait_menu) || fail "a right click on the icon opened no popup menu"
click_menu_item "$MENU" 1 3 menu_showhide.png
wait_window_state "$WIN" withdrawn 5 || fail "the menu's show/hide item left the window $(window_state "$WIN"), expected hidden"
log "menu item show/hide: hidden"
sleep 0.7
click_window "$ICON" 1
wait_window_state "$WIN" normal 5 || fail "a left click after the menu's show/hide left the window $(window_state "$WIN")"

# A click on "Выход" ends the program with exit code 0 and takes the icon out of the tray.
sleep 0.7
click_window "$ICON" 3
MENU=$(wait_menu) || fail "a right click on the icon opened no popup menu"
click_menu_item "$MENU" 3 3 menu_exit.png
expect_exit "$PID" "$WIN"
screenshot "$TRAY_PANEL" tray_after_exit.png
log "\"Выход\" clicked: exit code 0, icon gone from the tray"

# =======================================================================================
# Under a window manager, on a fresh start.
start_window_manager
printf 'checkinterval 3600\ngroup Local\n127.0.0.1 loopback\n' >quiet.cfg
"$ORVANE2" "$WORK/quiet.cfg" >"$WORK/orvane2.log" 2>&1 &
PID=$!
PIDS+=("$PID")
WIN=$(wait_window "$TITLE") || fail "under openbox the window \"$TITLE\" did not appear"
wait_window_state "$WIN" normal 5 || fail "under openbox after start-up the window is $(window_state "$WIN"), expected normal"
ICON=$(wait_tray_icon "$CLASS" 5) || fail "under openbox no icon of class $CLASS docked in the tray"
log "openbox: window $WIN in normal state, icon $ICON docked"
sleep 0.3
screenshot root desktop_openbox.png

# Six left clicks, 0.7 s apart: hidden, shown, hidden, ... Each click must take the
# window to the other state.
current=normal
lost=()
for n in 1 2 3 4 5 6; do
    if [ "$current" = normal ]; then want=withdrawn; else want=normal; fi
    click_window "$ICON" 1
    if wait_window_state "$WIN" "$want" 3; then
        current=$want
    else
        current=$(window_state "$WIN")
        [ "$n" = 1 ] && fail "under openbox the first left click left the window $current, expected hidden"
        lost+=("click $n left the window $current, expected $want")
    fi
    sleep 0.7
done
[ ${#lost[@]} -eq 0 ] || fail "under openbox ${#lost[@]} of 6 left clicks did not toggle the window: ${lost[*]}"
log "openbox: six left clicks hid and showed the window in turn"

# "Выход" chosen with the keyboard: Up selects the last item, Return triggers it.
click_window "$ICON" 3
wait_menu >/dev/null || fail "under openbox a right click on the icon opened no popup menu"
sleep 0.3 # the menu takes the keyboard as it opens
xdotool key Up
sleep 0.3
screenshot root menu_exit_keyboard.png
xdotool key Return
expect_exit "$PID" "$WIN"
log "openbox: \"Выход\" chosen with the keyboard: exit code 0, icon gone from the tray"
echo "PASS"
