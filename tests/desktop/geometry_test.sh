#!/usr/bin/env bash
# The outer frame's geometry: the design size at the first start, the size
# and place saved at close and restored at the next start, and the minimum
# size 640 x 470 of the outer frame.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

# Whether openbox has put its frame around window ID.
has_frame()
{
    [ "$(frame_extents "$1")" != "0 0 0 0" ]
}

start_desktop

# First start: the design client area 642 x 420 with the frame around it,
# raised to the minimum height of the outer frame.
start_program
id=$(wait_window "$main") || exit 1
wait_until 5 has_frame "$id" || fail "openbox put no frame on the window"
read -r left right top bottom < <(frame_extents "$id")
want_w=$((642 + left + right))
want_h=$((420 + top + bottom))
[ "$want_h" -lt 470 ] && want_h=470
got=$(wait_geometry "$id" "* * $want_w $want_h") || fail "outer size at the first start: expected $want_w x $want_h, got '$got'"

# Moved and resized by the user, then closed: the outer frame is saved.
xdotool windowsize --sync "$id" 800 600
xdotool windowmove --sync "$id" 100 80
sleep 0.3
read -r x y w h < <(window_geometry "$id")
note "before close: $x $y $w $h"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end after its window was closed"
expect_eq "$(ini_value Szer) $(ini_value Wys) $(ini_value PolX) $(ini_value PolY)" "$w $h $x $y" "saved geometry"

# Restored at the next start.
start_program
id=$(wait_window "$main") || exit 1
got=$(wait_geometry "$id" "$x $y $w $h") || fail "restored geometry: expected '$x $y $w $h', got '$got'"

# The minimum size holds for the outer frame, when the user makes the window
# smaller ...
xdotool windowsize --sync "$id" 300 200 2>/dev/null || true
got=$(wait_geometry "$id" "$x $y 640 470") || fail "shrunk below the minimum: '$got'"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end"
expect_eq "$(ini_value Szer) $(ini_value Wys)" "640 470" "saved minimum size"

# ... and when the settings file holds a smaller size.
sed -i -e 's/^Szer=.*/Szer=300/' -e 's/^Wys=.*/Wys=100/' "$HOME/.local/share/Quomira/dovra.ini"
start_program
id=$(wait_window "$main") || exit 1
got=$(wait_geometry "$id" "$x $y 640 470") || fail "a stored size below the minimum: '$got'"
note "geometry saved, restored and held to the minimum"

# Hostile numbers in the settings file: the frame is held to the screen and
# brought back onto it, and the title bar can be taken with the mouse.
settings="$HOME/.local/share/Quomira/dovra.ini"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end"

# Drags the title bar of window ID by DX DY and waits for the frame to be at
# X Y with the size it had. A loaded machine can let the first press reach
# openbox before it has taken the new window in hand, so a drag that moved
# nothing is tried again, up to three times.
drag_title_bar()
{
    local id=$1 dx=$2 dy=$3 x y w h left right top bottom try
    read -r x y w h < <(window_geometry "$id")
    wait_until 5 has_frame "$id" || fail "the window got no frame"
    read -r left right top bottom < <(frame_extents "$id")
    for try in 1 2 3; do
        xdotool mousemove --sync $((x + w / 2)) $((y + top / 2)) mousedown 1
        xdotool mousemove --sync $((x + w / 2 + dx / 2)) $((y + top / 2 + dy / 2))
        xdotool mousemove --sync $((x + w / 2 + dx)) $((y + top / 2 + dy)) mouseup 1
        wait_geometry "$id" "$((x + dx)) $((y + dy)) $w $h" 2 >/dev/null && return 0
        [ "$(window_geometry "$id")" = "$x $y $w $h" ] || break
    done
    fail "the title bar could not be dragged: '$(window_geometry "$id")'"
}

# A size of 100000 x 100000 (a 40 GB window buffer once) and places far off:
# the whole screen, the program running.
printf '[Opcje]\r\nSzer=100000\r\nWys=100000\r\nPolX=2147483647\r\nPolY=-2147483647\r\nPasek=-2147483648\r\n' >"$settings"
start_program
id=$(wait_window "$main") || exit 1
got=$(wait_geometry "$id" "0 0 1280 1024") || fail "a frame larger than the screen: '$got'"
kill -0 "$PROGRAM_PID" || fail "the program ended"
drag_title_bar "$id" 100 60
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end"

# A place below and right of the screen: brought back into its corner.
printf '[Opcje]\r\nSzer=700\r\nWys=500\r\nPolX=5000\r\nPolY=5000\r\n' >"$settings"
start_program
id=$(wait_window "$main") || exit 1
got=$(wait_geometry "$id" "580 524 700 500") || fail "a place out of reach: '$got'"
[ -n "${SCREENSHOT:-}" ] && import -window root "$SCREENSHOT"
drag_title_bar "$id" -300 -200
note "hostile sizes and places held to the screen, the title bar in reach"
