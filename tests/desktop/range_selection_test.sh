#!/usr/bin/env bash
# A keyboard range in the link list after choosing another category starts
# from the row the category's load focused: a link clicked in "Wszystkie",
# PageDown five times, the category of 200 links clicked, Tab into the link
# list, Home, Shift+End, Delete ("Usuń wybrane linki") answered "Tak" deletes
# all 200 links of the category and none of the others.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

start_desktop
folder="$HOME/.local/share/Quomira/"
args=()
for i in $(seq 1 60); do args+=("http://inne.example/$i" "Inne $i"); done
other=$("$CATALOGUE_SEED" "$folder" "Inne" "${args[@]}") || fail "catalogue_seed failed"
args=()
for i in $(seq 1 200); do args+=("http://dwiescie.example/$i" "Opis $i"); done
category=$("$CATALOGUE_SEED" "$folder" "Dwieście" "${args[@]}") || fail "catalogue_seed failed"

start_program
id=$(wait_window "$main") || exit 1
sleep 0.5
read -r cx cy _ _ < <(client_geometry "$id")
# Category rows, 18 pixels high: "Bez kategorii", "Inne", "Dwieście", "Wszystkie".
category_row()
{
    echo "$((cx + 56)) $((cy + 68 + 18 * $1))"
}
link_row()
{
    echo "$((cx + 300)) $((cy + 84 + 18 * $1))"
}

# shellcheck disable=SC2046
xdotool mousemove --sync $(category_row 3) click 1
sleep 0.3
# shellcheck disable=SC2046
xdotool mousemove --sync $(link_row 2) click 1
xdotool key --clearmodifiers Next Next Next Next Next
# shellcheck disable=SC2046
xdotool mousemove --sync $(category_row 2) click 1
sleep 0.3
xdotool key --clearmodifiers Tab Home shift+End
sleep 0.2
[ -n "${DT_SHOT:-}" ] && import -window root "$DT_SHOT"
xdotool key --clearmodifiers Delete
box=$(wait_window "Zapytanie") || exit 1
sleep 0.3
[ -n "${DT_SHOT:-}" ] && import -window root "${DT_SHOT%.png}-question.png"

# "Tak" is the default button.
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return
wait_until 5 test "$(count_windows Zapytanie)" = 0 || fail "the question stayed open"
close_window "$id"
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end"

expect_eq "$("$CATALOGUE_SEED" --count "$folder" "$category")" 0 "links left in the category of 200"
expect_eq "$("$CATALOGUE_SEED" --count "$folder" "$other")" 60 "links left in the other category"
expect_eq "$("$CATALOGUE_SEED" --count "$folder")" 60 "links left in the catalogue"
note "all 200 links of the category deleted, the other 60 kept"
