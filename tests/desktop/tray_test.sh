#!/usr/bin/env bash
# The tray on a real desktop. Without a tray host, minimising leaves the
# window minimised (iconic) and still in the window manager's client list, and
# it can be brought back. With trayer as the tray host, the icon sits in the
# tray; minimising hides the window (withdrawn: no window, no entry in the
# client list that taskbars show); a left click on the icon brings it back
# active; the clipboard monitor, switched on from the tray menu, offers links
# while the window is hidden, and the program stays hidden after that dialog;
# a tray that goes away brings the window back, one that starts again gets
# the icon; the tray menu's "Zamknij" ends the program with the settings written.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

no_window() { [ "$(count_windows "$1")" = 0 ]; }

# ---- without a tray host
start_desktop
start_program
id=$(wait_window "$main") || exit 1
wait_until 5 is_shown "$id" || fail "the window is not shown at start"
xdotool windowminimize --sync "$id"
wait_until 5 is_iconic "$id" || fail "without a tray: not minimised (state '$(wm_state "$id")')"
sleep 0.5
is_iconic "$id" || fail "without a tray: the minimised window left the client list (state '$(wm_state "$id")')"
xdotool windowactivate --sync "$id" 2>/dev/null
wait_until 5 is_shown "$id" || fail "without a tray: the minimised window could not be brought back"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end after its window was closed"
note "without a tray: minimised, listed, restored"

# ---- with trayer as the tray host
start_tray
rm -f "$HOME/.local/share/Quomira/dovra.ini"
start_program
id=$(wait_window "$main") || exit 1
wait_until 10 tray_icon >/dev/null || fail "no tray icon in the tray"
icon=$(tray_icon)
note "icon $icon at $(client_geometry "$icon")"

for round in 1 2; do
    before=$(window_geometry "$id")
    xdotool windowminimize "$id"
    wait_until 5 is_withdrawn "$id" || fail "round $round: minimising did not hide the window (state '$(wm_state "$id")')"
    [ "$(count_windows "$main")" = 0 ] || fail "round $round: a hidden window is still visible"
    click_icon 1
    wait_until 5 is_shown "$id" || fail "round $round: a click on the icon did not bring the window back"
    wait_until 5 is_active "$id" || fail "round $round: the window came back inactive"
    got=$(wait_geometry "$id" "$before") || fail "round $round: back at '$got', not where it was ('$before')"
done
note "minimised to the tray and brought back twice"

# The tray goes away while the window is hidden in it (the panel crashes):
# the window comes back by itself. Once a tray runs again the icon is in it,
# the window hides to it and a click on the icon brings it back.
xdotool windowminimize "$id"
wait_until 5 is_withdrawn "$id" || fail "minimising did not hide the window (state '$(wm_state "$id")')"
stop_tray
wait_until 8 is_shown "$id" || fail "the window stayed hidden when the tray went away (state '$(wm_state "$id")')"
note "the tray went away: the window is back"
start_tray
wait_until 10 tray_icon >/dev/null || fail "no icon in the tray started again"
icon=$(tray_icon)
[ -n "${DT_SHOT:-}" ] && xwd -root -out "${DT_SHOT%.png}.xwd"
xdotool windowminimize "$id"
wait_until 5 is_withdrawn "$id" || fail "minimising did not hide the window to the new tray (state '$(wm_state "$id")')"
click_icon 1
wait_until 5 is_shown "$id" || fail "a click on the icon in the new tray did not bring the window back"
wait_until 5 is_active "$id" || fail "the window came back from the new tray inactive"
note "the tray started again: the icon is there, the window hides to it and comes back"

# The monitor goes on keeping the window hidden: links put on the clipboard
# are offered by the add-links dialog, and once it is cancelled the program
# still runs and its window stays in the tray.
tray_menu Down
read -r x y w h < <(window_geometry "$id")
tray_menu Up Up
wait_until 5 is_withdrawn "$id" || fail "\"Ukryj\" did not hide the window (state '$(wm_state "$id")')"
printf 'http://tray.example/1\nhttp://tray.example/2\n' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
track $!
dialog=$(wait_window "Dodaj linki" 10) || exit 1
is_withdrawn "$id" || fail "the add-links dialog brought the main window back"
xdotool windowactivate --sync "$dialog" 2>/dev/null
xdotool key Escape
wait_until 5 no_window "Dodaj linki" || fail "Escape did not close the add-links dialog"
sleep 0.5
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended when the add-links dialog closed"
is_withdrawn "$id" || fail "the main window came back when the add-links dialog closed"
note "links offered while hidden; the program stays in the tray after the dialog"


tray_menu Up
wait_exit "$PROGRAM_PID" 10 || fail "the tray menu's \"Zamknij\" did not end the program"
for key in AktPoz Szer Wys PolX PolY Pasek Monitorowanie CzasMon; do
    [ -n "$(ini_value "$key")" ] || fail "the settings file lacks $key after \"Zamknij\""
done
expect_eq "$(ini_value Monitorowanie)" 1 "the monitor switched on from the tray menu"
# Closed while hidden: the place and size are those the window had when shown.
expect_eq "$(ini_value PolX) $(ini_value PolY) $(ini_value Szer) $(ini_value Wys)" "$x $y $w $h" "geometry saved while hidden"
note "the tray menu's \"Zamknij\" ended the program with the settings written"
