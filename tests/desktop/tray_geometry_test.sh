#!/usr/bin/env bash
# The outer frame saved when the program ends from the tray: closed while its
# window is hidden to the tray (after a minimise by the window manager or the
# tray menu's "Ukryj"), the program stores the size and place of the frame the
# window had when last shown, and the next start puts it back there; a window
# closed while shown stores the frame it has.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"
settings="$HOME/.local/share/Quomira/dovra.ini"

# "X Y W H" as the settings file holds it.
stored_frame()
{
    echo "$(ini_value PolX) $(ini_value PolY) $(ini_value Szer) $(ini_value Wys)"
}

# The outer frame of window ID once two reads a moment apart agree: the
# window manager may still be placing it.
settled_geometry()
{
    local id=$1 i last got
    last=$(window_geometry "$id")
    for ((i = 0; i < 50; i++)); do
        sleep 0.2
        got=$(window_geometry "$id")
        [ "$got" = "$last" ] && break
        last=$got
    done
    echo "$got"
}

# An X screenshot into $DT_SHOT with the suffix NAME, when DT_SHOT is set.
screenshot()
{
    [ -n "${DT_SHOT:-}" ] && xwd -root -out "${DT_SHOT%.png}-$1.xwd"
    return 0
}

# Starts the program and waits until its window is shown with the outer frame
# FRAME ("X Y W H") and its icon is in the tray; sets id and icon.
start_shown()
{
    local frame=$1 got
    start_program
    id=$(wait_window "$main") || exit 1
    wait_until 10 tray_icon >/dev/null || fail "no tray icon in the tray"
    icon=$(tray_icon)
    wait_until 5 is_shown "$id" || fail "the window is not shown at start (state '$(wm_state "$id")')"
    got=$(wait_geometry "$id" "$frame" 10) || fail "at start the frame is '$got', not the stored '$frame'"
}

# Hides the window by WAY: "minimise" (the window manager iconifies it, as
# its title-bar button does) or "Ukryj" (the tray menu).
hide_by()
{
    case $1 in
    minimise) xdotool windowminimize "$id" ;;
    Ukryj) tray_menu Up Up ;;
    esac
    wait_until 5 is_withdrawn "$id" || fail "$1 did not hide the window (state '$(wm_state "$id")')"
    sleep 0.3  # the window manager lets the window go
}

# Ends the program by the tray menu's "Zamknij" and checks that the settings
# file holds FRAME.
close_from_tray()
{
    local frame=$1 what=$2
    tray_menu Up
    wait_exit "$PROGRAM_PID" 10 || fail "$what: the tray menu's \"Zamknij\" did not end the program"
    expect_eq "$(stored_frame)" "$frame" "$what: the frame saved"
}

start_desktop --tray
mkdir -p "$(dirname "$settings")"
printf '[Opcje]\r\nSzer=700\r\nWys=520\r\nPolX=150\r\nPolY=120\r\n' >"$settings"
frame="150 120 700 520"

# Hidden by each way, then closed from the tray: the frame is kept, start
# after start (a frame that shrank or moved would show at the next start).
for way in minimise Ukryj minimise minimise minimise minimise; do
    start_shown "$frame"
    frame=$(settled_geometry "$id")
    note "$way: shown at $frame"
    screenshot "$way-shown"
    hide_by "$way"
    close_from_tray "$frame" "closed hidden after $way"
done
start_shown "$frame"
screenshot "restarted"
note "closed while hidden to the tray: the frame kept over six starts"

# Brought back from the tray, moved and resized, hidden again: the frame it
# had when last shown is saved.
hide_by minimise
click_icon 1
wait_until 5 is_shown "$id" || fail "a click on the icon did not bring the window back"
got=$(wait_geometry "$id" "$frame") || fail "back at '$got', not where it was ('$frame')"
xdotool windowsize --sync "$id" 760 560
xdotool windowmove --sync "$id" 90 70
frame=$(settled_geometry "$id")
[ "$frame" != "150 120 700 520" ] || fail "the window did not move"
note "moved to $frame"
hide_by minimise
close_from_tray "$frame" "closed hidden after a move"

# Closed while shown, from the tray and by the window's close box.
start_shown "$frame"
close_from_tray "$frame" "closed shown from the tray"
start_shown "$frame"
xdotool windowmove --sync "$id" 200 150
frame=$(settled_geometry "$id")
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end after its window was closed"
expect_eq "$(stored_frame)" "$frame" "closed shown by its close box: the frame saved"
note "closed while shown: the frame it has is saved"
