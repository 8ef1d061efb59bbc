#!/usr/bin/env bash
# "Сменить конфиг" from the tray menu, worked like a user on a desktop with a window
# manager (openbox) and an XEmbed tray host (trayer); the boards are read through the
# accessibility tree (AT-SPI) as a screen reader would.
#   - the icon's tooltip reads "Монитор узлов активен";
#   - the open-file dialog appears with its title and its two filters; Cancel (Escape)
#     changes nothing: same process, same board, no "restart.bat";
#   - the full path of a second configuration (in a folder with a blank in its name) typed
#     into the dialog and accepted: the running program ends with exit code 0, a fresh
#     process of the same executable, in the same current folder, with the path as its one
#     argument, shows the new board (labels, group captions, window height) and the only
#     icon in the tray; no "restart.bat" is left;
#   - from that process, a path typed without its extension: the dialog's default
#     extension "cfg" completes it and a third board comes up;
#   - "Выход" chosen with the keyboard ends the last process and its icon leaves the tray.
X_SESSION_PRIVATE_BUS=1
source "$(dirname "$0")/x_session.sh"

TITLE="Монитор узлов"
DIALOG="Выберите другой конфиг"
CLASS=orvane2

RUN="$WORK/run"
CONFIGS="$WORK/other configs"
mkdir -p "$RUN" "$CONFIGS"
printf 'checkinterval 3600\ngroup First\n127.0.0.1 one\n127.0.0.2 two\n' >"$RUN/first.cfg"
printf 'checkinterval 3600\ngroup Second board\n127.0.0.3 alpha\n127.0.0.4 beta\n127.0.0.5 gamma\ngroup Spare\n127.0.0.6 delta\n' \
    >"$CONFIGS/second.cfg"
printf 'checkinterval 3600\ngroup Third\n127.0.0.7 solo\n' >"$CONFIGS/third.cfg"
FIRST_BOARD=$'group First\nlabel one\nlabel two'
SECOND_BOARD=$'group Second board\nlabel alpha\nlabel beta\nlabel gamma\ngroup Spare\nlabel delta'
THIRD_BOARD=$'group Third\nlabel solo'
# Outer window heights in pixels (15 twips each): last box's top + its height + 1200.
#   first:  120 + (495 + 375) + 1200 = 2190 twips
#   second: box 2 at 120 + 1125 + 100 = 1345, 1345 + (240 + 375) + 1200 = 3160 twips
#           (210.7 pixels, rounded to 211)
#   third:  120 + (240 + 375) + 1200 = 1935 twips
FIRST_HEIGHT=146
SECOND_HEIGHT=211
THIRD_HEIGHT=129

start_xvfb
start_window_manager
start_tray_host
start_accessibility

STARTED=$(now)
log() { echo "[$(elapsed_since "$STARTED") s] $*"; }

