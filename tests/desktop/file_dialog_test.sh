#!/usr/bin/env bash
# Qt's own texts in Polish on a real screen, for a user whose locale is
# English (C.UTF-8, which every system has): Ctrl+O ("Dodaj linki z pliku") on the link list opens Qt's open
# dialog with its Polish title, in a size that fits the screen; Escape
# closes it and nothing is imported.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

start_desktop
folder="$HOME/.local/share/Quomira/"
category=$("$CATALOGUE_SEED" "$folder" "Różne" "http://a.pl" "") || fail "catalogue_seed failed"
printf '[Opcje]\nAktPoz=%s\n' "$category" >"$folder/dovra.ini"
head -c 553 /dev/zero | tr '\0' 'x' >"$HOME/linki z pracy.txt"

PROGRAM_ENV=(-u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=en)
start_program
id=$(wait_window "$main") || exit 1
sleep 0.5
read -r cx cy _ _ < <(client_geometry "$id")
xdotool mousemove --sync $((cx + 300)) $((cy + 84)) click 1
xdotool key --clearmodifiers ctrl+o
dialog=$(wait_window "Otwórz" 10) || exit 1
sleep 0.5
[ -n "${DT_SHOT:-}" ] && import -window root "$DT_SHOT"
read -r x y w h < <(window_geometry "$dialog")
[ "$x" -ge 0 ] && [ $((x + w)) -le 1280 ] && [ "$y" -ge 0 ] && [ $((y + h)) -le 1024 ] ||
    fail "the open dialog is off the screen: $x $y $w $h"
[ "$w" -ge 800 ] && [ "$h" -ge 500 ] || fail "the open dialog is small: $w x $h"
note "the open dialog 'Otwórz', $w x $h at $x,$y"

xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || xdotool windowfocus --sync "$dialog"
xdotool key --clearmodifiers Escape
wait_until 5 test "$(count_windows "Otwórz")" = 0 || fail "the open dialog stayed open"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end"
expect_eq "$("$CATALOGUE_SEED" --count "$folder")" 1 "links after Escape"
