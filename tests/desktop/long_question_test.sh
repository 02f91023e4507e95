#!/usr/bin/env bash
# The delete question for many links on a real screen: the box fits the
# screen with its buttons, the text scrolls inside it, and Tab then Enter
# answers "Nie" (nothing is deleted), as the keys of a message box do.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

start_desktop
folder="$HOME/.local/share/Quomira/"
args=()
for i in $(seq 1 300); do args+=("http://example.com/strona/$i" ""); done
category=$("$CATALOGUE_SEED" "$folder" "Dużo" "${args[@]}") || fail "catalogue_seed failed"
printf '[Opcje]\nAktPoz=%s\n' "$category" >"$folder/dovra.ini"

start_program
id=$(wait_window "$main") || exit 1
sleep 0.5
read -r cx cy _ _ < <(client_geometry "$id")
xdotool mousemove --sync $((cx + 300)) $((cy + 84)) click 1
xdotool key --clearmodifiers shift+End Delete
box=$(wait_window "Zapytanie") || exit 1
sleep 0.3
read -r x y w h < <(window_geometry "$box")
[ "$y" -ge 0 ] && [ $((y + h)) -le 1024 ] && [ "$x" -ge 0 ] && [ $((x + w)) -le 1280 ] ||
    fail "the question is off the screen: $x $y $w $h"

# "Tak" is the default and has the focus; Tab moves it to "Nie".
xdotool key --clearmodifiers Tab Return
wait_until 5 test "$(count_windows Zapytanie)" = 0 || fail "the question stayed open"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end"
expect_eq "$("$CATALOGUE_SEED" --count "$folder")" 300 "links after answering Nie"
note "question $w x $h at $x,$y; answered Nie"