# Succeeds when the board of process $1 reads $2 through the accessibility tree.
board_is() { [ "$(accessible_board "$1" 2>/dev/null)" = "$2" ]; }
# Succeeds when window $1 with its frame is $2 pixels high.
outer_height_is() {
    local size
    size=$(window_size "$1")
    [ $((${size#*x} + $(frame_height "$1"))) = "$2" ]
}

# Checks that process $1 with window $2 shows board $3 in a window $4 pixels high, in
# normal state, with the only icon of the tray.
expect_board() {
    local pid=$1 win=$2 board=$3 height=$4 icon
    wait_window_state "$win" normal 5 || fail "window $win is $(window_state "$win"), expected normal"
    wait_until 10 board_is "$pid" "$board" \
        || fail "the board reads [$(accessible_board "$pid" | tr '\n' '|')], expected [${board//$'\n'/|}]; applications known to the accessibility bus: $(accessible_apps | tr '\n' '|')"
    wait_until 5 outer_height_is "$win" "$height" \
        || fail "window $win is $(window_size "$win") plus a frame of $(frame_height "$win"), expected $height pixels high in all"
    wait_until 5 eval '[ "$(tray_icons "$CLASS" | wc -l)" = 1 ]' \
        || fail "the tray holds $(tray_icons "$CLASS" | wc -l) icons of $CLASS, expected 1"
    icon=$(printf '%d' "$(tray_icons "$CLASS")")
    [ "$(window_pid "$icon")" = "$pid" ] || fail "the icon in the tray belongs to process $(window_pid "$icon"), expected $pid"
    ICON=$icon
}

# Prints the id of the open popup menu, waiting up to 5 s.
wait_menu() {
    local id=""
    wait_until 5 eval 'id=$(popup_windows "$CLASS" | head -n 1); [ -n "$id" ]' || return 1
    echo "$id"
}

# Opens the menu on the icon and chooses "Сменить конфиг" with the keyboard (Down selects
# the first item, Down again the second); prints the id of the file dialog of process $1.
open_dialog() {
    local pid=$1 dialog
    click_window "$ICON" 3
    wait_menu >/dev/null || fail "a right click on the icon opened no popup menu"
    sleep 0.3 # the menu takes the keyboard as it opens
    xdotool key Down Down
    sleep 0.3
    screenshot root menu_change_config.png
    xdotool key Return
    dialog=$(wait_window "$DIALOG" 5) || fail "no dialog titled \"$DIALOG\" after \"Сменить конфиг\""
    [ "$(window_pid "$dialog")" = "$pid" ] || fail "the dialog belongs to process $(window_pid "$dialog"), expected $pid"
    wait_until 5 eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ]' \
        || fail "the dialog did not get the keyboard focus"
    sleep 0.3
    echo "$dialog"
}
dialog_open() { xdotool search --onlyvisible --name "^$DIALOG\$" >/dev/null 2>&1; }

# Types path $2 into dialog $1 and accepts it with Return. The list of completions that
# typing may open can take the first Return: a second one is sent if the dialog is still
# open after a second.
accept_path() {
    xdotool type --delay 10 "$2"
    sleep 0.3
    screenshot_area "$1" "$3"
    xdotool key Return
    if wait_until 1 eval '! dialog_open'; then return 0; fi
    xdotool key Return
    wait_until 5 eval '! dialog_open' || fail "the dialog is still open after the path was typed and accepted"
}

# Prints the id of a visible window titled $TITLE that belongs to a process other than
# $1, waiting up to 10 s.
wait_new_window() {
    local old=$1 w found=""
    for _ in $(seq 100); do
        for w in $(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null); do
            [ "$(window_pid "$w")" != "$old" ] && found=$w && break
        done
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.1
    done
    return 1
}

# Checks the process $1 that the switch started: the program's own executable, started
# directly with the chosen path $2 as its one argument, in the folder $RUN, and that no
# "restart.bat" was left anywhere.
expect_restarted() {
    local pid=$1 path=$2 args
    [ "$(readlink -f "/proc/$pid/exe")" = "$(readlink -f "$ORVANE2")" ] \
        || fail "the new process runs $(readlink -f "/proc/$pid/exe"), expected $(readlink -f "$ORVANE2")"
    mapfile -d '' -t args <"/proc/$pid/cmdline"
    [ "${#args[@]}" = 2 ] && [ "${args[1]}" = "$path" ] \
        || fail "the new process was started as [$(printf '%s|' "${args[@]}")], expected its executable and [$path]"
    [ "$(readlink "/proc/$pid/cwd")" = "$RUN" ] \
        || fail "the new process runs in $(readlink "/proc/$pid/cwd"), expected $RUN"
    [ -z "$(find "$WORK" -name restart.bat)" ] || fail "restart.bat was left: $(find "$WORK" -name restart.bat)"
}

# --- Start on the first configuration. ---------------------------------------------------
cd "$RUN"
"$ORVANE2" "$RUN/first.cfg" >"$WORK/orvane2.log" 2>&1 &
PID=$!
PIDS+=("$PID")
WIN=$(wait_window "$TITLE") || fail "the window \"$TITLE\" did not appear"
wait_tray_icon "$CLASS" 5 >/dev/null || fail "no icon of class $CLASS docked in the tray"
expect_board "$PID" "$WIN" "$FIRST_BOARD" "$FIRST_HEIGHT"
screenshot "$WIN" first_board.png
log "first board: $(accessible_board "$PID" | tr '\n' '|') in process $PID"

# The icon's tooltip, shown when the pointer rests on it.
eval "$(xdotool getwindowgeometry --shell "$ICON")"
move_pointer $((X + 2)) $((Y + 2))
sleep 0.2
move_pointer $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
has_tooltip() { accessible_toplevels "$PID" | grep -qx 'tool tip: Монитор узлов активен'; }
wait_until 5 has_tooltip \
    || fail "no tooltip \"Монитор узлов активен\" on the icon; the program's top-level windows: $(accessible_toplevels "$PID" | tr '\n' '|')"
screenshot root tooltip.png
log "tooltip: Монитор узлов активен"

# --- The dialog, cancelled. --------------------------------------------------------------
DLG=$(open_dialog "$PID")
screenshot_area "$DLG" dialog.png
dialog_tree=$(accessible_window "$PID" "$DIALOG")
grep -qx 'combo box: Конфиги Монитора(\*\.cfg)' <<<"$dialog_tree" \
    || fail "the dialog's file type is not \"Конфиги Монитора(*.cfg)\": $(grep '^combo box' <<<"$dialog_tree" | tr '\n' '|')"
grep -qx 'list item: Все файлы (\*\.\*)' <<<"$dialog_tree" \
    || fail "the dialog offers no file type \"Все файлы (*.*)\""
log "dialog \"$DIALOG\" with file types $(grep -E '^list item: .*\(\*\.' <<<"$dialog_tree" | cut -d' ' -f3- | tr '\n' '|')"
xdotool key Escape
wait_until 5 eval '! dialog_open' || fail "Escape did not close the dialog"
sleep 1
kill -0 "$PID" 2>/dev/null || fail "the program ended when the dialog was cancelled"
[ ! -e "$RUN/restart.bat" ] || fail "cancelling the dialog wrote restart.bat: $(od -c "$RUN/restart.bat")"
[ "$(xdotool search --onlyvisible --name "^$TITLE\$" | wc -l)" = 1 ] \
    || fail "after the cancel there are $(xdotool search --onlyvisible --name "^$TITLE\$" | wc -l) windows \"$TITLE\""
expect_board "$PID" "$WIN" "$FIRST_BOARD" "$FIRST_HEIGHT"
log "cancelled: same process, same board, no restart.bat"

# --- Switch to the second configuration by its full path. -------------------------------
sleep 0.5
DLG=$(open_dialog "$PID")
accept_path "$DLG" "$CONFIGS/second.cfg" dialog_path_typed.png
wait_exit "$PID" 10 || fail "the program still runs 10 s after a configuration was chosen"
[ "$EXIT_CODE" = 0 ] || fail "the program ended with exit code $EXIT_CODE after the switch, expected 0"
WIN2=$(wait_new_window "$PID") || fail "no fresh window \"$TITLE\" after the switch"
PID2=$(window_pid "$WIN2")
[ -n "$PID2" ] || fail "the fresh window names no process"
PIDS+=("$PID2")
log "switched: process $PID ended with 0, process $PID2 shows window $WIN2"
expect_restarted "$PID2" "$CONFIGS/second.cfg"
expect_board "$PID2" "$WIN2" "$SECOND_BOARD" "$SECOND_HEIGHT"
screenshot "$WIN2" second_board.png
log "second board: $(accessible_board "$PID2" | tr '\n' '|')"

# --- From the fresh process, a path without its extension. ------------------------------
sleep 0.5
DLG=$(open_dialog "$PID2")
accept_path "$DLG" "$CONFIGS/third" dialog_path_without_extension.png
wait_gone "$PID2" 10 || fail "process $PID2 still runs 10 s after a configuration was chosen"
WIN3=$(wait_new_window "$PID2") || fail "no fresh window \"$TITLE\" after the second switch"
PID3=$(window_pid "$WIN3")
[ -n "$PID3" ] || fail "the fresh window names no process"
PIDS+=("$PID3")
expect_restarted "$PID3" "$CONFIGS/third.cfg"
expect_board "$PID3" "$WIN3" "$THIRD_BOARD" "$THIRD_HEIGHT"
screenshot "$WIN3" third_board.png
log "second switch, path typed without .cfg: process $PID3 shows $(accessible_board "$PID3" | tr '\n' '|')"

# --- "Выход" with the keyboard: Up selects the last item. -------------------------------
click_window "$ICON" 3
wait_menu >/dev/null || fail "a right click on the icon opened no popup menu"
sleep 0.3
xdotool key Up Return
wait_gone "$PID3" 10 || fail "process $PID3 still runs 10 s after \"Выход\""
wait_no_tray_icon "$CLASS" 5 || fail "an icon is still in the tray after \"Выход\": $(tray_icons "$CLASS")"
[ -z "$(find "$WORK" -name restart.bat)" ] || fail "restart.bat was left: $(find "$WORK" -name restart.bat)"
log "\"Выход\": process $PID3 ended, no icon left in the tray"
echo "PASS"
